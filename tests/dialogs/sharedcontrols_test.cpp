// The shared dialog controls: select-only combo box and editable grid.
#include "dialogs/editablegrid.h"
#include "dialogs/selectonlycombo.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvel;

namespace {

void FillThree(SelectOnlyCombo& combo)
{
    combo.Clear();
    combo.AddItem(QStringLiteral("First"), QStringLiteral("K1"));
    combo.AddItem(QStringLiteral("Second"), QStringLiteral("k1"));
    combo.AddItem(QStringLiteral("Third"), QStringLiteral(""));
    combo.EndFill();
}

} // namespace

TEST(SelectOnlyComboTest, AFillSelectsNothingAndRaisesNothing)
{
    SelectOnlyCombo combo;
    QSignalSpy changed(&combo, &SelectOnlyCombo::SelectionChanged);
    FillThree(combo);
    EXPECT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(combo.SelectedKey(), QString());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(combo.isEditable());

    // A selection survives further items; Clear drops everything quietly.
    combo.setListIndex(1);
    combo.AddItem(QStringLiteral("Fourth"), QStringLiteral("K4"));
    EXPECT_EQ(combo.ListIndex(), 1);
    changed.clear();
    combo.Clear();
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(changed.count(), 0);
}

TEST(SelectOnlyComboTest, SetKeyMatchesExactlyAndRaisesLikeAChoice)
{
    SelectOnlyCombo combo;
    FillThree(combo);
    QSignalSpy changed(&combo, &SelectOnlyCombo::SelectionChanged);

    combo.SetKey(QStringLiteral("k1")); // letter case counts
    EXPECT_EQ(combo.ListIndex(), 1);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Second"));
    combo.SetKey(QStringLiteral("k1")); // the same item again still raises
    combo.SetKey(QString());            // an empty key is a key like any other
    EXPECT_EQ(combo.ListIndex(), 2);
    combo.SetKey(QStringLiteral("absent"));
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(combo.SelectedKey(), QString());

    ASSERT_EQ(changed.count(), 4);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 1);
    EXPECT_EQ(changed.at(1).at(0).toInt(), 1);
    EXPECT_EQ(changed.at(2).at(0).toInt(), 2);
    EXPECT_EQ(changed.at(3).at(0).toInt(), -1);

    combo.setListIndex(7); // out of range: nothing selected, still reported
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(changed.count(), 5);
    EXPECT_EQ(changed.at(4).at(0).toInt(), -1);
    EXPECT_EQ(combo.KeyAt(0), QStringLiteral("K1"));
    EXPECT_EQ(combo.KeyAt(3), QString());
    EXPECT_EQ(combo.KeyAt(-1), QString());
}

TEST(SelectOnlyComboTest, AUsersChoiceIsReportedOnce)
{
    SelectOnlyCombo combo;
    FillThree(combo);
    combo.setListIndex(0);
    QSignalSpy changed(&combo, &SelectOnlyCombo::SelectionChanged);
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(combo.ListIndex(), 1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 1);
}

TEST(EditableGridTest, FormatStringGivesColumnsHeadersAlignmentAndWidths)
{
    EditableGrid grid;
    grid.setFormatString(QStringLiteral("No.|<Name          |>Amount|^Mid"));
    EXPECT_EQ(grid.Cols(), 4);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 0), QStringLiteral("No."));
    EXPECT_EQ(grid.TextMatrix(0, 1), QStringLiteral("Name"));
    EXPECT_EQ(grid.TextMatrix(0, 2), QStringLiteral("Amount"));
    EXPECT_GT(grid.ColWidth(1), grid.ColWidth(0)); // the trailing blanks widen the column

    grid.setRows(2);
    grid.setTextMatrix(1, 1, QStringLiteral("a"));
    grid.setTextMatrix(1, 2, QStringLiteral("b"));
    EXPECT_TRUE(grid.item(0, 1)->textAlignment() & Qt::AlignLeft);
    EXPECT_TRUE(grid.item(0, 2)->textAlignment() & Qt::AlignRight);

    grid.setColWidth(2, 0);
    EXPECT_EQ(grid.ColWidth(2), 0);
    EXPECT_TRUE(grid.isColumnHidden(2));
    EXPECT_EQ(grid.TextMatrix(1, 2), QStringLiteral("b")); // hidden, not lost
    grid.setColWidth(2, 80);
    EXPECT_EQ(grid.ColWidth(2), 80);
}

TEST(EditableGridTest, RowsCurrentRowAndRemoval)
{
    EditableGrid grid;
    grid.setFormatString(QStringLiteral("A|B"));
    grid.setRows(4);
    for (int row = 1; row < 4; ++row)
        grid.setTextMatrix(row, 0, QString::number(row));
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.Row(), 0);

    grid.RemoveItem(0); // the header stays
    grid.RemoveItem(9); // outside: nothing
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.TextMatrix(0, 0), QStringLiteral("A"));

    grid.setRow(2);
    EXPECT_EQ(grid.Row(), 2);
    grid.RemoveItem(grid.Row());
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(grid.TextMatrix(1, 0), QStringLiteral("1"));
    EXPECT_EQ(grid.TextMatrix(2, 0), QStringLiteral("3"));

    grid.setRow(0);
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(grid.TextMatrix(5, 0), QString());
    EXPECT_EQ(grid.TextMatrix(1, 7), QString());
    grid.setTextMatrix(5, 0, QStringLiteral("ignored"));
    EXPECT_EQ(grid.Rows(), 3);

    grid.setRows(0); // never below the header
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 1), QStringLiteral("B"));
}
