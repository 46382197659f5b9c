#include "model/cnodes.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/progress.h"
#include "core/sameid.h"
#include "model/flowcheck.h"
#include "model/storedtext.h"
#include "persistence/nodeidsearch.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace korvel {

namespace {

const QString LoadPrefix = QStringLiteral("[Korvel]-[cWOrder]-[LoadOne]:");
constexpr qint32 MsgStepTwice = 2010;

// The 33 values of the recordset's current row, in the node value list order.
NodeValues ReadNodeRow(const Recordset& rs)
{
    HostUtility& u = Utility();
    auto text = [&](const char* column) { return StoredText(rs, column, LoadPrefix); };
    auto number = [&](const char* column) { return u.FieldToLong(rs.Fields(QLatin1StringView(column))); };

    NodeValues v;
    v.WorkOrderFrame_ID = text("WorkOrderFrame_ID");
    v.WorkOrderNode_ID = text("WorkOrderNode_ID");
    v.WorkOrderNodeName = text("WorkOrderNodeName");
    v.ExpiredPeriod = number("ExpiredPeriod");
    v.ExpiredPeriodType_ID = text("ExpiredPeriodType_ID");
    v.CanSendBack = number("CanSendBack");
    v.CanSendSelf = number("CanSendSelf");
    v.CanSkip = number("CanSkip");
    v.EmailNotify = text("EmailNotify");
    v.SMSNotify = text("SMSNotify");
    v.AddinType = number("AddinType");
    v.WEBLink = text("WEBLink");
    v.Group_IDA = text("Group_IDA");
    v.CanFullScreen = number("CanFullScreen");
    v.HandleBy_ID = text("HandleBy_ID");
    v.HandleGroup_ID = text("HandleGroup_ID");
    v.ExpiredHandleBy_ID = text("ExpiredHandleBy_ID");
    v.ExpiredHandleGroup_ID = text("ExpiredHandleGroup_ID");
    v.Top = number("NodeTop");
    v.Left = number("NodeLeft");
    v.Priority_ID = text("Priority_ID");
    v.RefuseFlag = number("RefuseReply");
    v.CanClose = number("CanClose");
    v.ContactCust = number("ContactCust");
    v.NextBeginTime = number("NextBeginTime");
    v.TickOffFlag = number("TickOffFlag");
    v.ReturnOldStep = text("ReturnOldStep");
    v.CanModify = number("CanModify");
    v.CanBackToBy = number("CanBackToBy");
    v.ToMultiHandleBy = text("ToHandleby");
    v.ReturnGroupFlag = number("ReturnGroupFlag");
    v.ForecastUnit = text("ForecastUnit");
    v.ForecastLen = number("ForecastLen");
    return v;
}

} // namespace

bool cNodes::AddLoadedNode(const NodeValues& values)
{
    auto node = std::make_unique<cNode>();
    node->LoadMe(values);
    return m_allNode.Add(values.WorkOrderNode_ID, std::move(node));
}

bool cNodes::LoadMe(const QString& vWorkOrder)
{
    std::unique_ptr<Recordset> rs;
    IgnoreErrors([&] { rs = DBOperate().GetNodes(vWorkOrder); });
    m_allNode.RemoveAll();
    if (!rs || !rs->IsOpen())
        return false;
    bool whole = true;
    while (!rs->IsEOF()) {
        try {
            const NodeValues values = ReadNodeRow(*rs);
            if (!AddLoadedNode(values)) {
                LogError(LoadPrefix, FormatMessage(MsgStepTwice, {values.WorkOrderNode_ID}));
                whole = false;
            }
        } catch (const std::exception& e) {
            LogError(LoadPrefix, e);
            whole = false;
        }
        rs->MoveNext();
    }
    rs->Close();
    return whole;
}

qint32 cNodes::NewNode(const NodeValues& values)
{
    try {
        auto node = std::make_unique<cNode>();
        node->NewMe(values);
        return m_allNode.Add(values.WorkOrderNode_ID, std::move(node)) ? 1 : IdInUse;
    } catch (...) {
        return -1;
    }
}

