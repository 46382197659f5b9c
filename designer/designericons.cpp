#include "designer/designericons.h"

#include <QFile>
#include <QHash>
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

} // namespace

QIcon DesignerIcon(const QString& key)
{
    InitDesignerIcons();
    const QString path = ResourcePath(key);
    if (key.isEmpty() || !QFile::exists(path))
        return {};
    return QIcon(path);
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
    it.value()->render(&painter, target);
    return true;
}

} // namespace korvel
