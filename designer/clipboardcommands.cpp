// FrmMain: undo and redo, and steps on the clipboard. Copy puts the selected steps and the links
// between them on the clipboard (docs/clipboard-format.md) with a picture of them; cut also deletes
// them; paste adds them to the current locked frame under fresh IDs. Each change is one step of the
// frame's undo history.
#include "designer/frmmain.h"

#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/sameid.h"
#include "widgets/uiservices.h"
#include "canvas/flowview.h"
#include "document/framecontroller.h"
#include "exchange/stepclipboard.h"
#include "model/cworders.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QApplication>
#include <QClipboard>
#include <QGraphicsScene>
#include <QImage>
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

} // namespace

void FrmMain::UndoEdit()
{
    if (m_flow->Scene().EditMode())
        m_frames->Undo(m_workOrders->CurWOrder());
}

void FrmMain::RedoEdit()
{
    if (m_flow->Scene().EditMode())
        m_frames->Redo(m_workOrders->CurWOrder());
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
        ids.insert(IdKey(node->WorkOrderNode_ID()));
    }
    for (const auto& [key, link] : frame->AllLink().AllLinks())
        if (link->CanLoadFlag() == 1 && ids.contains(IdKey(link->FatherNode_ID())) &&
            ids.contains(IdKey(link->SonNode_ID())))
            copied.links.append(link->Values());
    auto data = std::make_unique<QMimeData>();
    data->setData(StepsMimeType, StepsToJson(copied));
    data->setImageData(m_flow->Scene().RenderNodes(shown, m_flow->Zoom()));
    QApplication::clipboard()->setMimeData(data.release());
}

void FrmMain::CutSteps()
{
    const QList<FlowNodeItem*> shown = SelectedSteps();
    if (!m_flow->Scene().EditMode() || shown.isEmpty())
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
    if (!frame || !m_flow->Scene().EditMode())
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
    const FrameController::Outcome pasted = m_frames->Paste(frame->WorkOrderFrame_ID, copied.steps, copied.links);
    if (!pasted.refusal.isEmpty())
        Messages().information(pasted.refusal);
    if (!pasted.done)
        return;

    // The pasted steps come selected, ready to be moved; the window hears of it once, not once a
    // step (each time it reads the whole selection).
    m_flow->Scene().SelectItem(nullptr);
    {
        const QSignalBlocker quiet(m_flow->scene());
        for (const QString& id : pasted.stepIDs)
            if (FlowNodeItem* item = m_flow->Scene().NodeByKey(QStringLiteral("N") + id))
                item->setSelected(true);
    }
    emit m_flow->SelectionChanged();
}

} // namespace korvel
