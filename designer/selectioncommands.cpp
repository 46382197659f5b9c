// The commands on the selected steps. Copy puts the selected steps and the links between them on
// the clipboard (docs/clipboard-format.md) with a picture of them; cut also deletes them; paste adds
// them to the current locked frame under fresh IDs. Every move, by the mouse, the keys, aligning or
// distributing, is one entry of the frame's history (FrameController); nudges by the keys merge.
// Each change is one step of the frame's undo history.
#include "designer/selectioncommands.h"

#include "canvas/flowview.h"
#include "canvas/frameitems.h"
#include "canvas/stepspicture.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/sameid.h"
#include "designer/stepcommands.h"
#include "document/arrangement.h"
#include "document/framecontroller.h"
#include "exchange/stepclipboard.h"
#include "model/coordinates.h"
#include "model/cworders.h"
#include "resources/stringtable.h"
#include "widgets/failurereport.h"
#include "widgets/uiservices.h"

#include <QApplication>
#include <QClipboard>
#include <QGraphicsScene>
#include <QMimeData>
#include <QSet>
#include <QSignalBlocker>

namespace korvel {
namespace {

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

// The boxes of the selected steps, for the arrangement arithmetic.
QList<StepBox> Boxes(const QList<FlowNodeItem*>& steps)
{
    QList<StepBox> boxes;
    boxes.reserve(steps.size());
    for (const FlowNodeItem* step : steps)
        boxes.append({step->Key().mid(1), step->Left(), step->Top(), step->Width(), step->Height()});
    return boxes;
}

} // namespace

SelectionCommands::SelectionCommands(cWOrders& workOrders, FrameController& frames, FlowView& flow, StepCommands& steps)
    : m_workOrders(workOrders), m_frames(frames), m_flow(flow), m_steps(steps)
{
}

bool SelectionCommands::ClipboardHasSteps()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasFormat(StepsMimeType);
}

void SelectionCommands::CopySteps()
{
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    const QList<FlowNodeItem*> shown = m_steps.SelectedSteps();
    if (!frame || shown.isEmpty())
        return;
    CopiedSteps copied;
    copied.database = DatabaseIdentity();
    copied.frameID = frame->WorkOrderFrame_ID;
    QSet<QString> ids;
    for (const FlowNodeItem* item : shown) {
        const cNode* node = frame->AllNode().OneNode(item->Key().mid(1));
        copied.steps.append(node->Values());
        ids.insert(IdKey(node->WorkOrderNode_ID()));
    }
    for (const auto& [key, link] : frame->AllLink().AllLinks())
        if (link->CanLoadFlag() == 1 && ids.contains(IdKey(link->FatherNode_ID())) &&
            ids.contains(IdKey(link->SonNode_ID())))
            copied.links.append(link->Values());
    QApplication::clipboard()->setMimeData(new StepsMimeData(std::move(copied), m_flow.Zoom()));
}

void SelectionCommands::CutSteps()
{
    const QList<FlowNodeItem*> shown = m_steps.SelectedSteps();
    if (!m_flow.Scene().EditMode() || shown.isEmpty())
        return;
    CopySteps();
    m_frames.DeleteItems(m_workOrders.CurWOrder(), m_steps.SelectedStepIDs(), m_steps.SelectedLinkKeys(), true);
}

void SelectionCommands::PasteSteps()
{
    const QPointF middle = m_flow.mapToScene(m_flow.viewport()->rect().center());
    PasteStepsAt(m_flow.MouseScenePos().value_or(middle));
}

void SelectionCommands::PasteStepsAt(const QPointF& place)
{
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    if (!frame || !m_flow.Scene().EditMode())
        return;
    CopiedSteps copied;
    try {
        copied = ClipboardSteps();
    } catch (const KorvelError& error) {
        Messages().warning(error.description());
        return;
    }
    if (copied.database != DatabaseIdentity()) {
        // Handlers, groups and units are keys of the database the steps came from.
        Messages().warning(LoadResString(1685));
        return;
    }
    const PastePlace where{QPoint(ClampedCoordinate(place.x()), ClampedCoordinate(place.y())),
                           QSize(qRound(StepBoxWidth), qRound(StepBoxHeight))};
    const FrameController::Outcome pasted = m_frames.Paste(frame->WorkOrderFrame_ID, copied.steps, copied.links, where);
    if (!pasted.refusal.isEmpty())
        ReportRefusal(pasted.refusal);
    if (!pasted.done)
        return;

    // The pasted steps come selected, ready to be moved; the window hears of it once, not once a
    // step (each time it reads the whole selection).
    m_flow.Scene().SelectItem(nullptr);
    {
        const QSignalBlocker quiet(m_flow.scene());
        for (const QString& id : pasted.stepIDs)
            if (FlowNodeItem* item = m_flow.Scene().NodeByKey(QStringLiteral("N") + id))
                item->setSelected(true);
    }
    emit m_flow.SelectionChanged();
}

void SelectionCommands::MoveSteps(const QList<std::pair<QString, QPoint>>& places, const QString& text)
{
    m_frames.MoveSteps(m_workOrders.CurWOrder(), places, text);
}

void SelectionCommands::MoveSelection(const QPointF& delta)
{
    if (m_flow.Scene().EditMode())
        m_frames.Nudge(m_workOrders.CurWOrder(), Boxes(m_steps.SelectedSteps()), delta);
}

void SelectionCommands::Arrange(StepPlaces (*arrangement)(const QList<StepBox>&), qint32 textId)
{
    if (m_flow.Scene().EditMode())
        MoveSteps(arrangement(Boxes(m_steps.SelectedSteps())), LoadResString(textId));
}

void SelectionCommands::SelectAll()
{
    m_flow.Scene().SelectAllSteps();
}

void SelectionCommands::AFFlow_MouseUp()
{
    // A drag moves every selected step; each one's new place is recorded, all as one step of the
    // history. Only a real move marks a step changed.
    QList<std::pair<QString, QPoint>> places;
    for (const FlowNodeItem* shown : m_steps.SelectedSteps())
        places.append({shown->Key().mid(1), QPoint(qRound(shown->Left()), qRound(shown->Top()))});
    MoveSteps(places, QString());
}

} // namespace korvel
