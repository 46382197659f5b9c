#pragma once

#include "document/framechange.h"
#include "document/framedocument.h"

#include <QObject>
#include <QPointer>

namespace korvel {

class FlowScene;

// Keeps a scene showing the document's flow: every edit, undo and redo the document announces
// is drawn at once, item by item. A live step gets its box (added when missing) at its place, a
// live link whose ends are drawn its arrow; anything else loses its item; End moves right of the
// steps when needed. Nothing else redraws after an edit.
class SceneMapper final : public QObject {
    Q_OBJECT
public:
    explicit SceneMapper(FlowScene& scene, QObject* parent = nullptr);

    // Follows this document's announcements from now on; nullptr follows none.
    void Show(FrameDocument* document);
    FrameDocument* Shown() const { return m_document; }

private:
    void Follow(const FrameChange& change);

    FlowScene& m_scene;
    QPointer<FrameDocument> m_document;
};

} // namespace korvel
