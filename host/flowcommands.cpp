#include "host/flowcommands.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "canvas/framepicture.h"
#include "exchange/frameexchange.h"
#include "host/addinsession.h"
#include "host/admincommands.h"
#include "host/historycommands.h"
#include "host/hostobject.h"
#include "host/hostoptions.h"
#include "host/layoutcommand.h"
#include "host/walkcommand.h"
#include "model/cworder.h"
#include "model/cworders.h"
#include "model/flowcheck.h"
#include "model/framediff.h"
#include "model/framehistory.h"
#include "model/pathwalk.h"
#include "persistence/flowsearch.h"
#include "resources/stringtable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <optional>

namespace korvel {
namespace {

// String-table ids of the command line's texts.
enum : qint32 {
    MsgSummary = 1460,
    MsgUsage = 1461,       // ... 1467: each command's usage, in the order of FlowCommandNames
    MsgExplanation = 1491, // ... 1497: what it does
    MsgMissingArgument = 1468,
    MsgUnexpectedArgument = 1469,
    MsgNoFindings = 1470,
    MsgImported = 1471,
    MsgWrote = 1472,
    MsgNoMatch = 1473,
    MsgSteps = 1474,
    MsgLinks = 1475,
    MsgKindFrame = 1476,
    MsgKindStep = 1477,
    MsgKindLink = 1478,
    MsgNeedsOutput = 1479,
    MsgNoSuchFrame = 1438,
    MsgFrameUnreadable = 1442,
    MsgModifiedBy = 2031,
    MsgBadVersion = 2071,
    MsgWalkOrCompare = 2153,
    MsgEmptySearch = 2480,
    MsgCommandSays = 2489,
};

void print(const QString& text)
{
    std::fputs(qPrintable(text + u'\n'), stdout);
}

// Every frame's ID and name, in the database's order.
QList<std::pair<QString, QString>> AllFrames()
{
    auto rs = DBOperate().GetAllWorkOrderList();
    if (!rs || !rs->IsOpen())
        throw KorvelError(LastLoggedError());
    QList<std::pair<QString, QString>> frames;
    for (; !rs->IsEOF(); rs->MoveNext())
        frames.append({rs->Fields(0).toString(), rs->Fields(1).toString()});
    return frames;
}

// The frame read whole, as the designer opens it; refused when it is missing or unreadable.
std::unique_ptr<cWorder> OpenFrame(const QString& frameId)
{
    auto frame = std::make_unique<cWorder>();
    frame->LoadList(frameId, QString(), false);
    frame->LoadOne();
    if (!frame->ReadError().isEmpty())
        throw KorvelError(FormatMessage(MsgFrameUnreadable, {frameId, frame->ReadError()}));
    if (frame->LoadFlag != 1)
        throw KorvelError(FormatMessage(MsgNoSuchFrame, {frameId}));
    return frame;
}

QString StepName(cWorder& frame, const QString& id)
{
    if (id == BeginNodeID)
        return LoadResString(81);
    if (id == EndNodeID)
        return LoadResString(80);
    const cNode* node = frame.AllNode().OneNode(id);
    return node ? QStringLiteral("%1 (%2)").arg(node->WorkOrderNodeName(), id) : id;
}

int List()
{
    for (const auto& [id, name] : AllFrames())
        print(id + u'\t' + name);
    return 0;
}

int Show(const QString& frameId)
{
    auto frame = OpenFrame(frameId);
    print(frame->WorkOrderFrame_ID + u'\t' + frame->WorkOrderFrameName);
    if (const FrameAudit& audit = frame->Audit(); !audit.ModifiedBy.isEmpty())
        print(LoadResString(MsgModifiedBy).arg(DBOperate().GetStaffName(audit.ModifiedBy), audit.ModifiedDate));
    print(LoadResString(MsgSteps));
    for (const auto& [id, node] : frame->AllNode().AllNode()) {
        QString handler = node->HandleBy_ID();
        if (!node->HandleGroup_ID().isEmpty())
            handler += (handler.isEmpty() ? QString() : QStringLiteral("/")) + node->HandleGroup_ID();
        if (!node->ToMultiHandleBy().isEmpty())
            handler += (handler.isEmpty() ? QString() : QStringLiteral(" ")) + node->ToMultiHandleBy();
        print(QStringLiteral("  %1\t%2\t%3").arg(id, node->WorkOrderNodeName(), handler));
    }
    print(LoadResString(MsgLinks));
    for (const auto& [key, link] : frame->AllLink().AllLinks()) {
        QString line = QStringLiteral("  %1\t%2 -> %3\t%4")
                           .arg(link->WorkOrderLink_ID(), StepName(*frame, link->FatherNode_ID()),
                                StepName(*frame, link->SonNode_ID()), link->WorkOrderLinkName());
        if (link->AlwaysOpen() != 0)
            line += QStringLiteral("\t[%1 %2 %3]").arg(link->AddinVariant(), link->CompareType(), link->VariantValue());
        print(line);
    }
    return 0;
}

QString ItemName(FindingItem item)
{
    switch (item) {
    case FindingItem::Frame:
        return QStringLiteral("frame");
    case FindingItem::Step:
        return QStringLiteral("step");
    case FindingItem::Link:
        return QStringLiteral("link");
    }
    return {};
}

int Check(QStringList frameIds, bool json)
{
    if (frameIds.isEmpty())
        for (const auto& [id, name] : AllFrames())
            frameIds << id;
    bool errors = false;
    // As JSON: every frame checked, by its ID, with its findings (an empty list when clean).
    QJsonArray all;
    for (const QString& frameId : std::as_const(frameIds)) {
        auto frame = OpenFrame(frameId);
        const QList<FlowFinding> findings = CheckFlow(*frame);
        errors = errors || HasErrors(findings);
        QJsonArray found;
        for (const FlowFinding& finding : findings) {
            if (json)
                found.append(
                    QJsonObject{{QStringLiteral("severity"), finding.severity == FindingSeverity::Error
                                                                 ? QStringLiteral("error")
                                                                 : QStringLiteral("warning")},
                                {QStringLiteral("item"), ItemName(finding.item)},
                                {QStringLiteral("key"), finding.key},
                                {QStringLiteral("messageId"), finding.messageId},
                                {QStringLiteral("message"), finding.text()}});
            else
                print(QStringLiteral("%1\t%2\t%3").arg(frameId, finding.severityText(), finding.text()));
        }
        if (json)
            all.append(QJsonObject{{QStringLiteral("frame"), frameId}, {QStringLiteral("findings"), found}});
        else if (findings.isEmpty())
            print(FormatMessage(MsgNoFindings, {frameId}));
    }
    if (json)
        std::fputs(QJsonDocument(all).toJson(QJsonDocument::Indented).constData(), stdout);
    return errors ? 1 : 0;
}

int Import(const QString& path, const QString& newId, bool replace)
{
    const ImportResult result =
        ImportFramesFromFile(path, newId, nullptr, replace ? ImportExisting::Replace : ImportExisting::Refuse);
    for (const FlowFinding& finding : result.findings)
        print(QStringLiteral("%1\t%2").arg(finding.severityText(), finding.text()));
    for (const QString& id : result.frameIds)
        print(FormatMessage(MsgImported, {id}));
    return 0;
}

// With `compareFrom`, the changes since that version drawn over version `compareTo`, or over the
// frame as stored when that is 0; with `walk`, where a work order with those values goes.
int Render(const QString& frameId, const QString& path, double scale, int compareFrom, int compareTo,
           const std::optional<WalkValues>& walk)
{
    if (compareFrom == 0) {
        WriteFramePicture(*OpenFrame(frameId), path, scale, walk ? PictureOverlay(*walk) : PictureOverlay());
        print(FormatMessage(MsgWrote, {path}));
        return 0;
    }
    const FrameRecord older = FrameHistory::Content(frameId, compareFrom);
    // A stored version is drawn from its content alone, so one of a deleted frame can be drawn too.
    std::unique_ptr<cWorder> frame;
    FrameRecord newer;
    if (compareTo > 0) {
        newer = FrameHistory::Content(frameId, compareTo);
        frame = std::make_unique<cWorder>();
        frame->LoadRecord(newer);
    } else {
        frame = OpenFrame(frameId);
        if (!frame->StoredRecord())
            throw KorvelError(FormatMessage(MsgFrameUnreadable, {frameId, frame->ReadError()}));
        newer = *frame->StoredRecord();
    }
    const FrameDiff diff = DiffFrames(older, newer);
    WriteFramePicture(*frame, path, scale, diff);
    print(FormatMessage(MsgWrote, {path}));
    return 0;
}

int Search(const QString& text)
{
    const QList<SearchHit> hits = SearchFlows(text);
    for (const SearchHit& hit : hits) {
        const qint32 kind = hit.kind == SearchItemKind::Frame  ? MsgKindFrame
                            : hit.kind == SearchItemKind::Step ? MsgKindStep
                                                                : MsgKindLink;
        print(QStringLiteral("%1\t%2\t%3\t%4\t%5").arg(hit.frameId, LoadResString(kind), hit.key, hit.field, hit.text));
    }
    if (hits.isEmpty())
        print(LoadResString(MsgNoMatch));
    return 0;
}

} // namespace

const QStringList& FlowCommandNames()
{
    static const QStringList names = QStringList{QStringLiteral("list"),   QStringLiteral("show"),
                                                 QStringLiteral("check"),  QStringLiteral("export"),
                                                 QStringLiteral("import"), QStringLiteral("render"),
                                                 QStringLiteral("search")} +
                                     HistoryCommandNames() +
                                     QStringList{QStringLiteral("layout"), QStringLiteral("walk")};
    return names;
}

bool FlowCommandWrites(const HostOptions& options)
{
    // The history's commands, and a picture of a comparison, store version 1 of a frame that has
    // none yet.
    const QString& command = options.command;
    return command == QLatin1String("import") || command == QLatin1String("layout") ||
           HistoryCommandNames().contains(command) ||
           (command == QLatin1String("render") && options.compareFrom > 0);
}

QString FlowCommandHelp(const QString& command)
{
    if (HistoryCommandNames().contains(command))
        return HistoryCommandHelp(command);
    if (command == QLatin1String("walk"))
        return QStringLiteral("korvel ") + WalkCommand::Help();
    if (command == QLatin1String("layout"))
        return LayoutCommandHelp();
    const qsizetype index = FlowCommandNames().indexOf(command);
    if (index < 0)
        return {};
    const auto offset = static_cast<qint32>(index);
    return QStringLiteral("korvel ") + LoadResString(MsgUsage + offset) + QStringLiteral("\n\n") +
           LoadResString(MsgExplanation + offset);
}

QString FlowCommandsSummary()
{
    QString text = LoadResString(MsgSummary) + u'\n';
    for (const QString& name : FlowCommandNames())
        text += QStringLiteral("  ") + FlowCommandHelp(name).section(u'\n', 0, 0).mid(7) + u'\n';
    return text;
}

namespace {

// Reads the command's arguments: 0 when they fit it (with the second version a picture of a
// comparison is drawn over, 0 when none), 2 after the message when they do not.
int ReadArguments(const HostOptions& options, int& compareTo)
{
    const QString& command = options.command;
    const QStringList& arguments = options.commandArguments;
    // How many arguments each command takes: at least, and at most (-1: any number).
    const QHash<QString, std::pair<int, int>> counts = {
        {QStringLiteral("list"), {0, 0}},   {QStringLiteral("show"), {1, 1}},   {QStringLiteral("check"), {0, -1}},
        {QStringLiteral("export"), {1, -1}}, {QStringLiteral("import"), {1, 1}}, {QStringLiteral("render"), {1, 2}},
        {QStringLiteral("search"), {1, 1}}, {QStringLiteral("history"), {0, 1}}, {QStringLiteral("diff"), {2, 3}},
        {QStringLiteral("restore"), {2, 2}}, {QStringLiteral("prune"), {0, 0}}, {QStringLiteral("layout"), {1, 1}},
        {QStringLiteral("walk"), {1, -1}}};
    // With --walk, the arguments after a picture's frame ID are the work order's values.
    const bool walksPicture = command == QLatin1String("render") && options.walk;
    const int least = counts.value(command).first;
    const int most = walksPicture ? -1 : counts.value(command).second;
    if (arguments.size() < least) {
        printError(FormatMessage(MsgMissingArgument, {command}));
        return 2;
    }
    if (most >= 0 && arguments.size() > most) {
        printError(FormatMessage(MsgUnexpectedArgument, {command, arguments.at(most)}));
        return 2;
    }
    // A second version to render only goes with the first, --compare.
    compareTo = 0;
    if (walksPicture && options.compareFrom > 0) {
        printError(LoadResString(MsgWalkOrCompare));
        return 2;
    }
    if (command == QLatin1String("search") && arguments.at(0).trimmed().isEmpty()) {
        printError(LoadResString(MsgEmptySearch));
        return 2;
    }
    if (command == QLatin1String("render") && !walksPicture && arguments.size() > 1) {
        bool ok = false;
        compareTo = arguments.at(1).trimmed().toInt(&ok);
        if (options.compareFrom == 0 || !ok || compareTo < 1) {
            printError(options.compareFrom == 0 ? FormatMessage(MsgUnexpectedArgument, {command, arguments.at(1)})
                                                : FormatMessage(MsgBadVersion, {arguments.at(1)}));
            return 2;
        }
    }
    if ((command == QLatin1String("export") || command == QLatin1String("render")) && options.output.isEmpty()) {
        printError(FormatMessage(MsgNeedsOutput, {command}));
        return 2;
    }

    const WalkCommand walk(command == QLatin1String("walk") || walksPicture ? arguments.mid(1) : QStringList());
    if (!walk.Error().isEmpty()) {
        printError(FormatMessage(
            MsgCommandSays,
            {walksPicture ? QStringLiteral("render --walk") : QStringLiteral("walk"), walk.Error()}));
        return 2;
    }
    return 0;
}

} // namespace

int CheckFlowCommandArguments(const HostOptions& options)
{
    int compareTo = 0;
    return ReadArguments(options, compareTo);
}

int RunFlowCommand(const QSqlDatabase& database, const HostOptions& options, std::unique_ptr<HostLog> log)
{
    const QString& command = options.command;
    const QStringList& arguments = options.commandArguments;
    int compareTo = 0;
    if (const int status = ReadArguments(options, compareTo))
        return status;
    const bool walksPicture = command == QLatin1String("render") && options.walk;
    const WalkCommand walk(command == QLatin1String("walk") || walksPicture ? arguments.mid(1)
                                                                            : QStringList());

    HostObject host(database, options.user, std::move(log));
    const AddinSession session(host);
    try {
        if (command == QLatin1String("list"))
            return List();
        if (command == QLatin1String("show"))
            return Show(arguments.at(0));
        if (command == QLatin1String("check"))
            return Check(arguments, options.json);
        if (command == QLatin1String("export")) {
            ExportFramesToFile(arguments, options.output);
            print(FormatMessage(MsgWrote, {options.output}));
            return 0;
        }
        if (command == QLatin1String("import"))
            return Import(arguments.at(0), options.newId, options.importReplace);
        if (command == QLatin1String("render"))
            return Render(arguments.at(0), options.output, options.scale, options.compareFrom, compareTo,
                          walksPicture ? std::optional<WalkValues>(walk.Values()) : std::nullopt);
        if (command == QLatin1String("search"))
            return Search(arguments.at(0));
        if (command == QLatin1String("walk"))
            return walk.Run(*OpenFrame(arguments.at(0)), options.json);
        if (command == QLatin1String("layout"))
            return RunLayoutCommand(arguments.at(0));
        return RunHistoryCommand(options);
    } catch (const std::exception& error) {
        printError(describe(error));
        return 1;
    }
}

} // namespace korvel
