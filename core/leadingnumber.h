#pragma once

#include <QString>
#include <QtGlobal>

namespace korvel {

// The number at the start of a text, 0 when there is none: leading blanks are skipped, then an
// optional sign, digits, an optional decimal part and exponent are read ("12abc" gives 12,
// " -5" gives -5, "0.5" gives 0.5, "abc" and "" give 0).
double LeadingNumber(const QString& text);

// LeadingNumber rounded to a whole number (halves away from zero), clamped to the 32-bit range.
qint32 LeadingWholeNumber(const QString& text);

} // namespace korvel
