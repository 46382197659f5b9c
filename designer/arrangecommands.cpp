#include "designer/arrangecommands.h"

#include "canvas/flownodeitem.h"
#include "canvas/flowview.h"
#include "canvas/frameitems.h"
#include "core/korvelerror.h"
#include "designer/frmmain.h"
#include "designer/selectioncommands.h"
#include "designer/stepcommands.h"
#include "designer/viewcommands.h"
#include "model/cworders.h"
#include "model/flowlayout.h"
#include "resources/stringtable.h"
#include "widgets/failurereport.h"
#include "widgets/uiservices.h"

#include <QAction>

namespace korvel {
namespace {

// String-table ids.
enum : qint32 {
    MsgArrangedFlow = 2174,
    MsgArrangedSelection = 2175,
};

} // namespace

ArrangeCommands::ArrangeCommands(FrmMain& window, cWOrders& workOrders, FlowView& flow)
    : m_window(window), m_workOrders(workOrders), m_flow(flow)
{
}

void ArrangeCommands::SetCommandStates()
{
    const bool editable = m_flow.Scene().EditMode();
    if (QAction* flow = m_window.MenuBarAction(QStringLiteral("ArrangeFlow")))
        flow->setEnabled(editable);
    if (QAction* selection = m_window.MenuBarAction(QStringLiteral("ArrangeSelection")))
        selection->setEnabled(editable && m_flow.Scene().SelectedStepCount() >= 2);
}

void ArrangeCommands::ArrangeFlow()
{
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    if (!frame || !m_flow.Scene().EditMode())
        return;
    StepPlaces places;
    try {
        places = ArrangedFlow(*frame, LayoutBoxes(*frame));
    } catch (const KorvelError& error) {
        ReportRefusal(error.description());
        return;
    }
    m_window.Selection().MoveSteps(places, LoadResString(MsgArrangedFlow));
    m_window.View().ZoomFit();
}

void ArrangeCommands::ArrangeSelection()
{
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    const QList<FlowNodeItem*> selected = m_window.Steps().SelectedSteps();
    if (!frame || !m_flow.Scene().EditMode() || selected.size() < 2)
        return;
    QStringList ids;
    for (const FlowNodeItem* step : selected)
        ids << step->Key().mid(1);
    StepPlaces places;
    try {
        places = ArrangedSteps(*frame, LayoutBoxes(*frame), ids);
    } catch (const KorvelError& error) {
        ReportRefusal(error.description());
        return;
    }
    m_window.Selection().MoveSteps(places, LoadResString(MsgArrangedSelection));
    m_window.View().ZoomFit();
}

} // namespace korvel
