#pragma once

#include "persistence/cdboperate.h"

#include <QDialog>
#include <QString>
#include <QtGlobal>

class QButtonGroup;
class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace korvel {

class NumericTextBox;
class cNode;
class SelectOnlyCombo;

// The node property dialog: every property of one step of the open frame. The caller constructs
// it (which localises it, fills the priority, time-unit, role-group and dynamic-form lists and
// centres it), fills CboStep and the other controls, shows it through Modals() and reads the
// controls back when Tag() is "T". The dialog never changes a node.
//
// Enabling rules follow the controls' values, whether the user or code changes them:
//  - page options: OptMainFlow empties and disables TxtWeb and CboBuild; OptBuild enables CboBuild
//    only; OptWeb enables TxtWeb only (the other one is emptied);
//  - handler options: OptOld enables CboStep and chkReturnGroup, OptMulti enables CmdSetUp,
//    OptOther enables Frame2 (handle group and handler); the others are disabled;
//  - ChkBack clear disables and clears Check2; ChkTickOff enables ChkTickCLOSE;
//  - ChkModi1 and ChkModi2 exclude each other;
//  - choosing a handle group (escalation group) refills CboStaff (CboExpirStaff).
// At load only the page-option and ChkTickOff rules are applied; the others from the first change.
//
// CmdSetUp's dynamic property "Tag" holds the multiple-handler list ("G1,S1|G2,S2") edited with
// FrmEdit.
class FrmNode final : public QDialog {
    Q_OBJECT
public:
    explicit FrmNode(QWidget* parent = nullptr);
    ~FrmNode() override;

    // The three send-to permissions packed as the digits of a three-digit number: hundreds
    // CHKSendOwner, tens ChkSendSelf, units ChkSendLoginGrp (all three set = 111, none = 0).
    qint32 SendSelf() const;
    // Sets each of the three boxes when its digit of the value written with at least three digits
    // is "1", and clears it otherwise.
    void setSendSelf(qint32 value);

    // "T" after OK passed every check; "" after Cancel or any other way of closing.
    QString Tag() const;

    // The step's values as the controls hold them, at position (0, 0) (frmnodefields.cpp).
    NodeValues Values(const QString& frameID) const;
    // Sets every control from the step. Groups are chosen before their staff, because choosing a
    // group refills its staff list.
    void Show(const cNode& node);

    // The handler list kept by CmdSetUp.
    QString MultiHandleBy() const;
    void setMultiHandleBy(const QString& list);

    // The controls; callers and tests read and write them directly.
    QGroupBox* FraNode = nullptr;
    QLabel* lblID = nullptr;
    QLineEdit* TxtID = nullptr;
    QLabel* lblName = nullptr;
    QLineEdit* TxtName = nullptr;
    QLabel* lblPriority = nullptr;
    SelectOnlyCombo* CboPriority = nullptr;
    QLabel* lblUnit = nullptr;
    SelectOnlyCombo* CboUnit = nullptr;
    QLabel* lblLen = nullptr;
    NumericTextBox* TxtLen = nullptr;
    QLabel* lblNextTime = nullptr;
    NumericTextBox* TxtNextTime = nullptr;
    QLabel* lblHour = nullptr;
    QLabel* lblUnit1 = nullptr;
    SelectOnlyCombo* CboUnit1 = nullptr;
    QLabel* lblLen1 = nullptr;
    NumericTextBox* TxtLen1 = nullptr;

    QCheckBox* ChkBack = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* CHKSendOwner = nullptr;
    QCheckBox* ChkSendSelf = nullptr;
    QCheckBox* ChkSendLoginGrp = nullptr;
    QCheckBox* CHKSendSkip = nullptr;
    QCheckBox* CHKSMS = nullptr;
    QCheckBox* ChkEmail = nullptr;
    QCheckBox* ChkRefuseReply = nullptr;
    QCheckBox* ChkClose = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* ChkTickOff = nullptr;
    QCheckBox* ChkTickCLOSE = nullptr;
    QCheckBox* ChkModi1 = nullptr;
    QCheckBox* ChkModi2 = nullptr;

    QGroupBox* Frame1 = nullptr;
    QRadioButton* OptOld = nullptr;
    SelectOnlyCombo* CboStep = nullptr;
    QCheckBox* chkReturnGroup = nullptr;
    QRadioButton* OptMulti = nullptr;
    QPushButton* CmdSetUp = nullptr;
    QRadioButton* OptOther = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* lblStaffGroup = nullptr;
    SelectOnlyCombo* CboStaffGroup = nullptr;
    QLabel* lblStaff = nullptr;
    SelectOnlyCombo* CboStaff = nullptr;
    QLabel* lblExpirGroup = nullptr;
    SelectOnlyCombo* CboExpirGroup = nullptr;
    QLabel* lblExpirStaff = nullptr;
    SelectOnlyCombo* CboExpirStaff = nullptr;

    QGroupBox* fraFrame = nullptr;
    QRadioButton* OptMainFlow = nullptr;
    QRadioButton* OptBuild = nullptr;
    SelectOnlyCombo* CboBuild = nullptr;
    QRadioButton* OptWeb = nullptr;
    QLineEdit* TxtWeb = nullptr;
    QCheckBox* ChkFull = nullptr;

    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

public slots:
    // Any close other than a passed OK leaves an empty tag.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // frmnode.cpp: controls, layout, load handler.
    void BuildControls();
    QWidget* BuildGeneralPart();
    QWidget* BuildHandlerFrame();
    QWidget* BuildPageFrame();
    void ConnectRules();
    void FormLoad();

    // frmnodelists.cpp: the lists and their sources.
    void InitFormInfo();
    void LoadTime();
    void LoadRoleGroups();
    void LoadStaff(const QString& group);
    void LoadExpireStaff(const QString& group);
    void LoadDynamicForms();

    // frmnoderules.cpp: enabling rules and buttons.
    void OptMainFlow_Chosen();
    void OptBuild_Chosen();
    void OptWeb_Chosen();
    void OptOld_Chosen();
    void OptMulti_Chosen();
    void OptOther_Chosen();
    void ChkBack_Changed();
    void ChkModi1_Changed();
    void ChkModi2_Changed();
    void ChkTickOff_Changed();
    void CboStaffGroup_SelectionChanged(int position);
    void CboExpirGroup_SelectionChanged(int position);
    void CmdSetUp_Click();
    void CmdOK_Click();
    void CmdCancel_Click();
    // One failed OK check: the message, then the focus on the field (none when `field` is null).
    void Refuse(const QString& message, QWidget* field);

    QButtonGroup* m_handlerOptions = nullptr;
    QButtonGroup* m_pageOptions = nullptr;
};

} // namespace korvel
