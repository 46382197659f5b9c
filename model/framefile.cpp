#include "model/framefile.h"

#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/sameid.h"
#include "model/cworder.h"
#include "model/flowcheck.h"
#include "model/framefilewriter.h"
#include "model/strictjson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <algorithm>

namespace korvel {
namespace {

// String-table ids of the messages.
enum : qint32 {
    MsgBadJson = 1420,
    MsgNotFrameFile = 1421,
    MsgWrongVersion = 1422,
    MsgMissing = 1423,
    MsgLinkStepUnknown = 1426,
    MsgReturnStepUnknown = 1427,
    MsgStepTwice = 1428,
    MsgLinkTwice = 1429,
    MsgNoSuchFrame = 1438,
    MsgNotList = 1440,
    MsgFrameUnreadable = 1442,
    MsgNotObject = 1443,
    MsgNoFrames = 1956,
};

[[noreturn]] void Refuse(qint32 id, const QStringList& arguments)
{
    throw KorvelError(FormatMessage(id, arguments));
}

QJsonArray ArrayMember(const QJsonObject& object, const QString& where, const QString& name)
{
    const QJsonValue value = object.value(name);
    if (value.isUndefined())
        Refuse(MsgMissing, {where, name});
    if (!value.isArray())
        Refuse(MsgNotList, {where, name});
    return value.toArray();
}

QJsonObject ObjectAt(const QJsonValue& value, const QString& where)
{
    if (!value.isObject())
        Refuse(MsgNotObject, {where});
    return value.toObject();
}

} // namespace

void AddLookups(const FrameRecord& frame, LookupNames& names)
{
    auto add = [&](LookupKind kind, const QString& key) {
        if (!key.trimmed().isEmpty())
            names[kind].insert(key);
    };
    const FrameValues& h = frame.header;
    add(LookupKind::Category, h.Category);
    add(LookupKind::Priority, h.Priority_ID);
    add(LookupKind::TimeUnit, h.ExpirtedPeriodType_ID);
    add(LookupKind::TimeUnit, h.ForecastUnit);
    add(LookupKind::FormGroup, h.Group_IDA);
    add(LookupKind::Campaign, h.Group_IDA2);
    add(LookupKind::DocTemplate, h.PrintFormat);
    add(LookupKind::DocTemplate, h.ReplyFile);
    add(LookupKind::DocGroup, h.PrintGroup);
    add(LookupKind::DocGroup, h.ReplyGroup);
    for (const NodeValues& s : frame.steps) {
        add(LookupKind::TimeUnit, s.ExpiredPeriodType_ID);
        add(LookupKind::TimeUnit, s.ForecastUnit);
        add(LookupKind::FormGroup, s.Group_IDA);
        add(LookupKind::Priority, s.Priority_ID);
        add(LookupKind::Staff, s.HandleBy_ID);
        add(LookupKind::Staff, s.ExpiredHandleBy_ID);
        add(LookupKind::RoleGroup, s.HandleGroup_ID);
        add(LookupKind::RoleGroup, s.ExpiredHandleGroup_ID);
        // Several handlers: "group,staff|group,staff|...".
        for (const QString& entry : s.ToMultiHandleBy.split(u'|', Qt::SkipEmptyParts)) {
            const QStringList pair = entry.split(u',');
            add(LookupKind::RoleGroup, pair.value(0));
            add(LookupKind::Staff, pair.value(1));
        }
    }
}

FrameRecord ReadStoredFrame(const QString& frameId)
{
    cWorder frame;
    frame.LoadList(frameId, QString(), false);
    frame.ReadStored();
    if (!frame.ReadError().isEmpty())
        Refuse(MsgFrameUnreadable, {frameId, frame.ReadError()});
    if (frame.LoadFlag != 1)
        Refuse(MsgNoSuchFrame, {frameId});
    FrameRecord record = *frame.StoredRecord();
    // As the file holds the dates.
    record.audit.CreatedDate = FileDate(record.audit.CreatedDate);
    record.audit.ModifiedDate = FileDate(record.audit.ModifiedDate);
    // In a fixed order, not the database's: PostgreSQL returns rows an update moved (a return step
    // set after its step) last, so a frame read back would otherwise write another file. Steps
    // imported get rising IDs in file order, so the order survives a round trip.
    SortRecord(record);
    return record;
}

void SortRecord(FrameRecord& record)
{
    std::sort(record.steps.begin(), record.steps.end(), [](const NodeValues& a, const NodeValues& b) {
        return a.WorkOrderNode_ID < b.WorkOrderNode_ID;
    });
    std::sort(record.links.begin(), record.links.end(), [](const LinkValues& a, const LinkValues& b) {
        return a.WorkOrderLink_ID < b.WorkOrderLink_ID;
    });
}

QList<FrameRecord> ReadFrameFile(const QByteArray& file)
{
    QJsonValue document;
    JsonRefusal refusal;
    if (!StrictJson::Read(file, document, refusal))
        Refuse(MsgBadJson, {QString::number(refusal.line), QString::number(refusal.column), refusal.reason});
    if (!document.isObject() || document.toObject().value(QStringLiteral("format")).toString() != FrameFileFormat)
        Refuse(MsgNotFrameFile, {FrameFileFormat});
    const QJsonObject root = document.toObject();
    const QJsonValue version = root.value(QStringLiteral("version"));
    if (version.isUndefined())
        Refuse(MsgMissing, {QStringLiteral("file"), QStringLiteral("version")});
    if (!version.isDouble() || version.toDouble() != FrameFileVersion)
        Refuse(MsgWrongVersion, {StrictJson::Shown(version), QString::number(FrameFileVersion)});

    QList<FrameRecord> frames;
    const QJsonArray frameArray = ArrayMember(root, QStringLiteral("file"), QStringLiteral("frames"));
    if (frameArray.isEmpty())
        Refuse(MsgNoFrames, {});
    for (qsizetype f = 0; f < frameArray.size(); ++f) {
        const QString where = QStringLiteral("frames[%1]").arg(f);
        const QJsonObject object = ObjectAt(frameArray.at(f), where);
        FrameRecord frame;
        const QJsonValue header = object.value(QStringLiteral("header"));
        if (header.isUndefined())
            Refuse(MsgMissing, {where, QStringLiteral("header")});
        HeaderFromJson(ObjectAt(header, where + QStringLiteral(".header")), where + QStringLiteral(".header"),
                       frame.header, frame.audit);

        // IDs by IdKey, as the database matches them: a link end "n00002" is the step "N00002".
        QSet<QString> stepIds, linkCodes;
        const QJsonArray steps = ArrayMember(object, where, QStringLiteral("steps"));
        for (qsizetype s = 0; s < steps.size(); ++s) {
            const QString at = where + QStringLiteral(".steps[%1]").arg(s);
            NodeValues step = StepFromJson(ObjectAt(steps.at(s), at), at);
            if (stepIds.contains(IdKey(step.WorkOrderNode_ID)) || step.WorkOrderNode_ID.isEmpty())
                Refuse(MsgStepTwice, {at, step.WorkOrderNode_ID});
            stepIds.insert(IdKey(step.WorkOrderNode_ID));
            frame.steps << step;
        }
        const QJsonArray links = ArrayMember(object, where, QStringLiteral("links"));
        for (qsizetype l = 0; l < links.size(); ++l) {
            const QString at = where + QStringLiteral(".links[%1]").arg(l);
            const LinkValues link = LinkFromJson(ObjectAt(links.at(l), at), at);
            if (linkCodes.contains(IdKey(link.WorkOrderLink_ID)))
                Refuse(MsgLinkTwice, {at, link.WorkOrderLink_ID});
            linkCodes.insert(IdKey(link.WorkOrderLink_ID));
            for (const QString& end : {link.FatherNode_ID, link.SonNode_ID})
                if (!SameId(end, BeginNodeID) && !SameId(end, EndNodeID) && !stepIds.contains(IdKey(end)))
                    Refuse(MsgLinkStepUnknown, {at, link.WorkOrderLink_ID, end});
            frame.links << link;
        }
        for (qsizetype s = 0; s < frame.steps.size(); ++s) {
            const NodeValues& step = frame.steps.at(s);
            if (!step.ReturnOldStep.isEmpty() && !stepIds.contains(IdKey(step.ReturnOldStep)))
                Refuse(MsgReturnStepUnknown,
                       {where + QStringLiteral(".steps[%1]").arg(s), step.WorkOrderNode_ID, step.ReturnOldStep});
        }
        frames << frame;
    }
    return frames;
}

namespace {

QByteArray WriteFile(const QList<const FrameRecord*>& frames, bool compact,
                     const std::function<void(QByteArrayView)>& sink = {})
{
    LookupNames names;
    for (const FrameRecord* frame : frames)
        AddLookups(*frame, names);
    std::map<QString, std::set<QString>> lookups;
    for (auto& [kind, keys] : names)
        lookups.emplace(LookupTableName(kind), std::move(keys));
    return WriteFrameFileText(frames, lookups, compact, sink);
}

} // namespace

QByteArray WriteFrameFile(const QList<FrameRecord>& frames, QJsonDocument::JsonFormat format)
{
    QList<const FrameRecord*> pointers;
    for (const FrameRecord& frame : frames)
        pointers << &frame;
    return WriteFile(pointers, format == QJsonDocument::Compact);
}

void WriteFrameFile(const FrameRecord& frame, const std::function<void(QByteArrayView)>& sink)
{
    WriteFile({&frame}, true, sink);
}

} // namespace korvel
