#include "persistence/frameversions.h"

#include "core/korvelerror.h"
#include "persistence/boundstatement.h"

#include <QDateTime>
#include <algorithm>
#include <zlib.h>
#include <QSqlQuery>
#include <QVariant>

namespace korvel {
namespace FrameVersions {
namespace {

// How a content is stored: the frame file as it is, or compressed by qCompress.
const QString PlainEncoding = QStringLiteral("json");
const QString CompressedEncoding = QStringLiteral("zlib");

// The columns of a row, in the order ReadRow takes them.
const QString RowColumns = QStringLiteral(
    "FrameID, Version, Serial, Kind, StaffID, SavedAt, Origin, Summary, FrameName, ContentBytes");

// An empty text, never NULL (which the driver would bind for a null QString).
QString NotNull(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

FrameVersionRow ReadRow(const QSqlQuery& query)
{
    FrameVersionRow row;
    row.frameId = query.value(0).toString();
    row.version = query.value(1).toInt();
    row.serial = query.value(2).toLongLong();
    row.kind = query.value(3).toString();
    row.staffId = query.value(4).toString();
    row.savedAt = query.value(5).toString();
    row.origin = query.value(6).toString();
    row.summary = query.value(7).toString();
    row.frameName = query.value(8).toString();
    row.contentBytes = query.value(9).toLongLong();
    return row;
}

QList<FrameVersionRow> ReadRows(QSqlQuery&& query)
{
    QList<FrameVersionRow> rows;
    while (query.next())
        rows << ReadRow(query);
    return rows;
}

} // namespace

void EnsureTables(const QSqlDatabase& database)
{
    const bool sqlite = IsSqlite(database);
    RunBound(database, QStringLiteral("CREATE TABLE IF NOT EXISTS Korvel_FrameVersion (FrameID VARCHAR(40) COLLATE %1 "
                                      "NOT NULL, Version INTEGER NOT NULL, Serial BIGINT NOT NULL, Kind VARCHAR(10) "
                                      "NOT NULL, StaffID VARCHAR(40) NOT NULL, SavedAt VARCHAR(19) NOT NULL, Origin "
                                      "VARCHAR(40) NOT NULL, Summary TEXT NOT NULL, FrameName TEXT NOT NULL, "
                                      "Encoding VARCHAR(10) NOT NULL, ContentBytes BIGINT NOT NULL, Content %2 NOT "
                                      "NULL, PRIMARY KEY (FrameID, Version))")
                           .arg(sqlite ? QStringLiteral("NOCASE") : QStringLiteral("korvel_ci"),
                                sqlite ? QStringLiteral("BLOB") : QStringLiteral("BYTEA")));
    RunBound(database, QStringLiteral("CREATE TABLE IF NOT EXISTS Korvel_Schema (Name VARCHAR(40) PRIMARY KEY, "
                                      "Version INTEGER NOT NULL)"));
    RunBound(database, QStringLiteral("INSERT INTO Korvel_Schema (Name, Version) VALUES (?, ?) ON CONFLICT (Name) DO "
                                      "NOTHING"),
             {QStringLiteral("Korvel_FrameVersion"), SchemaVersion});
}

int Latest(const QSqlDatabase& database, const QString& frameId)
{
    return static_cast<int>(FirstNumber(
        RunBound(database, QStringLiteral("SELECT MAX(Version) FROM Korvel_FrameVersion WHERE FrameID = ?"), {frameId})));
}

struct ContentEncoder::Stream {
    z_stream z{};
};

ContentEncoder::ContentEncoder() : m_stream(std::make_unique<Stream>())
{
    // The fastest level: a frame file shrinks to a twentieth all the same.
    if (deflateInit(&m_stream->z, 1) != Z_OK)
        throw KorvelError(QStringLiteral("The version could not be compressed"));
    m_out.resize(4); // the length, filled in by Finish
}

ContentEncoder::~ContentEncoder()
{
    deflateEnd(&m_stream->z);
}

void ContentEncoder::Add(QByteArrayView piece)
{
    m_length += static_cast<quint64>(piece.size());
    Deflate(piece, false);
}

void ContentEncoder::Deflate(QByteArrayView piece, bool last)
{
    z_stream& z = m_stream->z;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
    z.avail_in = static_cast<uInt>(piece.size());
    int result = Z_OK;
    do {
        const qsizetype used = m_out.size();
        const qsizetype room = std::max<qsizetype>(64 * 1024, piece.size() / 4);
        m_out.resize(used + room);
        z.next_out = reinterpret_cast<Bytef*>(m_out.data() + used);
        z.avail_out = static_cast<uInt>(room);
        result = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
        m_out.resize(used + room - z.avail_out);
    } while (z.avail_out == 0 || (last && result != Z_STREAM_END));
}

StoredContent ContentEncoder::Finish()
{
    Deflate({}, true);
    for (int i = 0; i < 4; ++i)
        m_out[i] = static_cast<char>((m_length >> (24 - 8 * i)) & 0xff);
    return {std::move(m_out), CompressedEncoding};
}

void Store(const QSqlDatabase& database, FrameVersionRow row, const StoredContent& content)
{
    if (row.savedAt.isEmpty())
        row.savedAt = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    RunBound(database,
             QStringLiteral("INSERT INTO Korvel_FrameVersion (FrameID, Version, Serial, Kind, StaffID, SavedAt, "
                            "Origin, Summary, FrameName, Encoding, ContentBytes, Content) VALUES (?, ?, ?, ?, ?, ?, "
                            "?, ?, ?, ?, ?, ?)"),
             {row.frameId, row.version, row.serial, row.kind, NotNull(row.staffId), row.savedAt, NotNull(row.origin),
              NotNull(row.summary), NotNull(row.frameName), content.encoding, content.bytes.size(), content.bytes});
}

QList<FrameVersionRow> List(const QSqlDatabase& database, const QString& frameId)
{
    return ReadRows(RunBound(
        database,
        QStringLiteral("SELECT %1 FROM Korvel_FrameVersion WHERE FrameID = ? ORDER BY Version DESC").arg(RowColumns),
        {frameId}));
}

bool Load(const QSqlDatabase& database, const QString& frameId, int version, FrameVersionRow& row, QByteArray& content)
{
    QSqlQuery query = RunBound(database,
                               QStringLiteral("SELECT %1, Encoding, Content FROM Korvel_FrameVersion WHERE FrameID = ? "
                                              "AND Version = ?")
                                   .arg(RowColumns),
                               {frameId, version});
    if (!query.next())
        return false;
    row = ReadRow(query);
    const QString encoding = query.value(10).toString();
    content = query.value(11).toByteArray();
    if (encoding == CompressedEncoding)
        content = qUncompress(content);
    else if (encoding != PlainEncoding)
        throw KorvelError(QStringLiteral("Version %1 of frame %2 is stored in an unknown form \"%3\"")
                              .arg(version)
                              .arg(frameId, encoding));
    return true;
}

QList<FrameVersionRow> Deleted(const QSqlDatabase& database)
{
    return ReadRows(RunBound(
        database, QStringLiteral("SELECT %1 FROM Korvel_FrameVersion v WHERE Kind = 'delete' AND Version = (SELECT "
                                 "MAX(Version) FROM Korvel_FrameVersion w WHERE w.FrameID = v.FrameID) ORDER BY "
                                 "SavedAt DESC, Serial DESC")
                      .arg(RowColumns)));
}

int Prune(const QSqlDatabase& database, int keep)
{
    if (keep < 1)
        throw KorvelError(QStringLiteral("At least the newest version of each frame is kept (keep %1)").arg(keep));
    const QSqlQuery query = RunBound(database,
                                     QStringLiteral("DELETE FROM Korvel_FrameVersion WHERE Version <= (SELECT "
                                                    "MAX(Version) FROM Korvel_FrameVersion w WHERE w.FrameID = "
                                                    "Korvel_FrameVersion.FrameID) - ?"),
                                     {keep});
    return query.numRowsAffected();
}

} // namespace FrameVersions
} // namespace korvel
