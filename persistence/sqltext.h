#pragma once

#include <QString>

namespace korvel {

// The pieces from which cDBOperate builds its literal statements.

// A text value made safe to stand between single quotes, through the host's SqlQuote.
// Throws KorvelError when the host utility object is not available.
QString SqlText(const QString& value);
// A whole number as bare decimal text, a minus sign in front when negative.
QString SqlNumber(qint32 value);
// The first 6 characters of the logged-in user's staff ID, asked of the host at each call, quoted
// like every other text value.
QString SqlStaff();
// The current local time as "yyyy-MM-dd HH:mm:ss", read from the clock at each call.
QString SqlNow();

} // namespace korvel
