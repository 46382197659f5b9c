#pragma once

#include "persistence/cdboperate.h"

#include <QList>
#include <QStringList>
#include <functional>

namespace korvel {

class cWorder;

// Steps and links as a paste adds them to a frame.
struct PastePlan {
    QList<NodeValues> steps;
    QList<LinkValues> links;
};

// How far a paste lands from where the steps were copied, twips; again as often as it would land
// exactly on steps the frame shows.
inline constexpr int PasteOffset = 300;

// Maps copied steps and the links between them into `frame`: step i gets newIDs[i]; a link keeps its
// code unless the frame or this paste has one like it (the database's ID rule), then it gets one
// from `freshCode` (a few tries); its ends follow the steps. A return step among the pasted ones
// follows it, one outside stays only when the frame shows it. Places move by PasteOffset (more when
// they would land on shown steps) and stay within the coordinate range. Throws KorvelError, with a
// message for the user, when no free code is found for a link.
PastePlan PlanPaste(cWorder& frame, const QList<NodeValues>& steps, const QList<LinkValues>& links,
                    const QStringList& newIDs, const std::function<QString()>& freshCode);

} // namespace korvel
