// The node dialog (OK checks, staff lists, database failures) and its
// multiple-handler editor.
#include "dialogs/frmedit.h"
#include "dialogs/frmnode.h"

#include "dialogs/editablegrid.h"
#include "dialogs/numerictextbox.h"
#include "resources/stringtable.h"
#include "tests/dialogs/dialogtest.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <iterator>
#include <memory>

namespace korvel {
namespace {

class FrmNodeTest : public DialogTest {
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
};

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
        {"length 0.4, stored as 0", text("TxtLen", "0.4"), LoadResString(181), "TxtLen"},
        {"web address", [](FrmNode& d) { d.OptWeb->setChecked(true); }, LoadResString(182), "TxtWeb"},
        {"dynamic form", [](FrmNode& d) { d.OptBuild->setChecked(true); }, LoadResString(183), "CboBuild"},
        {"return step", [](FrmNode& d) { d.OptOld->setChecked(true); }, LoadResString(184), "CboStep"},
        {"multiple handlers", [](FrmNode& d) { d.OptMulti->setChecked(true); }, LoadResString(1030), "CmdOK"},
        {"handle group", [](FrmNode& d) { d.CboStaffGroup->SetKey(QString()); }, LoadResString(185),
         "CboStaffGroup"},
        {"six single-byte characters", text("TxtID", "ABCDEF"), QString(), nullptr},
        {"blanks dropped before the length check", text("TxtID", "  AB12  "), QString(), nullptr},
        {"six bytes", text("TxtID", "节点ID"), QString(), nullptr},
        {"leading number of the length", text("TxtLen", "3 days"), QString(), nullptr},
    };
    const int failing = 13;
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.what);
        const auto d = Open();
        FillValid(*d);
        for (int j = i < failing ? failing - 1 : i; j >= i; --j)
            cases[j].spoil(*d);
        EXPECT_EQ(PressOK(*d->CmdOK, *d->CmdOK),
                  c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        if (!c.message.isEmpty()) {
            ASSERT_NE(d->focusWidget(), nullptr);
            EXPECT_EQ(d->focusWidget()->objectName(), QString::fromLatin1(c.focus));
        }
        EXPECT_EQ(d->Tag() == QStringLiteral("T"), c.message.isEmpty());
        EXPECT_EQ(d->isVisible(), !c.message.isEmpty());
    }
}

// A group ID with a quote finds its staff by either statement form.
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

// A list whose query fails logs one line and keeps only what it had; the others fill as usual and the
// OK checks still refuse cleanly.
TEST_F(FrmNodeTest, ADatabaseFailureLogsOneLineAndLeavesTheNoSelectionItem)
{
    m_db.exec(QStringLiteral("DROP TABLE rolegroup"));
    m_db.exec(QStringLiteral("DROP TABLE C_TimeType"));
    m_host.log().clear();
    const auto d = Open();
    EXPECT_EQ(m_host.logLines().filter(QStringLiteral("[Korvel]-[FrmNode]-[LoadRoleGroups]:")).size(), 1);
    EXPECT_EQ(m_host.logLines().filter(QStringLiteral("[Korvel]-[FrmNode]-[LoadTime]:")).size(), 1);
    EXPECT_EQ(m_host.logLines().size(), 2) << m_host.logLines().join(u'\n').toStdString();
    EXPECT_EQ(Items(*d->CboStaffGroup), QStringList{NoSelection()});
    EXPECT_EQ(d->CboUnit->count(), 0);
    EXPECT_EQ(d->CboPriority->count(), 4);

    m_db.exec(QStringLiteral("DROP TABLE StaffRoleGroup"));
    m_host.log().clear();
    d->CboStaffGroup->SetKey(QString());
    EXPECT_EQ(m_host.logLines().filter(QStringLiteral("[Korvel]-[FrmNode]-[LoadStaff]:")).size(), 1);
    EXPECT_EQ(Items(*d->CboStaff), QStringList{NoSelection()});
    FillValid(*d);
    EXPECT_EQ(PressOK(*d->CmdOK, *d->CmdOK), QStringList{LoadResString(180)});
}

