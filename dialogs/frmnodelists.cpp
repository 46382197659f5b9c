// FrmNode: the lists and where they come from.
#include "dialogs/frmnode.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "dialogs/selectonlycombo.h"
#include "dialogs/staffqueries.h"
#include "persistence/cdboperate.h"
#include "persistence/connection.h"

namespace korvel {

namespace {

// Adds one item per row of an open result set to every combo in `combos`.
void AddRows(Recordset& rs, const QString& textField, const QString& keyField,
             std::initializer_list<SelectOnlyCombo*> combos)
{
    HostUtility& utility = Utility();
    while (!rs.IsEOF()) {
        const QString text = utility.FieldToString(rs.Fields(textField));
        const QString key = utility.FieldToString(rs.Fields(keyField));
        for (SelectOnlyCombo* combo : combos)
            combo->AddItem(text, key);
        rs.MoveNext();
    }
}

// Leaves only the no-selection item in each combo.
void ResetToNoSelection(std::initializer_list<SelectOnlyCombo*> combos)
{
    for (SelectOnlyCombo* combo : combos) {
        combo->Clear();
        IgnoreErrors([combo] { combo->AddItem(NoSelectionText(), QString()); });
        combo->EndFill();
    }
}

} // namespace

void FrmNode::InitFormInfo()
{
    try {
        auto rs = DBOperate().GetCodePriority();
        if (rs && rs->IsOpen()) {
            AddRows(*rs, QStringLiteral("PriorityDescription"), QStringLiteral("Priority_ID"), {CboPriority});
            rs->Close();
        }
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmNode]-[InitFormInfo]:"), e);
    }
    CboPriority->EndFill();
}

void FrmNode::LoadTime()
{
    try {
        auto rs =
            Connection::Shared().OpenRecordset(QStringLiteral(R"(select TimeIDA,TimeDesc  from C_TimeType)"));
        AddRows(*rs, QStringLiteral("TimeDesc"), QStringLiteral("TimeIDA"), {CboUnit, CboUnit1});
        rs->Close();
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmNode]-[LoadTime]:"), e);
    }
    CboUnit->EndFill();
    CboUnit1->EndFill();
}

void FrmNode::LoadRoleGroups()
{
    try {
        CboStaffGroup->Clear();
        CboExpirGroup->Clear();
        CboStaffGroup->AddItem(NoSelectionText(), QString());
        CboExpirGroup->AddItem(NoSelectionText(), QString());
        auto rs = Connection::Shared().OpenRecordset(QString::fromLatin1(RoleGroupStatement));
        AddRows(*rs, QStringLiteral("RoleGroupDescription"), QStringLiteral("rolegroup_id"),
                {CboStaffGroup, CboExpirGroup});
        rs->Close();
        CboStaffGroup->EndFill();
        CboExpirGroup->EndFill();
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmNode]-[LoadRoleGroups]:"), e);
        ResetToNoSelection({CboStaffGroup, CboExpirGroup});
    }
}

void FrmNode::LoadStaff(const QString& group)
{
    try {
        FillGroupStaff(*CboStaff, group, StaffListKind::Handler);
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmNode]-[LoadStaff]:"), e);
        ResetToNoSelection({CboStaff});
    }
}

void FrmNode::LoadExpireStaff(const QString& group)
{
    try {
        FillGroupStaff(*CboExpirStaff, group, StaffListKind::Escalation);
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmNode]-[LoadExpireStaff]:"), e);
        ResetToNoSelection({CboExpirStaff});
    }
}

void FrmNode::LoadDynamicForms()
{
    try {
        auto rs = DBOperate().GetAddinBuild();
        if (rs && rs->IsOpen()) {
            AddRows(*rs, QStringLiteral("GroupName"), QStringLiteral("Group_IDA"), {CboBuild});
            rs->Close();
        }
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmNode]-[LoadDynamicForms]:"), e);
        CboBuild->Clear();
    }
    CboBuild->EndFill();
}

} // namespace korvel
