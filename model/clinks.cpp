#include "model/clinks.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/progress.h"
#include "core/sameid.h"
#include "model/flowcheck.h"
#include "model/storedtext.h"

#include <memory>
#include <utility>

namespace korvel {

namespace {

const QString DeletedKeyPrefix = QStringLiteral("#DEL#");
const QString LoadPrefix = QStringLiteral("[Korvel]-[cWOrder]-[LoadOne]:");
constexpr qint32 MsgLinkTwice = 2011;

LinkValues ReadLinkRow(const Recordset& rs)
{
    HostUtility& u = Utility();
    auto text = [&](const char* column) { return StoredText(rs, column, LoadPrefix); };

    LinkValues v;
    v.WorkOrderLink_ID = text("WorkOrderLink_ID");
    v.WorkOrderFrame_ID = text("WorkOrderFrame_ID");
    v.WorkOrderLinkName = text("WorkOrderLinkName");
    v.SonNode_ID = text("SonNode_ID");
    v.FatherNode_ID = text("FatherNode_ID");
    v.AlwaysOpen = u.FieldToLong(rs.Fields(QStringLiteral("AlwaysOpen")));
    v.AddinVariant = text("AddinVariant");
    v.CompareType = text("CompareType");
    v.VariantValue = text("VariantValue");
    return v;
}

} // namespace

bool cLinks::AddLoadedLink(const LinkValues& values)
{
    auto link = std::make_unique<cLink>();
    link->LoadMe(values);
    return m_allLinks.Add(values.WorkOrderLink_ID, std::move(link));
}

bool cLinks::LoadMe(const QString& vWorkOrderID)
{
    auto rs = DBOperate().GetLinks(vWorkOrderID);
    m_allLinks.RemoveAll();
    if (!rs || !rs->IsOpen())
        return false;
    bool whole = true;
    while (!rs->IsEOF()) {
        try {
            const LinkValues values = ReadLinkRow(*rs);
            if (!AddLoadedLink(values)) {
                LogError(LoadPrefix, FormatMessage(MsgLinkTwice, {values.WorkOrderLink_ID}));
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

qint32 cLinks::NewMe(const LinkValues& values)
{
    try {
        auto link = std::make_unique<cLink>();
        link->NewMe(values);
        return m_allLinks.Add(values.WorkOrderLink_ID, std::move(link)) ? 1 : CodeInUse;
    } catch (...) {
        return -1;
    }
}

void cLinks::RestoreLink(const QString& key, const LinkValues& values, qint32 state)
{
    if (cLink* link = m_allLinks.Item(key)) {
        link->Restore(values, state);
        return;
    }
    auto link = std::make_unique<cLink>();
    link->Restore(values, state);
    m_allLinks.Add(key, std::move(link));
}

qint32 cLinks::RemoveLink(const QString& key)
{
    return m_allLinks.Take(key) ? 1 : -1;
}

bool cLinks::Del(const QString& vLinkId)
{
    cLink* link = m_allLinks.Item(vLinkId);
    if (!link)
        return false;
    link->DelMe();
    return true;
}

QVariant cLinks::DelMe(const QString& vWorkOrderLink_ID)
{
    if (!m_allLinks.Exists(vWorkOrderLink_ID))
        return -1;
    // The new key is found before anything changes: a host that cannot supply one must not leave
    // the link marked but unfiled, nor push out another deleted link that a save still has to write.
    QString deletedKey;
    try {
        for (int attempt = 0; attempt < 16 && deletedKey.isEmpty(); ++attempt) {
            const QString candidate = DeletedKeyPrefix + Utility().NewUniqueKey();
            if (!m_allLinks.Exists(candidate))
                deletedKey = candidate;
        }
    } catch (...) {
        return -1;
    }
    if (deletedKey.isEmpty())
        return -1;

    auto link = m_allLinks.Take(vWorkOrderLink_ID);
    link->DelMe();
    m_allLinks.Add(deletedKey, std::move(link));
    return 1;
}

void cLinks::DelLinkForNode(const QString& vNodeID)
{
    const QString node = IdKey(vNodeID);
    for (const auto& [key, link] : m_allLinks)
        if (IdKey(link->FatherNode_ID()) == node || IdKey(link->SonNode_ID()) == node)
            link->DelMe();
}

bool cLinks::GetBeginFlowExists() const
{
    const QString begin = IdKey(BeginNodeID);
    for (const auto& [key, link] : m_allLinks)
        if (link->CanLoadFlag() == 1 && IdKey(link->FatherNode_ID()) == begin)
            return true;
    return false;
}

bool cLinks::GetEndNodeFlowExists(const QString& vNode) const
{
    const QString node = IdKey(vNode), end = IdKey(EndNodeID);
    for (const auto& [key, link] : m_allLinks)
        if (link->CanLoadFlag() == 1 && IdKey(link->FatherNode_ID()) == node && IdKey(link->SonNode_ID()) == end)
            return true;
    return false;
}

bool cLinks::BPD(const QString& vBeginBuild, const QString& vEndBuild) const
{
    const QString from = IdKey(vBeginBuild), to = IdKey(vEndBuild);
    if (from == to)
        return false;
    auto isEnd = [&](const QString& id) {
        const QString key = IdKey(id);
        return key == from || key == to;
    };
    for (const auto& [key, link] : m_allLinks)
        if (link->CanLoadFlag() == 1 && isEnd(link->SonNode_ID()) && isEnd(link->FatherNode_ID()))
            return false;
    return true;
}

bool cLinks::LinkIDExists(const QString& vID) const
{
    if (m_allLinks.Exists(vID))
        return true;
    // Deleted links are filed under keys of their own; their codes are compared one by one.
    const QString code = IdKey(vID);
    for (const auto& [key, link] : m_allLinks)
        if (key.startsWith(DeletedKeyPrefix) && IdKey(link->WorkOrderLink_ID()) == code)
            return true;
    return false;
}

qint32 cLinks::CheckStatus() const
{
    for (const auto& [key, link] : m_allLinks)
        if (link->CheckStatus() == 1)
            return 1;
    return 0;
}

qint32 cLinks::SaveMe()
{
    // Re-keyed deletions first: a new link may have taken over the code of one of them.
    for (const auto& [key, link] : m_allLinks)
        if (key.startsWith(DeletedKeyPrefix))
            if (const qint32 result = link->SaveMe(); result < 1)
                return result;
    for (const auto& [key, link] : m_allLinks)
        if (!key.startsWith(DeletedKeyPrefix))
            if (const qint32 result = link->SaveMe(); result < 1)
                return result;
    return 1;
}

qint32 cLinks::Saveas(const QString& vFrameIDA, const QHash<QString, QString>& AllRelationNode,
                      Progress* progress) const
{
    for (const auto& [key, link] : m_allLinks) {
        if (link->Saveas(vFrameIDA, AllRelationNode) < 1)
            return -1;
        Advance(progress);
    }
    return 1;
}

} // namespace korvel
