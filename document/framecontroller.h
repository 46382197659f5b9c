#pragma once

#include "document/arrangement.h"
#include "document/flowcommands.h"
#include "document/pasteplan.h"
#include "persistence/cdboperate.h"

#include <QObject>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QUndoGroup>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace korvel {

class FrameDocument;
class cWOrders;

// The verbs that change frames, for the window, the command line and the tests alike. Each verb is
// one entry in the frame's history (FrameDocument) and acts only on a frame this user may edit (its
// lock held, read in full); it tells its caller what it did and, when the model refused part of it,
// why, in words for the user. Nothing here talks to the user.
//
// The controller keeps one document per open frame. A frame deleted or replaced loses its document
// and with it its history (Close); the Undo/Redo of the window follow the shown frame's history
// through UndoGroup().
class FrameController final : public QObject {
    Q_OBJECT
public:
    // `orders` gives the window's frame list (which the window may replace while it loads).
    explicit FrameController(std::function<cWOrders&()> orders, QObject* parent = nullptr);
    ~FrameController() override;

    // The frame's document, made on first use and caught up with the frame list; nullptr when the
    // frame is not listed.
    FrameDocument* Open(const QString& frameID);
    // The frame's document when it is open; nullptr otherwise.
    FrameDocument* Find(const QString& frameID) const;
    // Ends the frame's document and history (the frame was deleted).
    void Close(const QString& frameID);
    // Ends every document (the frame list was read afresh).
    void CloseAll();
    // Makes the frame's history the active one of UndoGroup(); empty for none.
    void Activate(const QString& frameID);
    QUndoGroup& UndoGroup() { return m_undoGroup; }

    struct Outcome {
        bool done = false;     // the frame changed
        QString refusal;       // why (part of) it was refused, for the user; empty when nothing was
        QStringList stepIDs;   // the steps the verb added (a paste's fresh IDs)
    };
    Outcome AddStep(const QString& frameID, const NodeValues& step);
    // Sets the step's dialog values (not its ID or place).
    Outcome EditStep(const QString& frameID, const QString& stepID, const NodeValues& values);
    // Deletes the steps with every live link from or to them, and the links, as one entry (named a
    // cut with `cut`).
    Outcome DeleteItems(const QString& frameID, const QStringList& stepIDs, const QStringList& linkKeys,
                        bool cut = false);
    Outcome AddLink(const QString& frameID, const LinkValues& link);
    Outcome EditLink(const QString& frameID, const QString& linkKey, const LinkEdit& edit);
    Outcome DeleteLink(const QString& frameID, const QString& linkKey);
    // Moves steps to new places; a step already there is left alone. An empty `text` names the
    // entry after the step or the number of steps.
    // The entries of the other verbs are named after the items, as the user knows them
    // (document/changenames.h).
    Outcome MoveSteps(const QString& frameID, const StepPlaces& places, const QString& text);
    // Moves the steps by the arrow keys; nudges of the same steps merge into one entry.
    Outcome Nudge(const QString& frameID, const QList<StepBox>& steps, const QPointF& delta);
    // Adds copied steps and the links between them under fresh IDs, centred on `place` (PlanPaste);
    // the new IDs come in the outcome's stepIDs.
    Outcome Paste(const QString& frameID, const QList<NodeValues>& steps, const QList<LinkValues>& links,
                  const PastePlace& place);
    // Replaces the frame's whole flow (a restored version, a layout) as one entry; with a header (a
    // restored version's), the header too, as an unsaved change undone with the flow.
    Outcome ReplaceFlow(const QString& frameID, const QList<NodeValues>& steps, const QList<LinkValues>& links,
                        const QString& text, const std::optional<FrameValues>& header = std::nullopt);
    void Undo(const QString& frameID);
    void Redo(const QString& frameID);

private:
    // The document when the frame may be edited, else nullptr.
    FrameDocument* Editable(const QString& frameID);
    Outcome Run(FrameDocument& document, std::unique_ptr<FrameCommand> command);

    std::function<cWOrders&()> m_orders;
    std::map<QString, std::unique_ptr<FrameDocument>> m_documents;
    QUndoGroup m_undoGroup;
};

} // namespace korvel
