#include "document/framecommand.h"

#include "document/framechange.h"
#include "document/framedocument.h"
#include "model/cworder.h"

namespace korvel {

FrameCommand::FrameCommand(FrameDocument& document, const QString& text, QStringList stepIDs, QStringList linkKeys,
                           Records records)
    : QUndoCommand(text), m_document(document), m_stepIDs(std::move(stepIDs)), m_linkKeys(std::move(linkKeys)),
      m_records(records)
{
}

FrameCommand::Snapshot FrameCommand::Take(cWorder& frame) const
{
    Snapshot snapshot;
    const bool everything = m_records == Records::Everything;
    snapshot.nodes.reserve(static_cast<size_t>(m_stepIDs.size()));
    if (everything)
        snapshot.nodeValues.reserve(static_cast<size_t>(m_stepIDs.size()));
    for (const QString& id : m_stepIDs) {
        const cNode* held = frame.AllNode().OneNode(id);
        if (held)
            snapshot.nodes.push_back({true, held->CanLoadFlag() == 1, QPoint(held->NodeLeft(), held->NodeTop()),
                                      held->StateFlag()});
        else
            snapshot.nodes.emplace_back();
        if (everything)
            snapshot.nodeValues.push_back(held ? held->Values() : NodeValues());
    }
    snapshot.links.reserve(static_cast<size_t>(m_linkKeys.size()));
    for (const QString& key : m_linkKeys) {
        LinkState link;
        if (const cLink* held = frame.AllLink().OneLinks(key))
            link = {true, held->CanLoadFlag() == 1, held->Values(), held->StateFlag()};
        snapshot.links.push_back(link);
    }
    if (m_header)
        snapshot.header.emplace(frame.HeaderValues(), frame.HeaderPending());
    return snapshot;
}

void FrameCommand::Apply(cWorder& frame, const Snapshot& snapshot) const
{
    for (qsizetype i = 0; i < m_stepIDs.size(); ++i) {
        const NodeState& node = snapshot.nodes[static_cast<size_t>(i)];
        if (m_records == Records::Places) {
            if (cNode* held = frame.AllNode().OneNode(m_stepIDs[i]); held && node.present)
                held->RestorePlace(node.place.x(), node.place.y(), node.state);
        } else if (node.present)
            frame.AllNode().RestoreNode(snapshot.nodeValues[static_cast<size_t>(i)], node.state);
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
    if (snapshot.header)
        frame.SetHeader(snapshot.header->first, snapshot.header->second);
}

namespace {

// Sorts one item into came, changed or went by whether it was and is live.
template <typename State>
void Sort(const State& from, const State& to, bool same, const QString& key, QStringList& added, QStringList& changed,
          QStringList& removed)
{
    if (same)
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
    const bool everything = m_records == Records::Everything;
    QStringList& changedSteps = everything ? change.stepsChanged : change.stepsMoved;
    for (size_t i = 0; i < from.nodes.size(); ++i) {
        const bool same =
            from.nodes[i] == to.nodes[i] && (!everything || from.nodeValues[i] == to.nodeValues[i]);
        Sort(from.nodes[i], to.nodes[i], same, m_stepIDs[static_cast<qsizetype>(i)], change.stepsAdded, changedSteps,
             change.stepsRemoved);
    }
    for (size_t i = 0; i < from.links.size(); ++i)
        Sort(from.links[i], to.links[i], from.links[i] == to.links[i], m_linkKeys[static_cast<qsizetype>(i)],
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
