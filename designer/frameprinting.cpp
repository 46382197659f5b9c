#include "designer/frameprinting.h"

#include "canvas/framepicture.h"
#include "model/cworder.h"
#include "model/cworders.h"
#include "model/flowcheck.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QDate>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace korvel {
namespace {

// String-table ids of the texts.
enum : qint32 {
    MsgPrinterFailed = 1832,
    MsgPageTitle = 2341,
    MsgPreviewTitle = 2342,
};

} // namespace

FramePrinting::FramePrinting(QWidget& window, cWOrders& workOrders) : m_window(window), m_workOrders(workOrders) {}

QString FramePrinting::PageTitle(const cWorder& frame)
{
    const QLocale locale = IsChineseInterface() ? QLocale(QLocale::Chinese, QLocale::China) : QLocale(QLocale::English);
    return FormatMessage(MsgPageTitle, {frame.WorkOrderFrameName, frame.WorkOrderFrame_ID,
                                        locale.toString(QDate::currentDate(), QLocale::LongFormat)});
}

void FramePrinting::PrintPage(QPrinter& printer, cWorder& frame)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        Messages().critical(LoadResString(MsgPrinterFailed));
        return;
    }
    // The painter's origin is the printable area's top-left corner.
    PaintFramePage(frame, painter, QRectF(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size()),
                   PageTitle(frame));
    painter.end();
}

void FramePrinting::Print()
{
    WithPrinter([this](QPrinter& printer, cWorder& frame) {
        QPrintDialog dialog(&printer, &m_window);
        dialog.setObjectName(QStringLiteral("PrintDialog"));
        Modals().showModal(dialog);
        if (dialog.result() == QDialog::Accepted)
            PrintPage(printer, frame);
    });
}

void FramePrinting::Preview()
{
    WithPrinter([this](QPrinter& printer, cWorder& frame) {
        QPrintPreviewDialog dialog(&printer, &m_window);
        dialog.setObjectName(QStringLiteral("PrintPreviewDialog"));
        dialog.setWindowTitle(LoadResString(MsgPreviewTitle));
        // Looked up on each request: the list may read the frame afresh while the preview is open.
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [this, id = frame.WorkOrderFrame_ID](QPrinter* shown) {
                             if (cWorder* shownFrame = m_workOrders.OneWorkOrder(id))
                                 PrintPage(*shown, *shownFrame);
                         });
        Modals().showModal(dialog);
    });
}

void FramePrinting::WithPrinter(const std::function<void(QPrinter&, cWorder&)>& use)
{
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    if (!frame)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(PageTitle(*frame));
    printer.setPageOrientation(QPageLayout::Landscape);
    use(printer, *frame);
}

} // namespace korvel
