#pragma once

#include <QSet>
#include <QString>
#include <QByteArrayView>
#include <QStringView>
#include <vector>

namespace korvel {

// The node ID for one counter value: "N" followed by the counter, padded on the left with zeros
// to at least five digits (1 gives "N00001"); longer numbers are written in full, never cut.
QString NodeIDCandidate(qint64 counter);

// Hands out new node IDs: the lowest numbers whose candidate ID (NodeIDCandidate) no node uses,
// in rising order. The numbers in use are read once; IDs handed out count as used from then on.
class NodeIdAllocator final {
public:
    // Reads every node ID of every frame with one query. `looseDigits`: the database takes IDs that
    // differ only in the width or script of their digits, or in invisible characters, for the same
    // (PostgreSQL's case-insensitive collation); SQLite only ignores the letter case. Throws
    // KorvelError when the IDs cannot be read: a number nobody could check is never handed out.
    static NodeIdAllocator FromDatabase();
    // The same for a writer that stores the IDs it hands out before its transaction (open) commits.
    // On PostgreSQL it first waits until every other such writer has committed or rolled back, so
    // no two of them hand out the same IDs; the wait ends with the writer's transaction. SQLite
    // writers take turns from the start of their transactions anyway.
    static NodeIdAllocator ForWriter();

    explicit NodeIdAllocator(bool looseDigits) : m_looseDigits(looseDigits) {}

    // Counts `id` as used when it names a candidate (an unsaved step's ID, or one read).
    void MarkUsed(QStringView id);
    // The same for an ID in UTF-8.
    void MarkUsedUtf8(QByteArrayView id);
    // True, and `id` counted as used from now on, when no node has it: a candidate's number is looked
    // up among those read, any other ID in the database (one query).
    bool TakeIfFree(const QString& id);
    // The next free ID. Throws KorvelError past the largest 32-bit number.
    QString Next();

private:
    bool used(qint64 number) const;
    void markNumber(qint64 number);

    // Numbers below this are kept as bits, IDs being handed out densely from N00001; the larger
    // ones only odd data has go into a set.
    static constexpr qint64 DenseLimit = qint64(1) << 20;

    bool m_looseDigits;
    std::vector<bool> m_dense; // m_dense[n]: n is used
    QSet<qint64> m_sparse;
    qint64 m_counter = 1;
};

} // namespace korvel
