#include "model/framediff.h"

#include "core/sameid.h"
#include "model/flowcheck.h"
#include "resources/stringtable.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <array>

namespace korvel {
namespace {

// String-table ids of the summary and the diff's lines. A count's text comes as one (singular)
// and many (plural): the id of one, and of many right after it.
enum : qint32 {
    MsgEmptyValue = 186,
    MsgNoChange = 2040,
    MsgStepsAdded = 2041,
    MsgStepsRemoved = 2043,
    MsgStepsChanged = 2045,
    MsgStepsMoved = 2047,
    MsgLinksAdded = 2049,
    MsgLinksRemoved = 2051,
    MsgLinksChanged = 2053,
    MsgValueChange = 2055,
    MsgListSeparator = 2056,
    MsgPartSeparator = 2057,
    MsgStepAdded = 2058,
    MsgStepRemoved = 2059,
    MsgStepChanged = 2060,
    MsgStepMoved = 2061,
    MsgLinkAdded = 2062,
    MsgLinkRemoved = 2063,
    MsgLinkChanged = 2064,
};

// The header's columns by the captions of the frame's properties dialog.
const QHash<QString, qint32>& HeaderCaptions()
{
    static const QHash<QString, qint32> captions = {
        {QStringLiteral("WorkOrderFrameName"), 189}, {QStringLiteral("Category"), 191},
        {QStringLiteral("Priority_ID"), 190},        {QStringLiteral("ExpiredPeriod"), 193},
        {QStringLiteral("ExpiredPeriodType_ID"), 192}, {QStringLiteral("CanSkip"), 157},
        {QStringLiteral("AddinType"), 194},          {QStringLiteral("WEBLink"), 195},
        {QStringLiteral("Group_IDA"), 196},          {QStringLiteral("CanFullScreen"), 197},
        {QStringLiteral("PrintFormat"), 2065},       {QStringLiteral("CanGenerateOB"), 198},
        {QStringLiteral("GenerateRate"), 199},       {QStringLiteral("Group_IDA2"), 200},
        {QStringLiteral("ReplyFlag"), 1032},         {QStringLiteral("ReplyMode"), 1036},
        {QStringLiteral("ReplyAddress"), 2067},      {QStringLiteral("ReplyFile"), 1037},
        {QStringLiteral("PRINTGROUP"), 2066},        {QStringLiteral("REPLYGROUP"), 2068},
        {QStringLiteral("REPLYCONTENT"), 1972},      {QStringLiteral("ForecastUnit"), 230},
        {QStringLiteral("ForecastLen"), 231},
    };
    return captions;
}

// A header column's caption without the label's colon; a column this version does not know (a
// later one's summary) by its name.
QString Caption(const QString& field)
{
    const qint32 id = HeaderCaptions().value(field);
    if (id == 0)
        return field;
    QString caption = LoadResString(id).trimmed();
    while (caption.endsWith(QLatin1Char(':')) || caption.endsWith(QChar(0xFF1A)))
        caption.chop(1);
    return caption.trimmed();
}

// A value on one line: line breaks as blanks, an empty one named.
QString Shown(QString value)
{
    if (value.isEmpty())
        return LoadResString(MsgEmptyValue);
    for (QChar& c : value)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return value;
}

// A value cut to what a summary line shows.
QString Elided(const QString& value)
{
    constexpr qsizetype most = 40;
    if (value.size() <= most)
        return value;
    return value.left(value.at(most - 1).isHighSurrogate() ? most - 1 : most) + QChar(0x2026);
}

QString Counted(qint32 id, qint64 count)
{
    return FormatMessage(count == 1 ? id : id + 1, {QString::number(count)});
}

QString Change(const QString& field, const QString& before, const QString& after)
{
    return FormatMessage(MsgValueChange, {field, Shown(before), Shown(after)});
}

QString Named(const QString& id, const QString& name)
{
    return name.isEmpty() ? id : QStringLiteral("%1 (%2)").arg(name, id);
}

// The columns of two rows that differ, in the file's order; `skipped` columns (identity, place)
// are not compared, and those naming a step are compared as the database compares IDs.
template <typename Row>
QList<FieldChange> ChangedFields(std::span<const FrameColumn<Row>> columns, const Row& before, const Row& after,
                                 std::initializer_list<QString Row::*> skippedTexts, bool skipPlace = false)
{
    QList<FieldChange> fields;
    for (const FrameColumn<Row>& column : columns) {
        if (column.text) {
            if (std::find(skippedTexts.begin(), skippedTexts.end(), column.text) != skippedTexts.end())
                continue;
            const QString& a = before.*(column.text);
            const QString& b = after.*(column.text);
            if (column.stepId ? !SameId(a, b) : a != b)
                fields.append({QLatin1String(column.name), a, b});
        } else {
            if (skipPlace && column.place)
                continue;
            const qint32 a = before.*(column.number);
            const qint32 b = after.*(column.number);
            if (a != b)
                fields.append({QLatin1String(column.name), QString::number(a), QString::number(b)});
        }
    }
    return fields;
}

// Rows of a flow by their ID's key; the first of two rows of one key (a flow the database would
// refuse) is the one matched.
template <typename Row>
QHash<QString, qsizetype> ByKey(const QList<Row>& rows, QString Row::* id)
{
    QHash<QString, qsizetype> keys;
    keys.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QString key = IdKey(rows[i].*id);
        if (!keys.contains(key))
            keys.insert(std::move(key), i);
    }
    return keys;
}

// Matches the rows of two flows: `changed(before, after)` for each pair, then the unmatched ones.
template <typename Row, typename Changed>
void Match(const QList<Row>& older, const QList<Row>& newer, QString Row::* id, QList<Row>& added,
           QList<Row>& removed, Changed changed)
{
    const QHash<QString, qsizetype> olderKeys = ByKey(older, id);
    QList<bool> matched(older.size(), false);
    for (const Row& row : newer) {
        const auto found = olderKeys.constFind(IdKey(row.*id));
        if (found == olderKeys.cend() || matched[*found]) {
            added.append(row);
            continue;
        }
        matched[*found] = true;
        changed(older[*found], row);
    }
    for (qsizetype i = 0; i < older.size(); ++i)
        if (!matched[i])
            removed.append(older[i]);
}

QJsonArray FieldsJson(const QList<FieldChange>& fields)
{
    QJsonArray array;
    for (const FieldChange& f : fields)
        array.append(QJsonObject{{QStringLiteral("field"), f.field},
                                 {QStringLiteral("before"), f.before},
                                 {QStringLiteral("after"), f.after}});
    return array;
}

QJsonObject StepJson(const NodeValues& step)
{
    return {{QStringLiteral("id"), step.WorkOrderNode_ID}, {QStringLiteral("name"), step.WorkOrderNodeName}};
}

QJsonObject LinkJson(const LinkValues& link)
{
    return {{QStringLiteral("id"), link.WorkOrderLink_ID},
            {QStringLiteral("name"), link.WorkOrderLinkName},
            {QStringLiteral("from"), link.FatherNode_ID},
            {QStringLiteral("to"), link.SonNode_ID}};
}

QJsonArray PlaceJson(const NodeValues& step)
{
    return {step.Left, step.Top};
}

QString FieldsText(const QList<FieldChange>& fields)
{
    QStringList parts;
    for (const FieldChange& f : fields)
        parts.append(Change(f.field, f.before, f.after));
    return parts.join(LoadResString(MsgListSeparator));
}

QString PlaceText(const NodeValues& step)
{
    return QStringLiteral("(%1, %2)").arg(step.Left).arg(step.Top);
}

// The stored summary's counts: steps added, removed, changed, moved; links added, removed, changed.
using StepCounts = std::array<qint64, 4>;
using LinkCounts = std::array<qint64, 3>;

template <std::size_t N>
bool ReadCounts(const QJsonValue& value, std::array<qint64, N>& counts)
{
    counts.fill(0);
    if (value.isUndefined())
        return true;
    const QJsonArray array = value.toArray();
    if (!value.isArray() || array.size() != qsizetype(N))
        return false;
    for (std::size_t i = 0; i < N; ++i) {
        const double number = array[qsizetype(i)].toDouble(-1);
        if (number < 0 || number > 1e15)
            return false;
        counts[i] = qint64(number);
    }
    return true;
}

template <std::size_t N>
QJsonArray CountsJson(const std::array<qint64, N>& counts)
{
    QJsonArray array;
    for (qint64 count : counts)
        array.append(count);
    return array;
}

} // namespace

