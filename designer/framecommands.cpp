// The commands on whole frames: new frame, header edit, delete, save as, save, lock and unlock, and
// the questions and reports that come with saving and locking.
#include "designer/framecommands.h"

#include "canvas/flowview.h"
#include "canvas/scenemapper.h"
#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/failurecause.h"
#include "core/korvelerror.h"
#include "designer/flowtools.h"
#include "designer/frametree.h"
#include "designer/frmopenframe.h"
#include "designer/frmmain.h"
#include "designer/windowstatus.h"
#include "designer/workprogress.h"
#include "dialogs/frmorder.h"
#include "dialogs/frmsaveas.h"
#include "document/framecontroller.h"
#include "document/framedocument.h"
#include "model/cworders.h"
#include "persistence/cdboperate.h"
#include "resources/stringtable.h"
#include "widgets/failurereport.h"
#include "widgets/uiservices.h"

#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <memory>

namespace korvel {
namespace {

// String-table ids.
enum : qint32 {
    MsgLockFailed = 136,
    MsgUnlockFailed = 135,
    MsgLockGone = 2270,
};

} // namespace

FrameCommands::FrameCommands(FrmMain& window, cWOrders& workOrders, FrameController& frames, SceneMapper& mapper,
                             FlowView& flow, FrameTree& tree, WindowStatus& status, FlowTools& tools)
    : m_window(window), m_workOrders(workOrders), m_frames(frames), m_mapper(mapper), m_flow(flow), m_tree(tree),
      m_status(status), m_tools(tools)
{
}

QString FrameCommands::ProposedFrameID()
{
    return Utility().NewUniqueKey().right(6);
}

QString FrameCommands::AskNewFrameID(QWidget* parent, const QString& title, const QString& frameId,
                                     const QString& name, const QString& explanation)
{
    FrmSaveAs dialog(parent);
    dialog.setWindowTitle(title);
    dialog.LblExplain->setText(explanation);
    dialog.LblExplain->setVisible(!explanation.isEmpty());
    dialog.TxtOldWO->setText(name);
    dialog.TxtNewID->setText(ProposedFrameID());
    // The frame keeps its name; the dialog's name check only needs one.
    dialog.TxtNewName->setText(name.trimmed().isEmpty() ? frameId : name.trimmed());
    dialog.Label2->hide();
    dialog.TxtNewName->hide();
    Modals().showModal(dialog);
    return dialog.Tag() == QLatin1String("T") ? dialog.TxtNewID->text().trimmed() : QString();
}

void FrameCommands::OpenFrame()
{
    FrmOpenFrame dialog(m_workOrders, &m_window);
    Modals().showModal(dialog);
    const QString id = dialog.Chosen();
    if (dialog.result() != QDialog::Accepted || id.isEmpty() || id == m_workOrders.CurWOrder())
        return;
    // The way a tree click goes: the question about unsaved changes first, and a Cancel stays put.
    m_tree.SelectFrame(id);
    m_window.TrvTree_NodeClick(id);
}

void FrameCommands::NewWorkOrder()
{
    auto dialog = std::make_unique<FrmOrder>(&m_window);
    dialog->TxtID->setText(ProposedFrameID());
    Modals().showModal(*dialog);
    if (dialog->Tag() != QLatin1String("T"))
        return;
    const FrameValues values = dialog->Values();
    // The tree follows the list: the new frame's row appears at the end.
    if (m_workOrders.AddOneWorkOrder(values) < 1)
        ReportLoggedFailure(LoadResString(145));
}

void FrameCommands::EditHeader()
{
    const QString id = m_tree.SelectedFrame();
    cWorder* frame = m_workOrders.OneWorkOrder(id);
    if (!frame)
        return;
    // The header is edited under the frame's lock like every other change: taken for this edit
    // when nobody holds it, and given back afterwards unless the user held it already.
    const bool heldBefore = frame->LockFlag() == 1;
    if (!heldBefore && !ConfirmTakeOver(*frame))
        return;
    if (const quint64 errors = LoggedErrorCount(); !heldBefore && frame->LockMe() < 1) {
        ShowLockFailed(*frame, errors);
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

    auto dialog = std::make_unique<FrmOrder>(&m_window);
    dialog->Show(*frame);
    Modals().showModal(*dialog);
    if (dialog->Tag() != QLatin1String("T"))
        return;
    const FrameValues values = dialog->Values();
    if (const qint32 result = frame->SaveUpdate(values); result < 1) {
        ReportWriteFailure(146, result, *frame);
        return;
    }
    m_tree.RefreshFrame(id);
}

void FrameCommands::DeleteWorkOrder()
{
    // The frame deleted is the one shown, which is the one the tree highlights.
    const QString id = m_workOrders.CurWOrder();
    cWorder* frame = id.isEmpty() ? nullptr : m_workOrders.OneWorkOrder(id);
    if (!frame) {
        Messages().warning(LoadResString(144));
        return;
    }
    // Only under the frame's lock, like every other change: another user's lock refuses it.
    if (frame->LockFlag() != 1) {
        if (!ConfirmTakeOver(*frame))
            return;
        if (const quint64 errors = LoggedErrorCount(); frame->LockMe() < 1) {
            ShowLockFailed(*frame, errors);
            m_status.ShowLockState();
            return;
        }
    }
    const QString caption = LoadResString(1811).arg(frame->WorkOrderFrameName, id);
    const auto answer = Messages().question(LoadResString(140) + caption + LoadResString(141),
                                            QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    if (frame->DeleteMe() <= 0) {
        ReportLoggedFailure(LoadResString(143));
        return;
    }

    // The frame is gone: nothing of it may stay editable, current or listed, or a later save would
    // write nodes and links of a frame that no longer exists; its history goes with it.
    m_frames.Close(id);
    if (frame->LockFlag() == 1)
        IgnoreErrors([frame] { frame->UnlockMe(); });
    m_workOrders.RemoveWorkOrder(id); // and with the entry its tree row and the frame object
    m_mapper.Show(nullptr);
    m_flow.Scene().RemoveAllNodes();
    m_flow.Scene().setTag(QString());
    m_workOrders.ClearCurWOrder();
    m_window.SetEditState(false);
    m_tree.SelectFrame(QString());

    Messages().information(LoadResString(142));
}

void FrameCommands::SaveWorkOrderAs()
{
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
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
    auto dialog = std::make_unique<FrmSaveAs>(&m_window);
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
        WorkProgress progress(&m_window, LoadResString(1600).arg(frame->WorkOrderFrameName), frame->SaveasItems());
        copied = frame->Saveas(newID, newName, &progress);
    }
    if (copied == cWorder::IdTakenMeanwhile) {
        Messages().warning(LoadResString(1921).arg(newID));
        return;
    }
    if (copied < 1) {
        ReportLoggedFailure(LoadResString(1025));
        return;
    }
    // The list is rebuilt, and the tree with it: `frame` is gone from here on.
    m_workOrders.LoadMeList();
    Messages().information(LoadResString(1026));
    const bool listed = m_workOrders.RowOf(newID) >= 0;
    if (listed)
        m_tree.SelectFrame(newID);
    m_window.TrvTree_NodeClick(listed ? newID : QString());
}

void FrameCommands::SaveWorkOrder()
{
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    if (!frame || frame->CheckStatus() != 1)
        return;
    m_tools.CheckBeforeSave(*frame);
    if (!SaveFrame(*frame))
        return;
    // Read back, so every change state starts afresh (and the status bar names the saver).
    frame->LoadOne();
    m_status.ShowLockState();
    Messages().information(LoadResString(126));
}

void FrameCommands::LockWorkOrder()
{
    const QString id = m_tree.SelectedFrame();
    cWorder* frame = m_workOrders.OneWorkOrder(id);
    if (!frame || !ConfirmTakeOver(*frame))
        return;
    const quint64 errors = LoggedErrorCount();
    if (m_frames.Open(id)->Lock() > 0) {
        frame->LoadFlag = 0;
        // The frame drawn and made editable must be the one just locked, even when the tree's
        // selection had moved away from the current frame.
        if (m_workOrders.CurWOrder() != id)
            m_workOrders.setCurWOrder(id);
        else
            frame->LoadOne();
        m_tree.RefreshFrame(id);
        m_flow.Scene().setTag(QString());
        m_window.DrawWorkOrder();
        m_window.SetEditState(true);
        return;
    }
    ShowLockFailed(*frame, errors);
    IgnoreErrors([&] { m_workOrders.RefreshLock(id); }); // the tool tip names who has it now
    m_status.ShowLockState();
}

void FrameCommands::UnlockWorkOrder()
{
    if (!m_workOrders.OneWorkOrder(m_tree.SelectedFrame()))
        return;
    const QString id = m_workOrders.CurWOrder();
    cWorder* frame = m_workOrders.OneWorkOrder(id);
    if (!frame)
        return;
    // Cancelled, or a failed save: the frame stays locked with its changes.
    if (!OfferSave(134))
        return;
    const quint64 errors = LoggedErrorCount();
    if (m_frames.Open(frame->WorkOrderFrame_ID)->Unlock() > 0) {
        frame->LoadFlag = 0;
        frame->LoadOne();
        m_flow.Scene().setTag(QString());
        m_window.DrawWorkOrder();
        // The icon and tool tip belong to the frame just unlocked, which the selection may no
        // longer show; the holder read at start-up is long out of date.
        IgnoreErrors([&] { m_workOrders.RefreshLock(id); });
        m_tree.RefreshFrame(id);
        m_window.SetEditState(false);
        return;
    }
    // Nothing logged: the host had no lock of this session's to give back, someone broke it.
    if (LoggedErrorCount() != errors)
        ReportLoggedFailure(LoadResString(MsgUnlockFailed));
    else
        Messages().warning(LoadResString(MsgUnlockFailed) + QStringLiteral("\r\n") + LoadResString(MsgLockGone));
}

void FrameCommands::ShowLockFailed(const cWorder& frame, quint64 errorsBefore)
{
    // An error logged by the attempt: the database failed, rather than someone holding the lock.
    if (LoggedErrorCount() != errorsBefore) {
        ReportLoggedFailure(LoadResString(MsgLockFailed));
        return;
    }
    QString ownerName, ownerId;
    Services().GetLockOwner(ownerName, ownerId);
    QString text = LoadResString(136) + QStringLiteral("\r\n") + LoadResString(137) + ownerName +
                   LoadResString(138) + ownerId + LoadResString(139);
    // Since when, unless the lock changed hands (or went) in the meantime.
    LockHolder holder;
    if (frame.GetLockHolder(holder) && holder.staffId == ownerId) {
        text += QStringLiteral("\r\n") + LoadResString(1004) + holder.since;
        if (holder.sessionEnded)
            text += QStringLiteral("\r\n") + LoadResString(2022).arg(frame.WorkOrderFrame_ID);
    }
    Messages().warning(text);
}

bool FrameCommands::ConfirmTakeOver(cWorder& frame)
{
    LockHolder holder;
    if (frame.LockFlag() == 1 || !frame.GetLockHolder(holder) || !holder.mineElsewhere)
        return true;
    // Taken from the other window only now the user agreed; that window's next save is refused.
    return Messages().question(LoadResString(1005).arg(holder.since), QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes &&
           frame.TakeOverLock() == 1;
}

bool FrameCommands::OfferSave(qint32 questionId)
{
    const QString current = m_workOrders.CurWOrder();
    cWorder* frame = current.isEmpty() ? nullptr : m_workOrders.OneWorkOrder(current);
    if (!frame)
        return true;
    const auto answer = AskToSave(*frame, questionId);
    if (answer == QMessageBox::NoButton)
        return true;
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::No) {
        frame->LoadFlag = 0;
        if (FrameDocument* document = m_frames.Find(frame->WorkOrderFrame_ID))
            document->Reload();
    }
    // The frame is read again when it next becomes current; the drawing of the old state must not
    // survive that, even when the same frame is clicked again.
    m_flow.Scene().setTag(QString());
    return true;
}

QMessageBox::StandardButton FrameCommands::AskToSave(cWorder& frame, qint32 questionId)
{
    if (!Unsaved(frame))
        return QMessageBox::NoButton;
    const auto answer = Messages().question(LoadResString(questionId) + QStringLiteral("[") +
                                                frame.WorkOrderFrameName + QStringLiteral("]"),
                                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer != QMessageBox::Yes)
        return answer == QMessageBox::No ? QMessageBox::No : QMessageBox::Cancel;
    if (!SaveFrame(frame))
        return QMessageBox::Cancel;
    // The title's mark and "Unsaved changes" go now, not after whatever the save came before.
    m_window.ShowWindowState();
    Messages().information(LoadResString(126));
    return QMessageBox::Yes;
}

bool FrameCommands::SaveFrame(cWorder& frame)
{
    const qint32 result = frame.SaveMe();
    if (result < 1) {
        ReportWriteFailure(127, result, frame);
        return false;
    }
    frame.LoadFlag = 0;
    if (FrameDocument* document = m_frames.Find(frame.WorkOrderFrame_ID))
        document->Reload();
    return true;
}

void FrameCommands::ReportWriteFailure(qint32 messageId, qint32 result, const cWorder& frame)
{
    QString text = LoadResString(messageId);
    // The frame stays as the user left it, edits and all: they can be saved as a copy.
    if (!frame.SaveRefusal().isEmpty()) {
        Messages().warning(text + QStringLiteral("\r\n") + frame.SaveRefusal());
        return;
    }
    if (result == NoRowMatched) {
        Messages().warning(text + QStringLiteral("\r\n") + LoadResString(1001));
        return;
    }
    ReportLoggedFailure(text);
}

void FrameCommands::ReportUnreadable(const QString& error)
{
    const QSqlDatabase& database = Addin().DBConnection;
    QString name = database.databaseName();
    if (!database.hostName().isEmpty())
        name = database.hostName() + QStringLiteral("/") + name;
    ReportFailure(LoadResString(1003).arg(name), error);
}

bool FrameCommands::Unsaved(const cWorder& frame)
{
    return frame.LoadFlag != 0 && frame.CheckStatus() == 1;
}

} // namespace korvel
