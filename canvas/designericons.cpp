#include "canvas/designericons.h"

#include "canvas/picturemarks.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QSvgRenderer>
#include <memory>

// Q_INIT_RESOURCE must be used outside a namespace; referencing the initialiser also keeps the
// resource object of this static library in every program that links it.
static void InitDesignerIcons()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(designericons);
        return true;
    }();
    Q_UNUSED(done);
}

namespace korvel {
namespace {

QString ResourcePath(const QString& key)
{
    return QStringLiteral(":/korvel/icons/") + key + QStringLiteral(".svg");
}

// Renderings of a picture at the sizes it was drawn at on screen, in device pixels. The canvas
// draws a few pictures at one size per zoom step, so a small cache holds all that is in use.
constexpr qsizetype MaxCachedRenderings = 64;

struct Rendering {
    QString key;
    QSize pixels;
    qreal ratio;
    bool operator==(const Rendering&) const = default;
};

size_t qHash(const Rendering& r, size_t seed = 0)
{
    return qHashMulti(seed, r.key, r.pixels.width(), r.pixels.height(), r.ratio);
}

// True when the painter draws into pixels without turning: there a rendering the size of the
// target looks the same as the vector drawing. Printers, PDF and SVG keep the vector drawing.
bool PaintsPixelsUpright(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    return engine && engine->type() == QPaintEngine::Raster &&
           painter.combinedTransform().type() <= QTransform::TxScale;
}

} // namespace

QIcon DesignerIcon(const QString& key)
{
    InitDesignerIcons();
    // Made once per key and shared by every item that shows it: each QIcon made from the file
    // parses the SVG again, which dominated filling a tree of thousands of frames.
    static QHash<QString, QIcon> icons;
    if (const auto found = icons.constFind(key); found != icons.cend())
        return *found;
    const QString path = ResourcePath(key);
    const QIcon icon = key.isEmpty() || !QFile::exists(path) ? QIcon() : QIcon(path);
    icons.insert(key, icon);
    return icon;
}

bool PaintDesignerPicture(QPainter& painter, const QString& key, const QRectF& target)
{
    InitDesignerIcons();
    static QHash<QString, std::shared_ptr<QSvgRenderer>> renderers;
    auto it = renderers.find(key);
    if (it == renderers.end()) {
        const QString path = ResourcePath(key);
        std::shared_ptr<QSvgRenderer> renderer;
        if (!key.isEmpty() && QFile::exists(path)) {
            renderer = std::make_shared<QSvgRenderer>(path);
            if (!renderer->isValid())
                renderer.reset();
        }
        it = renderers.insert(key, renderer);
    }
    if (!it.value())
        return false;
    if (!PaintsPixelsUpright(painter)) {
        if (PictureMarks* marks = PictureMarks::On(painter))
            marks->Draw(painter, key, target);
        else
            it.value()->render(&painter, target);
        return true;
    }

    // Rendering the SVG is by far the dearest part of painting a canvas node; the same picture at
    // the same size is rendered once, and then copied pixel for pixel to the nearest whole pixel.
    const QRectF device = painter.combinedTransform().mapRect(target);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const Rendering wanted{key, (device.size() * ratio).toSize(), ratio};
    if (wanted.pixels.isEmpty())
        return true;
    static QHash<Rendering, QImage> renderings;
    auto cached = renderings.constFind(wanted);
    if (cached == renderings.cend()) {
        if (renderings.size() >= MaxCachedRenderings)
            renderings.clear();
        QImage image(wanted.pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter onImage(&image);
            it.value()->render(&onImage, QRectF(QPointF(0, 0), QSizeF(wanted.pixels)));
        }
        image.setDevicePixelRatio(ratio);
        cached = renderings.insert(wanted, image);
    }
    painter.save();
    painter.resetTransform();
    painter.drawImage(QPointF(qRound(device.x() * ratio) / ratio, qRound(device.y() * ratio) / ratio),
                      cached.value());
    painter.restore();
    return true;
}

} // namespace korvel
