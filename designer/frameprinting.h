#pragma once

#include <QString>
#include <functional>

class QMenu;
class QPrinter;

namespace korvel {

class cWOrders;
class cWorder;
class FrmMain;

// Printing the current frame: one page with the frame's title (name, ID and the day printed) above
// its flow, fitted to the page, landscape unless the user turns the page. Print preview shows the
// same page, and printing from the preview prints it. Both dialogs are shown through Modals().
class FramePrinting final {
public:
    // Runs a command under the name of its handler (the window's RunHandler).
    using CommandRunner = std::function<void(const char* procedure, const std::function<void()>& command)>;

    FramePrinting(FrmMain& window, cWOrders& workOrders);

    // Adds "PrintPreview" and "Print" (the platform's print key) to the end of `file`.
    void AddMenuItems(QMenu& file, const CommandRunner& run);
    // Both while a frame is current.
    void SetCommandStates();
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

    FrmMain& m_window;
    cWOrders& m_workOrders;
};

} // namespace korvel
