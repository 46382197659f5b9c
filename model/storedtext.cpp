#include "model/storedtext.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"

namespace korvel {

QString StoredText(const Recordset& rs, const char* column, const QString& prefix)
{
    QString text = Utility().FieldToString(rs.Fields(QLatin1StringView(column)));
    if (text.contains(QChar(0))) {
        text.remove(QChar(0));
        LogError(prefix, QStringLiteral("A NUL character was removed from the value of %1 \"%2\"")
                             .arg(QLatin1String(column), text.left(40)));
    }
    return text;
}

} // namespace korvel
