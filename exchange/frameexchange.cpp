#include "exchange/frameexchange.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/progress.h"
#include "core/sameid.h"
#include "core/wholefile.h"
#include "model/cworder.h"
#include "model/framefile.h"
#include "model/framehistory.h"
#include "model/recordwriter.h"
#include "persistence/connection.h"
#include "persistence/framechanges.h"
#include "persistence/lookupkeys.h"

#include <QFile>
#include <QHash>
#include <QMap>
#include <QSet>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {
namespace {

// String-table ids of the messages.
enum : qint32 {
    MsgFrameExists = 1430,
    MsgIdTooLong = 1431,
    MsgIdEmpty = 1432,
    MsgNewIdManyFrames = 1433,
    MsgFrameTwice = 1434,
    MsgLookupMissing = 1435,
    MsgCannotRead = 1436,
    MsgImportFailed = 1439,
    MsgIdBlanks = 1957,
    MsgTooLarge = 1958,
    MsgNotRegular = 1959,
    MsgAddedMeanwhile = 1960,
};

[[noreturn]] void Refuse(qint32 id, const QStringList& arguments)
{
    throw KorvelError(FormatMessage(id, arguments));
}

// The ID under which the database stores the frame `id` names (letter case may differ).
QString StoredId(const QString& id)
{
    auto rs = DBOperate().GetOneWorkOrder(id);
    if (!rs || !rs->IsOpen() || rs->IsEOF())
        Refuse(MsgImportFailed, {LastLoggedError()});
    return rs->Fields(0).toString();
}

// The IDs the frames will be stored under, checked like the IDs of a copy; with Replace, a stored
// frame's ID as it is stored, its index then in `replaced`.
QStringList TargetIds(const QList<FrameRecord>& frames, const QString& newId, ImportExisting existing,
                      QSet<qsizetype>& replaced)
{
    if (!newId.isNull() && frames.size() != 1)
        Refuse(MsgNewIdManyFrames, {QString::number(frames.size())});
    QStringList ids;
    QSet<QString> folded;
    for (const FrameRecord& frame : frames) {
        // An ID from the file is checked like one typed in a dialog, but never trimmed: blanks
        // around it are refused rather than silently changed (--as gives the ID without them).
        const QString id = newId.isNull() ? frame.header.WorkOrderFrame_ID : newId.trimmed();
        if (id.trimmed().isEmpty())
            Refuse(MsgIdEmpty, {});
        if (id != id.trimmed())
            Refuse(MsgIdBlanks, {id});
        if (Utility().ByteLength(id) >= 7)
            Refuse(MsgIdTooLong, {id});
        if (folded.contains(IdKey(id)))
            Refuse(MsgFrameTwice, {id});
        folded.insert(IdKey(id));
        const qint32 exists = DBOperate().GetWorkOrderIDExists(id);
        if (exists == 0)
            Refuse(MsgImportFailed, {LastLoggedError()});
        if (exists == 1 && existing != ImportExisting::Replace)
            Refuse(MsgFrameExists, {id});
        if (exists == 1)
            replaced.insert(ids.size());
        ids << (exists == 1 ? StoredId(id) : id);
    }
    return ids;
}

QList<FlowFinding> MissingLookups(const QList<FrameRecord>& frames, const QStringList& ids)
{
    QList<FlowFinding> findings;
    QMap<LookupKind, QSet<QString>> known; // each table read once
    for (qsizetype f = 0; f < frames.size(); ++f) {
        LookupNames names;
        AddLookups(frames.at(f), names);
        for (const auto& [kind, keys] : names) {
            if (!known.contains(kind))
                known.insert(kind, LookupKeys(kind));
            for (const QString& key : keys)
                if (!known.value(kind).contains(IdKey(key)))
                    findings.append({FindingSeverity::Warning, FindingItem::Frame, ids.at(f), MsgLookupMissing,
                                     {ids.at(f), LookupTableName(kind), key}});
        }
    }
    return findings;
}

// A regular file, or standard input for "-", of at most MaxImportFileBytes. Opened without
// blocking and checked on the open descriptor, so a FIFO without a writer or a device such as
// /dev/zero is refused at once instead of hanging or filling the memory.
QByteArray ReadFile(const QString& path)
{
    QFile file;
    if (path == QLatin1String("-")) {
        if (!file.open(STDIN_FILENO, QIODevice::ReadOnly))
            Refuse(MsgCannotRead, {path, file.errorString()});
    } else {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            Refuse(MsgCannotRead, {path, qt_error_string(errno)});
        struct stat status {};
        const bool known = ::fstat(fd, &status) == 0;
        const int error = errno;
        if (!known || !S_ISREG(status.st_mode)) {
            ::close(fd);
            if (!known)
                Refuse(MsgCannotRead, {path, qt_error_string(error)});
            Refuse(MsgNotRegular, {path});
        }
        if (status.st_size > MaxImportFileBytes || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            if (status.st_size > MaxImportFileBytes)
                Refuse(MsgTooLarge, {path, QString::number(MaxImportFileBytes / (1024 * 1024))});
            Refuse(MsgCannotRead, {path, file.errorString()});
        }
    }
    // Read in pieces up to one byte more than allowed: standard input has no size to check first.
    QByteArray content;
    while (content.size() <= MaxImportFileBytes) {
        const QByteArray piece = file.read(std::min<qint64>(1 << 20, MaxImportFileBytes + 1 - content.size()));
        if (piece.isEmpty())
            break;
        content += piece;
    }
    if (file.error() != QFileDevice::NoError)
        Refuse(MsgCannotRead, {path, file.errorString()});
    if (content.size() > MaxImportFileBytes)
        Refuse(MsgTooLarge, {path, QString::number(MaxImportFileBytes / (1024 * 1024))});
    return content;
}

} // namespace

