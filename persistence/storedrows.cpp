#include "persistence/storedrows.h"

#include "core/korvelerror.h"

#include <QSqlResult>
#include <QStringDecoder>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace korvel {
namespace {

[[noreturn]] void Fail(sqlite3* connection)
{
    throw KorvelError(QString::fromUtf8(sqlite3_errmsg(connection)));
}

void Bind(sqlite3* connection, sqlite3_stmt* statement, int place, const QVariant& value)
{
    int status = SQLITE_OK;
    if (value.isNull()) {
        status = sqlite3_bind_null(statement, place);
    } else if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        status = sqlite3_bind_blob64(statement, place, bytes.constData(), static_cast<sqlite3_uint64>(bytes.size()),
                                     SQLITE_TRANSIENT);
    } else if (value.typeId() == QMetaType::Double) {
        status = sqlite3_bind_double(statement, place, value.toDouble());
    } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong ||
               value.typeId() == QMetaType::Bool) {
        status = sqlite3_bind_int64(statement, place, value.toLongLong());
    } else {
        const QByteArray text = value.toString().toUtf8();
        status = sqlite3_bind_text64(statement, place, text.constData(), static_cast<sqlite3_uint64>(text.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    if (status != SQLITE_OK)
        Fail(connection);
}

QVariant Value(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(statement, column)));
    }
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return QVariant(StoredUtf8(QByteArrayView(text, sqlite3_column_bytes(statement, column))));
    }
    }
}

} // namespace

QString StoredUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

std::unique_ptr<Recordset> SqliteRecordset(sqlite3* connection, const QString& sql, const QVariantList& bindings)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(connection, text.constData(), static_cast<int>(text.size()), &raw, &tail) != SQLITE_OK)
        Fail(connection);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    if (!statement)
        throw KorvelError(QStringLiteral("The statement is empty"));
    if (!QByteArrayView(tail, text.constData() + text.size() - tail).trimmed().isEmpty())
        throw KorvelError(QStringLiteral("Unable to execute multiple statements at a time"));
    for (int i = 0; i < bindings.size(); ++i)
        Bind(connection, statement.get(), i + 1, bindings.at(i));

    const int count = sqlite3_column_count(statement.get());
    QStringList columns;
    for (int i = 0; i < count; ++i)
        columns << QString::fromUtf8(sqlite3_column_name(statement.get(), i)).remove(u'"');
    QVector<QVector<QVariant>> rows;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        QVector<QVariant>& row = rows.emplace_back();
        row.reserve(count);
        for (int i = 0; i < count; ++i)
            row.append(Value(statement.get(), i));
    }
    if (step != SQLITE_DONE)
        Fail(connection);
    auto result = std::make_unique<Recordset>(std::move(columns), std::move(rows));
    if (count == 0)
        result->Close(); // as an ADO recordset opened on a statement without rows
    return result;
}

void KeepLeadingFeff(const QSqlQuery& query, QVector<QVariant>& row)
{
    const QVariant handle = query.result() ? query.result()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "pg_result*") != 0)
        return;
    const PGresult* result = *static_cast<const PGresult* const*>(handle.constData());
    // A forward-only query holds one row per result; any other all of them.
    const int at = query.at() < PQntuples(result) ? query.at() : 0;
    for (int column = 0; column < row.size() && column < PQnfields(result); ++column) {
        if (row.at(column).typeId() != QMetaType::QString || PQgetisnull(result, at, column))
            continue;
        const char* value = PQgetvalue(result, at, column);
        if (qstrncmp(value, "\xEF\xBB\xBF", 3) == 0)
            row[column] = StoredUtf8(QByteArrayView(value, PQgetlength(result, at, column)));
    }
}

} // namespace korvel
