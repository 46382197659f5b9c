#pragma once

#include <QPointF>

class QWidget;

namespace korvel {

class FlowView;

// The View and Help menus' commands: zoom, the grid, the legend of the canvas's symbols and the
// help text.
class ViewCommands final {
public:
    // Dialogs open over `window`.
    ViewCommands(QWidget& window, FlowView& flow);

    void ZoomIn();
    void ZoomOut();
    void ZoomFit();
    // Shows or hides the grid on the canvas.
    void ShowGrid(bool visible);
    void ShowLegend();
    void ShowHelp();
    // The middle of the canvas's view, scene twips.
    QPointF ViewCentre() const;

private:
    QWidget& m_window;
    FlowView& m_flow;
};

} // namespace korvel