bool FrameDiff::IsEmpty() const
{
    return header.isEmpty() && stepsAdded.isEmpty() && stepsRemoved.isEmpty() && stepsChanged.isEmpty() &&
           linksAdded.isEmpty() && linksRemoved.isEmpty() && linksChanged.isEmpty();
}

FrameDiff DiffFrames(const FrameRecord& older, const FrameRecord& newer)
{
    FrameDiff diff;
    diff.header = ChangedFields(HeaderColumns(), older.header, newer.header, {&FrameValues::WorkOrderFrame_ID});
    Match(older.steps, newer.steps, &NodeValues::WorkOrderNode_ID, diff.stepsAdded, diff.stepsRemoved,
          [&](const NodeValues& before, const NodeValues& after) {
              const bool moved = before.Left != after.Left || before.Top != after.Top;
              QList<FieldChange> fields = ChangedFields(
                  StepColumns(), before, after, {&NodeValues::WorkOrderFrame_ID, &NodeValues::WorkOrderNode_ID}, true);
              if (moved || !fields.isEmpty())
                  diff.stepsChanged.append({before, after, std::move(fields), moved});
          });
    Match(older.links, newer.links, &LinkValues::WorkOrderLink_ID, diff.linksAdded, diff.linksRemoved,
          [&](const LinkValues& before, const LinkValues& after) {
              QList<FieldChange> fields = ChangedFields(
                  LinkColumns(), before, after, {&LinkValues::WorkOrderFrame_ID, &LinkValues::WorkOrderLink_ID});
              if (!fields.isEmpty())
                  diff.linksChanged.append({before, after, std::move(fields)});
          });
    return diff;
}

