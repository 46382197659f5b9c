// FrmMain: arranging the selected steps. Every move, by the mouse, the keys, aligning or
// distributing, is one step of the undo history that records the new place of every moved step.
#include "designer/frmmain.h"

#include "canvas/flowview.h"
#include "designer/undocontroller.h"
#include "model/cworders.h"
#include "resources/stringtable.h"

#include <QAction>
#include <algorithm>

namespace korvel {

void FrmMain::MoveSteps(const QList<std::pair<QString, QPoint>>& places, const QString& text)
{
    cWorder* frame = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder());
    if (!frame)
        return;
    QList<std::pair<QString, QPoint>> moved;
    for (const auto& [id, place] : places) {
        const cNode* node = frame->AllNode().OneNode(id);
        if (node && node->CanLoadFlag() == 1 &&
            (node->NodeLeft() != place.x() || node->NodeTop() != place.y()))
            moved.append({id, place});
    }
    if (moved.isEmpty())
        return;
    const QString name = !text.isEmpty()     ? text
                         : moved.size() == 1 ? LoadResString(1676).arg(moved.constFirst().first)
                                             : LoadResString(1677).arg(moved.size());
    UndoController::Group group(*m_undo, name);
    for (const auto& [id, place] : std::as_const(moved))
        m_undo->Edit(LoadResString(1676).arg(id), {id}, {}, [id, place](cWorder& edited) {
            cNode* node = edited.AllNode().OneNode(id);
            if (!node)
                return;
            if (node->NodeLeft() != place.x())
                node->setNodeLeft(place.x());
            if (node->NodeTop() != place.y())
                node->setNodeTop(place.y());
        });
    group.Commit();
}

void FrmMain::MoveSelection(const QPointF& delta)
{
    if (!m_flow->Scene().EditMode())
        return;
    const QList<FlowNodeItem*> steps = SelectedSteps();
    if (steps.isEmpty())
        return;
    // The whole selection stops at the canvas's top and left edges, keeping its shape.
    double minLeft = steps.constFirst()->Left();
    double minTop = steps.constFirst()->Top();
    for (const FlowNodeItem* step : steps) {
        minLeft = std::min(minLeft, step->Left());
        minTop = std::min(minTop, step->Top());
    }
    const QPoint by(qRound(std::max(delta.x(), -minLeft)), qRound(std::max(delta.y(), -minTop)));
    QList<std::pair<QString, QPoint>> places;
    for (const FlowNodeItem* step : steps)
        places.append({step->Key().mid(1), QPoint(qRound(step->Left()), qRound(step->Top())) + by});
    MoveSteps(places, QString());
}

namespace {

// The new place of each step, from its box.
template <typename Place>
QList<std::pair<QString, QPoint>> Arranged(const QList<FlowNodeItem*>& steps, Place place)
{
    QList<std::pair<QString, QPoint>> places;
    for (const FlowNodeItem* step : steps)
        places.append({step->Key().mid(1), place(*step)});
    return places;
}

} // namespace

void FrmMain::AlignLeft()
{
    const QList<FlowNodeItem*> steps = SelectedSteps();
    if (!m_flow->Scene().EditMode() || steps.size() < 2)
        return;
    const double left = (*std::min_element(steps.cbegin(), steps.cend(), [](auto* a, auto* b) {
                            return a->Left() < b->Left();
                        }))->Left();
    MoveSteps(Arranged(steps, [&](const FlowNodeItem& s) { return QPoint(qRound(left), qRound(s.Top())); }),
              LoadResString(1659));
}

void FrmMain::AlignTop()
{
    const QList<FlowNodeItem*> steps = SelectedSteps();
    if (!m_flow->Scene().EditMode() || steps.size() < 2)
        return;
    const double top = (*std::min_element(steps.cbegin(), steps.cend(), [](auto* a, auto* b) {
                           return a->Top() < b->Top();
                       }))->Top();
    MoveSteps(Arranged(steps, [&](const FlowNodeItem& s) { return QPoint(qRound(s.Left()), qRound(top)); }),
              LoadResString(1660));
}

void FrmMain::AlignCentre()
{
    const QList<FlowNodeItem*> steps = SelectedSteps();
    if (!m_flow->Scene().EditMode() || steps.size() < 2)
        return;
    // The centres line up on the middle of the selection's width.
    double left = steps.constFirst()->Left();
    double right = left + steps.constFirst()->Width();
    for (const FlowNodeItem* step : steps) {
        left = std::min(left, step->Left());
        right = std::max(right, step->Left() + step->Width());
    }
    const double centre = (left + right) / 2;
    MoveSteps(Arranged(steps,
                       [&](const FlowNodeItem& s) {
                           return QPoint(qRound(centre - s.Width() / 2), qRound(s.Top()));
                       }),
              LoadResString(1661));
}

void FrmMain::DistributeHorizontally()
{
    QList<FlowNodeItem*> steps = SelectedSteps();
    if (!m_flow->Scene().EditMode() || steps.size() < 3)
        return;
    // The leftmost and rightmost stay; the others share the room between them evenly, in the order
    // they stand.
    std::stable_sort(steps.begin(), steps.end(), [](auto* a, auto* b) { return a->Left() < b->Left(); });
    const double first = steps.constFirst()->Left();
    const double gap = (steps.constLast()->Left() - first) / static_cast<double>(steps.size() - 1);
    QList<std::pair<QString, QPoint>> places;
    for (qsizetype i = 0; i < steps.size(); ++i)
        places.append({steps[i]->Key().mid(1),
                       QPoint(qRound(first + gap * static_cast<double>(i)), qRound(steps[i]->Top()))});
    MoveSteps(places, LoadResString(1662));
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