class FrmEditTest : public DialogTest {
protected:
    // The data rows as "group name/staff name/group ID/staff ID", column 0 left out.
    static QStringList Rows(const EditableGrid& grid)
    {
        QStringList rows;
        for (int row = 1; row < grid.Rows(); ++row)
            rows << QStringList{grid.TextMatrix(row, 1), grid.TextMatrix(row, 2), grid.TextMatrix(row, 3),
                                grid.TextMatrix(row, 4)}
                        .join(u'/');
        return rows;
    }
};

// "group,staff|group,staff" is shown with names and read back as written; what has no name keeps its
// IDs, and writing replaces the rows.
TEST_F(FrmEditTest, HandlerListRoundTrips)
{
    const struct {
        const char* list;
        QStringList rows;
        const char* readBack;
    } cases[] = {
        {"G02,alice|G05,carol",
         {"Complaints team/Alice Chen/G02/alice", "Supervisors/Carol Díaz/G05/carol"},
         "G02,alice|G05,carol"},
        // An empty staff ID, IDs in neither name table, and the inactive G09 (no name; dave still has his).
        {"G01,|GX,nobody|G09,dave",
         {"Front desk//G01/", "//GX/nobody", "/Dave Okafor/G09/dave"},
         "G01,|GX,nobody|G09,dave"},
        {"G04", {"Billing//G04/"}, "G04,"}, // an entry without "," fills only the group
    };
    FrmEdit e;
    for (const auto& c : cases) {
        e.setAllInfo(QString::fromUtf8(c.list));
        EXPECT_EQ(Rows(*e.GrdHandlers), c.rows) << c.list;
        EXPECT_EQ(e.AllInfo(), QString::fromUtf8(c.readBack));
    }
}

// Add asks for a group, then a staff item (the no-selection item counts, duplicates are allowed);
// Delete removes only the current data row, never the header. (Adding through the node dialog is
// done through the designer window.)
TEST_F(FrmEditTest, AddChecksGroupThenStaffAndDeleteRemovesTheCurrentRow)
{
    FrmEdit e;
    e.show();
    QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
    e.CboGroup->SetKey(QStringLiteral("G02"));
    QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
    EXPECT_EQ(Messages().texts(), (QStringList{LoadResString(226), LoadResString(227)}));
    for (const QString& staff : {QStringLiteral("bob"), QStringLiteral("bob"), QString()}) {
        e.CboBy->SetKey(staff);
        QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
    }
    EXPECT_EQ(e.GrdHandlers->TextMatrix(3, 2), QStringLiteral("<Null>"));
    for (const int row : {0, 2}) {
        e.GrdHandlers->setRow(row);
        QTest::mouseClick(e.CmdDel, Qt::LeftButton);
    }
    EXPECT_EQ(e.AllInfo(), QStringLiteral("G02,bob|G02,"));
    EXPECT_EQ(Messages().texts().size(), 2);
}

// Without the staff table the names stay empty silently, and a group's staff list logs one line and
// keeps only the no-selection item.
TEST_F(FrmEditTest, FailuresLeaveListsAsFarAsFilled)
{
    m_db.exec(QStringLiteral("DROP TABLE Staff"));
    FrmEdit e;
    EXPECT_TRUE(m_host.logLines().isEmpty());
    e.setAllInfo(QStringLiteral("G02,alice"));
    EXPECT_EQ(Rows(*e.GrdHandlers), QStringList{"Complaints team//G02/alice"});

    e.CboGroup->SetKey(QStringLiteral("G02"));
    ASSERT_EQ(m_host.logLines().size(), 1);
    EXPECT_TRUE(m_host.logLines().at(0).startsWith(QStringLiteral("[Korvel]-[FrmEdit]-[LoadGroupStaff]:")));
    EXPECT_EQ(Items(*e.CboBy), QStringList{NoSelection()});
}

} // namespace
} // namespace korvel
