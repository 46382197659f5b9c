// The document-template picker: its two-level tree, preselection and the OK rule.

#include "dialogs/frmselectdoc.h"

#include "resources/stringtable.h"
#include "tests/dialogs/dialogtest.h"

#include <QTreeWidget>

namespace korvel {
namespace {

using FrmSelectDocTest = DialogTest;

// The tree as "key text [image]" lines, children indented under their group.
QStringList Outline(const QTreeWidget& tree)
{
    auto line = [](const QTreeWidgetItem* item) {
        return FrmSelectDoc::ItemKey(item) + QLatin1Char(' ') + item->text(0) + QStringLiteral(" [") +
               item->data(0, FrmSelectDoc::ImageKeyRole).toString() + QLatin1Char(']');
    };
    QStringList lines;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        lines << line(tree.topLevelItem(i));
        for (int c = 0; c < tree.topLevelItem(i)->childCount(); ++c)
            lines << QStringLiteral("  ") + line(tree.topLevelItem(i)->child(c));
    }
    return lines;
}

TEST_F(FrmSelectDocTest, ShowsGroupsWithTheirActiveTemplatesOnly)
{
    // T007 and T008 are inactive; a template of an unknown group is left out without a word.
    m_db.exec(
        R"(INSERT INTO DocTemplate (DocTemplate_ID, Description, DOCGROUP_ID, DocumentPath, DocumentPath2,
                 MailMerge, Status) VALUES ('T009', 'Orphan', 'DG9', '', '', 0, 1))");
    FrmSelectDoc picker;
    EXPECT_EQ(Outline(*picker.TreeView1), (QStringList{
                                              "GDG1 Fax replies [Group]",
                                              "  DT001 Complaint acknowledgement (fax) [Doc]",
                                              "  DT002 Repair appointment (fax) [Doc]",
                                              "GDG2 E-mail replies [Group]",
                                              "  DT003 Complaint resolved (e-mail) [Doc]",
                                              "  DT004 Credit note issued (e-mail) [Doc]",
                                              "GDG3 Printed forms [Group]",
                                              "  DT005 Work order sheet [Doc]",
                                              "  DT006 维修单 Repair sheet [Doc]",
                                              "GDG4 Archive [Group]",
                                          }));
    EXPECT_EQ(picker.SelectedItem(), nullptr);
    picker.SelectKey(QStringLiteral("DT007")); // an inactive template cannot be preselected
    EXPECT_EQ(picker.SelectedItem(), nullptr);
    EXPECT_TRUE(m_host.logLines().isEmpty());
}

// OK refuses nothing chosen and a group, and takes a template picked with the mouse.
TEST_F(FrmSelectDocTest, OkNeedsATemplateNotNothingOrAGroup)
{
    FrmSelectDoc picker;
    Run<FrmSelectDoc>(picker, [&](FrmSelectDoc& shown) {
        EXPECT_EQ(PressOK(*shown.CmdOK, *shown.TreeView1), QStringList{LoadResString(215)});
        shown.SelectKey(QStringLiteral("GDG4"));
        EXPECT_EQ(PressOK(*shown.CmdOK, *shown.TreeView1), QStringList{LoadResString(215)});
        EXPECT_TRUE(shown.isVisible());
        EXPECT_TRUE(shown.Tag().isEmpty());
        QTreeWidgetItem* item = shown.ItemByKey(QStringLiteral("DT006"));
        ASSERT_NE(item, nullptr);
        shown.TreeView1->scrollToItem(item);
        QTest::mouseClick(shown.TreeView1->viewport(), Qt::LeftButton, {},
                          shown.TreeView1->visualItemRect(item).center());
        EXPECT_TRUE(PressOK(*shown.CmdOK, *shown.TreeView1).isEmpty());
    });
    EXPECT_EQ(picker.Tag(), QStringLiteral("T"));
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(FrmSelectDoc::ItemKey(picker.SelectedItem()), QStringLiteral("DT006"));
}

// A preselected template is confirmed by OK alone; closing with the window's button after a passed
// OK counts as Cancel and clears the tag.
TEST_F(FrmSelectDocTest, APreselectedTemplateIsConfirmedByOkAloneAndClosingClearsTheTag)
{
    FrmSelectDoc picker;
    picker.SelectKey(QStringLiteral("DT004"));
    Run<FrmSelectDoc>(picker, [&](FrmSelectDoc& shown) { QTest::mouseClick(shown.CmdOK, Qt::LeftButton); });
    EXPECT_EQ(picker.Tag(), QStringLiteral("T"));
    EXPECT_EQ(FrmSelectDoc::ItemKey(picker.SelectedItem()), QStringLiteral("DT004"));
    EXPECT_TRUE(Messages().texts().isEmpty());

    Run<FrmSelectDoc>(picker, [&](FrmSelectDoc& shown) {
        QTest::mouseClick(shown.CmdOK, Qt::LeftButton);
        ASSERT_EQ(shown.Tag(), QStringLiteral("T"));
        shown.show();
        shown.close();
    });
    EXPECT_TRUE(picker.Tag().isEmpty());
}

// Without the template table the groups still show; without the group table the tree is empty.
TEST_F(FrmSelectDocTest, MissingTablesLeaveTheTreeAsFarAsItGot)
{
    m_db.exec(QStringLiteral("DROP TABLE DocTemplate"));
    {
        FrmSelectDoc picker;
        EXPECT_EQ(Outline(*picker.TreeView1).size(), 4);
    }
    m_db.exec(QStringLiteral("DROP TABLE DocGroup"));
    FrmSelectDoc picker;
    EXPECT_EQ(picker.TreeView1->topLevelItemCount(), 0);
    EXPECT_TRUE(Messages().texts().isEmpty());
}

} // namespace
} // namespace korvel
