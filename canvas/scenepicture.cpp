#include "canvas/scenepicture.h"

#include "canvas/picturemarks.h"
#include "canvas/pngrowwriter.h"
#include "canvas/svgpicturefilter.h"

#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <array>
#include <future>
#include <system_error>

namespace korvel {
namespace {

constexpr qint64 PngBandBytes = qint64(8) << 20;
// Rows drawn above and below each band and not written: antialiased edges cut by the band's clip
// come out a few levels off the whole picture's, so the cut is kept out of the rows written.
constexpr int PngBandOverlap = 4;

} // namespace

int PngBandRows(int width)
{
    return static_cast<int>(std::max<qint64>(1, PngBandBytes / (qint64(std::max(width, 1)) * 4)));
}

bool WriteScenePng(QGraphicsScene& scene, const QRectF& source, QSize size, QIODevice& device, int bandRows)
{
    bandRows = std::clamp(bandRows, 1, std::max(size.height(), 1));
    // Two bands: while one is compressed and written on a second thread, the scene (which only this
    // thread may touch) draws the next into the other. Compressing takes about as long as drawing.
    std::array<QImage, 2> bands;
    for (QImage& band : bands) {
        band = QImage(size.width(), bandRows + 2 * PngBandOverlap, QImage::Format_ARGB32_Premultiplied);
        if (band.isNull())
            return false;
    }
    PngRowWriter png(device, size);
    std::future<void> writing;
    // The scale of the whole picture; each band shows the part of `source` that falls on its rows.
    const double ratio = std::min(size.width() / source.width(), size.height() / source.height());
    for (int top = 0, next = 0; top < size.height(); top += bandRows, next = 1 - next) {
        const int rows = std::min(bandRows, size.height() - top);
        const int drawnTop = top - PngBandOverlap, drawnRows = rows + 2 * PngBandOverlap;
        QImage& band = bands[static_cast<size_t>(next)];
        band.fill(Qt::white);
        QPainter painter(&band);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(0, -drawnTop);
        const QRectF part(source.left(), source.top() + drawnTop / ratio, size.width() / ratio, drawnRows / ratio);
        scene.render(&painter, QRectF(0, drawnTop, size.width(), drawnRows), part, Qt::IgnoreAspectRatio);
        painter.end();
        if (writing.valid())
            writing.get();
        if (!png.ok())
            break;
        const auto write = [&png, &band, rows] { png.writeRows(band, PngBandOverlap, rows); };
        try {
            writing = std::async(std::launch::async, write);
        } catch (const std::system_error&) {
            write(); // no thread to be had: written here, one band after the other
        }
    }
    if (writing.valid())
        writing.get();
    return png.finish();
}

bool WriteSceneSvg(QGraphicsScene& scene, const QRectF& source, QSize size, const QString& title,
                   QIODevice& device)
{
    SvgPictureFilter filter(device);
    QSvgGenerator svg;
    svg.setOutputDevice(&filter);
    svg.setSize(size);
    svg.setViewBox(QRectF(QPointF(0, 0), QSizeF(size)));
    svg.setTitle(title);
    const PictureMarks marking(&svg);
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), source);
    // The generator writes the whole document when the painter ends.
    filter.setMarks(marking.prefix(), marking.marks());
    return painter.end() && filter.finish();
}

} // namespace korvel
