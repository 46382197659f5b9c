#include "document/changenames.h"

#include "core/sameid.h"
#include "model/cworder.h"
#include "resources/stringtable.h"

namespace korvel {
namespace {

// Texts of the history's entries.
constexpr qint32 MsgStart = 81;
constexpr qint32 MsgEnd = 80;
constexpr qint32 MsgDeleteStep = 1672;
constexpr qint32 MsgDeleteLink = 1675;
constexpr qint32 MsgMoveStep = 1676;
constexpr qint32 MsgMoveSteps = 1677;
constexpr qint32 MsgCutSteps = 1679;
constexpr qint32 MsgDeleteSteps = 1680;
constexpr qint32 MsgLinkName = 2300;
constexpr qint32 MsgDeleteLinks = 2301;
constexpr qint32 MsgDeleteStepsAndLinks = 2302;
constexpr qint32 MsgCutStep = 2303;
constexpr qint32 MsgSomeSteps = 2314;
constexpr qint32 MsgSomeLinks = 2315;
constexpr qint32 MsgOneStep = 2316;
constexpr qint32 MsgOneLink = 2317;

} // namespace

QString StepName(cWorder& frame, const QString& stepID)
{
    if (SameId(stepID, BeginNodeID))
        return LoadResString(MsgStart);
    if (SameId(stepID, EndNodeID))
        return LoadResString(MsgEnd);
    const cNode* node = frame.AllNode().OneNode(stepID);
    const QString name = node ? node->WorkOrderNodeName().trimmed() : QString();
    return name.isEmpty() ? stepID : name;
}

QString LinkName(cWorder& frame, const QString& fatherID, const QString& sonID)
{
    return LoadResString(MsgLinkName).arg(StepName(frame, fatherID), StepName(frame, sonID));
}

QString LinkName(cWorder& frame, const QString& linkKey)
{
    const cLink* link = frame.AllLink().OneLinks(linkKey);
    return link ? LinkName(frame, link->FatherNode_ID(), link->SonNode_ID()) : linkKey;
}

QString RemovalText(cWorder& frame, const QStringList& stepIDs, const QStringList& linkKeys, bool cut)
{
    if (cut)
        return stepIDs.size() == 1 ? LoadResString(MsgCutStep).arg(StepName(frame, stepIDs.constFirst()))
                                   : LoadResString(MsgCutSteps).arg(stepIDs.size());
    if (linkKeys.isEmpty())
        return stepIDs.size() == 1 ? LoadResString(MsgDeleteStep).arg(StepName(frame, stepIDs.constFirst()))
                                   : LoadResString(MsgDeleteSteps).arg(stepIDs.size());
    if (stepIDs.isEmpty())
        return linkKeys.size() == 1 ? LoadResString(MsgDeleteLink).arg(LinkName(frame, linkKeys.constFirst()))
                                    : LoadResString(MsgDeleteLinks).arg(linkKeys.size());
    const QString steps = stepIDs.size() == 1 ? LoadResString(MsgOneStep).arg(StepName(frame, stepIDs.constFirst()))
                                              : LoadResString(MsgSomeSteps).arg(stepIDs.size());
    const QString links = linkKeys.size() == 1 ? LoadResString(MsgOneLink).arg(LinkName(frame, linkKeys.constFirst()))
                                               : LoadResString(MsgSomeLinks).arg(linkKeys.size());
    return LoadResString(MsgDeleteStepsAndLinks).arg(steps, links);
}

QString MoveText(cWorder& frame, const StepPlaces& moved)
{
    return moved.size() == 1 ? LoadResString(MsgMoveStep).arg(StepName(frame, moved.constFirst().first))
                             : LoadResString(MsgMoveSteps).arg(moved.size());
}

} // namespace korvel
