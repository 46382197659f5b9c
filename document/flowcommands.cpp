#include "document/flowcommands.h"

#include "core/changestate.h"
#include "document/framedocument.h"
#include "model/cworder.h"

#include <QSet>

namespace korvel {
namespace {

QStringList StepIDs(const QList<NodeValues>& steps)
{
    QStringList ids;
    ids.reserve(steps.size());
    for (const NodeValues& step : steps)
        ids << step.WorkOrderNode_ID;
    return ids;
}

QStringList LinkCodes(const QList<LinkValues>& links)
{
    QStringList codes;
    codes.reserve(links.size());
    for (const LinkValues& link : links)
        codes << link.WorkOrderLink_ID;
    return codes;
}

// Sets a property only when the value really differs: every set marks the node modified.
template <typename T>
void SetIfChanged(cNode& node, const T& value, const T& (cNode::*get)() const, void (cNode::*set)(const T&))
{
    if (!((node.*get)() == value))
        (node.*set)(value);
}

// Copies a step's dialog values into an existing node. Frame, ID and place are not the dialog's.
void ApplyDialogValues(cNode& n, const NodeValues& v)
{
    SetIfChanged(n, v.WorkOrderNodeName, &cNode::WorkOrderNodeName, &cNode::setWorkOrderNodeName);
    SetIfChanged(n, v.ExpiredPeriod, &cNode::ExpiredPeriod, &cNode::setExpiredPeriod);
    SetIfChanged(n, v.ExpiredPeriodType_ID, &cNode::ExpiredPeriodType_ID, &cNode::setExpiredPeriodType_ID);
    SetIfChanged(n, v.CanSendBack, &cNode::CanSendBack, &cNode::setCanSendBack);
    SetIfChanged(n, v.CanSendSelf, &cNode::CanSendSelf, &cNode::setCanSendSelf);
    SetIfChanged(n, v.CanSkip, &cNode::CanSkip, &cNode::setCanSkip);
    SetIfChanged(n, v.EmailNotify, &cNode::EmailNotify, &cNode::setEmailNotify);
    SetIfChanged(n, v.SMSNotify, &cNode::SMSNotify, &cNode::setSMSNotify);
    SetIfChanged(n, v.AddinType, &cNode::AddinType, &cNode::setAddinType);
    SetIfChanged(n, v.WEBLink, &cNode::WEBLink, &cNode::setWEBLink);
    SetIfChanged(n, v.Group_IDA, &cNode::Group_IDA, &cNode::setGroup_IDA);
    SetIfChanged(n, v.CanFullScreen, &cNode::CanFullScreen, &cNode::setCanFullScreen);
    SetIfChanged(n, v.HandleBy_ID, &cNode::HandleBy_ID, &cNode::setHandleBy_ID);
    SetIfChanged(n, v.HandleGroup_ID, &cNode::HandleGroup_ID, &cNode::setHandleGroup_ID);
    SetIfChanged(n, v.ExpiredHandleBy_ID, &cNode::ExpiredHandleBy_ID, &cNode::setExpiredHandleBy_ID);
    SetIfChanged(n, v.ExpiredHandleGroup_ID, &cNode::ExpiredHandleGroup_ID, &cNode::setExpiredHandleGroup_ID);
    SetIfChanged(n, v.Priority_ID, &cNode::PriorityID, &cNode::setPriorityID);
    SetIfChanged(n, v.RefuseFlag, &cNode::RefuseReply, &cNode::setRefuseReply);
    SetIfChanged(n, v.CanClose, &cNode::CanClose, &cNode::setCanClose);
    SetIfChanged(n, v.ContactCust, &cNode::ContactCust, &cNode::setContactCust);
    SetIfChanged(n, v.NextBeginTime, &cNode::NextBeginTime, &cNode::setNextBeginTime);
    SetIfChanged(n, v.TickOffFlag, &cNode::TickOffFlag, &cNode::setTickOffFlag);
    SetIfChanged(n, v.ReturnOldStep, &cNode::ReturnOldStepID, &cNode::setReturnOldStepID);
    SetIfChanged(n, v.CanModify, &cNode::CanModify, &cNode::setCanModify);
    SetIfChanged(n, v.CanBackToBy, &cNode::CanBackToBy, &cNode::setCanBackToBy);
    SetIfChanged(n, v.ToMultiHandleBy, &cNode::ToMultiHandleBy, &cNode::setToMultiHandleBy);
    SetIfChanged(n, v.ReturnGroupFlag, &cNode::ReturnGroupFlag, &cNode::setReturnGroupFlag);
    SetIfChanged(n, v.ForecastUnit, &cNode::ForecastUnit, &cNode::setForecastUnit);
    SetIfChanged(n, v.ForecastLen, &cNode::ForecastLen, &cNode::setForecastLen);
}

void Place(cNode& node, const QPoint& place)
{
    if (node.NodeLeft() != place.x())
        node.setNodeLeft(place.x());
    if (node.NodeTop() != place.y())
        node.setNodeTop(place.y());
}

void ApplyLinkEdit(cLink& link, const LinkEdit& edit)
{
    if (edit.name != link.WorkOrderLinkName())
        link.setWorkOrderLinkName(edit.name);
    if (edit.AlwaysOpen != link.AlwaysOpen())
        link.setAlwaysOpen(edit.AlwaysOpen);
    if (edit.AddinVariant != link.AddinVariant())
        link.setAddinVariant(edit.AddinVariant);
    if (edit.CompareType != link.CompareType())
        link.setCompareType(edit.CompareType);
    if (edit.VariantValue != link.VariantValue())
        link.setVariantValue(edit.VariantValue);
}

} // namespace

AddItemsCommand::AddItemsCommand(FrameDocument& document, const QString& text, QList<NodeValues> steps,
                                 QList<LinkValues> links)
    : FrameCommand(document, text, StepIDs(steps), LinkCodes(links)), m_steps(std::move(steps)),
      m_links(std::move(links))
{
}

void AddItemsCommand::Change(cWorder& frame)
{
    for (const NodeValues& step : std::as_const(m_steps))
        if (frame.AllNode().NewNode(step) < 1)
            Refuse(step.WorkOrderNode_ID);
    for (const LinkValues& link : std::as_const(m_links))
        if (frame.AllLink().NewMe(link) < 1)
            Refuse(link.WorkOrderLink_ID);
}

EditStepCommand::EditStepCommand(FrameDocument& document, const QString& text, const QString& stepID,
                                 NodeValues values)
    : FrameCommand(document, text, {stepID}, {}), m_stepID(stepID), m_values(std::move(values))
{
}

void EditStepCommand::Change(cWorder& frame)
{
    if (cNode* node = frame.AllNode().OneNode(m_stepID))
        ApplyDialogValues(*node, m_values);
}

EditLinkCommand::EditLinkCommand(FrameDocument& document, const QString& text, const QString& linkKey,
                                 LinkEdit edit)
    : FrameCommand(document, text, {}, {linkKey}), m_linkKey(linkKey), m_edit(std::move(edit))
{
}

void EditLinkCommand::Change(cWorder& frame)
{
    if (cLink* link = frame.AllLink().OneLinks(m_linkKey))
        ApplyLinkEdit(*link, m_edit);
}

DeleteItemsCommand::DeleteItemsCommand(FrameDocument& document, const QString& text, const QStringList& stepIDs,
                                       const QStringList& linkKeys)
    : FrameCommand(document, text, stepIDs, linkKeys), m_steps(stepIDs), m_links(linkKeys)
{
}

void DeleteItemsCommand::Change(cWorder& frame)
{
    for (const QString& key : std::as_const(m_links))
        if (cLink* link = frame.AllLink().OneLinks(key); link && link->CanLoadFlag() == 1)
            link->DelMe();
    for (const QString& id : std::as_const(m_steps))
        frame.AllNode().DelNode(id);
}

namespace {

QStringList MovedIDs(const QList<std::pair<QString, QPoint>>& places)
{
    QStringList ids;
    ids.reserve(places.size());
    for (const auto& [id, place] : places)
        ids << id;
    return ids;
}

} // namespace

MoveStepsCommand::MoveStepsCommand(FrameDocument& document, const QString& text,
                                   QList<std::pair<QString, QPoint>> places, Kind kind)
    : FrameCommand(document, text, MovedIDs(places), {}, Records::Places), m_places(std::move(places)), m_kind(kind)
{
}

void MoveStepsCommand::Change(cWorder& frame)
{
    for (const auto& [id, place] : std::as_const(m_places))
        if (cNode* node = frame.AllNode().OneNode(id); node && node->CanLoadFlag() == 1)
            Place(*node, place);
}

int MoveStepsCommand::id() const
{
    return m_kind == Kind::Nudge ? NudgeCommandId : -1;
}

bool MoveStepsCommand::mergeWith(const QUndoCommand* other)
{
    const auto* later = dynamic_cast<const MoveStepsCommand*>(other);
    return later && later->m_kind == Kind::Nudge && m_kind == Kind::Nudge && AdoptAfter(*later);
}

namespace {

// Every step ID and link code the frame holds now, and those of the new flow.
QStringList AllStepIDs(FrameDocument& document, const QList<NodeValues>& steps);
QStringList AllLinkKeys(FrameDocument& document, const QList<LinkValues>& links);

} // namespace

ReplaceFlowCommand::ReplaceFlowCommand(FrameDocument& document, const QString& text, QList<NodeValues> steps,
                                       QList<LinkValues> links, std::optional<FrameValues> header)
    : FrameCommand(document, text, AllStepIDs(document, steps), AllLinkKeys(document, links)),
      m_steps(std::move(steps)), m_links(std::move(links)), m_header(std::move(header))
{
    if (m_header)
        RecordHeader();
}

void ReplaceFlowCommand::Change(cWorder& frame)
{
    if (m_header && *m_header != frame.HeaderValues())
        frame.SetHeader(*m_header, true);
    QSet<QString> keptSteps, keptLinks;
    for (const NodeValues& step : std::as_const(m_steps))
        keptSteps.insert(step.WorkOrderNode_ID);
    for (const LinkValues& link : std::as_const(m_links))
        keptLinks.insert(link.WorkOrderLink_ID);
    for (const auto& [key, link] : frame.AllLink().AllLinks())
        if (link->CanLoadFlag() == 1 && !keptLinks.contains(key))
            link->DelMe();
    for (const auto& [key, node] : frame.AllNode().AllNode())
        if (node->CanLoadFlag() == 1 && !keptSteps.contains(key))
            node->DelMe();
    for (const NodeValues& step : std::as_const(m_steps)) {
        cNode* node = frame.AllNode().OneNode(step.WorkOrderNode_ID);
        if (node && node->CanLoadFlag() != 1) {
            // Deleted in memory: a row of the database comes back changed, one never saved comes back new.
            frame.AllNode().RestoreNode(step, node->StateFlag() == StateDeleted ? StateModified : StateNew);
            continue;
        }
        if (!node) {
            if (frame.AllNode().NewNode(step) < 1)
                Refuse(step.WorkOrderNode_ID);
            continue;
        }
        ApplyDialogValues(*node, step);
        Place(*node, QPoint(step.Left, step.Top));
    }
    for (const LinkValues& values : std::as_const(m_links)) {
        cLink* link = frame.AllLink().OneLinks(values.WorkOrderLink_ID);
        const bool sameEnds = link && link->CanLoadFlag() == 1 && link->FatherNode_ID() == values.FatherNode_ID &&
                              link->SonNode_ID() == values.SonNode_ID;
        if (sameEnds) {
            ApplyLinkEdit(*link, {values.WorkOrderLinkName, values.AlwaysOpen, values.AddinVariant,
                                  values.CompareType, values.VariantValue});
            continue;
        }
        if (link) {
            // Other ends, or deleted in memory: a row of the database is rewritten, one never saved is new.
            const bool stored = link->StateFlag() != StateNew && link->StateFlag() != StateDropped;
            frame.AllLink().RestoreLink(values.WorkOrderLink_ID, values, stored ? StateModified : StateNew);
            continue;
        }
        if (frame.AllLink().NewMe(values) < 1)
            Refuse(values.WorkOrderLink_ID);
    }
}

namespace {

QStringList AllStepIDs(FrameDocument& document, const QList<NodeValues>& steps)
{
    QStringList ids = StepIDs(steps);
    const QSet<QString> listed(ids.cbegin(), ids.cend());
    if (cWorder* frame = document.Frame())
        for (const auto& [key, node] : frame->AllNode().AllNode())
            if (!listed.contains(key))
                ids << key;
    return ids;
}

QStringList AllLinkKeys(FrameDocument& document, const QList<LinkValues>& links)
{
    QStringList keys = LinkCodes(links);
    const QSet<QString> listed(keys.cbegin(), keys.cend());
    if (cWorder* frame = document.Frame())
        for (const auto& [key, link] : frame->AllLink().AllLinks())
            if (!listed.contains(key))
                keys << key;
    return keys;
}

} // namespace

} // namespace korvel
