#pragma once

#include <QString>
#include <QtGlobal>

namespace korvel {

// The parts of a link its dialog may change; an always-open link (AlwaysOpen 0) carries no condition.
struct LinkEdit {
    QString name;
    qint32 AlwaysOpen = 0;
    QString AddinVariant, CompareType, VariantValue;
};

} // namespace korvel
