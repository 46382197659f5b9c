// The node dialog: its lists, enabling rules, packed send permissions and OK checks.
#include "dialogs/frmnode.h"

#include "dialogs/numerictextbox.h"
#include "dialogs/staffqueries.h"
#include "resources/stringtable.h"
#include "tests/dialogs/nodedialogtestbase.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <memory>

namespace korvel {
namespace {

class FrmNodeTest : public NodeDialogTestBase {
protected:
    std::unique_ptr<FrmNode> Open()
    {
        auto dialog = std::make_unique<FrmNode>();
        dialog->show();
        return dialog;
    }

    // Everything the OK checks ask for, with a handle group chosen.
    static void FillValid(FrmNode& d)
    {
        d.TxtID->setText(QStringLiteral("AB12"));
        d.TxtName->setText(QStringLiteral("Check papers"));
        d.CboPriority->SetKey(QStringLiteral("P2"));
        d.CboUnit->SetKey(QStringLiteral("H"));
        d.TxtLen->setText(QStringLiteral("4"));
        d.OptOther->setChecked(true);
        d.CboStaffGroup->SetKey(QStringLiteral("G02"));
    }

    // Presses OK; the messages it showed.
    QStringList PressOK(FrmNode& d)
    {
        Messages().clear();
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        return Messages().texts();
    }
};

TEST_F(FrmNodeTest, LoadFillsEveryListWithNothingSelected)
{
    const auto d = Open();
    EXPECT_EQ(d->windowTitle(), LoadResString(147));
    EXPECT_EQ(d->ChkBack->text(), LoadResString(155));
    EXPECT_EQ(d->Frame1->title(), LoadResString(169));
    EXPECT_EQ(d->ChkModi1->text(), QStringLiteral("只有发送人能打开修改"));
    EXPECT_EQ(d->CmdSetUp->text(), QStringLiteral("设置"));

    EXPECT_EQ(Items(*d->CboPriority), (QStringList{"Urgent=P1", "High=P2", "Normal=P3", "Low=P4"}));
    const QStringList units{"Minute=M", "Hour=H", "Day=D"};
    EXPECT_EQ(Items(*d->CboUnit), units);
    EXPECT_EQ(Items(*d->CboUnit1), units);
    const QStringList groups{NoSelection(), "Front desk=G01",  "Complaints team=G02", "Field service=G03",
                             "Billing=G04", "Supervisors=G05", "客服热线 Hotline=G06"};
    EXPECT_EQ(Items(*d->CboStaffGroup), groups); // the inactive G09 is left out
    EXPECT_EQ(Items(*d->CboExpirGroup), groups);
    EXPECT_EQ(d->CboBuild->count(), 4);
    EXPECT_EQ(d->CboStaff->count(), 0);
    for (const SelectOnlyCombo* combo :
         {d->CboPriority, d->CboUnit, d->CboUnit1, d->CboStaffGroup, d->CboExpirGroup, d->CboBuild})
        EXPECT_EQ(combo->ListIndex(), -1) << combo->objectName().toStdString();

    EXPECT_TRUE(d->OptOther->isChecked());
    EXPECT_TRUE(d->OptMainFlow->isChecked());
    EXPECT_FALSE(d->TxtWeb->isEnabled());
    EXPECT_FALSE(d->CboBuild->isEnabled());
    EXPECT_FALSE(d->ChkTickCLOSE->isEnabled());
    EXPECT_TRUE(d->Check2->isEnabled()); // the ChkBack rule waits for the first change
    EXPECT_TRUE(m_host.logLines().isEmpty()) << m_host.logLines().join(u'\n').toStdString();
}

TEST_F(FrmNodeTest, OkChecksRunInOrderWithTheirMessagesAndFocus)
{
    const auto d = Open();
    d->OptWeb->setChecked(true);
    d->CboStaffGroup->SetKey(QString());
    struct Step {
        QString message;
        QWidget* focus; // nullptr: the check moves no focus, it stays on the pressed OK button
        std::function<void()> mend;
    };
    const std::vector<Step> steps = {
        {LoadResString(176), d->TxtID, [&] { d->TxtID->setText(QStringLiteral("ABCDEFG")); }},
        {LoadResString(177), d->TxtID, [&] { d->TxtID->setText(QStringLiteral("ABCDEF")); }},
        {LoadResString(178), d->TxtName, [&] { d->TxtName->setText(QStringLiteral("Step")); }},
        {LoadResString(179), d->CboPriority, [&] { d->CboPriority->SetKey(QStringLiteral("P1")); }},
        {LoadResString(180), d->CboUnit, [&] { d->CboUnit->SetKey(QStringLiteral("D")); }},
        {LoadResString(181), d->TxtLen, [&] { d->TxtLen->setText(QStringLiteral("2")); }},
        {LoadResString(182), d->TxtWeb, [&] { d->OptBuild->setChecked(true); }},
        {LoadResString(183), d->CboBuild,
         [&] {
             d->CboBuild->SetKey(QStringLiteral("F01"));
             d->OptOld->setChecked(true);
         }},
        {LoadResString(184), d->CboStep, [&] { d->OptMulti->setChecked(true); }},
        {QStringLiteral("请配置处理人"), nullptr, [&] { d->OptOther->setChecked(true); }},
        {LoadResString(185), d->CboStaffGroup, [&] { d->CboStaffGroup->SetKey(QStringLiteral("G03")); }},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(PressOK(*d), QStringList{step.message});
        EXPECT_EQ(d->focusWidget(), step.focus != nullptr ? step.focus : d->CmdOK)
            << step.message.toStdString();
        EXPECT_NE(d->Tag(), QStringLiteral("T"));
        EXPECT_TRUE(d->isVisible());
        step.mend();
    }
    EXPECT_TRUE(PressOK(*d).isEmpty());
    EXPECT_EQ(d->Tag(), QStringLiteral("T"));
    EXPECT_FALSE(d->isVisible());
}

TEST_F(FrmNodeTest, IdAndLengthEdges)
{
    const struct {
        const char* id;
        const char* length;
        qint32 message; // 0: accepted
    } cases[] = {
        {"ABCDEF", "1", 0},     // six single-byte characters
        {"  AB12  ", "1", 0},   // blanks dropped before the length check
        {"   ", "1", 176},      // blanks only
        {"节点节点", "1", 177}, // four double-byte characters: eight bytes
        {"节点ID", "1", 0},     // six bytes
        {"AB12", "0", 181},     {"AB12", "-5", 181},
        {"AB12", "", 181},      {"AB12", "0.4", 181}, // would be stored as 0
        {"AB12", "3 days", 0},
    };
    for (const auto& c : cases) {
        const auto d = Open();
        FillValid(*d);
        d->TxtID->setText(QString::fromUtf8(c.id));
        d->TxtLen->setText(QString::fromUtf8(c.length));
        const QStringList expected = c.message == 0 ? QStringList{} : QStringList{LoadResString(c.message)};
        EXPECT_EQ(PressOK(*d), expected) << c.id << " / " << c.length;
        EXPECT_EQ(d->Tag() == QStringLiteral("T"), c.message == 0) << c.id << " / " << c.length;
    }
}

TEST_F(FrmNodeTest, CancelAndClosingLeaveNoT)
{
    const auto d = Open();
    FillValid(*d);
    PressOK(*d);
    ASSERT_EQ(d->Tag(), QStringLiteral("T"));

    d->show();
    QTest::mouseClick(d->CmdCancel, Qt::LeftButton);
    EXPECT_EQ(d->Tag(), QString());
    EXPECT_FALSE(d->isVisible());

    PressOK(*d);
    d->show();
    d->close();
    EXPECT_EQ(d->Tag(), QString());

    PressOK(*d);
    d->show();
    QTest::keyClick(d.get(), Qt::Key_Escape);
    EXPECT_EQ(d->Tag(), QString());
}

TEST_F(FrmNodeTest, SendSelfPacksTheThreeBoxes)
{
    const auto d = Open();
    for (const qint32 value : {111, 0, 101, 10, 100, 1, 11, 110}) {
        d->setSendSelf(value);
        EXPECT_EQ(d->SendSelf(), value);
        EXPECT_EQ(d->CHKSendOwner->isChecked(), value / 100 == 1) << value;
        EXPECT_EQ(d->ChkSendSelf->isChecked(), value / 10 % 10 == 1) << value;
        EXPECT_EQ(d->ChkSendLoginGrp->isChecked(), value % 10 == 1) << value;
    }
    // Digits other than 1 clear their box; a negative value sets nothing.
    d->setSendSelf(121);
    EXPECT_EQ(d->SendSelf(), 101);
    d->setSendSelf(-1);
    EXPECT_EQ(d->SendSelf(), 0);
    // The user's clicks are read the same way.
    QTest::mouseClick(d->ChkSendSelf, Qt::LeftButton);
    EXPECT_EQ(d->SendSelf(), 10);
}

TEST_F(FrmNodeTest, CheckBoxRulesFollowValuesSetInCode)
{
    const auto d = Open();
    d->ChkModi1->setChecked(true);
    d->ChkModi2->setChecked(true);
    EXPECT_FALSE(d->ChkModi1->isChecked());
    EXPECT_TRUE(d->ChkModi2->isChecked());
    d->ChkModi1->setChecked(true);
    EXPECT_FALSE(d->ChkModi2->isChecked());

    d->ChkBack->setChecked(true);
    d->Check2->setChecked(true);
    d->ChkBack->setChecked(false);
    EXPECT_FALSE(d->Check2->isChecked());
    EXPECT_FALSE(d->Check2->isEnabled());
    d->ChkBack->setChecked(true);
    EXPECT_TRUE(d->Check2->isEnabled());
    EXPECT_FALSE(d->Check2->isChecked());

    d->ChkTickOff->setChecked(true);
    EXPECT_TRUE(d->ChkTickCLOSE->isEnabled());
    d->ChkTickCLOSE->setChecked(true);
    d->ChkTickOff->setChecked(false);
    EXPECT_FALSE(d->ChkTickCLOSE->isEnabled());
    EXPECT_TRUE(d->ChkTickCLOSE->isChecked()); // its value stays
}

TEST_F(FrmNodeTest, OptionRulesFollowValuesSetInCode)
{
    const auto d = Open();
    d->OptWeb->setChecked(true);
    EXPECT_TRUE(d->TxtWeb->isEnabled());
    EXPECT_FALSE(d->CboBuild->isEnabled());
    d->TxtWeb->setText(QStringLiteral("https://example.com"));
    d->OptBuild->setChecked(true);
    EXPECT_EQ(d->TxtWeb->text(), QString());
    EXPECT_FALSE(d->TxtWeb->isEnabled());
    EXPECT_TRUE(d->CboBuild->isEnabled());
    d->CboBuild->SetKey(QStringLiteral("F02"));
    d->OptWeb->setChecked(true);
    EXPECT_EQ(d->CboBuild->ListIndex(), -1);
    d->TxtWeb->setText(QStringLiteral("https://example.com"));
    d->OptMainFlow->setChecked(true);
    EXPECT_EQ(d->TxtWeb->text(), QString());
    EXPECT_FALSE(d->TxtWeb->isEnabled());
    EXPECT_FALSE(d->CboBuild->isEnabled());

    const auto expectHandler = [&](bool frame2, bool step, bool setUp, bool returnGroup) {
        EXPECT_EQ(d->Frame2->isEnabled(), frame2);
        EXPECT_EQ(d->CboStaffGroup->isEnabled(), frame2);
        EXPECT_EQ(d->CboStep->isEnabled(), step);
        EXPECT_EQ(d->CmdSetUp->isEnabled(), setUp);
        EXPECT_EQ(d->chkReturnGroup->isEnabled(), returnGroup);
    };
    d->OptOld->setChecked(true);
    expectHandler(false, true, false, true);
    d->OptMulti->setChecked(true);
    expectHandler(false, false, true, false);
    d->OptOther->setChecked(true);
    expectHandler(true, false, false, false);
    QTest::mouseClick(d->OptOld, Qt::LeftButton);
    EXPECT_TRUE(d->OptOld->isChecked());
    expectHandler(false, true, false, true);
}

TEST_F(FrmNodeTest, ChoosingAGroupRefillsItsStaffList)
{
    const auto d = Open();
    d->CboStaffGroup->SetKey(QStringLiteral("G02"));
    EXPECT_EQ(Items(*d->CboStaff), (QStringList{NoSelection(), "Alice Chen=alice", "Bob Novak=bob"}));
    EXPECT_EQ(d->CboStaff->ListIndex(), -1);
    d->CboExpirGroup->SetKey(QStringLiteral("G05"));
    EXPECT_EQ(Items(*d->CboExpirStaff),
              (QStringList{NoSelection(), "Administrator=admin", "Carol Díaz=carol"}));

    // The no-selection group queries the empty key: nobody.
    d->CboStaffGroup->SetKey(QString());
    EXPECT_EQ(Items(*d->CboStaff), QStringList{NoSelection()});
    // Clearing the escalation group's selection clears its staff list.
    d->CboExpirGroup->setListIndex(-1);
    EXPECT_EQ(d->CboExpirStaff->count(), 0);

    // A group without staff offers only the no-selection item.
    m_db.exec(QStringLiteral(
        "INSERT INTO rolegroup (rolegroup_id, RoleGroupDescription, Status) VALUES ('G07', 'Empty', 1)"));
    const auto fresh = Open();
    fresh->CboStaffGroup->SetKey(QStringLiteral("G07"));
    EXPECT_EQ(Items(*fresh->CboStaff), QStringList{NoSelection()});
}

TEST_F(FrmNodeTest, AGroupIdWithAQuoteStillFindsItsStaff)
{
    m_db.exec(QStringLiteral(
        "INSERT INTO rolegroup (rolegroup_id, RoleGroupDescription, Status) VALUES ('O''K', 'Quoted', 1)"));
    m_db.exec(QStringLiteral("INSERT INTO StaffRoleGroup (Staff_ID, RoleGroup_ID) VALUES ('erin', 'O''K')"));
    for (const qint32 type : {1, 2}) {
        m_host.services().setDatabaseType(type);
        const auto d = Open();
        d->CboStaffGroup->SetKey(QStringLiteral("O'K"));
        EXPECT_EQ(Items(*d->CboStaff), (QStringList{NoSelection(), "Erin Walsh=erin"})) << type;
    }
    EXPECT_TRUE(m_host.logLines().isEmpty()) << m_host.logLines().join(u'\n').toStdString();
}

TEST(StaffStatementTest, TextsPerDatabaseTypeAndList)
{
    const QString group = QStringLiteral("G'1");
    EXPECT_EQ(
        GroupStaffStatement(1, group, StaffListKind::Handler),
        QStringLiteral(
            R"(SELECT  Staff.Staff_ID, Staff.StaffName FROM StaffRoleGroup,Staff  Where  )"
            R"(StaffRoleGroup.Staff_ID = Staff.Staff_ID   And StaffRoleGroup.RoleGroup_ID = 'G''1'  )"));
    EXPECT_EQ(
        GroupStaffStatement(1, group, StaffListKind::Escalation),
        QStringLiteral(
            R"(SELECT  Staff.Staff_ID, Staff.StaffName FROM StaffRoleGroup,  Staff Where  )"
            R"(StaffRoleGroup.Staff_ID = Staff.Staff_ID   And StaffRoleGroup.RoleGroup_ID = 'G''1'  )"));
    const QString innerJoin = QStringLiteral(
        R"(SELECT  Staff.Staff_ID, Staff.StaffName FROM StaffRoleGroup INNER JOIN  Staff ON  )"
        R"(StaffRoleGroup.Staff_ID = Staff.Staff_ID   WHERE StaffRoleGroup.RoleGroup_ID = 'G01'  )");
    for (const qint32 type : {0, 2, 3}) {
        EXPECT_EQ(GroupStaffStatement(type, QStringLiteral("G01"), StaffListKind::Handler), innerJoin);
        EXPECT_EQ(GroupStaffStatement(type, QStringLiteral("G01"), StaffListKind::Escalation), innerJoin);
    }
}

// Both statement forms, comma join (type 1) and INNER JOIN (any other type), for both staff lists.
class FrmNodeStaffFormTest : public FrmNodeTest, public ::testing::WithParamInterface<qint32> {};

TEST_P(FrmNodeStaffFormTest, BothListsReturnTheGroupsStaff)
{
    m_host.services().setDatabaseType(GetParam());
    const auto d = Open();
    d->CboStaffGroup->SetKey(QStringLiteral("G03"));
    d->CboExpirGroup->SetKey(QStringLiteral("G04"));
    EXPECT_EQ(Items(*d->CboStaff), (QStringList{NoSelection(), "Carol Díaz=carol", "Dave Okafor=dave"}));
    EXPECT_EQ(Items(*d->CboExpirStaff), (QStringList{NoSelection(), "Erin Walsh=erin", "李华=lihua"}));
    EXPECT_TRUE(m_host.logLines().isEmpty()) << m_host.logLines().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(DatabaseType, FrmNodeStaffFormTest, ::testing::Values(1, 2));

TEST_F(FrmNodeTest, ADatabaseFailureLogsOneLineAndLeavesTheNoSelectionItem)
{
    m_db.exec(QStringLiteral("DROP TABLE rolegroup"));
    m_db.exec(QStringLiteral("DROP TABLE C_TimeType"));
    m_host.log().clear();
    const auto d = Open();
    EXPECT_EQ(LogLinesStartingWith(QStringLiteral("[Korvel]-[FrmNode]-[LoadRoleGroups]:")).size(), 1);
    EXPECT_EQ(LogLinesStartingWith(QStringLiteral("[Korvel]-[FrmNode]-[LoadTime]:")).size(), 1);
    EXPECT_EQ(m_host.logLines().size(), 2) << m_host.logLines().join(u'\n').toStdString();
    EXPECT_EQ(Items(*d->CboStaffGroup), QStringList{NoSelection()});
    EXPECT_EQ(Items(*d->CboExpirGroup), QStringList{NoSelection()});
    EXPECT_EQ(d->CboUnit->count(), 0);
    EXPECT_EQ(d->CboPriority->count(), 4); // the other lists are unaffected

    m_db.exec(QStringLiteral("DROP TABLE StaffRoleGroup"));
    m_host.log().clear();
    d->CboStaffGroup->SetKey(QString());
    EXPECT_EQ(LogLinesStartingWith(QStringLiteral("[Korvel]-[FrmNode]-[LoadStaff]:")).size(), 1);
    EXPECT_EQ(Items(*d->CboStaff), QStringList{NoSelection()});
    // The unit check still refuses cleanly.
    FillValid(*d);
    EXPECT_EQ(PressOK(*d), QStringList{LoadResString(180)});
}

} // namespace
} // namespace korvel
