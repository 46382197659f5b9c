// The node dialog's controls as a step's values, both ways.
#include "dialogs/frmnode.h"

#include "core/leadingnumber.h"
#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"
#include "model/cnode.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

namespace korvel {
namespace {

qint32 Check(const QCheckBox* box)
{
    return box->isChecked() ? 1 : 0;
}

} // namespace

NodeValues FrmNode::Values(const QString& frameID) const
{
    const FrmNode& dialog = *this;
    NodeValues v;
    v.WorkOrderFrame_ID = frameID;
    v.WorkOrderNode_ID = dialog.TxtID->text().trimmed();
    v.WorkOrderNodeName = dialog.TxtName->text().trimmed();
    v.ExpiredPeriod = dialog.TxtLen->WholeNumber();
    v.ExpiredPeriodType_ID = dialog.CboUnit->SelectedKey().trimmed();
    v.CanSendBack = Check(dialog.ChkBack);
    v.CanSendSelf = dialog.SendSelf();
    v.CanSkip = Check(dialog.CHKSendSkip);
    v.EmailNotify = QString::number(Check(dialog.ChkEmail));
    v.SMSNotify = QString::number(Check(dialog.CHKSMS));
    v.AddinType = dialog.OptMainFlow->isChecked() ? 0 : dialog.OptBuild->isChecked() ? 1 : 2;
    v.WEBLink = dialog.TxtWeb->text().trimmed();
    v.Group_IDA = dialog.CboBuild->SelectedKey();
    v.CanFullScreen = Check(dialog.ChkFull);
    v.HandleBy_ID = dialog.CboStaff->SelectedKey();
    v.HandleGroup_ID = dialog.CboStaffGroup->SelectedKey();
    v.ExpiredHandleBy_ID = dialog.CboExpirStaff->SelectedKey();
    v.ExpiredHandleGroup_ID = dialog.CboExpirGroup->SelectedKey();
    v.Top = 0;
    v.Left = 0;
    v.Priority_ID = dialog.CboPriority->SelectedKey();
    v.RefuseFlag = Check(dialog.ChkRefuseReply);
    v.CanClose = Check(dialog.ChkClose);
    v.ContactCust = Check(dialog.Check1);
    v.NextBeginTime = dialog.TxtNextTime->WholeNumber();
    v.TickOffFlag = !dialog.ChkTickOff->isChecked() ? 0 : dialog.ChkTickCLOSE->isChecked() ? 2 : 1;
    v.ReturnOldStep = dialog.OptOld->isChecked() ? dialog.CboStep->SelectedKey() : QString();
    v.CanModify = dialog.ChkModi1->isChecked() ? 1 : dialog.ChkModi2->isChecked() ? 2 : 0;
    v.CanBackToBy = Check(dialog.Check2);
    v.ToMultiHandleBy = dialog.OptMulti->isChecked() ? dialog.MultiHandleBy() : QString();
    v.ReturnGroupFlag = dialog.OptOld->isChecked() ? Check(dialog.chkReturnGroup) : 0;
    v.ForecastUnit = dialog.CboUnit1->SelectedKey();
    v.ForecastLen = dialog.TxtLen1->WholeNumber();
    return v;
}

void FrmNode::Show(const cNode& node)
{
    FrmNode& dialog = *this;
    dialog.TxtID->setText(node.WorkOrderNode_ID());
    dialog.TxtName->setText(node.WorkOrderNodeName());
    dialog.Check1->setChecked(node.ContactCust() != 0);
    dialog.CboUnit->SetKey(node.ExpiredPeriodType_ID());
    dialog.TxtLen->setText(QString::number(node.ExpiredPeriod()));
    dialog.ChkBack->setChecked(node.CanSendBack() != 0);
    dialog.setSendSelf(node.CanSendSelf());
    dialog.CHKSendSkip->setChecked(node.CanSkip() != 0);
    dialog.CboPriority->SetKey(node.PriorityID());
    dialog.ChkEmail->setChecked(LeadingNumber(node.EmailNotify()) != 0);
    dialog.ChkClose->setChecked(node.CanClose() != 0);
    dialog.Check2->setChecked(node.CanBackToBy() != 0);
    dialog.CHKSMS->setChecked(LeadingNumber(node.SMSNotify()) != 0);
    dialog.ChkRefuseReply->setChecked(node.RefuseReply() != 0);
    dialog.setMultiHandleBy(node.ToMultiHandleBy());
    if (node.AddinType() == 0) {
        dialog.OptMainFlow->setChecked(true);
    } else if (node.AddinType() == 1) {
        dialog.OptBuild->setChecked(true);
        dialog.CboBuild->SetKey(node.Group_IDA());
    } else {
        dialog.OptWeb->setChecked(true);
        dialog.TxtWeb->setText(node.WEBLink());
    }
    if (!node.ReturnOldStepID().isEmpty()) {
        dialog.OptOld->setChecked(true);
        dialog.CboStep->SetKey(node.ReturnOldStepID());
        dialog.chkReturnGroup->setChecked(node.ReturnGroupFlag() != 0);
    } else if (!node.ToMultiHandleBy().isEmpty()) {
        dialog.OptMulti->setChecked(true);
    } else {
        dialog.OptOther->setChecked(true);
        dialog.CboStep->SetKey(QString());
    }
    dialog.ChkFull->setChecked(node.CanFullScreen() != 0);
    dialog.CboStaffGroup->SetKey(node.HandleGroup_ID());
    dialog.CboStaff->SetKey(node.HandleBy_ID());
    dialog.CboExpirGroup->SetKey(node.ExpiredHandleGroup_ID());
    dialog.CboExpirStaff->SetKey(node.ExpiredHandleBy_ID());
    dialog.ChkModi1->setChecked(node.CanModify() == 1);
    dialog.ChkModi2->setChecked(node.CanModify() == 2);
    if (node.TickOffFlag() == 2) {
        dialog.ChkTickCLOSE->setChecked(true);
        dialog.ChkTickOff->setChecked(true);
    } else if (node.TickOffFlag() == 1) {
        dialog.ChkTickOff->setChecked(true);
    } else {
        dialog.ChkTickOff->setChecked(false);
    }
    dialog.CboUnit1->SetKey(node.ForecastUnit());
    dialog.TxtLen1->setText(QString::number(node.ForecastLen()));
    dialog.TxtNextTime->setText(QString::number(node.NextBeginTime()));
}

} // namespace korvel
