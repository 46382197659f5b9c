// The multiple-handler editor: the packed handler list, adding and deleting rows, failing queries.
#include "dialogs/frmedit.h"

#include "dialogs/editablegrid.h"
#include "resources/stringtable.h"
#include "tests/dialogs/dialogtest.h"

namespace korvel {
namespace {

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
        {"   ", {}, ""},
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
// Delete removes only the current data row, never the header.
TEST_F(FrmEditTest, AddChecksGroupThenStaffAndDeleteRemovesTheCurrentRow)
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
    QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
    e.CboBy->SetKey(QString());
    QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
    EXPECT_EQ(e.AllInfo(), QStringLiteral("G02,bob|G02,bob|G02,"));
    EXPECT_EQ(e.GrdHandlers->TextMatrix(3, 2), QStringLiteral("<Null>"));

    e.GrdHandlers->setRow(0);
    QTest::mouseClick(e.CmdDel, Qt::LeftButton);
    e.GrdHandlers->setRow(2);
    QTest::mouseClick(e.CmdDel, Qt::LeftButton);
    EXPECT_EQ(e.AllInfo(), QStringLiteral("G02,bob|G02,"));
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(227)});
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
