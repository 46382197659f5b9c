#pragma once

#include <QString>

namespace korvel {

// Whether two IDs (node IDs, link codes) would name the same row in the database. The databases
// compare IDs without regard to letter case and, on PostgreSQL, also without regard to width, the
// script of digits and invisible characters ("１２３", "١٢٣" and "123" are one key there). This is
// that comparison or a stricter one, so a clash is refused when the ID is entered, not by a save.
// Exactly when IdKey(a) == IdKey(b).
bool SameId(const QString& a, const QString& b);

// The ID's key in memory: equal keys for the IDs SameId takes for one. It stands for the root
// collation's sort key at secondary strength (PostgreSQL's korvel_ci: case, width, the script of
// digits and invisible characters ignored, accents not) of the case-folded ID, so an ID stored as
// "n00002" finds the step "N00002" by hash. An ID of ASCII letters and digits is keyed by its
// capitals without the collation (so "N00002" is its own key, made without a copy); any other by the plain ID the collation finds it equal to (found by
// undoing width, compatibility forms, digit scripts and ignorable characters), else by its
// collation key. Not for showing: the key is binary. Two IDs are one here when they are one on
// PostgreSQL (same ICU, same settings), except where an ID equals a plain one only through an
// equivalence those steps do not undo: then they are two here, the stricter answer. SQLite ignores
// only the case of ASCII letters; there SameId is the stricter rule ("É"/"é" or "１"/"1" are one
// here).
QString IdKey(const QString& id);

// The key of an ID after a one-character tag that is kept as it is ("N" + a step ID, "L" + a link
// code): the tag followed by the ID's IdKey, and `tagged` itself when the ID is its own key.
QString TaggedIdKey(const QString& tagged);

// IdKey as the key function of a KeyedCollection.
struct IdKeyOf {
    static QString Of(const QString& id) { return IdKey(id); }
};

} // namespace korvel