namespace {

// {"steps":[added,removed,changed,moved],"links":[added,removed,changed],"header":[[column,before,
// after],...]}, each part only when it is not empty; "{}" for no change. Long values are cut.
QString SummaryJson(const StepCounts& steps, const LinkCounts& links, const QList<FieldChange>& headerFields)
{
    QJsonObject summary;
    if (steps != StepCounts{})
        summary.insert(QStringLiteral("steps"), CountsJson(steps));
    if (links != LinkCounts{})
        summary.insert(QStringLiteral("links"), CountsJson(links));
    QJsonArray header;
    for (const FieldChange& f : headerFields)
        header.append(QJsonArray{f.field, Elided(f.before), Elided(f.after)});
    if (!header.isEmpty())
        summary.insert(QStringLiteral("header"), header);
    return QString::fromUtf8(QJsonDocument(summary).toJson(QJsonDocument::Compact));
}

} // namespace

QString StoredSummary(const FrameDiff& diff)
{
    StepCounts steps{diff.stepsAdded.size(), diff.stepsRemoved.size(), 0, 0};
    for (const StepChange& change : diff.stepsChanged) {
        steps[2] += change.fields.isEmpty() ? 0 : 1;
        steps[3] += change.moved ? 1 : 0;
    }
    const LinkCounts links{diff.linksAdded.size(), diff.linksRemoved.size(), diff.linksChanged.size()};
    return SummaryJson(steps, links, diff.header);
}

QString StoredSummary(const FrameRecord& older, const FrameRecord& newer)
{
    // Matched as DiffFrames matches, counting instead of keeping both values of every changed item.
    QList<NodeValues> stepsAdded, stepsRemoved;
    StepCounts steps{};
    Match(older.steps, newer.steps, &NodeValues::WorkOrderNode_ID, stepsAdded, stepsRemoved,
          [&](const NodeValues& before, const NodeValues& after) {
              steps[2] += ChangedFields(StepColumns(), before, after,
                                        {&NodeValues::WorkOrderFrame_ID, &NodeValues::WorkOrderNode_ID}, true)
                              .isEmpty()
                              ? 0
                              : 1;
              steps[3] += before.Left != after.Left || before.Top != after.Top ? 1 : 0;
          });
    steps[0] = stepsAdded.size();
    steps[1] = stepsRemoved.size();
    QList<LinkValues> linksAdded, linksRemoved;
    LinkCounts links{};
    Match(older.links, newer.links, &LinkValues::WorkOrderLink_ID, linksAdded, linksRemoved,
          [&](const LinkValues& before, const LinkValues& after) {
              links[2] += ChangedFields(LinkColumns(), before, after,
                                        {&LinkValues::WorkOrderFrame_ID, &LinkValues::WorkOrderLink_ID})
                              .isEmpty()
                              ? 0
                              : 1;
          });
    links[0] = linksAdded.size();
    links[1] = linksRemoved.size();
    return SummaryJson(steps, links,
                       ChangedFields(HeaderColumns(), older.header, newer.header, {&FrameValues::WorkOrderFrame_ID}));
}

QString SummaryText(const QString& storedSummary)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(storedSummary.toUtf8(), &error);
    const QJsonObject summary = document.object();
    StepCounts steps;
    LinkCounts links;
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        !ReadCounts(summary.value(QStringLiteral("steps")), steps) ||
        !ReadCounts(summary.value(QStringLiteral("links")), links))
        return storedSummary;

    QStringList counts;
    const std::pair<qint64, qint32> parts[] = {
        {steps[0], MsgStepsAdded},   {steps[1], MsgStepsRemoved}, {links[0], MsgLinksAdded},
        {links[1], MsgLinksRemoved}, {steps[2], MsgStepsChanged}, {steps[3], MsgStepsMoved},
        {links[2], MsgLinksChanged},
    };
    for (const auto& [count, id] : parts)
        if (count > 0)
            counts.append(Counted(id, count));
    QStringList columns;
    for (const QJsonValue& value : summary.value(QStringLiteral("header")).toArray()) {
        const QJsonArray column = value.toArray();
        if (column.size() != 3 || !column[0].isString() || !column[1].isString() || !column[2].isString())
            return storedSummary;
        columns.append(Change(Caption(column[0].toString()), column[1].toString(), column[2].toString()));
    }

    const QString separator = LoadResString(MsgListSeparator);
    QStringList text;
    if (!counts.isEmpty())
        text.append(counts.join(separator));
    if (!columns.isEmpty())
        text.append(columns.join(separator));
    return text.isEmpty() ? LoadResString(MsgNoChange) : text.join(LoadResString(MsgPartSeparator));
}

