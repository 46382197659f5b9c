#include "persistence/nodeidsearch.h"

#include "core/addinglobals.h"
#include "core/korvelerror.h"
#include "persistence/cdboperate.h"
#include "persistence/connection.h"
#include "persistence/framechanges.h"

#include <algorithm>
#include <limits>
#include <type_traits>

namespace korvel {
namespace {

// The counter a plain ASCII ID stands for as a candidate, or 0 when it is no candidate's; -1 when
// the ID has other characters. Nearly every ID is plain ASCII and read here by the ten thousand:
// these are decided without making a single string, in UTF-8 or UTF-16 alike.
template <typename Char> qint64 PlainCandidateNumber(const Char* id, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i)
        if (static_cast<std::make_unsigned_t<Char>>(id[i]) >= 0x80)
            return -1;
    if (size < 6 || (id[0] != 'N' && id[0] != 'n'))
        return 0;
    if (size > 6 && id[1] == '0') // more than five digits, with a leading zero
        return 0;
    qint64 number = 0;
    for (qsizetype i = 1; i < size; ++i) {
        if (id[i] < '0' || id[i] > '9')
            return 0;
        number = number * 10 + (id[i] - '0');
        if (number > std::numeric_limits<qint32>::max())
            return 0;
    }
    return number;
}

// The counter an ID of any characters stands for as a candidate, or 0 when it is no candidate's.
// A candidate is "N" and the number with at least five digits and no further leading zeros,
// letter case ignored.
qint64 CandidateNumber(QString text, bool looseDigits)
{
    if (looseDigits) {
        text = text.normalized(QString::NormalizationForm_KC);
        QString digits;
        for (const QChar c : std::as_const(text)) {
            if (c.category() == QChar::Other_Format) // invisible: the collation skips it
                continue;
            const int value = c.digitValue();
            digits += value >= 0 && c.isDigit() ? QChar(u'0' + value) : c;
        }
        text = digits;
    }
    if (text.size() < 6 || (text.at(0) != u'N' && text.at(0) != u'n'))
        return 0;
    bool isNumber = false;
    const qint64 number = text.mid(1).toLongLong(&isNumber);
    for (const QChar c : text.mid(1))
        if (c < u'0' || c > u'9')
            return 0;
    if (!isNumber || number < 1 || number > std::numeric_limits<qint32>::max())
        return 0;
    return NodeIDCandidate(number).compare(text, Qt::CaseInsensitive) == 0 ? number : 0;
}

} // namespace

QString NodeIDCandidate(qint64 counter)
{
    return QStringLiteral("N") + QString::number(counter).rightJustified(5, QLatin1Char('0'));
}

NodeIdAllocator NodeIdAllocator::FromDatabase()
{
    NodeIdAllocator allocator(Addin().DBConnection.driverName() != QLatin1String("QSQLITE"));
    if (!DBOperate().GetAllNodeIDs([&allocator](QByteArrayView id) { allocator.MarkUsedUtf8(id); }))
        throw KorvelError(QStringLiteral("The node IDs in use could not be read"));
    return allocator;
}

NodeIdAllocator NodeIdAllocator::ForWriter()
{
    // Held until the transaction ends. The read that follows is a statement of its own, so under
    // READ COMMITTED it sees what the writer before had committed; within one statement it would
    // not (its snapshot would predate the wait).
    if (Addin().DBConnection.driverName() == QLatin1String("QPSQL"))
        Connection::Shared().Execute(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(FrameChanges::WritersLockKey));
    return FromDatabase();
}

void NodeIdAllocator::MarkUsed(QStringView id)
{
    qint64 number = PlainCandidateNumber(id.utf16(), id.size());
    if (number < 0)
        number = CandidateNumber(id.toString(), m_looseDigits);
    if (number > 0)
        markNumber(number);
}

void NodeIdAllocator::MarkUsedUtf8(QByteArrayView id)
{
    qint64 number = PlainCandidateNumber(id.data(), id.size());
    if (number < 0)
        number = CandidateNumber(QString::fromUtf8(id), m_looseDigits);
    if (number > 0)
        markNumber(number);
}

bool NodeIdAllocator::TakeIfFree(const QString& id)
{
    qint64 number = PlainCandidateNumber(id.utf16(), id.size());
    if (number < 0)
        number = CandidateNumber(id, m_looseDigits);
    if (number == 0)
        return DBOperate().getNodeExists(id) == -1;
    if (used(number))
        return false;
    markNumber(number);
    return true;
}

bool NodeIdAllocator::used(qint64 number) const
{
    if (number < DenseLimit)
        return number < static_cast<qint64>(m_dense.size()) && m_dense[static_cast<size_t>(number)];
    return m_sparse.contains(number);
}

void NodeIdAllocator::markNumber(qint64 number)
{
    if (number >= DenseLimit) {
        m_sparse.insert(number);
        return;
    }
    const auto index = static_cast<size_t>(number);
    if (index >= m_dense.size())
        m_dense.resize(std::max(index + 1, m_dense.size() * 2));
    m_dense[index] = true;
}

QString NodeIdAllocator::Next()
{
    while (used(m_counter))
        ++m_counter;
    if (m_counter > std::numeric_limits<qint32>::max())
        throw KorvelError(QStringLiteral("Overflow: no free node ID up to \"%1\"")
                              .arg(NodeIDCandidate(std::numeric_limits<qint32>::max())));
    markNumber(m_counter);
    return NodeIDCandidate(m_counter);
}

} // namespace korvel
