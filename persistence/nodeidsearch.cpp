#include "persistence/nodeidsearch.h"

#include "core/korvelerror.h"

#include <limits>

namespace korvel {

QString NodeIDCandidate(qint32 counter)
{
    return QStringLiteral("N") + QString::number(counter).rightJustified(5, QLatin1Char('0'));
}

QString FirstFreeNodeID(const std::function<qint32(const QString&)>& usedBy, qint32 firstCounter)
{
    for (qint32 counter = firstCounter;; ++counter) {
        QString candidate = NodeIDCandidate(counter);
        const qint32 used = usedBy(candidate);
        if (used < 0)
            return candidate;
        if (used == 0)
            throw KorvelError(QStringLiteral("The node ID \"%1\" could not be checked").arg(candidate));
        if (counter == std::numeric_limits<qint32>::max())
            throw KorvelError(QStringLiteral("Overflow: no free node ID up to \"%1\"").arg(candidate));
    }
}

} // namespace korvel
