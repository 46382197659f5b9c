#pragma once

#include <QPointF>

class QDockWidget;
class QMainWindow;
class QWidget;

namespace korvel {

class FlowOverview;
class FlowView;

// The View and Help menus' commands: zoom, the grid, the overview of the whole flow, the legend of
// the canvas's symbols and the help text.
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
    // Adds the Overview dock (the whole flow with the canvas's visible area as a frame to drag),
    // hidden, with its switch ("Overview", Ctrl+Shift+O) in the View menu.
    void AddOverview(QMainWindow& window);
    // The overview; nullptr before AddOverview.
    FlowOverview* Overview() const { return m_overview; }

private:
    QWidget& m_window;
    FlowView& m_flow;
    QDockWidget* m_overviewDock = nullptr; // a dock of the window
    FlowOverview* m_overview = nullptr;
};

} // namespace korvel
