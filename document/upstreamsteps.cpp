#include "document/upstreamsteps.h"

#include "core/sameid.h"
#include "model/cworder.h"

#include <QHash>
#include <vector>

namespace korvel {

QList<std::pair<QString, QString>> UpstreamSteps(cWorder& w, const QString& nodeID)
{
    QList<std::pair<QString, QString>> found;
    const QString startKey = IdKey(nodeID);
    std::vector<const cNode*> nodes;
    QHash<QString, int> numbers; // IdKey of the node -> position in `nodes`
    nodes.reserve(static_cast<size_t>(w.AllNode().AllNode().Count()));
    numbers.reserve(w.AllNode().AllNode().Count());
    for (const auto& [key, node] : w.AllNode().AllNode()) {
        numbers.insert(IdKey(key), static_cast<int>(nodes.size()));
        nodes.push_back(node.get());
    }
    const auto liveNumber = [&](const QString& id) {
        const int number = numbers.value(IdKey(id), -1);
        return number >= 0 && nodes[static_cast<size_t>(number)]->CanLoadFlag() == 1 ? number : -1;
    };

    // The live fathers of each node, and of `nodeID` itself (which need not be a node), in link order.
    std::vector<std::vector<int>> fathers(nodes.size());
    std::vector<int> fathersOfStart;
    for (const auto& [key, link] : w.AllLink().AllLinks()) {
        if (link->CanLoadFlag() != 1)
            continue;
        const int father = liveNumber(link->FatherNode_ID());
        if (father < 0)
            continue;
        const int son = numbers.value(IdKey(link->SonNode_ID()), -1);
        if (son >= 0)
            fathers[static_cast<size_t>(son)].push_back(father);
        if (IdKey(link->SonNode_ID()) == startKey)
            fathersOfStart.push_back(father);
    }

    std::vector<char> visited(nodes.size(), 0);
    if (const int start = numbers.value(startKey, -1); start >= 0)
        visited[static_cast<size_t>(start)] = 1;
    // The nodes still to visit, the next on top: a node's fathers are pushed in reverse, so the
    // first of them is searched first.
    std::vector<int> pending(fathersOfStart.rbegin(), fathersOfStart.rend());
    while (!pending.empty()) {
        const auto number = static_cast<size_t>(pending.back());
        pending.pop_back();
        if (visited[number])
            continue;
        visited[number] = 1;
        found.append({nodes[number]->WorkOrderNodeName(), nodes[number]->WorkOrderNode_ID()});
        pending.insert(pending.end(), fathers[number].rbegin(), fathers[number].rend());
    }
    return found;
}

} // namespace korvel
