#include "bench/designerdriver.h"

#include "bench/probe.h"
#include "canvas/flowlinkitem.h"
#include "canvas/flownodeitem.h"
#include "canvas/flowscene.h"
#include "canvas/flowview.h"
#include "designer/frametree.h"
#include "designer/frmmain.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTreeView>

namespace korvel::bench {
namespace {

bool IsStep(const FlowNodeItem& node)
{
    return node.Shape() != ShapeStart && node.Shape() != ShapeEnd;
}

} // namespace

DesignerDriver::DesignerDriver() : m_window(std::make_unique<FrmMain>())
{
    m_window->show();
    m_window->repaint();
}

DesignerDriver::~DesignerDriver() = default;

FlowScene& DesignerDriver::Scene()
{
    return m_window->AFFlow().Scene();
}

int DesignerDriver::ListedFrames()
{
    return m_window->TrvTree().model()->rowCount();
}

void DesignerDriver::OpenFrame(const QString& frameID)
{
    Check(m_window->Tree().FrameIndex(frameID).isValid(),
          QStringLiteral("the frame %1 is not in the tree").arg(frameID));
    m_window->Tree().SelectFrame(frameID);
    m_window->TrvTree_NodeClick(frameID);
    m_window->AFFlow().viewport()->repaint();
}

void DesignerDriver::Lock()
{
    Trigger(QStringLiteral("Lock"));
    Settle();
    Check(Scene().EditMode(), QStringLiteral("the frame could not be locked for editing"));
}

void DesignerDriver::Trigger(const QString& name)
{
    // A click comes after the event loop has run: the window settles its commands' states there.
    QCoreApplication::processEvents();
    QAction* action = m_window->ToolbarButton(name);
    if (!action)
        action = m_window->MenuBarAction(name);
    Check(action != nullptr, QStringLiteral("the window has no command %1").arg(name));
    Check(action->isEnabled(), QStringLiteral("the command %1 is disabled").arg(name));
    action->trigger();
}

void DesignerDriver::PressKey(int key)
{
    FlowView& canvas = m_window->AFFlow();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&canvas, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&canvas, &release);
}

void DesignerDriver::SelectSteps(const QStringList& ids)
{
    FlowScene& scene = Scene();
    scene.SelectItem(nullptr);
    {
        // One notice for the whole selection, as the band gives.
        const QSignalBlocker quiet(&scene);
        for (const QString& id : ids) {
            FlowNodeItem* node = scene.NodeByKey(QStringLiteral("N") + id);
            Check(node != nullptr, QStringLiteral("the step %1 is not drawn").arg(id));
            node->setSelected(true);
        }
    }
    emit m_window->AFFlow().SelectionChanged();
}

void DesignerDriver::SelectEverything()
{
    FlowScene& scene = Scene();
    {
        const QSignalBlocker quiet(&scene);
        for (FlowNodeItem* node : scene.Nodes())
            node->setSelected(IsStep(*node));
        for (FlowLinkItem* link : scene.Links())
            link->setSelected(true);
    }
    emit m_window->AFFlow().SelectionChanged();
}

void DesignerDriver::Settle()
{
    QCoreApplication::processEvents();
    m_window->AFFlow().viewport()->repaint();
}

int DesignerDriver::ShownSteps()
{
    int steps = 0;
    for (const FlowNodeItem* node : Scene().Nodes())
        steps += IsStep(*node) ? 1 : 0;
    return steps;
}

int DesignerDriver::SelectedSteps()
{
    int steps = 0;
    for (const FlowNodeItem* node : Scene().SelectedNodes())
        steps += IsStep(*node) ? 1 : 0;
    return steps;
}

QHash<QString, QPointF> DesignerDriver::StepPlaces()
{
    QHash<QString, QPointF> places;
    for (const FlowNodeItem* node : Scene().Nodes())
        if (IsStep(*node))
            places.insert(node->Key().mid(1), QPointF(node->Left(), node->Top()));
    return places;
}

} // namespace korvel::bench
