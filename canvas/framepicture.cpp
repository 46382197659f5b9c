#include "canvas/framepicture.h"

#include "canvas/comparisonlayer.h"
#include "canvas/flowscene.h"
#include "canvas/frameitems.h"
#include "canvas/pathlayer.h"
#include "canvas/scenepicture.h"
#include "core/korvelerror.h"
#include "core/wholefile.h"
#include "model/cworder.h"
#include "model/flowcheck.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGraphicsScene>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <optional>

namespace korvel {
namespace {

// String-table ids of the messages.
enum : qint32 {
    MsgUnknownSuffix = 1450,
    MsgBadScale = 1451,
    MsgCannotWrite = 1437,
    MsgTooWide = 2000,
    MsgTooManyPixels = 2001,
};

// Room left around the flow, twips.
constexpr double Margin = 300;

// The part of the scene a picture shows: every item, with room around them.
QRectF PictureSource(QGraphicsScene& scene)
{
    scene.clearSelection();
    return scene.itemsBoundingRect().adjusted(-Margin, -Margin, Margin, Margin);
}

// The picture's size in pixels for `source` (twips) at `scale`; throws KorvelError when it cannot
// be drawn (see MaxPictureSide).
QSize PictureSize(const cWorder& frame, const QRectF& source, double scale, bool image)
{
    const double width = std::max(1.0, std::round(source.width() / TwipsPerPixel * scale));
    const double height = std::max(1.0, std::round(source.height() / TwipsPerPixel * scale));
    const QStringList size{frame.WorkOrderFrame_ID, QString::number(scale),
                           QString::number(width, 'f', 0) + QStringLiteral(" × ") +
                               QString::number(height, 'f', 0)};
    // Not a number fails both comparisons.
    if (!(width <= MaxPictureSide && height <= MaxPictureSide))
        throw KorvelError(FormatMessage(MsgTooWide, size + QStringList{QString::number(MaxPictureSide)}));
    if (image && width * height > static_cast<double>(MaxPicturePixels))
        throw KorvelError(
            FormatMessage(MsgTooManyPixels, size + QStringList{QString::number(MaxPicturePixels)}));
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

} // namespace

std::unique_ptr<FlowScene> BuildFrameScene(cWorder& frame)
{
    auto scene = std::make_unique<FlowScene>();
    const FlowScene::BulkChange bulk(*scene);
    AddFrameItems(*scene, frame);
    return scene;
}

void WriteFramePicture(cWorder& frame, const QString& path, double scale, const PictureOverlay& over)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("svg") && suffix != QLatin1String("png") && suffix != QLatin1String("pdf"))
        throw KorvelError(FormatMessage(MsgUnknownSuffix, {path}));
    if (!(scale >= 0.05 && scale <= 20))
        throw KorvelError(FormatMessage(MsgBadScale, {QString::number(scale)}));

    const auto built = BuildFrameScene(frame);
    FlowScene& scene = *built;
    std::optional<ComparisonLayer> comparison;
    std::optional<PathLayer> walked;
    if (const auto* diff = std::get_if<FrameDiff>(&over))
        comparison.emplace(scene, *diff);
    else if (const auto* values = std::get_if<WalkValues>(&over))
        walked.emplace(scene, WalkFlow(frame, *values));
    const QRectF source = PictureSource(scene);
    const QSize size = PictureSize(frame, source, scale, suffix == QLatin1String("png"));
    // Every kind is drawn into a file that replaces `path` only once it is whole.
    WholeFile file(path);
    // The system's reason when a write failed, else what failed.
    const auto cannotWrite = [&](const QString& what) {
        return KorvelError(FormatMessage(MsgCannotWrite, {path, file.failed() ? file.errorString() : what}));
    };
    if (suffix == QLatin1String("png")) {
        if (!WriteScenePng(scene, source, size, file, PngBandRows(size.width())))
            throw cannotWrite(QStringLiteral("PNG"));
        file.commit();
        return;
    }
    if (suffix == QLatin1String("svg")) {
        if (!WriteSceneSvg(scene, source, size, frame.WorkOrderFrameName, file))
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

QRectF PaintFramePage(cWorder& frame, QPainter& painter, const QRectF& page, const QString& title)
{
    // The title is a thirtieth of the page's height (a line of about 6 mm on A4 landscape), the
    // gap below it half that.
    const double titleHeight = page.height() / 30;
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(1, qRound(titleHeight * 0.7)));
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QRectF titleBox(page.left(), page.top(), page.width(), titleHeight);
    painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     painter.fontMetrics().elidedText(title, Qt::ElideRight, qFloor(page.width())));
    QPen rule(Qt::black);
    rule.setWidthF(std::max(1.0, titleHeight / 40));
    painter.setPen(rule);
    painter.drawLine(QPointF(page.left(), titleBox.bottom()), QPointF(page.right(), titleBox.bottom()));
    painter.restore();

    const QRectF target = page.adjusted(0, titleHeight * 1.5, 0, 0);
    const auto built = BuildFrameScene(frame);
    FlowScene& scene = *built;
    const QRectF source = PictureSource(scene);
    QSizeF size = source.size();
    size.scale(target.size(), Qt::KeepAspectRatio);
    QRectF fitted(QPointF(0, 0), size);
    fitted.moveCenter(target.center());
    scene.render(&painter, fitted, source);
    return fitted;
}

} // namespace korvel
