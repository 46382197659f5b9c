#include "persistence/sqltext.h"

#include "core/addinglobals.h"

#include <QDateTime>

namespace korvel {

QString SqlText(const QString& value)
{
    return Utility().SqlQuote(value);
}

QString SqlNumber(qint32 value)
{
    return QString::number(value);
}

QString SqlStaff()
{
    return SqlText(Host().LoginStaffID().left(6));
}

QString SqlNow()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace korvel
