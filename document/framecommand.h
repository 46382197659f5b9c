#pragma once

#include "persistence/cdboperate.h"

#include <QPoint>
#include <QStringList>
#include <QUndoCommand>
#include <optional>
#include <vector>

namespace korvel {

class FrameDocument;
class cWorder;

// One undoable change of a frame's steps and links, on its document. The change runs once, on the
// first redo, through the model's public operations; the steps (by ID) and links (by collection key)
// it may touch are named up front, and their values and change states are recorded before and after
// it. Undo puts the "before" back and redo the "after", exactly: an added step undone is gone from
// the collection (nothing to save), a deleted one comes back with its previous state. After each,
// the document announces what came, changed and went. A change that alters nothing makes the
// command obsolete, so it never reaches the history.
class FrameCommand : public QUndoCommand {
public:
    void redo() final;
    void undo() final;

    // True after the first redo when the change altered nothing.
    bool AlteredNothing() const { return m_done && m_before == m_after; }
    // IDs or codes of the items the model refused to add (taken meanwhile), from the first redo.
    const QStringList& Refused() const { return m_refused; }
    // The next redo is skipped: the document has run the command already and now hands it to its
    // history, whose push runs redo again.
    void SkipNextRedo() { m_skipRedo = true; }

protected:
    // What is recorded of the steps: all their values, or, for a command that only moves them, their
    // places (a move of thousands of steps then copies and compares no texts). A places-only command
    // announces its live steps as moved, not changed.
    enum class Records { Everything, Places };
    FrameCommand(FrameDocument& document, const QString& text, QStringList stepIDs, QStringList linkKeys,
                 Records records = Records::Everything);

    // The change, made through the model's public operations. What it altered is recorded.
    virtual void Change(cWorder& frame) = 0;
    // Names an item the model refused to add.
    void Refuse(const QString& idOrCode) { m_refused << idOrCode; }
    // Takes over the "after" of a later command of the same kind on the same items (a merge);
    // false when the items differ. The command turns obsolete when it now alters nothing.
    bool AdoptAfter(const FrameCommand& later);
    FrameDocument& Document() const { return m_document; }
    // The command also changes the header (cWorder::SetHeader): it is recorded with the steps and
    // links, so undo puts back the header and whether it was an unsaved change. Call in the
    // constructor.
    void RecordHeader() { m_header = true; }

private:
    struct NodeState {
        bool present = false;
        bool live = false;
        QPoint place;
        qint32 state = 0;
        bool operator==(const NodeState&) const = default;
    };
    struct LinkState {
        bool present = false;
        bool live = false;
        LinkValues values;
        qint32 state = 0;
        bool operator==(const LinkState&) const = default;
    };
    struct Snapshot {
        std::vector<NodeState> nodes;
        // The nodes' values, in the same order, when everything is recorded: kept apart, so that a
        // snapshot of places stays small.
        std::vector<NodeValues> nodeValues;
        std::vector<LinkState> links;
        // The header and cWorder::HeaderPending, when the command records it.
        std::optional<std::pair<FrameValues, bool>> header;
        bool operator==(const Snapshot&) const = default;
    };

    Snapshot Take(cWorder& frame) const;
    void Apply(cWorder& frame, const Snapshot& snapshot) const;
    // Tells the document what changed from `from` to `to`.
    void Announce(const Snapshot& from, const Snapshot& to) const;

    FrameDocument& m_document;
    QStringList m_stepIDs;
    QStringList m_linkKeys;
    Records m_records;
    bool m_header = false;
    Snapshot m_before, m_after;
    QStringList m_refused;
    bool m_done = false;
    bool m_skipRedo = false;
};

} // namespace korvel
