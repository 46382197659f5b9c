#include "persistence/nodeidsearch.h"

#include "core/addinglobals.h"
#include "core/korvelerror.h"
#include "persistence/cdboperate.h"

#include <limits>

namespace korvel {
namespace {

// The counter an ID stands for as a candidate, or 0 when it is no candidate's. A candidate is "N"
// and the number with at least five digits and no further leading zeros, letter case ignored.
qint64 CandidateNumber(QStringView id, bool looseDigits)
{
    // Nearly every ID is plain ASCII and read here by the ten thousand: decide those without
    // making a single string. Only an ID with other characters needs the general rule below.
    bool ascii = true;
    for (const QChar c : id)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        if (id.size() < 6 || (id.at(0) != u'N' && id.at(0) != u'n'))
            return 0;
        if (id.size() > 6 && id.at(1) == u'0') // more than five digits, with a leading zero
            return 0;
        qint64 number = 0;
        for (qsizetype i = 1; i < id.size(); ++i) {
            const char16_t c = id.at(i).unicode();
            if (c < u'0' || c > u'9')
                return 0;
            number = number * 10 + (c - u'0');
            if (number > std::numeric_limits<qint32>::max())
                return 0;
        }
        return number;
    }
    QString text = id.toString();
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
    auto rs = DBOperate().GetAllNodeIDs();
    if (!rs || !rs->IsOpen() || rs->IsEOF())
        throw KorvelError(QStringLiteral("The node IDs in use could not be read"));
    const QString joined = rs->Fields(0).toString(); // empty (null) without nodes
    allocator.m_used.reserve(joined.size() / 6 + 1);
    for (const QStringView id : QStringView(joined).split(u'\n'))
        allocator.MarkUsed(id);
    return allocator;
}

void NodeIdAllocator::MarkUsed(QStringView id)
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
