#pragma once

#include <QString>

namespace korvel {

// Whether two IDs (node IDs, link codes) would name the same row in the database. The databases
// compare IDs without regard to letter case and, on PostgreSQL, also without regard to width, the
// script of digits and invisible characters ("１２３", "١٢٣" and "123" are one key there). This is
// that comparison or a stricter one, so a clash is refused when the ID is entered, not by a save.
bool SameId(const QString& a, const QString& b);

} // namespace korvel