// {"header":[{field,before,after}],"steps":{"added":[{id,name}],"removed":[...],"changed":[{id,name,
// moved,fields,place?}]},"links":{"added":[{id,name,from,to}],"removed":[...],"changed":[{id,name,
// from,to,fields}]}}; a moved step's "place" holds its [left, top] before and after.
QByteArray DiffToJson(const FrameDiff& diff)
{
    QJsonArray stepsAdded, stepsRemoved, stepsChanged, linksAdded, linksRemoved, linksChanged;
    for (const NodeValues& step : diff.stepsAdded)
        stepsAdded.append(StepJson(step));
    for (const NodeValues& step : diff.stepsRemoved)
        stepsRemoved.append(StepJson(step));
    for (const StepChange& change : diff.stepsChanged) {
        QJsonObject step = StepJson(change.after);
        step.insert(QStringLiteral("moved"), change.moved);
        step.insert(QStringLiteral("fields"), FieldsJson(change.fields));
        if (change.moved)
            step.insert(QStringLiteral("place"),
                        QJsonObject{{QStringLiteral("before"), PlaceJson(change.before)},
                                    {QStringLiteral("after"), PlaceJson(change.after)}});
        stepsChanged.append(step);
    }
    for (const LinkValues& link : diff.linksAdded)
        linksAdded.append(LinkJson(link));
    for (const LinkValues& link : diff.linksRemoved)
        linksRemoved.append(LinkJson(link));
    for (const LinkChange& change : diff.linksChanged) {
        QJsonObject link = LinkJson(change.after);
        link.insert(QStringLiteral("fields"), FieldsJson(change.fields));
        linksChanged.append(link);
    }
    const auto part = [](const QJsonArray& added, const QJsonArray& removed, const QJsonArray& changed) {
        return QJsonObject{{QStringLiteral("added"), added},
                           {QStringLiteral("removed"), removed},
                           {QStringLiteral("changed"), changed}};
    };
    const QJsonObject object{{QStringLiteral("header"), FieldsJson(diff.header)},
                             {QStringLiteral("steps"), part(stepsAdded, stepsRemoved, stepsChanged)},
                             {QStringLiteral("links"), part(linksAdded, linksRemoved, linksChanged)}};
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

QStringList DiffLines(const FrameDiff& diff)
{
    QStringList lines;
    for (const FieldChange& f : diff.header)
        lines.append(Change(Caption(f.field), f.before, f.after));
    for (const NodeValues& step : diff.stepsAdded)
        lines.append(FormatMessage(MsgStepAdded, {Named(step.WorkOrderNode_ID, step.WorkOrderNodeName)}));
    for (const NodeValues& step : diff.stepsRemoved)
        lines.append(FormatMessage(MsgStepRemoved, {Named(step.WorkOrderNode_ID, step.WorkOrderNodeName)}));
    for (const StepChange& change : diff.stepsChanged) {
        const QString step = Named(change.after.WorkOrderNode_ID, change.after.WorkOrderNodeName);
        if (!change.fields.isEmpty())
            lines.append(FormatMessage(MsgStepChanged, {step, FieldsText(change.fields)}));
        if (change.moved)
            lines.append(FormatMessage(MsgStepMoved, {step, PlaceText(change.before), PlaceText(change.after)}));
    }
    const auto linkLine = [](qint32 id, const LinkValues& link) {
        return FormatMessage(id, {Named(link.WorkOrderLink_ID, link.WorkOrderLinkName), link.FatherNode_ID,
                                  link.SonNode_ID});
    };
    for (const LinkValues& link : diff.linksAdded)
        lines.append(linkLine(MsgLinkAdded, link));
    for (const LinkValues& link : diff.linksRemoved)
        lines.append(linkLine(MsgLinkRemoved, link));
    for (const LinkChange& change : diff.linksChanged) {
        const QString link = Named(change.after.WorkOrderLink_ID, change.after.WorkOrderLinkName);
        lines.append(FormatMessage(MsgLinkChanged, {link, FieldsText(change.fields)}));
    }
    return lines;
}

} // namespace korvel
