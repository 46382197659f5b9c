#pragma once

#include <QString>

namespace korvel {

// Why a write, a read or a file operation failed, read from the text the database, Qt or the system
// gave (the text the error log holds). SQLite and PostgreSQL word the same trouble differently;
// this is the one place that tells them apart.
enum class FailureCause {
    Unknown,          // none of the below
    Busy,             // another program or session holds the database or the rows (a lock wait given up)
    Conflict,         // another session changed the same rows at the same time (serialization, deadlock)
    ReadOnly,         // the database or the file system takes no writes
    DiskFull,         // no room left to write
    Constraint,       // the data breaks one of the database's rules (a key in use, a value missing)
    ConnectionLost,   // the database cannot be reached, or the connection broke
    TimedOut,         // the database did not answer in time
    PermissionDenied, // the database or the system does not allow it
    Damaged,          // the database file is damaged or is no database
    FileUnwritable,   // a file cannot be written there (Korvel's own message, the system's reason unknown)
};

FailureCause ClassifyFailure(const QString& raw);

// True when the user can do something about it from the window (try again, choose another ID);
// false when it needs someone outside of it (the server, the disk, the rights).
bool UserCanAct(FailureCause cause);

// The cause in the user's language as one short sentence followed by the raw text, e.g. "The
// database is busy: another program holds it (database is locked)."; the sentence alone when
// `raw` is empty.
QString DescribeFailure(FailureCause cause, const QString& raw);

// How many errors were logged (LogError) on this thread so far: an operation that returns only a
// failure value logged why it failed when this grew meanwhile.
quint64 LoggedErrorCount();

} // namespace korvel
