#pragma once

#include "persistence/recordset.h"

#include <QString>

namespace korvel {

// A text column of the result set's current row as the model keeps it: the host's conversion with
// every NUL character removed, since no statement can carry one back (a frame holding one could
// never be saved again). Each value that loses one is logged once under `prefix`, naming the column.
QString StoredText(const Recordset& rs, const char* column, const QString& prefix);

} // namespace korvel