void cNodes::RestoreNode(const NodeValues& values, qint32 state)
{
    if (cNode* node = m_allNode.Item(values.WorkOrderNode_ID)) {
        node->Restore(values, state);
        return;
    }
    auto node = std::make_unique<cNode>();
    node->Restore(values, state);
    m_allNode.Add(values.WorkOrderNode_ID, std::move(node));
}

qint32 cNodes::RemoveNode(const QString& vID)
{
    return m_allNode.Take(vID) ? 1 : -1;
}

qint32 cNodes::DelNode(const QString& vWorkOrderNode_ID)
{
    cNode* node = m_allNode.Item(vWorkOrderNode_ID);
    if (!node)
        return -1;
    node->DelMe();
    return 1;
}

qint32 cNodes::NodeIDExists(const QString& vID) const
{
    if (m_allNode.Exists(vID))
        return 1;
    return DBOperate().getNodeExists(vID);
}

QString cNodes::ProposeNodeID() const
{
    return ProposeNodeIDs(1).constFirst();
}

QStringList cNodes::ProposeNodeIDs(int count) const
{
    NodeIdAllocator ids = NodeIdAllocator::FromDatabase();
    for (const auto& [key, node] : m_allNode)
        ids.MarkUsed(node->WorkOrderNode_ID());
    QStringList proposed;
    for (int i = 0; i < std::max(count, 1); ++i)
        proposed << ids.Next();
    return proposed;
}

qint32 cNodes::CheckStatus() const
{
    for (const auto& [key, node] : m_allNode)
        if (node->CheckStatus() == 1)
            return 1;
    return 0;
}

qint32 cNodes::SaveMe()
{
    for (const auto& [key, node] : m_allNode)
        if (const qint32 result = node->SaveMe(); result < 1)
            return result;
    return 1;
}

qint32 cNodes::Saveas(const QString& vNewID, QHash<QString, QString>& AllRelationNodeID, Progress* progress,
                      bool keepFreeIds)
{
    try {
        // Copies whose return step is copied after them: their insert cannot name it yet, so it is
        // set by an update once every node has its new ID.
        std::vector<std::pair<const cNode*, QString>> laterReturnSteps;
        // One read of the IDs in use for the whole copy, after any other writer's commit.
        NodeIdAllocator ids = NodeIdAllocator::ForWriter();

        for (const auto& [key, node] : m_allNode) {
            Advance(progress);
            const QString oldID = IdKey(node->WorkOrderNode_ID());
            if (node->CanLoadFlag() != 1) {
                if (!AllRelationNodeID.contains(oldID))
                    AllRelationNodeID.insert(oldID, QString());
                continue;
            }
            const QString newID = keepFreeIds && ids.TakeIfFree(node->WorkOrderNode_ID()) ? node->WorkOrderNode_ID()
                                                                                           : ids.Next();
            AllRelationNodeID.insert(oldID, newID);

            const QString returnStep = IdKey(node->ReturnOldStepID());
            const bool knownYet = node->ReturnOldStepID().isEmpty() || AllRelationNodeID.contains(returnStep);
            if (node->Saveas(vNewID, newID, AllRelationNodeID.value(returnStep)) < 1)
                return -1;
            if (!knownYet)
                laterReturnSteps.emplace_back(node.get(), newID);
        }

        for (const auto& [node, newID] : laterReturnSteps) {
            const QString mapped = AllRelationNodeID.value(IdKey(node->ReturnOldStepID()));
            if (mapped.isEmpty())
                continue; // not a live node of this frame: the copy keeps the empty step it got
            if (DBOperate().UpdateNode(node->CopyValues(vNewID, newID, mapped)) < 1)
                return -1;
        }
        return 1;
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[cWOrder]-[Saveas]:"), e);
        return -1;
    }
}

} // namespace korvel
