#include "model/frameformat.h"

#include "core/korvelerror.h"
#include "core/storabletext.h"
#include "model/coordinates.h"
#include "model/flowcheck.h"

#include <QDateTime>
#include <QJsonValue>
#include <QRegularExpression>
#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>

namespace korvel {
namespace {

// String-table ids of the messages about members.
enum : qint32 {
    MsgMissing = 1423,
    MsgNotText = 1424,
    MsgNotNumber = 1425,
    MsgNotDate = 1955,
    MsgUnstorable = 1970,
    MsgNotPlace = 2012,
};

// A date and time to the second as files have held it: "T" or a space between date and time, and
// from PostgreSQL a fraction of zeros. No time zone: the columns hold local times without one.
std::optional<QDateTime> ParsedDate(const QString& text)
{
    static const QRegularExpression form(QRegularExpression::anchoredPattern(
        QStringLiteral(R"(([0-9]{4})-([0-9]{2})-([0-9]{2})[T ]([0-9]{2}):([0-9]{2}):([0-9]{2})(?:\.0{1,9})?)")));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const auto part = [&](int i) { return match.captured(i).toInt(); };
    const QDate date(part(1), part(2), part(3));
    const QTime time(part(4), part(5), part(6));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC); // no time zone: a local time in a summer-time gap would move
}

QString StoredDate(const QString& where, const char* name, const QString& text)
{
    if (text.isEmpty())
        return text;
    const std::optional<QDateTime> date = ParsedDate(text);
    if (!date)
        throw KorvelError(FormatMessage(MsgNotDate, {where, QLatin1String(name), text}));
    return date->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

template <typename Row>
using Column = FrameColumn<Row>;
// Deduced from the row alone, so the tables (arrays) convert.
template <typename Row>
using Columns = std::span<const std::type_identity_t<FrameColumn<Row>>>;

const Column<FrameValues> kHeaderColumns[] = {
    {"WorkOrderFrame_ID", &FrameValues::WorkOrderFrame_ID},
    {"WorkOrderFrameName", &FrameValues::WorkOrderFrameName},
    {"Category", &FrameValues::Category},
    {"Priority_ID", &FrameValues::Priority_ID},
    {"ExpiredPeriod", nullptr, &FrameValues::ExpiredPeriod},
    {"ExpiredPeriodType_ID", &FrameValues::ExpirtedPeriodType_ID},
    {"CanSkip", nullptr, &FrameValues::CanSkip},
    {"AddinType", nullptr, &FrameValues::AddinType},
    {"WEBLink", &FrameValues::WEBLink},
    {"Group_IDA", &FrameValues::Group_IDA},
    {"CanFullScreen", nullptr, &FrameValues::CanFullScreen},
    {"PrintFormat", &FrameValues::PrintFormat},
    {"CanGenerateOB", nullptr, &FrameValues::CanGenerateOB},
    {"GenerateRate", nullptr, &FrameValues::GenerateRate},
    {"Group_IDA2", &FrameValues::Group_IDA2},
    {"ReplyFlag", nullptr, &FrameValues::ReplyFlag},
    {"ReplyMode", nullptr, &FrameValues::ReplyMode},
    {"ReplyAddress", &FrameValues::ReplyAddress},
    {"ReplyFile", &FrameValues::ReplyFile},
    {"PRINTGROUP", &FrameValues::PrintGroup},
    {"REPLYGROUP", &FrameValues::ReplyGroup},
    {"REPLYCONTENT", &FrameValues::ReplyContent},
    {"ForecastUnit", &FrameValues::ForecastUnit},
    {"ForecastLen", nullptr, &FrameValues::ForecastLen},
};

const Column<FrameAudit> kAuditColumns[] = {
    {"CreatedBy", &FrameAudit::CreatedBy},
    {"CreatedDate", &FrameAudit::CreatedDate},
    {"ModifiedBy", &FrameAudit::ModifiedBy},
    {"ModifiedDate", &FrameAudit::ModifiedDate},
};

const Column<NodeValues> kStepColumns[] = {
    {"WorkOrderNode_ID", &NodeValues::WorkOrderNode_ID},
    {"WorkOrderNodeName", &NodeValues::WorkOrderNodeName},
    {"ExpiredPeriod", nullptr, &NodeValues::ExpiredPeriod},
    {"ExpiredPeriodType_ID", &NodeValues::ExpiredPeriodType_ID},
    {"CanSendBack", nullptr, &NodeValues::CanSendBack},
    {"CanSendSelf", nullptr, &NodeValues::CanSendSelf},
    {"CanSkip", nullptr, &NodeValues::CanSkip},
    {"EmailNotify", &NodeValues::EmailNotify},
    {"SMSNotify", &NodeValues::SMSNotify},
    {"AddinType", nullptr, &NodeValues::AddinType},
    {"WEBLink", &NodeValues::WEBLink},
    {"Group_IDA", &NodeValues::Group_IDA},
    {"CanFullScreen", nullptr, &NodeValues::CanFullScreen},
    {"HandleBy_ID", &NodeValues::HandleBy_ID},
    {"HandleGroup_ID", &NodeValues::HandleGroup_ID},
    {"ExpiredHandleBy_ID", &NodeValues::ExpiredHandleBy_ID},
    {"ExpiredHandleGroup_ID", &NodeValues::ExpiredHandleGroup_ID},
    {"NodeTop", nullptr, &NodeValues::Top, true},
    {"NodeLeft", nullptr, &NodeValues::Left, true},
    {"Priority_ID", &NodeValues::Priority_ID},
    {"RefuseReply", nullptr, &NodeValues::RefuseFlag},
    {"CanClose", nullptr, &NodeValues::CanClose},
    {"ContactCust", nullptr, &NodeValues::ContactCust},
    {"NextBeginTime", nullptr, &NodeValues::NextBeginTime},
    {"TickOffFlag", nullptr, &NodeValues::TickOffFlag},
    {"ReturnOldStep", &NodeValues::ReturnOldStep, nullptr, false, true},
    {"CanModify", nullptr, &NodeValues::CanModify},
    {"CanBackToBy", nullptr, &NodeValues::CanBackToBy},
    {"ToHandleby", &NodeValues::ToMultiHandleBy},
    {"ReturnGroupFlag", nullptr, &NodeValues::ReturnGroupFlag},
    {"ForecastUnit", &NodeValues::ForecastUnit},
    {"ForecastLen", nullptr, &NodeValues::ForecastLen},
};

const Column<LinkValues> kLinkColumns[] = {
    {"WorkOrderLink_ID", &LinkValues::WorkOrderLink_ID},
    {"WorkOrderLinkName", &LinkValues::WorkOrderLinkName},
    {"SonNode_ID", &LinkValues::SonNode_ID, nullptr, false, true},
    {"FatherNode_ID", &LinkValues::FatherNode_ID, nullptr, false, true},
    {"AlwaysOpen", nullptr, &LinkValues::AlwaysOpen},
    {"AddinVariant", &LinkValues::AddinVariant},
    {"CompareType", &LinkValues::CompareType},
    {"VariantValue", &LinkValues::VariantValue},
};

template <typename Row>
void Write(Columns<Row> columns, const Row& row, QJsonObject& object)
{
    for (const Column<Row>& column : columns) {
        const QString name = QLatin1String(column.name);
        if (column.text)
            object.insert(name, row.*(column.text));
        else
            object.insert(name, row.*(column.number));
    }
}

template <typename Row>
void Read(Columns<Row> columns, const QJsonObject& object, const QString& where, Row& row)
{
    for (const Column<Row>& column : columns) {
        const QString name = QLatin1String(column.name);
        const QJsonValue value = object.value(name);
        if (value.isUndefined())
            throw KorvelError(FormatMessage(MsgMissing, {where, name}));
        if (column.text) {
            if (!value.isString())
                throw KorvelError(FormatMessage(MsgNotText, {where, name}));
            row.*(column.text) = value.toString();
            // Refused here, where it enters, rather than by every later save.
            if (const QString character = UnstorableCharacter(row.*(column.text)); !character.isEmpty())
                throw KorvelError(FormatMessage(MsgUnstorable, {where, name, character}));
            continue;
        }
        // Range and wholeness are checked on the double itself: converting one out of range first
        // would be undefined.
        const double number = value.toDouble(0.5);
        if (!value.isDouble() || !std::isfinite(number) || number < std::numeric_limits<qint32>::min() ||
            number > std::numeric_limits<qint32>::max() || number != std::trunc(number))
            throw KorvelError(FormatMessage(MsgNotNumber, {where, name}));
        if (column.place && !CoordinateInRange(number))
            throw KorvelError(FormatMessage(MsgNotPlace, {where, name, QString::number(-CoordinateLimit),
                                                          QString::number(CoordinateLimit)}));
        row.*(column.number) = static_cast<qint32>(number);
    }
}

} // namespace

std::span<const FrameColumn<FrameValues>> HeaderColumns()
{
    return kHeaderColumns;
}

std::span<const FrameColumn<FrameAudit>> AuditColumns()
{
    return kAuditColumns;
}

std::span<const FrameColumn<NodeValues>> StepColumns()
{
    return kStepColumns;
}

std::span<const FrameColumn<LinkValues>> LinkColumns()
{
    return kLinkColumns;
}

QJsonObject HeaderToJson(const FrameValues& header, const FrameAudit& audit)
{
    QJsonObject object;
    Write(kHeaderColumns, header, object);
    Write(kAuditColumns, audit, object);
    return object;
}

QJsonObject StepToJson(const NodeValues& step)
{
    QJsonObject object;
    Write(kStepColumns, step, object);
    return object;
}

QJsonObject LinkToJson(const LinkValues& link)
{
    QJsonObject object;
    Write(kLinkColumns, link, object);
    return object;
}

void HeaderFromJson(const QJsonObject& object, const QString& where, FrameValues& header, FrameAudit& audit)
{
    Read(kHeaderColumns, object, where, header);
    Read(kAuditColumns, object, where, audit);
    audit.CreatedDate = StoredDate(where, "CreatedDate", audit.CreatedDate);
    audit.ModifiedDate = StoredDate(where, "ModifiedDate", audit.ModifiedDate);
}

QString FileDate(const QVariant& stored)
{
    const QString iso = QStringLiteral("yyyy-MM-ddTHH:mm:ss");
    if (stored.isNull())
        return QString(QLatin1String(""));
    if (stored.typeId() == QMetaType::QDateTime)
        return stored.toDateTime().toString(iso);
    const QString text = stored.toString();
    const std::optional<QDateTime> date = ParsedDate(text);
    return date ? date->toString(iso) : text;
}

NodeValues StepFromJson(const QJsonObject& object, const QString& where)
{
    NodeValues step;
    Read(kStepColumns, object, where, step);
    return step;
}

LinkValues LinkFromJson(const QJsonObject& object, const QString& where)
{
    LinkValues link;
    Read(kLinkColumns, object, where, link);
    return link;
}

} // namespace korvel