QByteArray ExportFrames(const QStringList& frameIds)
{
    QList<FrameRecord> frames;
    for (const QString& frameId : frameIds)
        frames << ReadStoredFrame(frameId);
    return WriteFrameFile(frames);
}

void ExportFramesToFile(const QStringList& frameIds, const QString& path)
{
    WholeFile::Write(path, ExportFrames(frameIds));
}

ImportResult ImportFrames(const QByteArray& file, const QString& newId, Progress* progress, ImportExisting existing)
{
    const QList<FrameRecord> frames = ReadFrameFile(file);
    ImportResult result;
    QSet<qsizetype> replaced;
    result.frameIds = TargetIds(frames, newId, existing, replaced);
    try {
        result.findings = MissingLookups(frames, result.frameIds);
    } catch (const std::exception& error) {
        Refuse(MsgImportFailed, {describe(error)});
    }
    if (progress) {
        qsizetype items = 0;
        for (const FrameRecord& frame : frames)
            items += frame.steps.size() + frame.links.size();
        progress->Expect(static_cast<int>(items));
    }

    FrameWriteLocks locks;
    for (const qsizetype f : std::as_const(replaced))
        locks.Take(result.frameIds.at(f));

    const QString prefix = QStringLiteral("[Korvel]-[FrameExchange]-[ImportFrames]:");
    bool began = false;
    try {
        Connection connection = Connection::Shared();
        connection.BeginTrans();
        began = true;
        const QSqlDatabase& database = connection.database();
        for (qsizetype f = 0; f < frames.size(); ++f) {
            const QString& id = result.frameIds.at(f);
            const bool replace = replaced.contains(f);
            std::shared_ptr<const FrameRecord> before;
            if (replace)
                before = std::make_shared<const FrameRecord>(ReadStoredFrame(id));
            auto stored =
                std::make_shared<const FrameRecord>(WriteFrameRecord(frames.at(f), id, replace, StepIds::Fresh, progress));
            const qint64 serial = FrameChanges::Record(database, id, FrameChangeKind::Imported, Host().LoginStaffID());
            FrameHistory::VersionRecorder(before, stored)
                .Store(database, id, FrameChangeKindName(FrameChangeKind::Imported), serial);
        }
        connection.CommitTrans();
    } catch (const std::exception& error) {
        if (began)
            IgnoreErrors([] { Connection::Shared().RollbackTrans(); });
        LogError(prefix, error);
        // Another import or a Save as may have stored one of the IDs since they were checked: the
        // database then names its unique key, which says nothing to the user.
        for (qsizetype f = 0; f < result.frameIds.size(); ++f) {
            const QString& id = result.frameIds.at(f);
            qint32 exists = 0;
            if (!replaced.contains(f))
                IgnoreErrors([&] { exists = DBOperate().GetWorkOrderIDExists(id); });
            if (exists == 1)
                Refuse(MsgAddedMeanwhile, {id, describe(error)});
        }
        Refuse(MsgImportFailed, {describe(error)});
    }
    return result;
}

ImportResult ImportFramesFromFile(const QString& path, const QString& newId, Progress* progress,
                                  ImportExisting existing)
{
    return ImportFrames(ReadFile(path), newId, progress, existing);
}

QList<FrameValues> FrameFileHeaders(const QString& path)
{
    QList<FrameValues> headers;
    for (const FrameRecord& frame : ReadFrameFile(ReadFile(path)))
        headers << frame.header;
    return headers;
}

} // namespace korvel
