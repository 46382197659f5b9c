// The commands on whole frames: new frame, header edit, delete and save as.
#include "designer/frmmain.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "widgets/uiservices.h"
#include "canvas/flowview.h"
#include "designer/workprogress.h"
#include "canvas/scenemapper.h"
#include "dialogs/frmorder.h"
#include "document/framecontroller.h"
#include "dialogs/frmsaveas.h"
#include "model/cworders.h"
#include "persistence/cdboperate.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QLineEdit>
#include <QScopeGuard>
#include <QTreeWidget>
#include <memory>

namespace korvel {

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
    const FrameValues values = dialog->Values();
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
    dialog->Show(*frame);
    Modals().showModal(*dialog);
    if (dialog->Tag() != QLatin1String("T"))
        return;
    const FrameValues values = dialog->Values();
    if (const qint32 result = frame->SaveUpdate(values); result < 1) {
        ReportWriteFailure(146, result);
        return;
    }
    if (QTreeWidgetItem* item = TreeItemByKey(QStringLiteral("N") + frame->WorkOrderFrame_ID))
        item->setText(0, values.WorkOrderFrameName);
}

void FrmMain::DeleteWorkOrder()
{
    // The frame deleted is the one shown, which is the one the tree highlights.
    const QString id = m_workOrders->CurWOrder();
    cWorder* frame = id.isEmpty() ? nullptr : m_workOrders->OneWorkOrder(id);
    QTreeWidgetItem* selected = frame ? TreeItemByKey(QStringLiteral("N") + id) : nullptr;
    if (!selected) {
        Messages().information(LoadResString(144));
        return;
    }
    // Only under the frame's lock, like every other change: another user's lock refuses it.
    if (frame->LockFlag() != 1) {
        if (!ConfirmTakeOver(*frame))
            return;
        if (frame->LockMe() < 1) {
            ShowLockFailed(*frame);
            ShowLockState();
            return;
        }
    }
    const auto answer = Messages().question(LoadResString(140) + selected->text(0) + LoadResString(141),
                                            QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    if (DBOperate().DeleteWorkOrderFrame(id) <= 0) {
        Messages().information(LoadResString(143));
        return;
    }
    m_treeItems.remove(selected->data(0, TreeKeyRole).toString());
    delete m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(selected));

    // The frame is gone: nothing of it may stay editable or current, or a later save would write
    // nodes and links of a frame that no longer exists; its history goes with it.
    m_frames->Close(id);
    frame->LoadFlag = 0;
    if (frame->LockFlag() == 1)
        IgnoreErrors([frame] { frame->UnlockMe(); });
    m_mapper->Show(nullptr);
    m_flow->Scene().RemoveAllNodes();
    m_flow->Scene().setTag(QString());
    m_workOrders->ClearCurWOrder();
    SetEditState(false);
    m_tree->clearSelection();
    m_tree->setCurrentItem(nullptr);

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
