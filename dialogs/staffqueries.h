#pragma once

#include <QString>
#include <QtGlobal>

namespace korvel {

class SelectOnlyCombo;

// The statements and fills shared by the node dialog and the multiple-handler editor.

// The active role groups.
inline constexpr const char* RoleGroupStatement =
    R"(select rolegroup_id,RoleGroupDescription from rolegroup Where Status=1)";

// Which staff list a statement is for: the two lists of the comma-join form differ in their
// spacing; the INNER JOIN form is the same for both.
enum class StaffListKind { Handler, Escalation };

// The statement listing Staff_ID and StaffName of the members of one role group. `databaseType` 1
// gives the comma-join form, any other value the INNER JOIN form. The group ID is put between single
// quotes with any quote inside it doubled, so an ID holding a quote still finds its staff.
QString GroupStaffStatement(qint32 databaseType, const QString& group, StaffListKind kind);

// The no-selection item's text: "<" + string 186 + ">". Its key is empty.
QString NoSelectionText();

// Clears `combo`, adds the no-selection item, then one item per member of `group` from the add-in's
// connection (StaffName / Staff_ID, through HostUtility.FieldToString), and ends the fill.
// A failing statement or host call throws; the combo then holds whatever was added before.
void FillGroupStaff(SelectOnlyCombo& combo, const QString& group, StaffListKind kind);

} // namespace korvel
