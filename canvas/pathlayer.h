#pragma once

#include "canvas/pathmark.h"

#include <QList>
#include <QPointer>

namespace korvel {

class FlowScene;
struct FlowWalk;

// Where a work order goes (a FlowWalk of the flow a FlowScene shows), drawn over that scene: the
// links followed as bands along their lines, the steps passed outlined, where the path stops marked
// distinctly (End reached; a step with no open way on; the link that leads back into a loop), the
// steps never reached veiled (End too when it is not reached). The marks are the scene's overlay
// (FlowScene::setOverlay): another overlay set later replaces them, and they go when the layer goes.
// They follow their steps and links, so a step moved carries its marks along. Pictures of the scene
// show them too.
class PathLayer final {
public:
    PathLayer(FlowScene& scene, const FlowWalk& walk);
    ~PathLayer();
    PathLayer(const PathLayer&) = delete;
    PathLayer& operator=(const PathLayer&) = delete;

private:
    // Adds a mark on the scene's item with this key, when the scene shows it.
    void mark(PathMark::Look look, const QString& key);

    FlowScene& m_scene;
    QPointer<FlowScene> m_sceneAlive; // null once the scene is gone
    QList<QPointer<PathMark>> m_marks;
    quint64 m_overlay = 0;
};

} // namespace korvel
