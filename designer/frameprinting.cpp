#include "designer/frameprinting.h"

#include "canvas/framepicture.h"
#include "designer/frmmain.h"
#include "model/cworder.h"
#include "model/cworders.h"
#include "model/flowcheck.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QAction>
#include <QDate>
#include <QLocale>
#include <QMenu>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace korvel {
namespace {

// String-table ids of the texts.
enum : qint32 {
    MsgPrint = 1818,
    MsgPrinterFailed = 1832,
    MsgPreviewItem = 2340,
    MsgPageTitle = 2341,
    MsgPreviewTitle = 2342,
};

} // namespace

FramePrinting::FramePrinting(FrmMain& window, cWOrders& workOrders) : m_window(window), m_workOrders(workOrders) {}

void FramePrinting::AddMenuItems(QMenu& file, const CommandRunner& run)
{
    const auto addItem = [this, &file, &run](const char* name, qint32 textId, void (FramePrinting::*command)()) {
        QAction* action = file.addAction(QString::number(textId));
        action->setObjectName(QString::fromLatin1(name));
        QObject::connect(action, &QAction::triggered, &m_window,
                         [this, run, name, command] { run(name, [this, command] { (this->*command)(); }); });
        return action;
    };
    addItem("PrintPreview", MsgPreviewItem, &FramePrinting::Preview);
    addItem("Print", MsgPrint, &FramePrinting::Print)->setShortcuts(QKeySequence::Print);
}

void FramePrinting::SetCommandStates()
{
    const bool current = CurrentFrame() != nullptr;
    for (const char* name : {"PrintPreview", "Print"})
        if (QAction* action = m_window.MenuBarAction(QString::fromLatin1(name)))
            action->setEnabled(current);
}

QString FramePrinting::PageTitle(const cWorder& frame)
{
    const QLocale locale = IsChineseInterface() ? QLocale(QLocale::Chinese, QLocale::China) : QLocale(QLocale::English);
    return FormatMessage(MsgPageTitle, {frame.WorkOrderFrameName, frame.WorkOrderFrame_ID,
                                        locale.toString(QDate::currentDate(), QLocale::LongFormat)});
}

cWorder* FramePrinting::CurrentFrame()
{
    return m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
}

void FramePrinting::Prepare(QPrinter& printer, const cWorder& frame)
{
    printer.setDocName(PageTitle(frame));
    printer.setPageOrientation(QPageLayout::Landscape);
}

bool FramePrinting::PrintPage(QPrinter& printer, cWorder& frame)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        Messages().critical(LoadResString(MsgPrinterFailed));
        return false;
    }
    // The painter's origin is the printable area's top-left corner.
    PaintFramePage(frame, painter, QRectF(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size()),
                   PageTitle(frame));
    painter.end();
    return true;
}

void FramePrinting::Print()
{
    cWorder* frame = CurrentFrame();
    if (!frame)
        return;
    QPrinter printer(QPrinter::HighResolution);
    Prepare(printer, *frame);
    QPrintDialog dialog(&printer, &m_window);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    Modals().showModal(dialog);
    if (dialog.result() == QDialog::Accepted)
        PrintPage(printer, *frame);
}

void FramePrinting::Preview()
{
    cWorder* frame = CurrentFrame();
    if (!frame)
        return;
    QPrinter printer(QPrinter::HighResolution);
    Prepare(printer, *frame);
    QPrintPreviewDialog dialog(&printer, &m_window);
    dialog.setObjectName(QStringLiteral("PrintPreviewDialog"));
    dialog.setWindowTitle(LoadResString(MsgPreviewTitle));
    // Looked up on each request: the list may read the frame afresh while the preview is open.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this, id = frame->WorkOrderFrame_ID](QPrinter* shown) {
                         if (cWorder* shownFrame = m_workOrders.OneWorkOrder(id))
                             PrintPage(*shown, *shownFrame);
                     });
    Modals().showModal(dialog);
}

} // namespace korvel
