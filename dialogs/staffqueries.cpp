#include "dialogs/staffqueries.h"

#include "core/addinglobals.h"
#include "core/korvelerror.h"
#include "dialogs/selectonlycombo.h"
#include "persistence/connection.h"
#include "resources/stringtable.h"

namespace korvel {

QString GroupStaffStatement(qint32 databaseType, const QString& group, StaffListKind kind)
{
    QString quoted = group;
    quoted.replace(QStringLiteral("'"), QStringLiteral("''"));
    if (databaseType == 1 && kind == StaffListKind::Handler) {
        return QStringLiteral(R"(SELECT  Staff.Staff_ID, Staff.StaffName FROM StaffRoleGroup,Staff )") +
               QStringLiteral(R"( Where  StaffRoleGroup.Staff_ID = Staff.Staff_ID  )") +
               QStringLiteral(R"( And StaffRoleGroup.RoleGroup_ID = ')") + quoted + QStringLiteral(R"('  )");
    }
    if (databaseType == 1) {
        return QStringLiteral(R"(SELECT  Staff.Staff_ID, Staff.StaffName FROM StaffRoleGroup, )") +
               QStringLiteral(R"( Staff Where  StaffRoleGroup.Staff_ID = Staff.Staff_ID  )") +
               QStringLiteral(R"( And StaffRoleGroup.RoleGroup_ID = ')") + quoted + QStringLiteral(R"('  )");
    }
    return QStringLiteral(R"(SELECT  Staff.Staff_ID, Staff.StaffName FROM StaffRoleGroup INNER JOIN )") +
           QStringLiteral(R"( Staff ON  StaffRoleGroup.Staff_ID = Staff.Staff_ID  )") +
           QStringLiteral(R"( WHERE StaffRoleGroup.RoleGroup_ID = ')") + quoted + QStringLiteral(R"('  )");
}

QString NoSelectionText()
{
    return QStringLiteral("<") + LoadResString(186) + QStringLiteral(">");
}

void FillGroupStaff(SelectOnlyCombo& combo, const QString& group, StaffListKind kind)
{
    combo.Clear();
    combo.AddItem(NoSelectionText(), QString());
    const QString sql = GroupStaffStatement(Services().DatabaseType(), group, kind);
    auto rs = Connection::Shared().OpenRecordset(sql);
    HostUtility& utility = Utility();
    while (!rs->IsEOF()) {
        combo.AddItem(utility.FieldToString(rs->Fields(QStringLiteral("StaffName"))),
                      utility.FieldToString(rs->Fields(QStringLiteral("Staff_ID"))));
        rs->MoveNext();
    }
    combo.EndFill();
    rs->Close();
}

} // namespace korvel
