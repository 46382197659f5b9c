#pragma once

#include <QString>

namespace korvel {

// True when the file at `path` is missing or empty (SQLite may create a database there) or starts
// with SQLite's header; anything else is not korvel's to open, let alone to overwrite.
bool MayHoldSqlite(const QString& path);

// True when SQLite's rollback journal lies beside the database `path`: a write is under way, or one
// was interrupted (a crash, a kill) and must be rolled back before a read-only connection can read.
bool HasJournal(const QString& path);

// Opens the database `path` for writing once, which lets SQLite roll back an interrupted write
// (a journal that no live connection holds; one that is held is left to its writer). Returns "" when
// done, else the reason.
QString RollBackInterruptedWrite(const QString& path);

// The message for a database whose interrupted write a read-only command cannot roll back
// (`shownName` names it): what happened and how to recover.
QString InterruptedWriteMessage(const QString& shownName);

} // namespace korvel
