#include "canvas/pathlayer.h"

#include "canvas/flowscene.h"
#include "canvas/pathmark.h"
#include "model/clink.h"
#include "model/pathwalk.h"

namespace korvel {

PathLayer::PathLayer(FlowScene& scene, const FlowWalk& walk) : m_scene(scene), m_sceneAlive(&scene)
{
    using Look = PathMark::Look;
    const auto step = [](const QString& id) { return QStringLiteral("N") + id; };
    for (const WalkMove& move : walk.moves)
        mark(move.kind == WalkMove::Kind::Loop ? Look::Loop : Look::Taken, QStringLiteral("L") + move.link);
    for (const QString& id : QStringList{BeginNodeID} + walk.passed)
        mark(walk.deadEnds.contains(id) ? Look::DeadEnd : Look::Passed, step(id));
    mark(walk.reachedEnd ? Look::End : Look::Unreached, step(EndNodeID));
    for (const QString& id : walk.unreached)
        mark(Look::Unreached, step(id));

    QList<QGraphicsObject*> marks;
    for (const QPointer<PathMark>& each : std::as_const(m_marks))
        marks << each.data();
    m_overlay = m_scene.setOverlay(marks);
}

PathLayer::~PathLayer()
{
    if (m_sceneAlive)
        m_scene.ClearOverlay(m_overlay);
}

void PathLayer::mark(PathMark::Look look, const QString& key)
{
    QGraphicsObject* item = m_scene.NodeByKey(key);
    if (!item)
        item = m_scene.LinkByKey(key);
    if (!item)
        return;
    auto* mark = new PathMark(look, *item);
    m_scene.addItem(mark);
    m_marks << mark;
}

} // namespace korvel
