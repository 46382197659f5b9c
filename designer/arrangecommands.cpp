// FrmMain: arranging the selected steps. Every move, by the mouse, the keys, aligning or
// distributing, is one entry of the frame's history (FrameController); nudges by the keys merge.
#include "designer/frmmain.h"

#include "canvas/flowview.h"
#include "document/arrangement.h"
#include "document/framecontroller.h"
#include "model/cworders.h"
#include "resources/stringtable.h"

#include <QAction>

namespace korvel {

void FrmMain::MoveSteps(const QList<std::pair<QString, QPoint>>& places, const QString& text)
{
    m_frames->MoveSteps(m_workOrders->CurWOrder(), places, text);
}

namespace {

// The boxes of the selected steps, for the arrangement arithmetic.
QList<StepBox> Boxes(const QList<FlowNodeItem*>& steps)
{
    QList<StepBox> boxes;
    boxes.reserve(steps.size());
    for (const FlowNodeItem* step : steps)
        boxes.append({step->Key().mid(1), step->Left(), step->Top(), step->Width()});
    return boxes;
}

} // namespace

void FrmMain::MoveSelection(const QPointF& delta)
{
    if (m_flow->Scene().EditMode())
        m_frames->Nudge(m_workOrders->CurWOrder(), Boxes(SelectedSteps()), delta);
}

void FrmMain::AlignLeft()
{
    if (m_flow->Scene().EditMode())
        MoveSteps(AlignedLeft(Boxes(SelectedSteps())), LoadResString(1659));
}

void FrmMain::AlignTop()
{
    if (m_flow->Scene().EditMode())
        MoveSteps(AlignedTop(Boxes(SelectedSteps())), LoadResString(1660));
}

void FrmMain::AlignCentre()
{
    if (m_flow->Scene().EditMode())
        MoveSteps(AlignedCentres(Boxes(SelectedSteps())), LoadResString(1661));
}

void FrmMain::DistributeHorizontally()
{
    if (m_flow->Scene().EditMode())
        MoveSteps(DistributedHorizontally(Boxes(SelectedSteps())), LoadResString(1662));
}

void FrmMain::SelectAll()
{
    m_flow->Scene().SelectAllSteps();
}

void FrmMain::ShowGrid()
{
    if (QAction* grid = MenuBarAction(QStringLiteral("Grid")))
        m_flow->Scene().setGridVisible(grid->isChecked());
}

} // namespace korvel
