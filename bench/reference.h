#pragma once

#include <QString>

namespace korvel {
class cWorder;
}

namespace korvel::bench {

// The original per-candidate search for new step IDs, kept here only as the reference the
// designer is measured against; the designer itself never uses it.

// The first free step ID: candidates "N" + the counter padded to five digits (N00001, N00002, ...;
// longer numbers written in full), from 1 upwards, each checked with a query of its own on the shared
// connection, `select count(*) from Two_Node Where WorkOrderNode_ID='<candidate>'`, until one is
// unused. Throws KorvelError when a query fails.
QString ReferenceNodeID();

// Copies the frame the way cWorder::Saveas does (header and lock, live steps with their return steps
// translated, live links with their ends mapped, all in one transaction), but takes every step ID
// from ReferenceNodeID. 1, or -1 with the transaction rolled back.
int ReferenceSaveas(cWorder& frame, const QString& newID, const QString& newName);

} // namespace korvel::bench
