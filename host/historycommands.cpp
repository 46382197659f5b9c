#include "host/historycommands.h"

#include "core/addinglobals.h"
#include "core/sameid.h"
#include "host/admincommands.h"
#include "host/hostoptions.h"
#include "model/flowcheck.h"
#include "model/framediff.h"
#include "model/framehistory.h"
#include "resources/stringtable.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace korvel {
namespace {

void print(const QString& text)
{
    std::fputs(qPrintable(text + u'\n'), stdout);
}

void printJson(const QJsonArray& rows)
{
    std::fputs(QJsonDocument(rows).toJson(QJsonDocument::Indented).constData(), stdout);
}

// Staff names, each looked up once however many versions name the same member.
class StaffNames final {
public:
    // The name, or "" when the Staff table has none for the ID.
    QString Name(const QString& staffId)
    {
        if (staffId.isEmpty())
            return {};
        auto found = m_names.constFind(staffId);
        if (found == m_names.cend()) {
            const QString name = DBOperate().GetStaffName(staffId);
            found = m_names.insert(staffId, name == staffId ? QString() : name);
        }
        return *found;
    }
    // "Name (ID)", or the ID alone when the name is unknown.
    QString Who(const QString& staffId)
    {
        const QString name = Name(staffId);
        return name.isEmpty() ? staffId : QStringLiteral("%1 (%2)").arg(name, staffId);
    }

private:
    QHash<QString, QString> m_names;
};

// The status of wrong arguments, after their message.
int Wrong(const QString& command, const QString& message)
{
    printError(FormatMessage(2489, {command, message}));
    return 2;
}

// The frame's versions, newest first; empty after a message when there is no frame and no stored
// version under the ID.
QList<FrameVersionRow> VersionsOf(const QString& command, const QString& frameId)
{
    QList<FrameVersionRow> versions = FrameHistory::Versions(frameId);
    if (versions.isEmpty())
        Wrong(command, FormatMessage(2490, {frameId}));
    return versions;
}

// The version `text` names among the frame's; 0 after a message when it names none.
int VersionNamed(const QString& command, const QString& frameId, const QString& text,
                 const QList<FrameVersionRow>& versions)
{
    bool number = false;
    const int version = text.trimmed().toInt(&number);
    if (!number) {
        Wrong(command, FormatMessage(2491, {text}));
        return 0;
    }
    for (const FrameVersionRow& row : versions)
        if (row.version == version)
            return version;
    Wrong(command, FormatMessage(2492, {frameId, QString::number(version),
                                        QString::number(versions.constLast().version),
                                        QString::number(versions.constFirst().version)}));
    return 0;
}

int History(const QString& frameId, bool json)
{
    const QList<FrameVersionRow> versions = VersionsOf(QStringLiteral("history"), frameId);
    if (versions.isEmpty())
        return 2;
    StaffNames staff;
    QJsonArray rows;
    for (const FrameVersionRow& row : versions) {
        const QString summary = FrameHistory::SummaryLine(row);
        if (!json) {
            print(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                      .arg(QString::number(row.version), row.kind, staff.Who(row.staffId), row.savedAt, summary));
            continue;
        }
        rows.append(QJsonObject{{QStringLiteral("version"), row.version},
                                {QStringLiteral("kind"), row.kind},
                                {QStringLiteral("staffId"), row.staffId},
                                {QStringLiteral("staffName"), staff.Name(row.staffId)},
                                {QStringLiteral("savedAt"), row.savedAt},
                                {QStringLiteral("origin"), row.origin},
                                {QStringLiteral("frameName"), row.frameName},
                                {QStringLiteral("summary"), summary}});
    }
    if (json)
        printJson(rows);
    return 0;
}

int Deleted(bool json)
{
    StaffNames staff;
    QJsonArray rows;
    const QList<FrameVersionRow> deleted = FrameHistory::DeletedFrames();
    for (const FrameVersionRow& row : deleted) {
        if (!json) {
            print(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                      .arg(row.frameId, row.frameName, row.savedAt, staff.Who(row.staffId),
                           QString::number(row.version)));
            continue;
        }
        rows.append(QJsonObject{{QStringLiteral("frameId"), row.frameId},
                                {QStringLiteral("frameName"), row.frameName},
                                {QStringLiteral("savedAt"), row.savedAt},
                                {QStringLiteral("staffId"), row.staffId},
                                {QStringLiteral("staffName"), staff.Name(row.staffId)},
                                {QStringLiteral("version"), row.version}});
    }
    if (json)
        printJson(rows);
    else if (deleted.isEmpty())
        print(LoadResString(2493));
    return 0;
}

int Diff(const QStringList& arguments, bool json)
{
    const QString command = QStringLiteral("diff");
    const QString& frameId = arguments.at(0);
    const QList<FrameVersionRow> versions = VersionsOf(command, frameId);
    if (versions.isEmpty())
        return 2;
    const int older = VersionNamed(command, frameId, arguments.at(1), versions);
    const int newer = arguments.size() > 2 ? VersionNamed(command, frameId, arguments.at(2), versions)
                                           : versions.constFirst().version;
    if (older == 0 || newer == 0)
        return 2;
    const FrameDiff diff = DiffFrames(FrameHistory::Content(frameId, older), FrameHistory::Content(frameId, newer));
    if (json)
        std::fputs(DiffToJson(diff).constData(), stdout);
    else if (diff.IsEmpty())
        print(SummaryText(StoredSummary(diff)));
    else
        for (const QString& line : DiffLines(diff))
            print(line);
    return diff.IsEmpty() ? 0 : 1;
}

int Restore(const QStringList& arguments, const QString& newId)
{
    const QString command = QStringLiteral("restore");
    const QString& frameId = arguments.at(0);
    if (!newId.isNull() && newId.isEmpty())
        return Wrong(command, LoadResString(2494));
    const QList<FrameVersionRow> versions = VersionsOf(command, frameId);
    if (versions.isEmpty())
        return 2;
    const int version = VersionNamed(command, frameId, arguments.at(1), versions);
    if (version == 0)
        return 2;
    const FrameHistory::Restored restored = FrameHistory::Restore(frameId, version, newId);
    if (SameId(restored.frameId, frameId))
        print(FormatMessage(2495,
                            {QString::number(version), restored.frameId, QString::number(restored.version)}));
    else
        print(FormatMessage(
            2496, {QString::number(version), frameId, restored.frameId, QString::number(restored.version)}));
    return 0;
}

} // namespace

