#include "canvas/sceneoverlaps.h"

#include "canvas/boxindex.h"
#include "canvas/flowscene.h"

#include <algorithm>

namespace korvel {
namespace {

struct Placed {
    QString name;
    QRectF box;
    bool caption;
};

} // namespace

QStringList SceneOverlaps(const FlowScene& scene)
{
    QList<Placed> placed;
    for (const FlowNodeItem* node : scene.Nodes())
        placed.append({QStringLiteral("step ") + node->Key(), node->SceneBox(), false});
    for (const FlowLinkItem* link : scene.Links())
        if (!link->CaptionBox().isEmpty())
            placed.append({QStringLiteral("caption ") + link->Key(), link->CaptionBox(), true});
    // Swept from left to right: only boxes that begin before one ends can cover it.
    std::sort(placed.begin(), placed.end(),
              [](const Placed& a, const Placed& b) { return a.box.left() < b.box.left(); });
    QStringList found;
    for (qsizetype i = 0; i < placed.size(); ++i)
        for (qsizetype j = i + 1; j < placed.size() && placed[j].box.left() < placed[i].box.right(); ++j) {
            if (!placed[i].box.intersects(placed[j].box))
                continue;
            const bool captionFirst = placed[i].caption || !placed[j].caption;
            const Placed& a = captionFirst ? placed[i] : placed[j];
            const Placed& b = captionFirst ? placed[j] : placed[i];
            found.append(a.name + QStringLiteral(" covers ") + b.name);
        }
    found.sort();
    return found;
}

QStringList BackLinkCrossings(const FlowScene& scene)
{
    QStringList found;
    const QList<FlowNodeItem*> nodes = scene.Nodes();
    for (const FlowLinkItem* link : scene.Links()) {
        const QPolygonF& path = link->Path();
        if (!link->Org() || !link->Dst() || link->Org() == link->Dst() || path.size() < 2 ||
            link->Dst()->Centre().x() >= link->Org()->Centre().x())
            continue;
        for (const FlowNodeItem* node : nodes) {
            if (node == link->Org() || node == link->Dst())
                continue;
            for (qsizetype i = 1; i < path.size(); ++i)
                if (BoxIndex::Crosses(QLineF(path[i - 1], path[i]), node->SceneBox())) {
                    found.append(QStringLiteral("link %1 crosses step %2").arg(link->Key(), node->Key()));
                    break;
                }
        }
    }
    return found;
}

} // namespace korvel
