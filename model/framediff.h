#pragma once

#include "model/frameformat.h"

#include <QList>
#include <QString>

namespace korvel {

// One column whose value differs between two versions: the column's name (as the frame file names
// it, "ExpiredPeriod") and both values as text (numbers written out).
struct FieldChange {
    QString field;
    QString before, after;
    bool operator==(const FieldChange&) const = default;
};

// A step both versions have (matched by ID) whose values differ.
struct StepChange {
    NodeValues before, after;
    QList<FieldChange> fields; // every column that differs but the place (NodeLeft, NodeTop)
    bool moved = false;        // its place differs
    bool operator==(const StepChange&) const = default;
};

// A link both versions have (matched by code) whose values differ: its name, its ends or its
// opening condition.
struct LinkChange {
    LinkValues before, after;
    QList<FieldChange> fields;
    bool operator==(const LinkChange&) const = default;
};

// What separates an older version of a frame from a newer one. Steps are matched by ID and links by
// code, as the database matches them (IdKey: letter case ignored). Added and changed items come in
// the newer flow's order, removed ones in the older flow's.
struct FrameDiff {
    // Header columns that differ; the frame ID and the audit (created/modified by and date) are
    // left out, since every save changes the audit.
    QList<FieldChange> header;
    QList<NodeValues> stepsAdded, stepsRemoved;
    QList<StepChange> stepsChanged; // fields changed, moved, or both
    QList<LinkValues> linksAdded, linksRemoved;
    QList<LinkChange> linksChanged;

    bool IsEmpty() const;
    bool operator==(const FrameDiff&) const = default;
};

FrameDiff DiffFrames(const FrameRecord& older, const FrameRecord& newer);

// A version's one-line summary is kept with the version in a form every interface language can
// show: the numbers of the change and the header columns that changed, as compact JSON.
QString StoredSummary(const FrameDiff& diff);
// The same straight from the two versions, without keeping the values of what changed (a save's).
QString StoredSummary(const FrameRecord& older, const FrameRecord& newer);
// That summary in the interface language, e.g. "+2 steps, −1 link; time limit 24 → 48 H";
// "no change" for an empty one; an unreadable stored text is shown as it stands.
QString SummaryText(const QString& storedSummary);

// The diff as JSON, for `korvel diff --json`: header, steps and links with their changed fields.
QByteArray DiffToJson(const FrameDiff& diff);
// The diff as lines for a terminal, one per change, in the interface language.
QStringList DiffLines(const FrameDiff& diff);

} // namespace korvel
