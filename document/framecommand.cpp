#include "document/framecommand.h"

#include "document/framechange.h"
#include "document/framedocument.h"
#include "model/cworder.h"

namespace korvel {

FrameCommand::FrameCommand(FrameDocument& document, const QString& text, QStringList stepIDs, QStringList linkKeys)
    : QUndoCommand(text), m_document(document), m_stepIDs(std::move(stepIDs)), m_linkKeys(std::move(linkKeys))
{
}

FrameCommand::Snapshot FrameCommand::Take(cWorder& frame) const
{
    Snapshot snapshot;
    snapshot.nodes.reserve(static_cast<size_t>(m_stepIDs.size()));
    for (const QString& id : m_stepIDs) {
        NodeState node;
        if (const cNode* held = frame.AllNode().OneNode(id))
            node = {true, held->CanLoadFlag() == 1, held->Values(), held->StateFlag()};
        snapshot.nodes.push_back(node);
    }
    snapshot.links.reserve(static_cast<size_t>(m_linkKeys.size()));
    for (const QString& key : m_linkKeys) {
        LinkState link;
        if (const cLink* held = frame.AllLink().OneLinks(key))
            link = {true, held->CanLoadFlag() == 1, held->Values(), held->StateFlag()};
        snapshot.links.push_back(link);
    }
    return snapshot;
}

void FrameCommand::Apply(cWorder& frame, const Snapshot& snapshot) const
{
    for (qsizetype i = 0; i < m_stepIDs.size(); ++i) {
        const NodeState& node = snapshot.nodes[static_cast<size_t>(i)];
        if (node.present)
            frame.AllNode().RestoreNode(node.values, node.state);
        else
            frame.AllNode().RemoveNode(m_stepIDs[i]);
    }
    for (qsizetype i = 0; i < m_linkKeys.size(); ++i) {
        const LinkState& link = snapshot.links[static_cast<size_t>(i)];
        if (link.present)
            frame.AllLink().RestoreLink(m_linkKeys[i], link.values, link.state);
        else
            frame.AllLink().RemoveLink(m_linkKeys[i]);
    }
}

namespace {

// Sorts one item into came, changed or went by whether it was and is live.
template <typename State>
void Sort(const State& from, const State& to, const QString& key, QStringList& added, QStringList& changed,
          QStringList& removed)
{
    if (from == to)
        return;
    if (!from.live && to.live)
        added << key;
    else if (from.live && !to.live)
        removed << key;
    else if (to.live)
        changed << key;
}

} // namespace

void FrameCommand::Announce(const Snapshot& from, const Snapshot& to) const
{
    FrameChange change;
    for (qsizetype i = 0; i < m_stepIDs.size(); ++i)
        Sort(from.nodes[static_cast<size_t>(i)], to.nodes[static_cast<size_t>(i)], m_stepIDs[i],
             change.stepsAdded, change.stepsChanged, change.stepsRemoved);
    for (qsizetype i = 0; i < m_linkKeys.size(); ++i)
        Sort(from.links[static_cast<size_t>(i)], to.links[static_cast<size_t>(i)], m_linkKeys[i],
             change.linksAdded, change.linksChanged, change.linksRemoved);
    if (!change.IsEmpty())
        m_document.Announce(change);
}

void FrameCommand::redo()
{
    if (m_skipRedo) {
        m_skipRedo = false;
        return;
    }
    cWorder* frame = m_document.Frame();
    if (!frame)
        return;
    if (!m_done) {
        m_before = Take(*frame);
        Change(*frame);
        m_after = Take(*frame);
        m_done = true;
        setObsolete(m_before == m_after);
    } else {
        Apply(*frame, m_after);
    }
    Announce(m_before, m_after);
}

void FrameCommand::undo()
{
    cWorder* frame = m_document.Frame();
    if (!frame || !m_done)
        return;
    Apply(*frame, m_before);
    Announce(m_after, m_before);
}

bool FrameCommand::AdoptAfter(const FrameCommand& later)
{
    if (&later.m_document != &m_document || later.m_stepIDs != m_stepIDs || later.m_linkKeys != m_linkKeys ||
        !m_done || !later.m_done)
        return false;
    m_after = later.m_after;
    setObsolete(m_before == m_after);
    return true;
}

} // namespace korvel
