#include "document/framecontroller.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/sameid.h"
#include "document/changenames.h"
#include "document/framedocument.h"
#include "model/cworders.h"
#include "resources/stringtable.h"

#include <QSet>

namespace korvel {

FrameController::FrameController(std::function<cWOrders&()> orders, QObject* parent)
    : QObject(parent), m_orders(std::move(orders))
{
}

FrameController::~FrameController()
{
    // The window that listens may be going already: nobody is to hear of the histories ending.
    m_undoGroup.blockSignals(true);
    m_undoGroup.setActiveStack(nullptr);
    for (auto& [id, document] : m_documents)
        m_undoGroup.removeStack(&document->History());
}

FrameDocument* FrameController::Open(const QString& frameID)
{
    if (frameID.isEmpty() || !m_orders().OneWorkOrder(frameID))
        return nullptr;
    auto& document = m_documents[frameID];
    if (!document) {
        document = std::make_unique<FrameDocument>(m_orders(), frameID);
        m_undoGroup.addStack(&document->History());
    }
    document->Follow();
    return document.get();
}

FrameDocument* FrameController::Find(const QString& frameID) const
{
    const auto it = m_documents.find(frameID);
    return it == m_documents.end() ? nullptr : it->second.get();
}

void FrameController::Close(const QString& frameID)
{
    const auto it = m_documents.find(frameID);
    if (it == m_documents.end())
        return;
    m_undoGroup.removeStack(&it->second->History());
    m_documents.erase(it);
}

void FrameController::CloseAll()
{
    while (!m_documents.empty())
        Close(m_documents.begin()->first);
}

void FrameController::Activate(const QString& frameID)
{
    FrameDocument* document = Open(frameID);
    m_undoGroup.setActiveStack(document ? &document->History() : nullptr);
}

FrameDocument* FrameController::Editable(const QString& frameID)
{
    FrameDocument* document = Open(frameID);
    return document && document->Editable() ? document : nullptr;
}

FrameController::Outcome FrameController::Run(FrameDocument& document, std::unique_ptr<FrameCommand> command)
{
    const FrameDocument::RunResult result = document.Run(std::move(command));
    Outcome outcome;
    outcome.done = result.altered;
    if (!result.refused.isEmpty())
        outcome.refusal = LoadResString(2021).arg(result.refused.join(QStringLiteral(", ")));
    return outcome;
}

namespace {

// A step's name as its values give it (the step is not in the frame yet, or is renamed).
QString NameOf(const NodeValues& step)
{
    const QString name = step.WorkOrderNodeName.trimmed();
    return name.isEmpty() ? step.WorkOrderNode_ID : name;
}

} // namespace

FrameController::Outcome FrameController::AddStep(const QString& frameID, const NodeValues& step)
{
    FrameDocument* document = Editable(frameID);
    if (!document)
        return {};
    Outcome outcome = Run(*document, std::make_unique<AddItemsCommand>(*document, LoadResString(1670).arg(NameOf(step)),
                                                                        QList<NodeValues>{step}, QList<LinkValues>{}));
    if (outcome.done)
        outcome.stepIDs << step.WorkOrderNode_ID;
    return outcome;
}

FrameController::Outcome FrameController::EditStep(const QString& frameID, const QString& stepID,
                                                   const NodeValues& values)
{
    FrameDocument* document = Editable(frameID);
    if (!document)
        return {};
    return Run(*document,
               std::make_unique<EditStepCommand>(*document, LoadResString(1671).arg(NameOf(values)), stepID, values));
}

FrameController::Outcome FrameController::DeleteItems(const QString& frameID, const QStringList& stepIDs,
                                                      const QStringList& linkKeys, bool cut)
{
    FrameDocument* document = Editable(frameID);
    if (!document || (stepIDs.isEmpty() && linkKeys.isEmpty()))
        return {};
    cWorder& frame = *document->Frame();
    // Named while the items are there to be named.
    const QString text = RemovalText(frame, stepIDs, linkKeys, cut);
    // The live links from or to the steps go with them.
    QSet<QString> steps, listed;
    for (const QString& id : stepIDs)
        steps.insert(IdKey(id));
    QStringList links;
    for (const QString& key : linkKeys)
        if (const cLink* link = frame.AllLink().OneLinks(key); link && !listed.contains(IdKey(key))) {
            listed.insert(IdKey(key));
            links << key;
        }
    for (const auto& [key, link] : frame.AllLink().AllLinks())
        if (link->CanLoadFlag() == 1 && !listed.contains(IdKey(key)) &&
            (steps.contains(IdKey(link->FatherNode_ID())) || steps.contains(IdKey(link->SonNode_ID()))))
            links << key;
    return Run(*document, std::make_unique<DeleteItemsCommand>(*document, text, stepIDs, links));
}

FrameController::Outcome FrameController::AddLink(const QString& frameID, const LinkValues& link)
{
    FrameDocument* document = Editable(frameID);
    if (!document)
        return {};
    const QString name = LinkName(*document->Frame(), link.FatherNode_ID, link.SonNode_ID);
    return Run(*document, std::make_unique<AddItemsCommand>(*document, LoadResString(1673).arg(name),
                                                             QList<NodeValues>{}, QList<LinkValues>{link}));
}

FrameController::Outcome FrameController::EditLink(const QString& frameID, const QString& linkKey,
                                                   const LinkEdit& edit)
{
    FrameDocument* document = Editable(frameID);
    if (!document)
        return {};
    const QString name = LinkName(*document->Frame(), linkKey);
    return Run(*document, std::make_unique<EditLinkCommand>(*document, LoadResString(1674).arg(name), linkKey, edit));
}

FrameController::Outcome FrameController::DeleteLink(const QString& frameID, const QString& linkKey)
{
    return DeleteItems(frameID, {}, {linkKey});
}

namespace {

// The places that differ from where the live steps stand.
StepPlaces Changed(cWorder& frame, const StepPlaces& places)
{
    StepPlaces moved;
    for (const auto& [id, place] : places) {
        const cNode* node = frame.AllNode().OneNode(id);
        if (node && node->CanLoadFlag() == 1 && (node->NodeLeft() != place.x() || node->NodeTop() != place.y()))
            moved.append({id, place});
    }
    return moved;
}

} // namespace

FrameController::Outcome FrameController::MoveSteps(const QString& frameID, const StepPlaces& places,
                                                     const QString& text)
{
    FrameDocument* document = Editable(frameID);
    if (!document)
        return {};
    const StepPlaces moved = Changed(*document->Frame(), places);
    if (moved.isEmpty())
        return {};
    return Run(*document, std::make_unique<MoveStepsCommand>(*document, text.isEmpty() ? MoveText(*document->Frame(), moved) : text, moved,
                                                              MoveStepsCommand::Kind::Place));
}

FrameController::Outcome FrameController::Nudge(const QString& frameID, const QList<StepBox>& steps,
                                                const QPointF& delta)
{
    FrameDocument* document = Editable(frameID);
    if (!document)
        return {};
    // Every step of the selection is named, moved or not, so nudges of one selection merge.
    const StepPlaces places = Nudged(steps, delta);
    if (Changed(*document->Frame(), places).isEmpty())
        return {};
    return Run(*document,
               std::make_unique<MoveStepsCommand>(*document, MoveText(*document->Frame(), places), places, MoveStepsCommand::Kind::Nudge));
}

FrameController::Outcome FrameController::Paste(const QString& frameID, const QList<NodeValues>& steps,
                                                const QList<LinkValues>& links, const PastePlace& place)
{
    FrameDocument* document = Editable(frameID);
    if (!document || steps.isEmpty())
        return {};
    cWorder& frame = *document->Frame();
    Outcome outcome;
    PastePlan plan;
    try {
        // Fresh IDs, all from one read of the IDs in use, unsaved steps of the frame counted as used.
        const QStringList newIDs = frame.AllNode().ProposeNodeIDs(static_cast<int>(steps.size()));
        plan = PlanPaste(frame, steps, links, newIDs, [] { return Utility().NewUniqueKey().right(6); }, place);
    } catch (const KorvelError& error) {
        outcome.refusal = error.description();
        return outcome;
    } catch (const std::exception&) {
        outcome.refusal = LoadResString(1000) + QStringLiteral("\r\n") + LastLoggedError();
        return outcome;
    }
    const QString text = plan.steps.size() == 1 ? LoadResString(2313).arg(NameOf(plan.steps.constFirst()))
                                                : LoadResString(1678).arg(plan.steps.size());
    outcome = Run(*document, std::make_unique<AddItemsCommand>(*document, text, plan.steps, plan.links));
    for (const NodeValues& step : std::as_const(plan.steps))
        outcome.stepIDs << step.WorkOrderNode_ID;
    return outcome;
}

FrameController::Outcome FrameController::ReplaceFlow(const QString& frameID, const QList<NodeValues>& steps,
                                                      const QList<LinkValues>& links, const QString& text,
                                                      const std::optional<FrameValues>& header)
{
    FrameDocument* document = Editable(frameID);
    if (!document)
        return {};
    return Run(*document, std::make_unique<ReplaceFlowCommand>(*document, text, steps, links, header));
}

void FrameController::Undo(const QString& frameID)
{
    if (FrameDocument* document = Editable(frameID))
        document->History().undo();
}

void FrameController::Redo(const QString& frameID)
{
    if (FrameDocument* document = Editable(frameID))
        document->History().redo();
}

} // namespace korvel
