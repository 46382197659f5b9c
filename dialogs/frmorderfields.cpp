// The work-order dialog's controls as a frame's header, both ways.
#include "dialogs/frmorder.h"

#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"
#include "model/cworder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

namespace korvel {
namespace {

qint32 CheckValue(const QCheckBox* box)
{
    return box->isChecked() ? 1 : 0;
}

} // namespace

FrameValues FrmOrder::Values() const
{
    const FrmOrder& dialog = *this;
    const QString printTag = dialog.TxtFile->property("Tag").toString();
    const QString replyTag = dialog.TxtReplyFile->property("Tag").toString();
    FrameValues v;
    v.WorkOrderFrame_ID = dialog.TxtID->text().trimmed();
    v.WorkOrderFrameName = dialog.TxtName->text().trimmed();
    v.Category = dialog.CboType->SelectedKey();
    v.Priority_ID = dialog.CboPriority->SelectedKey();
    v.ExpirtedPeriodType_ID = dialog.CboUnit->SelectedKey();
    v.WEBLink = dialog.TxtWeb->text();
    v.Group_IDA = dialog.CboBuild->SelectedKey();
    v.PrintFormat = FrmOrder::TagFilePart(printTag);
    v.Group_IDA2 = dialog.CboObject->SelectedKey();
    v.ExpiredPeriod = dialog.TxtLen->WholeNumber();
    v.CanSkip = CheckValue(dialog.CHKSendSkip);
    v.AddinType = dialog.OptBuild->isChecked() ? 2 : 1;
    v.CanFullScreen = CheckValue(dialog.ChkFull);
    v.CanGenerateOB = CheckValue(dialog.CHKClose);
    v.GenerateRate = dialog.TxtRate->WholeNumber();
    v.ReplyFlag = CheckValue(dialog.ChkTZ);
    v.ReplyMode = dialog.OptFax->isChecked() ? 0 : dialog.OptTel->isChecked() ? 2 : 1;
    v.ReplyAddress = dialog.txtAdd->text().trimmed();
    v.ReplyFile = FrmOrder::TagFilePart(replyTag);
    v.PrintGroup = FrmOrder::TagGroupPart(printTag);
    v.ReplyGroup = FrmOrder::TagGroupPart(replyTag);
    v.ReplyContent = dialog.TxtContent->text().trimmed();
    v.ForecastUnit = dialog.CboUnit1->SelectedKey();
    v.ForecastLen = dialog.TxtLen1->WholeNumber();
    return v;
}

void FrmOrder::Show(const cWorder& w)
{
    FrmOrder& dialog = *this;
    dialog.TxtID->setText(w.WorkOrderFrame_ID);
    dialog.TxtID->setEnabled(false);
    dialog.TxtName->setText(w.WorkOrderFrameName);
    dialog.CboPriority->SetKey(w.Priority_ID);
    dialog.CboType->SetKey(w.Category);
    dialog.CboUnit->SetKey(w.ExpirtedPeriodType_ID);
    dialog.TxtLen->setText(QString::number(w.ExpiredPeriod));
    dialog.CHKSendSkip->setChecked(w.CanSkip != 0);
    dialog.CboUnit1->SetKey(w.ForecastUnit);
    dialog.TxtLen1->setText(QString::number(w.ForecastLen));

    if (w.AddinType == 1) {
        dialog.OptWeb->setChecked(true);
        dialog.TxtWeb->setText(w.WEBLink);
    } else {
        dialog.OptBuild->setChecked(true);
        dialog.CboBuild->SetKey(w.Group_IDA);
    }
    dialog.ChkFull->setChecked(w.CanFullScreen != 0);

    dialog.CHKClose->setChecked(w.CanGenerateOB != 0);
    dialog.TxtRate->setText(QString::number(w.GenerateRate));
    dialog.CboObject->SetKey(w.Group_IDA2);
    dialog.SetPrintfile(w.PrintGroup, w.PrintFormat);

    if (w.ReplyFlag != 1) {
        dialog.ChkTZ->setChecked(false);
        dialog.txtAdd->clear();
        dialog.TxtReplyFile->clear();
        dialog.TxtReplyFile->setProperty("Tag", QString());
    } else {
        dialog.ChkTZ->setChecked(true);
        if (w.ReplyMode == 0)
            dialog.OptFax->setChecked(true);
        else if (w.ReplyMode == 1)
            dialog.OptEmail->setChecked(true);
        else
            dialog.OptTel->setChecked(true);
        dialog.txtAdd->setText(w.ReplyAddress);
        dialog.SetReplyFile(w.ReplyGroup, w.ReplyFile);
    }
    dialog.TxtContent->setText(w.ReplyContent);
    dialog.SetStatus();
}

} // namespace korvel
