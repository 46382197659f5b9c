#pragma once

#include "persistence/cdboperate.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace korvel {

// Steps on the clipboard (docs/clipboard-format.md): the steps and the links between them, as the
// frame file holds them, with the database and the frame they came from.
inline const QString StepsMimeType = QStringLiteral("application/x-korvel-steps");
inline const QString StepsFormat = QStringLiteral("korvel-steps");
inline constexpr int StepsFormatVersion = 1;

struct CopiedSteps {
    QString database; // which database the steps belong to (see DatabaseIdentity())
    QString frameID;  // the frame they were copied from
    QList<NodeValues> steps;
    QList<LinkValues> links;
};

// The database the add-in works on, as the clipboard names it: driver, host, port and database.
QString DatabaseIdentity();

QByteArray StepsToJson(const CopiedSteps& copied);
// Reads the clipboard's text back. Throws KorvelError, with the message in the interface language,
// for anything but the format above: bad JSON, another format or version, a missing or mistyped
// member, a step ID empty or twice (SameId), a link naming a step that is not among the steps, a
// step's place outside ±CoordinateLimit (model/coordinates.h).
CopiedSteps StepsFromJson(const QByteArray& json);

} // namespace korvel
