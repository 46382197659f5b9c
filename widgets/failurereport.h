#pragma once

#include <QString>

namespace korvel {

// Tells the user through Messages() that `what` failed (e.g. "Save failed") and why: below it the
// cause ClassifyFailure reads from `raw` (the database's or the system's own text) in the user's
// language, and `raw` as the detail; with a warning icon when the user can act on the cause
// (UserCanAct), a critical one otherwise.
void ReportFailure(const QString& what, const QString& raw);
// The same for the error last logged on this thread.
void ReportLoggedFailure(const QString& what);
// Shows a refusal that names its cause already, in the user's language or the database's (a
// KorvelError of an import, a picture or the history): with the cause ClassifyFailure finds in it
// below, critical when the user cannot act on it from here (a file that cannot be written, a
// database that cannot be reached), else a warning; as it is with a warning (bad input) when it
// finds none.
void ReportRefusal(const QString& description);

} // namespace korvel
