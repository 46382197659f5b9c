// FrmMain: undo and redo, and steps on the clipboard. Copy puts the selected steps and the links
// between them on the clipboard (docs/clipboard-format.md) with a picture of them; cut also deletes
// them; paste adds them to the current locked frame under fresh IDs. Each change is one step of the
// frame's undo history.
#include "designer/frmmain.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/sameid.h"
#include "designer/flowcanvas.h"
#include "designer/stepclipboard.h"
#include "designer/undocontroller.h"
#include "model/cworders.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QApplication>
#include <QClipboard>
#include <QGraphicsScene>
#include <QHash>
#include <QImage>
#include <QMimeData>
#include <QSet>
#include <QSignalBlocker>
#include <algorithm>

namespace korvel {
namespace {

// How far a paste lands from where the steps were copied, twips; again as often as it would land
// exactly on steps already there.
constexpr int PasteOffset = 300;

// The most one paste takes (docs/clipboard-format.md). Adding steps costs more the more the frame
// has (the canvas places End after each), so 20,000 kept the window busy for many minutes; 2,000
// paste in about a second.
constexpr qsizetype MaxPastedBytes = 4 * 1024 * 1024;
constexpr qsizetype MaxPastedSteps = 2000;

// The steps on the clipboard; throws KorvelError when there are none that can be read, or more
// than one paste takes.
CopiedSteps ClipboardSteps()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(StepsMimeType))
        throw KorvelError(LoadResString(1686));
    const QByteArray payload = data->data(StepsMimeType);
    constexpr qsizetype MiB = 1024 * 1024;
    if (payload.size() > MaxPastedBytes)
        throw KorvelError(LoadResString(1976).arg((payload.size() + MiB - 1) / MiB).arg(MaxPastedBytes / MiB));
    CopiedSteps copied = StepsFromJson(payload);
    if (copied.steps.size() > MaxPastedSteps)
        throw KorvelError(LoadResString(1975).arg(copied.steps.size()).arg(MaxPastedSteps));
    return copied;
}

// A code for a pasted link: its own when neither the frame nor this paste has one like it, else a
// fresh one.
QString PastedLinkCode(const cLinks& frameLinks, const QString& code, QStringList& taken)
{
    const auto free = [&](const QString& candidate) {
        return !candidate.isEmpty() && !frameLinks.LinkIDExists(candidate) &&
               std::none_of(taken.cbegin(), taken.cend(), [&](const QString& t) { return SameId(t, candidate); });
    };
    QString chosen = code;
    for (int attempt = 0; attempt < 32 && !free(chosen); ++attempt)
        chosen = Utility().NewUniqueKey().right(6);
    if (!free(chosen))
        throw KorvelError(QStringLiteral("no free link code for the pasted link ") + code);
    taken << chosen;
    return chosen;
}

} // namespace

void FrmMain::UndoEdit()
{
    if (m_flow->EditMode())
        m_undo->Undo();
}

void FrmMain::RedoEdit()
{
    if (m_flow->EditMode())
        m_undo->Redo();
}

bool FrmMain::ClipboardHasSteps()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasFormat(StepsMimeType);
}

void FrmMain::CopySteps()
{
    cWorder* frame = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder());
    const QList<FlowNodeItem*> shown = SelectedSteps();
    if (!frame || shown.isEmpty())
        return;
    CopiedSteps copied;
    copied.database = DatabaseIdentity();
    copied.frameID = frame->WorkOrderFrame_ID;
    QSet<QString> ids;
    for (const FlowNodeItem* item : shown) {
        const cNode* node = frame->AllNode().OneNode(item->Key().mid(1));
        copied.steps.append(node->Values());
        ids.insert(node->WorkOrderNode_ID());
    }
    for (const auto& [key, link] : frame->AllLink().AllLinks())
        if (link->CanLoadFlag() == 1 && ids.contains(link->FatherNode_ID()) &&
            ids.contains(link->SonNode_ID()))
            copied.links.append(link->Values());
    auto data = std::make_unique<QMimeData>();
    data->setData(StepsMimeType, StepsToJson(copied));
    data->setImageData(m_flow->RenderNodes(shown));
    QApplication::clipboard()->setMimeData(data.release());
}

