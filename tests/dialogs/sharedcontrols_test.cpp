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

TEST(SelectOnlyComboTest, FillingSelectsNothingAndSetKeyMatchesExactly)
{
    SelectOnlyCombo combo;
    QSignalSpy changed(&combo, &SelectOnlyCombo::SelectionChanged);
    FillThree(combo);
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(changed.count(), 0); // a fill raises nothing
    EXPECT_FALSE(combo.isEditable());

    combo.SetKey(QStringLiteral("k1")); // letter case counts
    combo.SetKey(QStringLiteral("k1")); // the same item again still raises
    combo.SetKey(QString());            // an empty key is a key like any other
    combo.SetKey(QStringLiteral("absent"));
    combo.setListIndex(7); // out of range: nothing selected, still reported
    QList<int> raised;
    for (const QList<QVariant>& args : changed)
        raised << args.at(0).toInt();
    EXPECT_EQ(raised, (QList<int>{1, 1, 2, -1, -1}));
    EXPECT_EQ(combo.SelectedKey(), QString());
    EXPECT_EQ(combo.KeyAt(3), QString());

    // A selection survives further items; Clear drops everything quietly.
    combo.setListIndex(1);
    combo.AddItem(QStringLiteral("Fourth"), QStringLiteral("K4"));
    EXPECT_EQ(combo.SelectedKey(), QStringLiteral("k1"));
    changed.clear();
    combo.Clear();
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(changed.count(), 0);

    // A user's choice is reported once.
    FillThree(combo);
    combo.setListIndex(0);
    changed.clear();
    QTest::keyClick(&combo, Qt::Key_Down);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 1);
}

TEST(EditableGridTest, FormatRowsAndRemoval)
{
    EditableGrid grid;
    grid.setFormatString(QStringLiteral("No.|<Name          |>Amount"));
    EXPECT_EQ(grid.Cols(), 3);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 1), QStringLiteral("Name"));
    EXPECT_GT(grid.ColWidth(1), grid.ColWidth(0)); // the trailing blanks widen the column
    grid.setRows(4);
    for (int row = 1; row < 4; ++row)
        grid.setTextMatrix(row, 2, QString::number(row));
    EXPECT_TRUE(grid.item(0, 2)->textAlignment() & Qt::AlignRight); // table row 0 is data row 1
    grid.setColWidth(2, 0);
    EXPECT_TRUE(grid.isColumnHidden(2));
    EXPECT_EQ(grid.TextMatrix(1, 2), QStringLiteral("1")); // hidden, not lost

    grid.RemoveItem(0); // the header stays
    grid.RemoveItem(9); // outside: nothing
    EXPECT_EQ(grid.Rows(), 4);
    grid.setRow(2);
    grid.RemoveItem(grid.Row());
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(grid.TextMatrix(2, 2), QStringLiteral("3"));
    grid.setTextMatrix(5, 0, QStringLiteral("ignored"));
    EXPECT_EQ(grid.Rows(), 3);
    grid.setRows(0); // never below the header
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 2), QStringLiteral("Amount"));
}
