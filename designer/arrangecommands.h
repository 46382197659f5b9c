#pragma once

#include <QString>

namespace korvel {

class cWOrders;
class FlowView;
class FrmMain;

// The Tools menu's automatic layout: Arrange automatically lays the current frame's whole flow out
// (model/flowlayout.h), Arrange selected steps only the selected ones; each is one entry of the
// frame's undo history, and afterwards the view shows the whole flow.
class ArrangeCommands final {
public:
    ArrangeCommands(FrmMain& window, cWOrders& workOrders, FlowView& flow);

    // The Tools menu's items "ArrangeFlow" (Ctrl+Shift+A) and "ArrangeSelection": both while the
    // frame may be edited, the selection's with two steps or more selected.
    void SetCommandStates();
    void ArrangeFlow();
    void ArrangeSelection();

private:
    FrmMain& m_window;
    cWOrders& m_workOrders;
    FlowView& m_flow;
};

} // namespace korvel
