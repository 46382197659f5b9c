#pragma once

#include <QString>

namespace korvel {

// The one rule of what text the databases can store: every character but NUL, which no statement
// can carry, and a UTF-16 surrogate without its other half, which is no character at all (SQLite
// misreads the statement around it, PostgreSQL's client encoding turns it into "?"). U+FEFF,
// U+FFFE, U+FFFF and every other character are stored and read back as they are.
// Empty when all of `text` can be stored; else the first character that cannot, named for a
// message: "NUL", or its code ("U+D83D") for a lone surrogate.
QString UnstorableCharacter(const QString& text);

} // namespace korvel
