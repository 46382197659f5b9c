#include "persistence/lookupkeys.h"

#include "core/korvelerror.h"
#include "core/sameid.h"
#include "persistence/cdboperate.h"
#include "persistence/connection.h"

namespace korvel {
namespace {

struct LookupTable {
    LookupKind kind;
    const char* table;
    const char* keyColumn;
};

constexpr LookupTable kTables[] = {
    {LookupKind::Priority, "SYSC_Priority", "Priority_ID"},
    {LookupKind::Category, "Sysc_WoCategory", "ID"},
    {LookupKind::TimeUnit, "C_TimeType", "TimeIDA"},
    {LookupKind::FormGroup, "Tab_Group", "Group_IDA"},
    {LookupKind::Campaign, "objectivetype", "ObjectiveType_ID"},
    {LookupKind::Staff, "Staff", "Staff_ID"},
    {LookupKind::RoleGroup, "rolegroup", "rolegroup_id"},
    {LookupKind::DocGroup, "DocGroup", "DocGroup_ID"},
    {LookupKind::DocTemplate, "DocTemplate", "DocTemplate_ID"},
};

const LookupTable& TableOf(LookupKind kind)
{
    for (const LookupTable& table : kTables)
        if (table.kind == kind)
            return table;
    throw KorvelError(QStringLiteral("Unknown lookup kind"));
}

// The lists the dialogs already read through cDBOperate; the other tables by their key column.
std::unique_ptr<Recordset> ReadTable(LookupKind kind)
{
    switch (kind) {
    case LookupKind::Priority:
        return DBOperate().GetCodePriority();
    case LookupKind::Category:
        return DBOperate().GetWorkOrderType();
    case LookupKind::FormGroup:
        return DBOperate().GetAddinBuild();
    case LookupKind::Campaign:
        return DBOperate().GetAllObjectiveTypeList();
    default:
        break;
    }
    const LookupTable& table = TableOf(kind);
    return Connection::Shared().OpenRecordset(QStringLiteral("select %1 from %2")
                                                  .arg(QLatin1String(table.keyColumn), QLatin1String(table.table)));
}

} // namespace

const QList<LookupKind>& AllLookupKinds()
{
    static const QList<LookupKind> kinds = [] {
        QList<LookupKind> list;
        for (const LookupTable& table : kTables)
            list << table.kind;
        return list;
    }();
    return kinds;
}

QString LookupTableName(LookupKind kind)
{
    return QLatin1String(TableOf(kind).table);
}

bool LookupKindByName(const QString& table, LookupKind& kind)
{
    for (const LookupTable& entry : kTables)
        if (table.compare(QLatin1String(entry.table), Qt::CaseInsensitive) == 0) {
            kind = entry.kind;
            return true;
        }
    return false;
}

QSet<QString> LookupKeys(LookupKind kind)
{
    auto rs = ReadTable(kind);
    if (!rs || !rs->IsOpen())
        throw KorvelError(QStringLiteral("The lookup table %1 cannot be read").arg(LookupTableName(kind)));
    QSet<QString> keys;
    for (; !rs->IsEOF(); rs->MoveNext())
        keys.insert(IdKey(rs->Fields(0).toString()));
    return keys;
}

} // namespace korvel
