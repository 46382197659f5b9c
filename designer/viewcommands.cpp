#include "designer/viewcommands.h"

#include "canvas/flowview.h"
#include "designer/frmlegend.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QStringList>

namespace korvel {
namespace {

constexpr double ZoomStep = 1.25;

} // namespace

ViewCommands::ViewCommands(QWidget& window, FlowView& flow) : m_window(window), m_flow(flow) {}

QPointF ViewCommands::ViewCentre() const
{
    return m_flow.mapToScene(m_flow.viewport()->rect().center());
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
