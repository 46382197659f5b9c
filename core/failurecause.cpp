#include "core/failurecause.h"

#include "resources/stringtable.h"

#include <QRegularExpression>
#include <QStringList>
#include <utility>

namespace korvel {
namespace {

// String-table ids.
enum : qint32 {
    MsgCauseWithText = 2250,
    MsgCauseAlone = 2251,
    MsgUnknown = 2252, // one per cause, in FailureCause's order
    MsgNoAnswer = 1920,
    MsgCannotWrite = 1437,
};

// What each cause's texts contain, in either database's words (and the system's for files). The
// first that matches decides: a lock timeout is Busy before "timeout" can make it TimedOut.
const std::pair<FailureCause, const char*> Patterns[] = {
    {FailureCause::Busy, "database is locked"},
    {FailureCause::Busy, "database table is locked"},
    {FailureCause::Busy, "database schema is locked"},
    {FailureCause::Busy, "lock timeout"},
    {FailureCause::Busy, "could not obtain lock"},
    {FailureCause::Conflict, "could not serialize access"},
    {FailureCause::Conflict, "deadlock detected"},
    {FailureCause::ReadOnly, "readonly database"},
    {FailureCause::ReadOnly, "read-only transaction"},
    {FailureCause::ReadOnly, "read-only file system"},
    {FailureCause::DiskFull, "database or disk is full"},
    {FailureCause::DiskFull, "no space left on device"},
    {FailureCause::DiskFull, "could not extend file"},
    {FailureCause::DiskFull, "disk quota exceeded"},
    {FailureCause::DiskFull, "file too large"},
    {FailureCause::Constraint, "constraint failed"},
    {FailureCause::Constraint, "violates"},
    {FailureCause::Constraint, "duplicate key"},
    {FailureCause::TimedOut, "statement timeout"},
    {FailureCause::ConnectionLost, "connection is not open"},
    {FailureCause::ConnectionLost, "connection is not available"},
    {FailureCause::ConnectionLost, "server closed the connection"},
    {FailureCause::ConnectionLost, "no connection to the server"},
    {FailureCause::ConnectionLost, "could not connect"},
    {FailureCause::ConnectionLost, "connection refused"},
    {FailureCause::ConnectionLost, "terminating connection"},
    {FailureCause::ConnectionLost, "connection to server"},
    {FailureCause::ConnectionLost, "unable to open database file"},
    {FailureCause::ConnectionLost, "ssl syscall error"},
    {FailureCause::ConnectionLost, "broken pipe"},
    {FailureCause::PermissionDenied, "permission denied"},
    {FailureCause::PermissionDenied, "access denied"},
    {FailureCause::PermissionDenied, "must be owner"},
    {FailureCause::PermissionDenied, "not authorized"},
    {FailureCause::Damaged, "malformed"},
    {FailureCause::Damaged, "file is not a database"},
    {FailureCause::Damaged, "file is encrypted or is not a database"},
};

// True when `raw` holds the add-in's own message `id`, in either language: the longest fixed part of
// it between its place holders.
bool HoldsOwnMessage(const QString& raw, qint32 id)
{
    static const QRegularExpression placeHolder(QStringLiteral("%\\d"));
    for (const Language language : {Language::English, Language::Chinese}) {
        QString longest;
        for (const QString& part : LoadResString(id, language).split(placeHolder))
            if (part.trimmed().size() > longest.size())
                longest = part.trimmed();
        if (!longest.isEmpty() && raw.contains(longest))
            return true;
    }
    return false;
}

} // namespace

FailureCause ClassifyFailure(const QString& raw)
{
    if (HoldsOwnMessage(raw, MsgNoAnswer))
        return FailureCause::TimedOut;
    const QString text = raw.toLower();
    for (const auto& [cause, pattern] : Patterns)
        if (text.contains(QLatin1String(pattern)))
            return cause;
    // The system's reason is none of the above (or a folder, a device, a read-only file).
    if (HoldsOwnMessage(raw, MsgCannotWrite))
        return FailureCause::FileUnwritable;
    return FailureCause::Unknown;
}

bool UserCanAct(FailureCause cause)
{
    return cause == FailureCause::Conflict || cause == FailureCause::Constraint;
}

QString DescribeFailure(FailureCause cause, const QString& raw)
{
    const QString sentence = LoadResString(MsgUnknown + static_cast<qint32>(cause));
    const QString text = raw.trimmed();
    return text.isEmpty() ? LoadResString(MsgCauseAlone).arg(sentence)
                          : LoadResString(MsgCauseWithText).arg(sentence, text);
}

} // namespace korvel
