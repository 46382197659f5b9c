#include "exchange/stepclipboard.h"

#include "core/addinglobals.h"
#include "core/korvelerror.h"
#include "core/sameid.h"
#include "model/frameformat.h"
#include "model/strictjson.h"
#include "resources/stringtable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QSqlDatabase>

namespace korvel {
namespace {

QJsonArray Member(const QJsonObject& object, const QString& name)
{
    if (!object.value(name).isArray())
        throw KorvelError(LoadResString(1686));
    return object.value(name).toArray();
}

QJsonObject Item(const QJsonValue& value, const QString& where)
{
    if (!value.isObject())
        throw KorvelError(LoadResString(1443).arg(where));
    return value.toObject();
}

} // namespace

QString DatabaseIdentity()
{
    const QSqlDatabase& database = Addin().DBConnection;
    return QStringLiteral("%1://%2:%3/%4")
        .arg(database.driverName(), database.hostName())
        .arg(database.port())
        .arg(database.databaseName());
}

QByteArray StepsToJson(const CopiedSteps& copied)
{
    QJsonArray steps;
    for (const NodeValues& step : copied.steps)
        steps.append(StepToJson(step));
    QJsonArray links;
    for (const LinkValues& link : copied.links)
        links.append(LinkToJson(link));
    const QJsonObject root{{QStringLiteral("format"), StepsFormat},
                           {QStringLiteral("version"), StepsFormatVersion},
                           {QStringLiteral("database"), copied.database},
                           {QStringLiteral("frame"), copied.frameID},
                           {QStringLiteral("steps"), steps},
                           {QStringLiteral("links"), links}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

CopiedSteps StepsFromJson(const QByteArray& json)
{
    QJsonValue document;
    JsonRefusal refusal;
    // A payload that is not strict JSON says where and why, as a broken frame file does.
    if (!StrictJson::Read(json, document, refusal))
        throw KorvelError(LoadResString(1686) + u' ' +
                          LoadResString(1420).arg(refusal.line).arg(refusal.column).arg(refusal.reason));
    if (!document.isObject())
        throw KorvelError(LoadResString(1686));
    const QJsonObject root = document.toObject();
    if (root.value(QStringLiteral("format")).toString() != StepsFormat ||
        root.value(QStringLiteral("version")).toInt(-1) != StepsFormatVersion)
        throw KorvelError(LoadResString(1686));

    CopiedSteps copied;
    copied.database = root.value(QStringLiteral("database")).toString();
    copied.frameID = root.value(QStringLiteral("frame")).toString();
    // Step IDs by IdKey: a link end names its step as the database would match it.
    QSet<QString> stepIds;
    const QJsonArray steps = Member(root, QStringLiteral("steps"));
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QString where = QStringLiteral("steps[%1]").arg(i);
        NodeValues step = StepFromJson(Item(steps[i], where), where);
        const QString key = IdKey(step.WorkOrderNode_ID);
        if (step.WorkOrderNode_ID.isEmpty() || stepIds.contains(key))
            throw KorvelError(LoadResString(1428).arg(where, step.WorkOrderNode_ID));
        stepIds.insert(key);
        copied.steps.append(step);
    }
    const QJsonArray links = Member(root, QStringLiteral("links"));
    for (qsizetype i = 0; i < links.size(); ++i) {
        const QString where = QStringLiteral("links[%1]").arg(i);
        LinkValues link = LinkFromJson(Item(links[i], where), where);
        for (const QString& end : {link.FatherNode_ID, link.SonNode_ID})
            if (!stepIds.contains(IdKey(end)))
                throw KorvelError(LoadResString(1426).arg(where, link.WorkOrderLink_ID, end));
        copied.links.append(link);
    }
    return copied;
}

} // namespace korvel