const QStringList& HistoryCommandNames()
{
    static const QStringList names = {QStringLiteral("history"), QStringLiteral("diff"), QStringLiteral("restore"),
                                      QStringLiteral("prune")};
    return names;
}

QString HistoryCommandHelp(const QString& command)
{
    // The usage line of each command, its explanation the id after it.
    static const QHash<QString, qint32> usage = {{QStringLiteral("history"), 2501},
                                                 {QStringLiteral("diff"), 2503},
                                                 {QStringLiteral("restore"), 2505},
                                                 {QStringLiteral("prune"), 2507}};
    const qint32 id = usage.value(command);
    return id == 0 ? QString()
                   : QStringLiteral("korvel ") + LoadResString(id) + QStringLiteral("\n\n") +
                         LoadResString(id + 1);
}

int RunHistoryCommand(const HostOptions& options)
{
    const QStringList& arguments = options.commandArguments;
    if (options.command == QLatin1String("history")) {
        if (options.deleted && !arguments.isEmpty())
            return Wrong(options.command, LoadResString(2497));
        if (!options.deleted && arguments.isEmpty())
            return Wrong(options.command, LoadResString(2498));
        return options.deleted ? Deleted(options.json) : History(arguments.at(0), options.json);
    }
    if (options.command == QLatin1String("diff"))
        return Diff(arguments, options.json);
    if (options.command == QLatin1String("restore"))
        return Restore(arguments, options.newId);
    const int dropped = FrameHistory::Prune(options.keep);
    print(dropped == 1 ? LoadResString(2499) : FormatMessage(2500, {QString::number(dropped)}));
    return 0;
}

} // namespace korvel
