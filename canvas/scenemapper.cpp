#include "canvas/scenemapper.h"

#include "canvas/flowscene.h"
#include "canvas/frameitems.h"
#include "document/framedocument.h"
#include "model/cworder.h"

namespace korvel {

SceneMapper::SceneMapper(FlowScene& scene, QObject* parent) : QObject(parent), m_scene(scene) {}

void SceneMapper::Show(FrameDocument* document)
{
    if (m_document == document)
        return;
    if (m_document)
        disconnect(m_document, nullptr, this, nullptr);
    m_document = document;
    if (m_document)
        connect(m_document, &FrameDocument::Changed, this, &SceneMapper::Follow);
}

void SceneMapper::Follow(const FrameChange& change)
{
    FlowScene& canvas = m_scene;
    cWorder* frame = m_document ? m_document->Frame() : nullptr;
    if (!frame || canvas.Tag().isEmpty() || canvas.Tag() != frame->WorkOrderFrame_ID)
        return;
    const QStringList nodeIDs = change.stepsAdded + change.stepsChanged + change.stepsRemoved;
    const QStringList linkKeys = change.linksAdded + change.linksChanged + change.linksRemoved;
    const FlowScene::BulkChange bulk(canvas);
    for (const QString& id : nodeIDs) {
        const cNode* node = frame->AllNode().OneNode(id);
        FlowNodeItem* item = canvas.NodeByKey(QStringLiteral("N") + id);
        if (node && node->CanLoadFlag() == 1) {
            if (!item)
                item = canvas.AddNode(node->NodeLeft(), node->NodeTop(), StepBoxWidth, StepBoxHeight);
            ShowNode(*item, *node);
            item->setPos(node->NodeLeft(), node->NodeTop());
        } else if (item) {
            canvas.RemoveNode(item->Index());
        }
    }
    for (const QString& id : change.stepsMoved) {
        const cNode* node = frame->AllNode().OneNode(id);
        if (FlowNodeItem* item = canvas.NodeByKey(QStringLiteral("N") + id); item && node)
            item->setPos(node->NodeLeft(), node->NodeTop());
    }
    for (const QString& key : linkKeys) {
        const cLink* link = frame->AllLink().OneLinks(key);
        FlowLinkItem* arrow =
            link ? canvas.LinkByKey(QStringLiteral("L") + link->WorkOrderLink_ID()) : nullptr;
        if (!link) {
            // Gone from the collection: its arrow carried the code, which is the key of a live link.
            arrow = canvas.LinkByKey(QStringLiteral("L") + key);
        }
        FlowNodeItem* father = link ? canvas.NodeByKey(QStringLiteral("N") + link->FatherNode_ID()) : nullptr;
        FlowNodeItem* son = link ? canvas.NodeByKey(QStringLiteral("N") + link->SonNode_ID()) : nullptr;
        const bool shown = link && link->CanLoadFlag() == 1 && father && son;
        if (arrow && (!shown || arrow->Org() != father || arrow->Dst() != son)) {
            canvas.RemoveLink(arrow);
            arrow = nullptr;
        }
        if (shown) {
            if (!arrow)
                arrow = father->AddLink(son);
            ShowLink(*arrow, *link);
        }
    }
    if (!nodeIDs.isEmpty() || !change.stepsMoved.isEmpty())
        PlaceEnd(canvas);
}

} // namespace korvel
