#include "canvas/stepspicture.h"

#include "canvas/flowscene.h"
#include "canvas/frameitems.h"
#include "core/errorlog.h"
#include "model/cworder.h"

#include <utility>

namespace korvel {
namespace {

// The format Qt keeps a QImage under; platforms turn it into image/png and the like on request.
const QString ImageFormat = QStringLiteral("application/x-qt-image");

} // namespace

QImage StepsPicture(const QList<NodeValues>& steps, const QList<LinkValues>& links, double zoom)
{
    // A frame in memory only, drawn into a scene of its own.
    cWorder frame;
    for (const NodeValues& step : steps)
        frame.AllNode().NewNode(step);
    for (const LinkValues& link : links)
        frame.AllLink().NewMe(link);
    FlowScene scene;
    AddFrameItems(scene, frame);
    QList<FlowNodeItem*> drawn;
    drawn.reserve(steps.size());
    for (FlowNodeItem* node : scene.Nodes())
        if (node->Key() != StartKey && node->Key() != EndKey)
            drawn.append(node);
    return scene.RenderNodes(drawn, zoom, MaxCopiedPicturePixels);
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
