#include "designer/framepicture.h"

#include "core/korvelerror.h"
#include "core/wholefile.h"
#include "designer/flowcanvas.h"
#include "designer/frameitems.h"
#include "model/cworder.h"
#include "model/flowcheck.h"

#include <QFileInfo>
#include <QGraphicsScene>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>

namespace korvel {
namespace {

// String-table ids of the messages.
enum : qint32 { MsgUnknownSuffix = 1450, MsgBadScale = 1451, MsgCannotWrite = 1437 };

// Room left around the flow, twips.
constexpr double Margin = 300;
// The narrowest canvas, pixels: a small flow still gets End well apart from Start.
constexpr int NarrowestCanvas = 400;

// The part of the canvas's scene a picture shows: every item, with room around them.
QRectF PictureSource(QGraphicsScene& scene)
{
    scene.clearSelection();
    return scene.itemsBoundingRect().adjusted(-Margin, -Margin, Margin, Margin);
}

} // namespace

std::unique_ptr<FlowCanvas> BuildFrameCanvas(cWorder& frame)
{
    double right = 0;
    for (const auto& [id, node] : frame.AllNode().AllNode())
        if (node->CanLoadFlag() == 1)
            right = std::max(right, node->NodeLeft() + StepBoxWidth);
    auto canvas = std::make_unique<FlowCanvas>();
    // End is placed from the canvas's width; make room for it right of the last step.
    const double widthTwips = right + EndPointRightOffset + Margin;
    canvas->resize(std::max(NarrowestCanvas, static_cast<int>(std::ceil(widthTwips / TwipsPerPixel))), 300);
    const FlowCanvas::BulkChange bulk(*canvas);
    AddFrameItems(*canvas, frame);
    return canvas;
}

void WriteFramePicture(cWorder& frame, const QString& path, double scale)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("svg") && suffix != QLatin1String("png") && suffix != QLatin1String("pdf"))
        throw KorvelError(FormatMessage(MsgUnknownSuffix, {path}));
    if (!(scale >= 0.05 && scale <= 20))
        throw KorvelError(FormatMessage(MsgBadScale, {QString::number(scale)}));

    const auto canvas = BuildFrameCanvas(frame);
    QGraphicsScene& scene = *canvas->scene();
    const QRectF source = PictureSource(scene);
    const QSize size(std::max(1, qRound(source.width() / TwipsPerPixel * scale)),
                     std::max(1, qRound(source.height() / TwipsPerPixel * scale)));
    const QRectF target(QPointF(0, 0), QSizeF(size));
    // Every kind is drawn into a file that replaces `path` only once it is whole.
    WholeFile file(path);
    // The system's reason when a write failed, else what failed.
    const auto cannotWrite = [&](const QString& what) {
        return KorvelError(FormatMessage(MsgCannotWrite, {path, file.failed() ? file.errorString() : what}));
    };
    if (suffix == QLatin1String("png")) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            throw cannotWrite(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()));
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        scene.render(&painter, target, source);
        painter.end();
        if (!image.save(&file, "PNG"))
            throw cannotWrite(QStringLiteral("PNG"));
        file.commit();
        return;
    }
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(target);
        svg.setTitle(frame.WorkOrderFrameName);
        QPainter painter;
        if (!painter.begin(&svg))
            throw cannotWrite(QStringLiteral("SVG"));
        scene.render(&painter, target, source);
        if (!painter.end())
            throw cannotWrite(QStringLiteral("SVG"));
        file.commit();
        return;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(frame.WorkOrderFrameName);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(size) * 72.0 / 96.0, QPageSize::Point)); // 96 pixels an inch
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&pdf))
            throw cannotWrite(QStringLiteral("PDF"));
        scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())), source);
        if (!painter.end())
            throw cannotWrite(QStringLiteral("PDF"));
    }
    file.commit();
}

void PaintFramePicture(cWorder& frame, QPainter& painter, const QRectF& target)
{
    const auto canvas = BuildFrameCanvas(frame);
    QGraphicsScene& scene = *canvas->scene();
    const QRectF source = PictureSource(scene);
    QSizeF size = source.size();
    size.scale(target.size(), Qt::KeepAspectRatio);
    QRectF fitted(QPointF(0, 0), size);
    fitted.moveCenter(target.center());
    scene.render(&painter, fitted, source);
}

} // namespace korvel