void FrmMain::CutSteps()
{
    const QList<FlowNodeItem*> shown = SelectedSteps();
    if (!m_flow->EditMode() || shown.isEmpty())
        return;
    CopySteps();
    QStringList ids;
    for (const FlowNodeItem* item : shown)
        ids << item->Key().mid(1);
    DeleteSteps(ids, LoadResString(1679).arg(ids.size()));
}

void FrmMain::PasteSteps()
{
    cWorder* frame = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder());
    if (!frame || !m_flow->EditMode())
        return;
    CopiedSteps copied;
    try {
        copied = ClipboardSteps();
    } catch (const KorvelError& error) {
        Messages().information(error.description());
        return;
    }
    if (copied.database != DatabaseIdentity()) {
        // Handlers, groups and units are keys of the database the steps came from.
        Messages().information(LoadResString(1685));
        return;
    }
    if (copied.steps.isEmpty())
        return;

    // Fresh IDs, all from one read of the IDs in use, unsaved steps of the frame counted as used.
    QStringList newIDs;
    try {
        newIDs = frame->AllNode().ProposeNodeIDs(static_cast<int>(copied.steps.size()));
    } catch (const std::exception&) {
        InformDatabaseUnreadable();
        return;
    }
    QHash<QString, QString> newID;
    for (qsizetype i = 0; i < copied.steps.size(); ++i)
        newID.insert(copied.steps[i].WorkOrderNode_ID, newIDs[i]);

    // Never exactly on steps the frame shows already (the originals, when pasted into their frame).
    QSet<std::pair<int, int>> occupied;
    for (const auto& [key, node] : frame->AllNode().AllNode())
        if (node->CanLoadFlag() == 1)
            occupied.insert({node->NodeLeft(), node->NodeTop()});
    int offset = PasteOffset;
    const auto landsOnAStep = [&] {
        return std::any_of(copied.steps.cbegin(), copied.steps.cend(), [&](const NodeValues& step) {
            return occupied.contains({step.Left + offset, step.Top + offset});
        });
    };
    while (landsOnAStep())
        offset += PasteOffset;

    QList<NodeValues> steps;
    for (NodeValues step : std::as_const(copied.steps)) {
        step.WorkOrderFrame_ID = frame->WorkOrderFrame_ID;
        step.WorkOrderNode_ID = newID.value(step.WorkOrderNode_ID);
        step.Left += offset;
        step.Top += offset;
        // A return step among the pasted ones follows it; one outside stays when this frame has it.
        if (newID.contains(step.ReturnOldStep)) {
            step.ReturnOldStep = newID.value(step.ReturnOldStep);
        } else if (!step.ReturnOldStep.isEmpty()) {
            const cNode* target = frame->AllNode().OneNode(step.ReturnOldStep);
            if (!target || target->CanLoadFlag() != 1)
                step.ReturnOldStep.clear();
        }
        steps.append(step);
    }
    QList<LinkValues> links;
    QStringList codes;
    for (LinkValues link : std::as_const(copied.links)) {
        link.WorkOrderFrame_ID = frame->WorkOrderFrame_ID;
        link.WorkOrderLink_ID = PastedLinkCode(frame->AllLink(), link.WorkOrderLink_ID, codes);
        link.FatherNode_ID = newID.value(link.FatherNode_ID);
        link.SonNode_ID = newID.value(link.SonNode_ID);
        links.append(link);
    }

    UndoController::Group group(*m_undo, LoadResString(1678).arg(steps.size()));
    for (const NodeValues& step : std::as_const(steps))
        m_undo->Edit(LoadResString(1670).arg(step.WorkOrderNode_ID), {step.WorkOrderNode_ID}, {},
                     [step](cWorder& edited) { edited.AllNode().NewNode(step); });
    for (const LinkValues& link : std::as_const(links))
        m_undo->Edit(LoadResString(1673).arg(link.WorkOrderLink_ID), {}, {link.WorkOrderLink_ID},
                     [link](cWorder& edited) { edited.AllLink().NewMe(link); });
    group.Commit();

    // The pasted steps come selected, ready to be moved; the window hears of it once, not once a
    // step (each time it reads the whole selection).
    m_flow->SelectItem(nullptr);
    {
        const QSignalBlocker quiet(m_flow->scene());
        for (const NodeValues& step : std::as_const(steps))
            if (FlowNodeItem* item = m_flow->NodeByKey(QStringLiteral("N") + step.WorkOrderNode_ID))
                item->setSelected(true);
    }
    emit m_flow->SelectionChanged();
}

} // namespace korvel
