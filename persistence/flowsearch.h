#pragma once

#include <QList>
#include <QString>

namespace korvel {

// What a search hit is: a frame header, a step or a link.
enum class SearchItemKind { Frame, Step, Link };

// One field of one item that holds the searched text.
struct SearchHit {
    QString frameId;
    SearchItemKind kind = SearchItemKind::Frame;
    QString key;   // frame ID, step ID or link code
    QString field; // the column that matched, e.g. "HandleBy_ID"
    QString text;  // its whole value

    bool operator==(const SearchHit&) const = default;
};

// Searches every frame at once, one query per flow table: frame IDs and names; step IDs, names and
// handlers (staff, role group, expiry handlers, multiple handlers); link codes, names and condition
// texts. The text is matched as typed (no wildcards: "%" and "_" are plain characters), without
// regard to letter case, and travels as a bound parameter. An empty text finds nothing. Throws
// KorvelError when a query fails.
QList<SearchHit> SearchFlows(const QString& text);

} // namespace korvel
