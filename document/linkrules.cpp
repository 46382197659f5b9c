#include "document/linkrules.h"

#include "core/sameid.h"
#include "document/changenames.h"
#include "model/cworder.h"
#include "resources/stringtable.h"

namespace korvel {
namespace {

constexpr qint32 MsgIntoStart = 2304;
constexpr qint32 MsgOutOfEnd = 2305;
constexpr qint32 MsgToItself = 2306;
constexpr qint32 MsgStartTaken = 2307;
constexpr qint32 MsgEndTaken = 2308;
constexpr qint32 MsgLinkedAlready = 2309;

} // namespace

QString LinkRefusal(cWorder& frame, const QString& fatherID, const QString& sonID)
{
    const cLinks& links = frame.AllLink();
    if (SameId(sonID, BeginNodeID))
        return LoadResString(MsgIntoStart);
    if (SameId(fatherID, EndNodeID))
        return LoadResString(MsgOutOfEnd);
    if (SameId(fatherID, sonID))
        return LoadResString(MsgToItself);
    if (SameId(fatherID, BeginNodeID) && links.GetBeginFlowExists())
        return LoadResString(MsgStartTaken);
    if (SameId(sonID, EndNodeID) && links.GetEndNodeFlowExists(fatherID))
        return LoadResString(MsgEndTaken).arg(StepName(frame, fatherID));
    if (!links.BPD(fatherID, sonID))
        return LoadResString(MsgLinkedAlready).arg(StepName(frame, fatherID), StepName(frame, sonID));
    return {};
}

} // namespace korvel
