// The controls of the work-order dialog and their design state; the behaviour is in frmorder.cpp.
#include "dialogs/frmorder.h"

#include "dialogs/dialogsupport.h"
#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvel {
namespace {

// Gives a control its name and, when it has one, the string-table id that the localisation
// replaces by its text.
template <typename Widget> Widget* Named(Widget* widget, const char* name, const char* id = nullptr)
{
    widget->setObjectName(QString::fromLatin1(name));
    if (id)
        widget->setProperty("Tag", QString::fromLatin1(id));
    return widget;
}

QLabel* IdLabel(QWidget* parent, const char* name, const char* id)
{
    return Named(new QLabel(parent), name, id);
}

} // namespace

void FrmOrder::BuildControls()
{
    // Header: ID, name, priority, type, time limit, early warning.
    FraNode = Named(new QGroupBox(this), "FraNode", "187");
    TxtID = Named(new QLineEdit(FraNode), "TxtID");
    TxtName = Named(new QLineEdit(FraNode), "TxtName");
    CboPriority = Named(new SelectOnlyCombo(FraNode), "CboPriority");
    CboType = Named(new SelectOnlyCombo(FraNode), "CboType");
    CboUnit = Named(new SelectOnlyCombo(FraNode), "CboUnit");
    TxtLen = Named(new NumericTextBox(FraNode), "TxtLen");
    CHKSendSkip = Named(new QCheckBox(FraNode), "CHKSendSkip", "157");
    TxtLen1 = Named(new NumericTextBox(FraNode), "TxtLen1");
    CboUnit1 = Named(new SelectOnlyCombo(FraNode), "CboUnit1");
    auto* header = new QGridLayout(FraNode);
    QLabel* lblID = IdLabel(FraNode, "lblID", "188");
    lblID->setBuddy(TxtID);
    header->addWidget(lblID, 0, 0);
    header->addWidget(TxtID, 0, 1);
    QLabel* lblName = IdLabel(FraNode, "lblName", "189");
    lblName->setBuddy(TxtName);
    header->addWidget(lblName, 0, 2);
    header->addWidget(TxtName, 0, 3);
    header->addWidget(IdLabel(FraNode, "lblPriority", "190"), 1, 0);
    header->addWidget(CboPriority, 1, 1);
    header->addWidget(IdLabel(FraNode, "lblType", "191"), 1, 2);
    header->addWidget(CboType, 1, 3);
    header->addWidget(IdLabel(FraNode, "lblUnit", "192"), 2, 0);
    header->addWidget(CboUnit, 2, 1);
    header->addWidget(IdLabel(FraNode, "lblLen", "193"), 2, 2);
    header->addWidget(TxtLen, 2, 3);
    header->addWidget(IdLabel(FraNode, "lblUnit1", "230"), 3, 0);
    header->addWidget(CboUnit1, 3, 1);
    header->addWidget(IdLabel(FraNode, "lblLen1", "231"), 3, 2);
    header->addWidget(TxtLen1, 3, 3);
    header->addWidget(CHKSendSkip, 4, 0, 1, 4);

    // The page shown with the work order: embedded web page or dynamic form.
    fraFrame = Named(new QGroupBox(this), "fraFrame", "194");
    OptWeb = Named(new QRadioButton(fraFrame), "OptWeb", "195");
    TxtWeb = Named(new QLineEdit(fraFrame), "TxtWeb");
    TxtWeb->setProperty(CaptionProperty, 195);
    OptBuild = Named(new QRadioButton(fraFrame), "OptBuild", "196");
    CboBuild = Named(new SelectOnlyCombo(fraFrame), "CboBuild");
    ChkFull = Named(new QCheckBox(fraFrame), "ChkFull", "197");
    auto* page = new QGridLayout(fraFrame);
    page->addWidget(OptWeb, 0, 0);
    page->addWidget(TxtWeb, 0, 1);
    page->addWidget(OptBuild, 1, 0);
    page->addWidget(CboBuild, 1, 1);
    page->addWidget(ChkFull, 2, 0, 1, 2);

    // Outbound callback on closing, and the print template.
    Frame1 = Named(new QGroupBox(this), "Frame1");
    CHKClose = Named(new QCheckBox(Frame1), "CHKClose", "198");
    TxtRate = Named(new NumericTextBox(Frame1), "TxtRate");
    CboObject = Named(new SelectOnlyCombo(Frame1), "CboObject");
    TxtFile = Named(new QLineEdit(Frame1), "TxtFile");
    TxtFile->setReadOnly(true);
    CmdSelectFile = Named(new QPushButton(QStringLiteral("..."), Frame1), "CmdSelectFile");
    CmdSelectFile->setAutoDefault(false);
    auto* callback = new QGridLayout(Frame1);
    callback->addWidget(CHKClose, 0, 0, 1, 3);
    callback->addWidget(IdLabel(Frame1, "lblRate", "199"), 1, 0);
    callback->addWidget(TxtRate, 1, 1, 1, 2);
    callback->addWidget(IdLabel(Frame1, "lblObject", "200"), 2, 0);
    callback->addWidget(CboObject, 2, 1, 1, 2);
    callback->addWidget(IdLabel(Frame1, "lblFile", "1031"), 3, 0);
    callback->addWidget(TxtFile, 3, 1);
    callback->addWidget(CmdSelectFile, 3, 2);

    // Customer notification.
    ChkTZ = Named(new QCheckBox(this), "ChkTZ", "1032");
    Frame2 = Named(new QGroupBox(this), "Frame2");
    OptFax = Named(new QRadioButton(Frame2), "OptFax", "1033");
    OptEmail = Named(new QRadioButton(Frame2), "OptEmail", "1034");
    OptTel = Named(new QRadioButton(Frame2), "OptTel", "1035");
    lblAddress = IdLabel(Frame2, "lblAddress", "212");
    txtAdd = Named(new QLineEdit(Frame2), "txtAdd");
    lblAddress->setBuddy(txtAdd);
    TxtReplyFile = Named(new QLineEdit(Frame2), "TxtReplyFile");
    TxtReplyFile->setReadOnly(true);
    CmdSeleReplyFile = Named(new QPushButton(QStringLiteral("..."), Frame2), "CmdSeleReplyFile");
    CmdSeleReplyFile->setAutoDefault(false);
    TxtContent = Named(new QLineEdit(Frame2), "TxtContent");
    TxtContent->setProperty(CaptionProperty, 1972);
    auto* modes = new QHBoxLayout;
    modes->addWidget(IdLabel(Frame2, "lblReplyMode", "1036"));
    modes->addWidget(OptFax);
    modes->addWidget(OptEmail);
    modes->addWidget(OptTel);
    modes->addStretch();
    auto* reply = new QGridLayout(Frame2);
    reply->addLayout(modes, 0, 0, 1, 3);
    reply->addWidget(lblAddress, 1, 0);
    reply->addWidget(txtAdd, 1, 1, 1, 2);
    reply->addWidget(IdLabel(Frame2, "lblReplyFile", "1037"), 2, 0);
    reply->addWidget(TxtReplyFile, 2, 1);
    reply->addWidget(CmdSeleReplyFile, 2, 2);
    reply->addWidget(TxtContent, 3, 0, 1, 3);

    CmdOK = Named(new QPushButton(QStringLiteral("OK"), this), "CmdOK", "98");
    CmdOK->setAutoDefault(false);
    CmdCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "CmdCancel", "99");
    CmdCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FraNode);
    layout->addWidget(fraFrame);
    layout->addWidget(Frame1);
    layout->addWidget(ChkTZ);
    layout->addWidget(Frame2);
    layout->addLayout(buttons);

    // Design state: a dynamic-form page, notification by fax, no callback. The fax option keeps
    // the reply text closed, as choosing it does.
    OptBuild->setChecked(true);
    OptFax->setChecked(true);
    TxtWeb->setEnabled(false);
    TxtRate->setEnabled(false);
    CboObject->setEnabled(false);
    TxtContent->setEnabled(false);
    adjustSize();
}

} // namespace korvel
