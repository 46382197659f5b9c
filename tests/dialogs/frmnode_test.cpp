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
#include <iterator>
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
    EXPECT_EQ(Items(*d->CboPriority), (QStringList{"Urgent=P1", "High=P2", "Normal=P3", "Low=P4"}));
    const QStringList units{"Minute=M", "Hour=H", "Day=D"};
    EXPECT_EQ(Items(*d->CboUnit), units);
    EXPECT_EQ(Items(*d->CboUnit1), units);
    const QStringList groups{NoSelection(), "Front desk=G01",  "Complaints team=G02", "Field service=G03",
                             "Billing=G04", "Supervisors=G05", "客服热线 Hotline=G06"};
    EXPECT_EQ(Items(*d->CboStaffGroup), groups); // the inactive G09 is left out
    EXPECT_EQ(Items(*d->CboExpirGroup), groups);
    EXPECT_EQ(d->CboBuild->count(), 4);
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

// Every OK check with its message and focus, in the order they run. Row i spoils its own entry and
// every entry of the failing rows below it (applied bottom-up, so its own spoil wins), so it also
// proves the earlier check fires first. Rows without a message are accepted.
TEST_F(FrmNodeTest, OkChecks)
{
    using Act = std::function<void(FrmNode&)>;
    const auto text = [](const char* box, const char* value) -> Act {
        return [=](FrmNode& d) {
            d.findChild<QLineEdit*>(QLatin1String(box))->setText(QString::fromUtf8(value));
        };
    };
    const struct {
        const char* what;
        Act spoil;
        QString message;   // empty: accepted
        const char* focus; // the check moves no focus: it stays on the pressed OK button
    } cases[] = {
        {"ID empty", text("TxtID", "   "), LoadResString(176), "TxtID"},
        {"ID of 7 bytes", text("TxtID", "ABCDEFG"), LoadResString(177), "TxtID"},
        {"ID of 4 double-byte characters", text("TxtID", "节点节点"), LoadResString(177), "TxtID"},
        {"name empty", text("TxtName", ""), LoadResString(178), "TxtName"},
        {"no priority", [](FrmNode& d) { d.CboPriority->setListIndex(-1); }, LoadResString(179),
         "CboPriority"},
        {"no unit", [](FrmNode& d) { d.CboUnit->setListIndex(-1); }, LoadResString(180), "CboUnit"},
        {"length 0", text("TxtLen", "0"), LoadResString(181), "TxtLen"},
        {"length -5", text("TxtLen", "-5"), LoadResString(181), "TxtLen"},
        {"length empty", text("TxtLen", ""), LoadResString(181), "TxtLen"},
        {"length 0.4, stored as 0", text("TxtLen", "0.4"), LoadResString(181), "TxtLen"},
        {"web address", [](FrmNode& d) { d.OptWeb->setChecked(true); }, LoadResString(182), "TxtWeb"},
        {"dynamic form", [](FrmNode& d) { d.OptBuild->setChecked(true); }, LoadResString(183), "CboBuild"},
        {"return step", [](FrmNode& d) { d.OptOld->setChecked(true); }, LoadResString(184), "CboStep"},
        {"multiple handlers", [](FrmNode& d) { d.OptMulti->setChecked(true); },
         LoadResString(1030), "CmdOK"},
        {"handle group", [](FrmNode& d) { d.CboStaffGroup->SetKey(QString()); }, LoadResString(185),
         "CboStaffGroup"},
        {"six single-byte characters", text("TxtID", "ABCDEF"), QString(), nullptr},
        {"blanks dropped before the length check", text("TxtID", "  AB12  "), QString(), nullptr},
        {"six bytes", text("TxtID", "节点ID"), QString(), nullptr},
        {"leading number of the length", text("TxtLen", "3 days"), QString(), nullptr},
    };
    const int failing = 15;
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.what);
        const auto d = Open();
        FillValid(*d);
        for (int j = i < failing ? failing - 1 : i; j >= i; --j)
            cases[j].spoil(*d);
        EXPECT_EQ(PressOK(*d), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        if (!c.message.isEmpty()) {
            ASSERT_NE(d->focusWidget(), nullptr);
            EXPECT_EQ(d->focusWidget()->objectName(), QString::fromLatin1(c.focus));
        }
        EXPECT_EQ(d->Tag() == QStringLiteral("T"), c.message.isEmpty());
        EXPECT_EQ(d->isVisible(), !c.message.isEmpty());
    }
}

// Cancel, closing the window and Escape each clear the tag a passed OK had set.
TEST_F(FrmNodeTest, CancelAndClosingLeaveNoT)
{
    const std::function<void(FrmNode&)> leave[] = {
        [](FrmNode& d) { QTest::mouseClick(d.CmdCancel, Qt::LeftButton); },
        [](FrmNode& d) { d.close(); },
        [](FrmNode& d) { QTest::keyClick(&d, Qt::Key_Escape); },
    };
    const auto d = Open();
    FillValid(*d);
    for (const auto& how : leave) {
        PressOK(*d);
        ASSERT_EQ(d->Tag(), QStringLiteral("T"));
        d->show();
        how(*d);
        EXPECT_EQ(d->Tag(), QString());
        EXPECT_FALSE(d->isVisible());
    }
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
    d->TxtWeb->setText(QStringLiteral("https://example.com"));
    d->OptBuild->setChecked(true);
    EXPECT_EQ(d->TxtWeb->text(), QString());
    EXPECT_FALSE(d->TxtWeb->isEnabled());
    EXPECT_TRUE(d->CboBuild->isEnabled());
    d->CboBuild->SetKey(QStringLiteral("F02"));
    d->OptMainFlow->setChecked(true);
    EXPECT_EQ(d->CboBuild->ListIndex(), -1);
    EXPECT_FALSE(d->CboBuild->isEnabled());

    // Which handler controls each handler option enables: group, return step, set-up, return group.
    const auto enabled = [&] {
        return QList<bool>{d->CboStaffGroup->isEnabled(), d->CboStep->isEnabled(), d->CmdSetUp->isEnabled(),
                           d->chkReturnGroup->isEnabled()};
    };
    d->OptOld->setChecked(true);
    EXPECT_EQ(enabled(), (QList<bool>{false, true, false, true}));
    d->OptMulti->setChecked(true);
    EXPECT_EQ(enabled(), (QList<bool>{false, false, true, false}));
    d->OptOther->setChecked(true);
    EXPECT_EQ(enabled(), (QList<bool>{true, false, false, false}));
    QTest::mouseClick(d->OptOld, Qt::LeftButton);
    EXPECT_TRUE(d->OptOld->isChecked());
    EXPECT_EQ(enabled(), (QList<bool>{false, true, false, true}));
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
