#pragma once

#include "persistence/cdboperate.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVariant>
#include <span>

namespace korvel {

// The frame file: its name and version, and how a frame's rows travel in it (docs/frame-format.md).
inline const QString FrameFileFormat = QStringLiteral("korvel-frames");
inline constexpr int FrameFileVersion = 1;

// One frame as the file holds it: every stored value of its header row, step rows and link rows.
// The frame ID inside steps and links is the header's and is not repeated.
struct FrameRecord {
    FrameValues header;
    FrameAudit audit;
    QList<NodeValues> steps;
    QList<LinkValues> links;
};

// One column of a header, step or link row: its member name in the file and the member of the row
// struct holding it, a text or a whole number.
template <typename Row>
struct FrameColumn {
    const char* name;
    QString Row::* text = nullptr;
    qint32 Row::* number = nullptr;
    bool place = false;  // a step's place (NodeLeft, NodeTop): within the canvas's range
    bool stepId = false; // names a step of the frame (a return step, a link's end)
};
// Every column of each row in the file's order; the header's without the audit.
std::span<const FrameColumn<FrameValues>> HeaderColumns();
std::span<const FrameColumn<FrameAudit>> AuditColumns(); // kept in the header's object
std::span<const FrameColumn<NodeValues>> StepColumns();
std::span<const FrameColumn<LinkValues>> LinkColumns();

// The JSON object of a header, step or link: one member per column, named like the column.
QJsonObject HeaderToJson(const FrameValues& header, const FrameAudit& audit);
QJsonObject StepToJson(const NodeValues& step);
QJsonObject LinkToJson(const LinkValues& link);

// An audit date (CreatedDate, ModifiedDate) as the file holds it, the same from both databases:
// "yyyy-MM-ddTHH:mm:ss" from a PostgreSQL timestamp or SQLite's text, "" for an empty or NULL
// column. A stored text that is no date is written as it stands (import will refuse it).
QString FileDate(const QVariant& stored);

// Reads such an object back. `where` names it in messages ("frames[0].steps[2]"). Throws
// KorvelError with the message in the interface language when a member is missing or of the wrong
// kind (a text, or a whole number that fits 32 bits; a step's NodeLeft and NodeTop within
// ±CoordinateLimit, model/coordinates.h). The header's audit dates must be "" or real dates written
// as FileDate writes them; earlier files' forms (a space for the "T", a fraction of zeros) are
// taken too. They come back as the databases store them, "yyyy-MM-dd HH:mm:ss".
void HeaderFromJson(const QJsonObject& object, const QString& where, FrameValues& header, FrameAudit& audit);
NodeValues StepFromJson(const QJsonObject& object, const QString& where);
LinkValues LinkFromJson(const QJsonObject& object, const QString& where);

} // namespace korvel
