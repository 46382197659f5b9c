#include "persistence/nodeidsearch.h"

#include "core/addinglobals.h"
#include "core/korvelerror.h"
#include "persistence/cdboperate.h"

#include <limits>

namespace korvel {
namespace {

// The counter an ID stands for as a candidate, or 0 when it is no candidate's. A candidate is "N"
// and the number with at least five digits and no further leading zeros, letter case ignored.
qint64 CandidateNumber(QString id, bool looseDigits)
{
    if (looseDigits) {
        id = id.normalized(QString::NormalizationForm_KC);
        QString digits;
        for (const QChar c : std::as_const(id)) {
            if (c.category() == QChar::Other_Format) // invisible: the collation skips it
                continue;
            const int value = c.digitValue();
            digits += value >= 0 && c.isDigit() ? QChar(u'0' + value) : c;
        }
        id = digits;
    }
    if (id.size() < 6 || (id.at(0) != u'N' && id.at(0) != u'n'))
        return 0;
    bool isNumber = false;
    const qint64 number = id.mid(1).toLongLong(&isNumber);
    for (const QChar c : id.mid(1))
        if (c < u'0' || c > u'9')
            return 0;
    if (!isNumber || number < 1 || number > std::numeric_limits<qint32>::max())
        return 0;
    return NodeIDCandidate(number).compare(id, Qt::CaseInsensitive) == 0 ? number : 0;
}

} // namespace

QString NodeIDCandidate(qint64 counter)
{
    return QStringLiteral("N") + QString::number(counter).rightJustified(5, QLatin1Char('0'));
}

NodeIdAllocator NodeIdAllocator::FromDatabase()
{
    NodeIdAllocator allocator(Addin().DBConnection.driverName() != QLatin1String("QSQLITE"));
    auto rs = DBOperate().GetAllNodeIDs();
    if (!rs || !rs->IsOpen())
        throw KorvelError(QStringLiteral("The node IDs in use could not be read"));
    for (; !rs->IsEOF(); rs->MoveNext())
        allocator.MarkUsed(rs->Fields(0).toString());
    return allocator;
}

void NodeIdAllocator::MarkUsed(const QString& id)
{
    if (const qint64 number = CandidateNumber(id, m_looseDigits))
        m_used.insert(number);
}

QString NodeIdAllocator::Next()
{
    while (m_used.contains(m_counter))
        ++m_counter;
    if (m_counter > std::numeric_limits<qint32>::max())
        throw KorvelError(QStringLiteral("Overflow: no free node ID up to \"%1\"")
                              .arg(NodeIDCandidate(std::numeric_limits<qint32>::max())));
    m_used.insert(m_counter);
    return NodeIDCandidate(m_counter);
}

} // namespace korvel
