#pragma once

#include "persistence/recordset.h"

#include <QByteArrayView>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <memory>

struct sqlite3;

namespace korvel {

// Rows read with every text exactly as the database holds it. Qt's drivers change some on the way:
// QSQLITE reads text through SQLite's UTF-16 interface, which turns U+FFFE and U+FFFF into U+FFFD,
// and QPSQL decodes with QString::fromUtf8, which drops a U+FEFF that starts a value.

// UTF-8 text as stored: a U+FEFF at its start is a character of the value, not a byte-order mark.
QString StoredUtf8(QByteArrayView bytes);

// Runs `sql`, its "?" taking `bindings` in order, through SQLite's own UTF-8 interface and reads
// every row, with the value types QSQLITE gives (qlonglong, double, QString, QByteArray; NULL as a
// null QString). A statement without result columns gives a closed set. Throws KorvelError with
// SQLite's message.
std::unique_ptr<Recordset> SqliteRecordset(sqlite3* connection, const QString& sql, const QVariantList& bindings);

// Puts back the U+FEFF that QPSQL dropped from the start of a text value of the query's current row
// (`row`, read by value()). Does nothing for other drivers.
void KeepLeadingFeff(const QSqlQuery& query, QVector<QVariant>& row);

} // namespace korvel
