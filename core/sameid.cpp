#include "core/sameid.h"

#include <QCollator>
#include <QLocale>

namespace korvel {

bool SameId(const QString& a, const QString& b)
{
    if (a.compare(b, Qt::CaseInsensitive) == 0)
        return true;
    // The root collation at secondary strength, as the server's case-insensitive ICU collation.
    thread_local const QCollator collator = [] {
        QCollator c{QLocale(QLocale::English)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b) == 0;
}

} // namespace korvel
