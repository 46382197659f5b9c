#include "designer/frmmain.h"

#include "core/addinglobals.h"
#include "core/korvelerror.h"
#include "widgets/uiservices.h"
#include "canvas/flowview.h"
#include "model/cworders.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QTreeWidget>

namespace korvel {

void FrmMain::Toolbar1_ButtonClick(const QString& key)
{
    if (key == QLatin1String("New"))
        NewWorkOrder();
    else if (key == QLatin1String("Del"))
        DeleteWorkOrder();
    else if (key == QLatin1String("Save"))
        SaveWorkOrder();
    else if (key == QLatin1String("Saveas"))
        SaveWorkOrderAs();
    else if (key == QLatin1String("Lock"))
        LockWorkOrder();
    else if (key == QLatin1String("Unlock"))
        UnlockWorkOrder();
    else if (key == QLatin1String("AddNode"))
        AddNodeAt(ViewCentre());
    else if (key == QLatin1String("EditItem"))
        EditSelected();
    else if (key == QLatin1String("DelItem"))
        DeleteSelected();
    else if (key == QLatin1String("AddLink"))
        Menu_AddLink_Click();
    else if (key == QLatin1String("Check"))
        CheckWorkOrder();
    else if (key == QLatin1String("LinkTool"))
        m_flow->setLinkTool(ToolbarButton(key)->isChecked());
    else if (key == QLatin1String("Undo"))
        UndoEdit();
    else if (key == QLatin1String("Redo"))
        RedoEdit();
    else if (key == QLatin1String("Quit"))
        close();
}

void FrmMain::SaveWorkOrder()
{
    cWorder* frame = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder());
    if (!frame || frame->CheckStatus() != 1)
        return;
    CheckBeforeSave(*frame);
    if (!SaveFrame(*frame))
        return;
    // Read back, so every change state starts afresh.
    frame->LoadOne();
    Messages().information(LoadResString(126));
}

void FrmMain::LockWorkOrder()
{
    QTreeWidgetItem* selected = SelectedTreeItem();
    if (!selected)
        return;
    const QString id = selected->data(0, TreeKeyRole).toString().mid(1);
    cWorder* frame = m_workOrders->OneWorkOrder(id);
    if (!frame || !ConfirmTakeOver(*frame))
        return;
    if (frame->LockMe() > 0) {
        frame->LoadFlag = 0;
        // The frame drawn and made editable must be the one just locked, even when the tree's
        // selection had moved away from the current frame.
        if (m_workOrders->CurWOrder() != id)
            m_workOrders->setCurWOrder(id);
        else
            frame->LoadOne();
        SetTreeItemImage(*selected, QStringLiteral("DynOpen"));
        m_flow->Scene().setTag(QString());
        DrawWorkOrder();
        SetEditState(true);
        return;
    }
    ShowLockFailed(*frame);
    ShowLockState();
}

void FrmMain::ShowLockFailed(const cWorder& frame)
{
    HostServices* services = Host().Services();
    if (!services)
        throw KorvelError(QStringLiteral("the host supplies no services"));
    QString ownerName, ownerId;
    services->GetLockOwner(ownerName, ownerId);
    QString text = LoadResString(136) + QStringLiteral("\r\n") + LoadResString(137) + ownerName +
                   LoadResString(138) + ownerId + LoadResString(139);
    // Since when, unless the lock changed hands (or went) in the meantime.
    LockHolder holder;
    if (frame.GetLockHolder(holder) && holder.staffId == ownerId)
        text += QStringLiteral("\r\n") + LoadResString(1004) + holder.since;
    Messages().information(text);
}

bool FrmMain::ConfirmTakeOver(const cWorder& frame)
{
    LockHolder holder;
    if (frame.LockFlag() == 1 || !frame.GetLockHolder(holder) || !holder.mineElsewhere)
        return true;
    return Messages().question(LoadResString(1005).arg(holder.since), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void FrmMain::UnlockWorkOrder()
{
    QTreeWidgetItem* selected = SelectedTreeItem();
    if (!selected || !m_workOrders->OneWorkOrder(selected->data(0, TreeKeyRole).toString().mid(1)))
        return;
    cWorder* frame = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder());
    if (!frame)
        return;
    // Cancelled, or a failed save: the frame stays locked with its changes.
    if (!OfferSave(134))
        return;
    if (frame->UnlockMe() > 0) {
        frame->LoadFlag = 0;
        frame->LoadOne();
        m_flow->Scene().setTag(QString());
        DrawWorkOrder();
        // The icon belongs to the frame just unlocked, which the selection may no longer show.
        if (QTreeWidgetItem* item = TreeItemByKey(QStringLiteral("N") + frame->WorkOrderFrame_ID))
            SetTreeItemImage(*item, QStringLiteral("DynClose"));
        SetEditState(false);
        return;
    }
    Messages().information(LoadResString(135));
}

} // namespace korvel
