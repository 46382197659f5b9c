// The multiple-handler editor, on its own and opened from the node dialog's set-up button.
#include "dialogs/frmedit.h"

#include "dialogs/editablegrid.h"
#include "dialogs/frmnode.h"
#include "resources/stringtable.h"
#include "tests/dialogs/nodedialogtestbase.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace korvel {
namespace {

class FrmEditTest : public NodeDialogTestBase {
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

TEST_F(FrmEditTest, LoadLaysOutTheGridAndListsActiveGroups)
{
    FrmEdit e;
    EXPECT_EQ(e.GrdHandlers->Cols(), 5);
    EXPECT_EQ(e.GrdHandlers->Rows(), 1);
    EXPECT_EQ(e.GrdHandlers->TextMatrix(0, 1), LoadResString(223));
    EXPECT_EQ(e.GrdHandlers->ColWidth(3), 0); // the ID columns are hidden
    EXPECT_EQ(e.GrdHandlers->ColWidth(4), 0);
    EXPECT_EQ(e.CboGroup->count(), 6); // no no-selection item, inactive G09 left out
    EXPECT_EQ(e.CboGroup->KeyAt(0), QStringLiteral("G01"));
    EXPECT_EQ(e.CboGroup->ListIndex(), -1);
}

TEST_F(FrmEditTest, HandlerListRoundTrips)
{
    FrmEdit e;
    e.setAllInfo(QStringLiteral("G02,alice|G05,carol"));
    EXPECT_EQ(Rows(*e.GrdHandlers),
              (QStringList{"Complaints team/Alice Chen/G02/alice", "Supervisors/Carol Díaz/G05/carol"}));
    EXPECT_EQ(e.AllInfo(), QStringLiteral("G02,alice|G05,carol"));

    // An entry with an empty staff ID, and IDs in neither name table, keep their IDs.
    e.setAllInfo(QStringLiteral("G01,|GX,nobody|G09,dave"));
    // G09 is inactive, so it has no name; dave still has his.
    EXPECT_EQ(Rows(*e.GrdHandlers),
              (QStringList{"Front desk//G01/", "//GX/nobody", "/Dave Okafor/G09/dave"}));
    EXPECT_EQ(e.AllInfo(), QStringLiteral("G01,|GX,nobody|G09,dave"));

    // Writing replaces, blanks leave only the header.
    e.setAllInfo(QStringLiteral("   "));
    EXPECT_EQ(e.GrdHandlers->Rows(), 1);
    EXPECT_EQ(e.AllInfo(), QString());

    // An entry without "," fills only the group.
    e.setAllInfo(QStringLiteral("G04"));
    EXPECT_EQ(Rows(*e.GrdHandlers), QStringList{"Billing//G04/"});
    EXPECT_EQ(e.AllInfo(), QStringLiteral("G04,"));
}

TEST_F(FrmEditTest, AddChecksGroupThenStaffAndAllowsTheNoSelectionStaff)
{
    FrmEdit e;
    e.show();
    QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(226)});

    e.CboGroup->SetKey(QStringLiteral("G02"));
    EXPECT_EQ(Items(*e.CboBy), (QStringList{NoSelection(), "Alice Chen=alice", "Bob Novak=bob"}));
    Messages().clear();
    QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(227)});
    EXPECT_EQ(e.GrdHandlers->Rows(), 1);

    e.CboBy->SetKey(QStringLiteral("bob"));
    QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
    QTest::mouseClick(e.CmdAdd, Qt::LeftButton); // no duplicate check
    e.CboBy->SetKey(QString());
    QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(227)});
    EXPECT_EQ(e.AllInfo(), QStringLiteral("G02,bob|G02,bob|G02,"));
    EXPECT_EQ(e.GrdHandlers->TextMatrix(3, 2), QStringLiteral("<Null>"));

    // Clearing the group's selection clears the staff list.
    e.CboGroup->setListIndex(-1);
    EXPECT_EQ(e.CboBy->count(), 0);
}

