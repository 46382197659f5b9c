#include "designer/frameedit.h"

#include "canvas/flowscene.h"
#include "canvas/frameitems.h"
#include "model/cworders.h"

namespace korvel {

FrameEdit::FrameEdit(FrameEditPlace place, const QString& text, QStringList nodeIDs, QStringList linkKeys,
                     Change change, QUndoCommand* parent)
    : QUndoCommand(text, parent), m_place(std::move(place)), m_nodeIDs(std::move(nodeIDs)),
      m_linkKeys(std::move(linkKeys)), m_change(std::move(change))
{
}

cWorder* FrameEdit::Frame() const
{
    return m_place.orders ? m_place.orders->OneWorkOrder(m_place.frameID) : nullptr;
}

FrameEdit::Snapshot FrameEdit::Take(cWorder& frame) const
{
    Snapshot snapshot;
    for (const QString& id : m_nodeIDs) {
        NodeState node;
        if (const cNode* held = frame.AllNode().OneNode(id))
            node = {true, held->Values(), held->StateFlag()};
        snapshot.nodes.push_back(node);
    }
    for (const QString& key : m_linkKeys) {
        LinkState link;
        if (const cLink* held = frame.AllLink().OneLinks(key))
            link = {true, held->Values(), held->StateFlag()};
        snapshot.links.push_back(link);
    }
    return snapshot;
}

void FrameEdit::Apply(cWorder& frame, const Snapshot& snapshot) const
{
    for (qsizetype i = 0; i < m_nodeIDs.size(); ++i) {
        const NodeState& node = snapshot.nodes[static_cast<size_t>(i)];
        if (node.present)
            frame.AllNode().RestoreNode(node.values, node.state);
        else
            frame.AllNode().RemoveNode(m_nodeIDs[i]);
    }
    for (qsizetype i = 0; i < m_linkKeys.size(); ++i) {
        const LinkState& link = snapshot.links[static_cast<size_t>(i)];
        if (link.present)
            frame.AllLink().RestoreLink(m_linkKeys[i], link.values, link.state);
        else
            frame.AllLink().RemoveLink(m_linkKeys[i]);
    }
}

void FrameEdit::redo()
{
    cWorder* frame = Frame();
    if (!frame)
        return;
    if (!m_done) {
        m_before = Take(*frame);
        m_change(*frame);
        m_after = Take(*frame);
        m_done = true;
        setObsolete(m_before == m_after);
    } else {
        Apply(*frame, m_after);
    }
    if (m_place.canvas)
        FollowFrame(*m_place.canvas, *frame, m_nodeIDs, m_linkKeys);
}

void FrameEdit::undo()
{
    cWorder* frame = Frame();
    if (!frame || !m_done)
        return;
    Apply(*frame, m_before);
    if (m_place.canvas)
        FollowFrame(*m_place.canvas, *frame, m_nodeIDs, m_linkKeys);
}

void FrameEditGroup::redo()
{
    QUndoCommand::redo();
    if (m_done)
        return;
    m_done = true;
    bool nothing = true;
    for (int i = 0; i < childCount(); ++i)
        if (const auto* edit = dynamic_cast<const FrameEdit*>(child(i)); !edit || !edit->AlteredNothing())
            nothing = false;
    setObsolete(nothing);
}

void FollowFrame(FlowScene& canvas, cWorder& frame, const QStringList& nodeIDs, const QStringList& linkKeys)
{
    if (canvas.Tag().isEmpty() || canvas.Tag() != frame.WorkOrderFrame_ID)
        return;
    const FlowScene::BulkChange bulk(canvas);
    for (const QString& id : nodeIDs) {
        const cNode* node = frame.AllNode().OneNode(id);
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
    for (const QString& key : linkKeys) {
        const cLink* link = frame.AllLink().OneLinks(key);
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
    if (!nodeIDs.isEmpty())
        PlaceEnd(canvas);
}

} // namespace korvel
