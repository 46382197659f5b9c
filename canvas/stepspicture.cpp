#include "canvas/stepspicture.h"

#include "canvas/flowscene.h"
#include "canvas/frameitems.h"
#include "core/errorlog.h"
#include "model/cworder.h"

#include <QPainter>
#include <cmath>
#include <utility>

namespace korvel {
namespace {

// The format Qt keeps a QImage under; platforms turn it into image/png and the like on request.
const QString ImageFormat = QStringLiteral("application/x-qt-image");

} // namespace

QImage StepsPicture(const QList<NodeValues>& steps, const QList<LinkValues>& links, double zoom)
{
    if (steps.isEmpty())
        return {};
    // A frame in memory only, drawn into a scene of its own.
    cWorder frame;
    for (const NodeValues& step : steps)
        frame.AllNode().NewNode(step);
    for (const LinkValues& link : links)
        frame.AllLink().NewMe(link);
    FlowScene scene;
    AddFrameItems(scene, frame);
    // The scene holds the copied steps and their links alone; Start and End are not copied.
    scene.RemoveNode(scene.NodeByKey(EndKey)->Index());
    scene.RemoveNode(scene.NodeByKey(StartKey)->Index());
    const QRectF area = scene.itemsBoundingRect();
    double scale = zoom / TwipsPerPixel;
    if (const double pixels = area.width() * scale * area.height() * scale;
        pixels > static_cast<double>(MaxCopiedPicturePixels))
        scale *= std::sqrt(static_cast<double>(MaxCopiedPicturePixels) / pixels);
    QImage image((area.size() * scale).toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        scene.render(&painter, QRectF(QPointF(0, 0), image.size()), area);
    }
    return image;
}

StepsMimeData::StepsMimeData(CopiedSteps copied, double zoom) : m_copied(std::move(copied)), m_zoom(zoom) {}

bool StepsMimeData::hasFormat(const QString& mimeType) const
{
    return mimeType == StepsMimeType || mimeType == ImageFormat;
}

QStringList StepsMimeData::formats() const
{
    return {StepsMimeType, ImageFormat};
}

QVariant StepsMimeData::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (mimeType == StepsMimeType)
        return StepsToJson(m_copied);
    if (mimeType != ImageFormat)
        return QMimeData::retrieveData(mimeType, type);
    QImage picture;
    IgnoreErrors([&] { picture = StepsPicture(m_copied.steps, m_copied.links, m_zoom); });
    return picture;
}

} // namespace korvel
