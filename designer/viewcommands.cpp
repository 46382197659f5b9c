#include "designer/viewcommands.h"

#include "canvas/flowoverview.h"
#include "canvas/flowview.h"
#include "designer/frmlegend.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>

namespace korvel {
namespace {

constexpr double ZoomStep = 1.25;
constexpr qint32 MsgOverview = 2190;

} // namespace

ViewCommands::ViewCommands(QWidget& window, FlowView& flow) : m_window(window), m_flow(flow) {}

QPointF ViewCommands::ViewCentre() const
{
    return m_flow.mapToScene(m_flow.viewport()->rect().center());
}

void ViewCommands::AddOverview(QMainWindow& window)
{
    m_overviewDock = new QDockWidget(LoadResString(MsgOverview), &window);
    m_overviewDock->setObjectName(QStringLiteral("OverviewDock"));
    m_overviewDock->setAllowedAreas(Qt::AllDockWidgetAreas);
    m_overviewDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                                QDockWidget::DockWidgetFloatable);
    m_overview = new FlowOverview(m_flow, m_overviewDock);
    m_overviewDock->setWidget(m_overview);
    window.addDockWidget(Qt::RightDockWidgetArea, m_overviewDock);
    m_overviewDock->hide();
    QAction* toggle = m_overviewDock->toggleViewAction();
    toggle->setObjectName(QStringLiteral("Overview"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    if (auto* view = window.menuBar()->findChild<QMenu*>(QStringLiteral("MenuView")))
        view->addAction(toggle);
}

void ViewCommands::ZoomIn()
{
    m_flow.setZoom(m_flow.Zoom() * ZoomStep);
}

void ViewCommands::ZoomOut()
{
    m_flow.setZoom(m_flow.Zoom() / ZoomStep);
}

void ViewCommands::ZoomFit()
{
    m_flow.ZoomToFit();
}

void ViewCommands::ShowGrid(bool visible)
{
    m_flow.Scene().setGridVisible(visible);
}

void ViewCommands::ShowLegend()
{
    FrmLegend legend(&m_window);
    Modals().showModal(legend);
}

void ViewCommands::ShowHelp()
{
    QStringList lines;
    for (qint32 id = 1240; id <= 1248; ++id)
        lines << LoadResString(id);
    lines << LoadResString(1687) << LoadResString(1688);
    Messages().information(lines.join(QStringLiteral("\n\n")));
}

} // namespace korvel
