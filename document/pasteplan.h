#pragma once

#include "persistence/cdboperate.h"

#include <QList>
#include <QPoint>
#include <QSize>
#include <QStringList>
#include <functional>

namespace korvel {

class cWorder;

// Steps and links as a paste adds them to a frame.
struct PastePlan {
    QList<NodeValues> steps;
    QList<LinkValues> links;
};

// Where a paste goes: the pasted block, the box around the steps' boxes (each `stepBox` large),
// centred on `centre` (twips), where the user works.
struct PastePlace {
    QPoint centre;
    QSize stepBox;
};

// How far a paste moves on, twips, as often as it would land exactly on steps the frame shows.
inline constexpr int PasteOffset = 300;

// Maps copied steps and the links between them into `frame`: step i gets newIDs[i]; a link keeps its
// code unless the frame or this paste has one like it (the database's ID rule), then it gets one
// from `freshCode` (a few tries); its ends follow the steps. A return step among the pasted ones
// follows it, one outside stays only when the frame shows it. The steps keep their places among
// each other, the block centred on `place` and moved back into the coordinate range as far as it
// fits there (a step beyond it is brought to its edge), then on by PasteOffset while it would land
// on shown steps. Throws KorvelError, with a message for the user, when no free code is found for a
// link.
PastePlan PlanPaste(cWorder& frame, const QList<NodeValues>& steps, const QList<LinkValues>& links,
                    const QStringList& newIDs, const std::function<QString()>& freshCode,
                    const PastePlace& place);

} // namespace korvel
