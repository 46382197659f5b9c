#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <memory>

namespace korvel {

// One stored version of a frame, without its content.
struct FrameVersionRow {
    QString frameId;
    int version = 0;   // 1, 2, ... per frame ID
    qint64 serial = 0; // the change-log serial of the write that stored it (0 for "found")
    // What the write was: a FrameChangeKindName ("save", "header", "new", "copy", "delete",
    // "import"), "restore" (an older version brought back, or a deleted frame undeleted), or "found"
    // (the frame as it was when its history began).
    QString kind;
    QString staffId, savedAt; // savedAt "yyyy-MM-dd HH:mm:ss"
    QString origin;           // copy: the frame copied; restore: the version brought back; else ""
    QString summary;          // StoredSummary() of the change from the version before
    QString frameName;        // the frame's name in this version
    qint64 contentBytes = 0;  // the content's size as stored
    bool operator==(const FrameVersionRow&) const = default;
};

inline const QString FoundVersionKind = QStringLiteral("found");
inline const QString RestoredVersionKind = QStringLiteral("restore");

// The frames' versions: every write that changes a frame's content stores the whole frame as a
// frame file (model/framefile.h), compressed, in the write's own transaction. Every function runs
// on the given connection and throws KorvelError with the database's text.
namespace FrameVersions {

// The version of the history's tables, recorded in Korvel_Schema under "Korvel_FrameVersion" so
// that a later layout can migrate what an earlier one stored.
inline constexpr int SchemaVersion = 1;

// Creates the tables (Korvel_FrameVersion, Korvel_Schema) when they are missing.
void EnsureTables(const QSqlDatabase& database);
// The frame's newest version number; 0 when it has none.
int Latest(const QSqlDatabase& database, const QString& frameId);
// A frame file as a version keeps it: "zlib" (qCompress's form) as written; "json", the file as it
// is, is read too.
struct StoredContent {
    QByteArray bytes;
    QString encoding;
};
// A frame file compressed as it is given in pieces (qCompress's form: the length as four bytes,
// big-endian, then a zlib stream), so the whole text is never held at once. Needs no connection (a
// writer encodes on a second thread while it sends its statements).
class ContentEncoder final {
public:
    ContentEncoder();
    ~ContentEncoder();
    ContentEncoder(const ContentEncoder&) = delete;
    ContentEncoder& operator=(const ContentEncoder&) = delete;
    void Add(QByteArrayView piece);
    StoredContent Finish();

private:
    void Deflate(QByteArrayView piece, bool last);
    struct Stream;
    std::unique_ptr<Stream> m_stream;
    QByteArray m_out;
    quint64 m_length = 0;
};
// Stores the content as version `row.version` of the frame (Latest + 1), inside the caller's
// transaction; savedAt is filled in when empty. Writers of one frame hold its row or its lock, so two
// never number the same version (the primary key would refuse it).
void Store(const QSqlDatabase& database, FrameVersionRow row, const StoredContent& content);
// The frame's versions, newest first.
QList<FrameVersionRow> List(const QSqlDatabase& database, const QString& frameId);
// One version's row and content (the frame file, uncompressed); false when there is no such version.
bool Load(const QSqlDatabase& database, const QString& frameId, int version, FrameVersionRow& row,
          QByteArray& content);
// The newest version of every frame whose newest version is a deletion, newest first.
QList<FrameVersionRow> Deleted(const QSqlDatabase& database);
// Drops all but the newest `keep` versions of every frame (keep ≥ 1); a deletion that is its
// frame's newest version is kept too. Returns how many were dropped.
int Prune(const QSqlDatabase& database, int keep);

} // namespace FrameVersions
} // namespace korvel
