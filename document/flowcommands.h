#pragma once

#include "document/framecommand.h"
#include "document/linkedit.h"

#include <QList>
#include <QPoint>
#include <optional>
#include <utility>

namespace korvel {

// The typed edits of a frame's flow. Each names up front every step and link it may touch, so its
// undo and redo are exact (see FrameCommand).

// Adds steps and links (a new step, a new link, a paste). An ID or code the frame has already is
// refused by the model and reported in Refused(); the rest is added.
class AddItemsCommand final : public FrameCommand {
public:
    AddItemsCommand(FrameDocument& document, const QString& text, QList<NodeValues> steps, QList<LinkValues> links);

private:
    void Change(cWorder& frame) override;
    QList<NodeValues> m_steps;
    QList<LinkValues> m_links;
};

// Sets a step's dialog values (everything but frame, ID and place); only fields that differ are set,
// since every set marks the step changed.
class EditStepCommand final : public FrameCommand {
public:
    EditStepCommand(FrameDocument& document, const QString& text, const QString& stepID, NodeValues values);

private:
    void Change(cWorder& frame) override;
    QString m_stepID;
    NodeValues m_values;
};

// Sets a link's name and opening condition (LinkEdit); its code and ends stay.
class EditLinkCommand final : public FrameCommand {
public:
    EditLinkCommand(FrameDocument& document, const QString& text, const QString& linkKey, LinkEdit edit);

private:
    void Change(cWorder& frame) override;
    QString m_linkKey;
    LinkEdit m_edit;
};

// Deletes links first, then steps. The links of the steps must be among `linkKeys`
// (FrameController::DeleteSteps finds them), or they would be left dangling.
class DeleteItemsCommand final : public FrameCommand {
public:
    DeleteItemsCommand(FrameDocument& document, const QString& text, const QStringList& stepIDs,
                       const QStringList& linkKeys);

private:
    void Change(cWorder& frame) override;
    QStringList m_steps;
    QStringList m_links;
};

// Moves steps to new top-left places (twips). Nudges by the arrow keys of the same steps merge into
// one entry of the history.
class MoveStepsCommand final : public FrameCommand {
public:
    enum class Kind { Place, Nudge };
    MoveStepsCommand(FrameDocument& document, const QString& text, QList<std::pair<QString, QPoint>> places,
                     Kind kind);

    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    void Change(cWorder& frame) override;
    QList<std::pair<QString, QPoint>> m_places;
    Kind m_kind;
};

// Replaces the whole flow by the given steps and links: steps and links the frame has but the new
// flow lacks are deleted, the others are set to their new values or added. With a header (a
// restored version), the header is set too, as an unsaved change the next save writes.
class ReplaceFlowCommand final : public FrameCommand {
public:
    ReplaceFlowCommand(FrameDocument& document, const QString& text, QList<NodeValues> steps,
                       QList<LinkValues> links, std::optional<FrameValues> header = std::nullopt);

private:
    void Change(cWorder& frame) override;
    QList<NodeValues> m_steps;
    QList<LinkValues> m_links;
    std::optional<FrameValues> m_header;
};

// The history entry id of merging nudges.
inline constexpr int NudgeCommandId = 1;

} // namespace korvel
