// FrmNode: enabling rules, the packed send-to permissions and the buttons.
#include "dialogs/frmnode.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "dialogs/dialogsupport.h"
#include "dialogs/frmedit.h"
#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <memory>

namespace korvel {

namespace {
const char* const TagProperty = "Tag";
} // namespace

qint32 FrmNode::SendSelf() const
{
    return (CHKSendOwner->isChecked() ? 100 : 0) + (ChkSendSelf->isChecked() ? 10 : 0) +
           (ChkSendLoginGrp->isChecked() ? 1 : 0);
}

void FrmNode::setSendSelf(qint32 value)
{
    // Written with at least three digits ("010", "-005"); only a digit "1" sets its box.
    const qint64 magnitude = value < 0 ? -static_cast<qint64>(value) : value;
    const QString digits =
        (value < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude).rightJustified(3, u'0');
    CHKSendOwner->setChecked(digits.at(0) == u'1');
    ChkSendSelf->setChecked(digits.at(1) == u'1');
    ChkSendLoginGrp->setChecked(digits.at(2) == u'1');
}

void FrmNode::OptMainFlow_Chosen()
{
    TxtWeb->setEnabled(false);
    TxtWeb->clear();
    CboBuild->setEnabled(false);
    CboBuild->setListIndex(-1);
}

void FrmNode::OptBuild_Chosen()
{
    CboBuild->setEnabled(true);
    TxtWeb->setEnabled(false);
    TxtWeb->clear();
}

void FrmNode::OptWeb_Chosen()
{
    TxtWeb->setEnabled(true);
    CboBuild->setEnabled(false);
    CboBuild->setListIndex(-1);
}

void FrmNode::OptOld_Chosen()
{
    Frame2->setEnabled(false);
    CboStep->setEnabled(true);
    CmdSetUp->setEnabled(false);
    chkReturnGroup->setEnabled(true);
}

void FrmNode::OptMulti_Chosen()
{
    Frame2->setEnabled(false);
    CboStep->setEnabled(false);
    CmdSetUp->setEnabled(true);
    chkReturnGroup->setEnabled(false);
}

void FrmNode::OptOther_Chosen()
{
    Frame2->setEnabled(true);
    CboStep->setEnabled(false);
    CmdSetUp->setEnabled(false);
    chkReturnGroup->setEnabled(false);
}

void FrmNode::ChkBack_Changed()
{
    if (ChkBack->isChecked()) {
        Check2->setEnabled(true);
    } else {
        Check2->setEnabled(false);
        Check2->setChecked(false);
    }
}

void FrmNode::ChkModi1_Changed()
{
    if (ChkModi1->isChecked())
        ChkModi2->setChecked(false);
}

void FrmNode::ChkModi2_Changed()
{
    if (ChkModi2->isChecked())
        ChkModi1->setChecked(false);
}

void FrmNode::ChkTickOff_Changed()
{
    ChkTickCLOSE->setEnabled(ChkTickOff->isChecked());
}

void FrmNode::CboStaffGroup_SelectionChanged(int position)
{
    if (position >= 0)
        LoadStaff(CboStaffGroup->KeyAt(position));
    else
        CboStaff->Clear();
}

void FrmNode::CboExpirGroup_SelectionChanged(int position)
{
    if (position >= 0)
        LoadExpireStaff(CboExpirGroup->KeyAt(position));
    else
        CboExpirStaff->Clear();
}

void FrmNode::CmdSetUp_Click()
{
    try {
        const auto editor = std::make_unique<FrmEdit>(this);
        editor->setAllInfo(MultiHandleBy());
        Modals().showModal(*editor);
        if (editor->Tag() == QStringLiteral("T"))
            setMultiHandleBy(editor->AllInfo());
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmNode]-[CmdSetUp_Click]:"), e);
    }
}

void FrmNode::Refuse(const QString& message, QWidget* field)
{
    Messages().warning(message);
    if (field != nullptr)
        field->setFocus();
}

void FrmNode::CmdOK_Click()
{
    try {
        if (RefuseUnstorableText(*this))
            return;
        const QString id = TxtID->text().trimmed();
        if (id.isEmpty())
            return Refuse(LoadResString(176), TxtID);
        if (Utility().ByteLength(id) >= 7)
            return Refuse(LoadResString(177), TxtID);
        if (TxtName->text().trimmed().isEmpty())
            return Refuse(LoadResString(178), TxtName);
        if (CboPriority->ListIndex() < 0)
            return Refuse(LoadResString(179), CboPriority);
        if (CboUnit->ListIndex() < 0)
            return Refuse(LoadResString(180), CboUnit);
        // The stored length is the rounded number, so that is what must be above 0 (0.4 would
        // otherwise pass and be stored as 0).
        if (TxtLen->WholeNumber() <= 0)
            return Refuse(LoadResString(181), TxtLen);
        if (OptWeb->isChecked() && TxtWeb->text().trimmed().isEmpty())
            return Refuse(LoadResString(182), TxtWeb);
        if (OptBuild->isChecked() && CboBuild->ListIndex() < 0)
            return Refuse(LoadResString(183), CboBuild);
        if (OptOld->isChecked()) {
            if (CboStep->SelectedKey().isEmpty())
                return Refuse(LoadResString(184), CboStep);
        } else if (OptMulti->isChecked()) {
            if (MultiHandleBy().isEmpty())
                return Refuse(LoadResString(1030), nullptr);
        } else if (CboStaffGroup->SelectedKey().isEmpty()) {
            return Refuse(LoadResString(185), CboStaffGroup);
        }
        setProperty(TagProperty, QStringLiteral("T"));
        hide();
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmNode]-[CmdOK_Click]:"), e);
    }
}

void FrmNode::CmdCancel_Click()
{
    setProperty(TagProperty, QString());
    hide();
}

} // namespace korvel
