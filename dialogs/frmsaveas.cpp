#include "dialogs/frmsaveas.h"

#include "dialogs/dialogsupport.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "persistence/cdboperate.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace korvel {

FrmSaveAs::FrmSaveAs(QWidget* parent) : QDialog(parent)
{
    // This dialog does not run LocaliseForm: its captions are fetched from the string table here.
    setObjectName(QStringLiteral("FrmSaveAs"));
    setModal(true);
    IgnoreErrors([this] { setWindowTitle(LoadResString(1018)); });

    auto makeLabel = [this](const char* name, qint32 id) {
        auto* label = new QLabel(this);
        IgnoreErrors([&] { label->setText(LoadResString(id)); });
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    auto makeBox = [this](const char* name) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        return box;
    };
    lbl = makeLabel("lbl", 1019);
    TxtOldWO = makeBox("TxtOldWO");
    TxtOldWO->setReadOnly(true);
    LblExplain = new QLabel(this);
    LblExplain->setObjectName(QStringLiteral("LblExplain"));
    LblExplain->setWordWrap(true);
    LblExplain->hide();
    Label1 = makeLabel("Label1", 1020);
    TxtNewID = makeBox("TxtNewID");
    Label2 = makeLabel("Label2", 1021);
    TxtNewName = makeBox("TxtNewName");
    lbl->setBuddy(TxtOldWO);
    Label1->setBuddy(TxtNewID);
    Label2->setBuddy(TxtNewName);

    CmdOK = new QPushButton(this);
    IgnoreErrors([this] { CmdOK->setText(LoadResString(1022)); });
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    CmdCacel = new QPushButton(this);
    IgnoreErrors([this] { CmdCacel->setText(LoadResString(1023)); });
    CmdCacel->setObjectName(QStringLiteral("CmdCacel"));
    CmdCacel->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lbl, 0, 0);
    grid->addWidget(TxtOldWO, 0, 1);
    grid->addWidget(LblExplain, 1, 0, 1, 2);
    grid->addWidget(Label1, 2, 0);
    grid->addWidget(TxtNewID, 2, 1);
    grid->addWidget(Label2, 3, 0);
    grid->addWidget(TxtNewName, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCacel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    resize(340, sizeHint().height());

    connect(CmdOK, &QPushButton::clicked, this, [this] { CmdOK_Click(); });
    connect(CmdCacel, &QPushButton::clicked, this, [this] { CmdCacel_Click(); });

    CentreOnScreen(*this);
    setTag(QString());
}

QString FrmSaveAs::Tag() const
{
    return property("Tag").toString();
}

void FrmSaveAs::setTag(const QString& tag)
{
    setProperty("Tag", tag);
}

void FrmSaveAs::CmdOK_Click()
{
    try {
        if (RefuseUnstorableText(*this))
            return;
        const QString newID = TxtNewID->text().trimmed();
        const QString newName = TxtNewName->text().trimmed();
        // A copy without an ID could never be told apart from "no frame" in the designer.
        if (newID.isEmpty()) {
            Messages().warning(LoadResString(201));
            TxtNewID->setFocus();
            return;
        }
        if (Utility().ByteLength(newID) >= 7) {
            Messages().warning(LoadResString(202));
            TxtNewID->setFocus();
            return;
        }
        const qint32 idState = DBOperate().GetWorkOrderIDExists(newID);
        if (idState == 1) {
            Messages().warning(LoadResString(203));
            return;
        }
        if (idState == 0) {
            InformDatabaseUnreadable();
            TxtNewID->setFocus();
            return;
        }
        if (newName.isEmpty()) {
            Messages().warning(LoadResString(1024));
            return;
        }
        setTag(QStringLiteral("T"));
        hide();
    } catch (const std::exception& e) {
        // The input could not be checked; the dialog stays open and unconfirmed.
        LogError(QStringLiteral("[Korvel]-[FrmSaveAs]-[CmdOK_Click]:"), e);
    }
}

void FrmSaveAs::CmdCacel_Click()
{
    setTag(QString());
    hide();
}

void FrmSaveAs::reject()
{
    setTag(QString());
    QDialog::reject();
}

} // namespace korvel
