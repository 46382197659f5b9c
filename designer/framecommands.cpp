// The commands on whole frames: new frame, header edit, delete and save as.
#include "designer/frmmain.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "designer/flowcanvas.h"
#include "designer/workprogress.h"
#include "dialogs/frmorder.h"
#include "dialogs/frmsaveas.h"
#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"
#include "model/cworders.h"
#include "persistence/cdboperate.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTreeWidget>
#include <memory>

namespace korvel {
namespace {

qint32 CheckValue(const QCheckBox* box)
{
    return box->isChecked() ? 1 : 0;
}

// The header values as the work-order dialog holds them.
FrameValues ReadOrderValues(const FrmOrder& dialog)
{
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

// Puts a frame's header into the work-order dialog for editing. The order matters: each switch is
// set before the boxes it empties when it changes.
void FillOrderDialog(FrmOrder& dialog, const cWorder& w)
{
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

} // namespace

QString FrmMain::ProposedFrameID()
{
    return Utility().NewUniqueKey().right(6);
}

void FrmMain::NewWorkOrder()
{
    auto dialog = std::make_unique<FrmOrder>(this);
    dialog->TxtID->setText(ProposedFrameID());
    Modals().showModal(*dialog);
    if (dialog->Tag() != QLatin1String("T"))
        return;
    const FrameValues values = ReadOrderValues(*dialog);
    if (m_workOrders->AddOneWorkOrder(values) > 0)
        AddTreeItem(QStringLiteral("N") + values.WorkOrderFrame_ID, values.WorkOrderFrameName,
                    QStringLiteral("DynOpen"));
    else
        Messages().information(LoadResString(145));
}

void FrmMain::TrvTree_DblClick()
{
    QTreeWidgetItem* selected = SelectedTreeItem();
    if (!selected)
        return;
    cWorder* frame = m_workOrders->OneWorkOrder(selected->data(0, TreeKeyRole).toString().mid(1));
    if (!frame)
        return;
    // The header is edited under the frame's lock like every other change: taken for this edit
    // when nobody holds it, and given back afterwards unless the user held it already.
    const bool heldBefore = frame->LockFlag() == 1;
    if (!heldBefore && !ConfirmTakeOver(*frame))
        return;
    if (!heldBefore && frame->LockMe() < 1) {
        ShowLockFailed(*frame);
        return;
    }
    const auto giveBack = qScopeGuard([&] {
        if (!heldBefore)
            IgnoreErrors([&] { frame->UnlockMe(); });
    });
    // A list entry knows only its ID and name until it is read; the dialog must show (and write
    // back) the stored header, not empty fields.
    if (frame->LoadFlag == 0)
        frame->LoadOne();
    if (!frame->ReadError().isEmpty()) {
        ReportUnreadable(frame->ReadError());
        return;
    }

    auto dialog = std::make_unique<FrmOrder>(this);
    FillOrderDialog(*dialog, *frame);
    Modals().showModal(*dialog);
    if (dialog->Tag() != QLatin1String("T"))
        return;
    const FrameValues values = ReadOrderValues(*dialog);
    if (const qint32 result = frame->SaveUpdate(values); result < 1) {
        ReportWriteFailure(146, result);
        return;
    }
    if (QTreeWidgetItem* item = TreeItemByKey(QStringLiteral("N") + frame->WorkOrderFrame_ID))
        item->setText(0, values.WorkOrderFrameName);
}

void FrmMain::DeleteWorkOrder()
{
    QTreeWidgetItem* selected = SelectedTreeItem();
    if (!selected) {
        Messages().information(LoadResString(144));
        return;
    }
    const auto answer = Messages().question(LoadResString(140) + selected->text(0) + LoadResString(141),
                                            QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    const QString id = selected->data(0, TreeKeyRole).toString().mid(1);
    if (DBOperate().DeleteWorkOrderFrame(id) <= 0) {
        Messages().information(LoadResString(143));
        return;
    }
    m_treeItems.remove(selected->data(0, TreeKeyRole).toString());
    delete m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(selected));

    // The frame is gone: nothing of it may stay editable or current, or a later save would write
    // nodes and links of a frame that no longer exists.
    if (cWorder* frame = m_workOrders->OneWorkOrder(id)) {
        frame->LoadFlag = 0;
        if (frame->LockFlag() == 1)
            IgnoreErrors([frame] { frame->UnlockMe(); });
    }
    if (m_workOrders->CurWOrder() == id) {
        m_flow->RemoveAllNodes();
        m_flow->setTag(QString());
        m_workOrders->ClearCurWOrder();
        SetEditState(false);
    }
    // The tree's selection stays with the current frame (none when it was the deleted one).
    m_tree->clearSelection();
    m_tree->setCurrentItem(nullptr);
    if (QTreeWidgetItem* current = TreeItemByKey(QStringLiteral("N") + m_workOrders->CurWOrder());
        current && !m_workOrders->CurWOrder().isEmpty())
        m_tree->setCurrentItem(current);

    Messages().information(LoadResString(142));
}

void FrmMain::SaveWorkOrderAs()
{
    cWorder* frame = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder());
    if (!frame)
        return;
    // Unsaved changes are never dropped without asking. Yes: they are saved and the saved frame is
    // copied. No: the copy is made from what is on the screen, and the original goes back to its
    // stored state once the copy exists (the list is read afresh). Cancel, or a failed save: stop.
    const auto answer = AskToSave(*frame, 134);
    if (answer == QMessageBox::Cancel)
        return;
    if (answer == QMessageBox::Yes)
        frame->LoadOne();
    auto dialog = std::make_unique<FrmSaveAs>(this);
    dialog->TxtOldWO->setText(frame->WorkOrderFrameName);
    dialog->TxtNewID->setText(ProposedFrameID());
    Modals().showModal(*dialog);
    if (dialog->Tag() != QLatin1String("T"))
        return;
    // The dialog checked the ID and name without surrounding blanks; the copy gets them so.
    const QString newID = dialog->TxtNewID->text().trimmed();
    const QString newName = dialog->TxtNewName->text().trimmed();
    qint32 copied = -1;
    {
        WorkProgress progress(this, LoadResString(1600).arg(frame->WorkOrderFrameName), frame->SaveasItems());
        copied = frame->Saveas(newID, newName, &progress);
    }
    if (copied < 1) {
        Messages().information(copied == cWorder::IdTakenMeanwhile ? LoadResString(1921).arg(newID)
                                                                   : LoadResString(1025));
        return;
    }
    // The list is rebuilt: `frame` is gone from here on.
    m_workOrders->LoadMeList();
    Messages().information(LoadResString(1026));
    LoadWorkOrderTree();
    QTreeWidgetItem* copy = TreeItemByKey(QStringLiteral("N") + newID);
    if (copy)
        m_tree->setCurrentItem(copy);
    TrvTree_NodeClick(copy);
}

} // namespace korvel
