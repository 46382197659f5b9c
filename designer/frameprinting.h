#pragma once

#include <QString>

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
    // The current frame, nullptr when none.
    cWorder* CurrentFrame();
    // A printer for the frame: landscape, the frame's title as the document's name.
    static void Prepare(QPrinter& printer, const cWorder& frame);
    // Prints the frame's page on the printer; false, after telling the user, when it cannot start.
    static bool PrintPage(QPrinter& printer, cWorder& frame);

    QWidget& m_window; // the dialogs' parent
    cWOrders& m_workOrders;
};

} // namespace korvel
