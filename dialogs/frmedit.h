#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

class QCloseEvent;
class QLabel;
class QPushButton;

namespace korvel {

class EditableGrid;
class SelectOnlyCombo;

// The multiple-handler editor: a list of (role group, staff member) pairs that the node dialog
// keeps as one text, "G1,S1|G2,S2" (entries separated by "|", group and staff separated by ",";
// an entry made with the no-selection staff item is "G1,"; the empty list is "").
//
// The caller constructs it (which localises it, lays out the grid and reads the group list and the
// two name tables), writes AllInfo, shows it through Modals() and reads AllInfo back when Tag() is
// "T". The grid's columns are: 0 "No." (empty for data rows), 1 group name, 2 staff name, 3 group
// ID and 4 staff ID, the last two hidden.
class FrmEdit final : public QDialog {
    Q_OBJECT
public:
    explicit FrmEdit(QWidget* parent = nullptr);
    ~FrmEdit() override;

    // The handler list built from the grid's data rows, in row order.
    QString AllInfo() const;
    // Rebuilds the grid from a handler list; names come from the name tables (an unknown ID shows
    // an empty name but keeps its ID). Blank text leaves only the header row.
    void setAllInfo(const QString& value);

    // "T" after OK; "" after Cancel or any other way of closing.
    QString Tag() const;

    QLabel* Label1 = nullptr;
    SelectOnlyCombo* CboGroup = nullptr;
    QLabel* Label2 = nullptr;
    SelectOnlyCombo* CboBy = nullptr;
    QPushButton* CmdAdd = nullptr;
    QPushButton* CmdDel = nullptr;
    EditableGrid* GrdHandlers = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void FormLoad();
    void InitGrid();
    void LoadGroups();
    void LoadStaffNames();
    void LoadGroupStaff(const QString& group);
    void CboGroup_SelectionChanged(int position);
    void CmdAdd_Click();
    void CmdDel_Click();
    void CmdOK_Click();
    void CmdCancel_Click();

    QHash<QString, QString> m_groupNames; // rolegroup_id → RoleGroupDescription
    QHash<QString, QString> m_staffNames; // Staff_ID → StaffName
};

} // namespace korvel
