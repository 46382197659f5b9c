#pragma once

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

namespace korvel {

class cWOrders;
class cWorder;

// Printing the current frame: one page with the frame's title (name, ID and the day printed) above
// its flow, fitted to the page, landscape unless the user turns the page. Print preview shows the
// same page, and printing from the preview prints it. Both dialogs are shown through Modals().
class FramePrinting final {
public:
    FramePrinting(QWidget& window, cWOrders& workOrders);

    void Print();
    void Preview();

    // The line printed at the top of the page, in the interface language.
    static QString PageTitle(const cWorder& frame);

private:
    // Runs `use` with a printer for the current frame (landscape, the frame's title as the
    // document's name); does nothing without a current frame.
    void WithPrinter(const std::function<void(QPrinter&, cWorder&)>& use);
    // Prints the frame's page on the printer, or tells the user that the printer cannot start.
    static void PrintPage(QPrinter& printer, cWorder& frame);

    QWidget& m_window; // the dialogs' parent
    cWOrders& m_workOrders;
};

} // namespace korvel