TEST_F(FrmEditTest, DeleteRemovesOnlyTheCurrentDataRow)
{
    FrmEdit e;
    e.show();
    e.setAllInfo(QStringLiteral("G01,alice|G02,bob|G03,carol"));
    e.GrdHandlers->setRow(0);
    QTest::mouseClick(e.CmdDel, Qt::LeftButton);
    EXPECT_EQ(e.GrdHandlers->Rows(), 4);

    e.GrdHandlers->setRow(2);
    QTest::mouseClick(e.CmdDel, Qt::LeftButton);
    EXPECT_EQ(e.AllInfo(), QStringLiteral("G01,alice|G03,carol"));
    EXPECT_TRUE(Messages().texts().isEmpty());
}

TEST_F(FrmEditTest, BothStaffStatementFormsListTheGroup)
{
    for (const qint32 type : {1, 2}) {
        m_host.services().setDatabaseType(type);
        FrmEdit e;
        e.CboGroup->SetKey(QStringLiteral("G06"));
        EXPECT_EQ(Items(*e.CboBy), (QStringList{NoSelection(), "Bob Novak=bob", "王芳=wangf"})) << type;
    }
    EXPECT_TRUE(m_host.logLines().isEmpty()) << m_host.logLines().join(u'\n').toStdString();
}

TEST_F(FrmEditTest, FailuresLeaveListsAsFarAsFilled)
{
    m_db.exec(QStringLiteral("DROP TABLE Staff"));
    FrmEdit e; // the staff-name table stays empty, silently
    EXPECT_TRUE(m_host.logLines().isEmpty());
    e.setAllInfo(QStringLiteral("G02,alice"));
    EXPECT_EQ(Rows(*e.GrdHandlers), QStringList{"Complaints team//G02/alice"});
    EXPECT_EQ(e.AllInfo(), QStringLiteral("G02,alice"));

    // The group's staff cannot be read: one log line, only the no-selection item.
    e.CboGroup->SetKey(QStringLiteral("G02"));
    ASSERT_EQ(m_host.logLines().size(), 1);
    EXPECT_TRUE(m_host.logLines().at(0).startsWith(QStringLiteral("[Korvel]-[FrmEdit]-[LoadGroupStaff]:")));
    EXPECT_EQ(Items(*e.CboBy), QStringList{NoSelection()});
}

TEST_F(FrmEditTest, OkSetsTheTagCancelAndClosingClearIt)
{
    FrmEdit e;
    e.show();
    QTest::mouseClick(e.CmdOK, Qt::LeftButton);
    EXPECT_EQ(e.Tag(), QStringLiteral("T"));
    EXPECT_FALSE(e.isVisible());
    e.show();
    QTest::mouseClick(e.CmdCancel, Qt::LeftButton);
    EXPECT_EQ(e.Tag(), QString());
    QTest::mouseClick(e.CmdOK, Qt::LeftButton);
    e.show();
    e.close();
    EXPECT_EQ(e.Tag(), QString());
}

TEST_F(FrmEditTest, SetUpButtonEditsTheNodeDialogsList)
{
    FrmNode node;
    node.setMultiHandleBy(QStringLiteral("G02,alice"));
    node.OptMulti->setChecked(true);
    node.show();

    // OK takes the edited list.
    Modals().plan([](QDialog& shown) {
        auto& e = dynamic_cast<FrmEdit&>(shown);
        EXPECT_EQ(e.AllInfo(), QStringLiteral("G02,alice"));
        e.CboGroup->SetKey(QStringLiteral("G05"));
        e.CboBy->SetKey(QStringLiteral("admin"));
        QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
        QTest::mouseClick(e.CmdOK, Qt::LeftButton);
    });
    QTest::mouseClick(node.CmdSetUp, Qt::LeftButton);
    EXPECT_EQ(node.CmdSetUp->property("Tag").toString(), QStringLiteral("G02,alice|G05,admin"));

    // Cancel keeps the old list.
    Modals().plan([](QDialog& shown) {
        auto& e = dynamic_cast<FrmEdit&>(shown);
        e.GrdHandlers->setRow(1);
        QTest::mouseClick(e.CmdDel, Qt::LeftButton);
        QTest::mouseClick(e.CmdCancel, Qt::LeftButton);
    });
    QTest::mouseClick(node.CmdSetUp, Qt::LeftButton);
    EXPECT_EQ(node.MultiHandleBy(), QStringLiteral("G02,alice|G05,admin"));
    EXPECT_EQ(Modals().shown(), (QStringList{"FrmEdit", "FrmEdit"}));
}

} // namespace
} // namespace korvel
