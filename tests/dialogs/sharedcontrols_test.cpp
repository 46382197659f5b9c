// The select-only combo box every dialog list is made of. (The editable grid is tested through the
// handler editor.)
#include "dialogs/selectonlycombo.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvel;

// Filling selects nothing and raises nothing; every selection in code is reported, even of the same
// item or of none, and keys match exactly; a user's choice is reported once.
TEST(SelectOnlyComboTest, FillingSelectsNothingAndSetKeyMatchesExactly)
{
    SelectOnlyCombo combo;
    QSignalSpy changed(&combo, &SelectOnlyCombo::SelectionChanged);
    for (const char* key : {"K1", "k1", ""})
        combo.AddItem(QStringLiteral("item ") + QLatin1String(key), QString::fromLatin1(key));
    combo.EndFill();
    EXPECT_EQ(combo.ListIndex(), -1);
    for (const char* key : {"k1", "k1", "", "absent"})
        combo.SetKey(QString::fromLatin1(key));
    QList<int> raised;
    for (const QList<QVariant>& args : changed)
        raised << args.at(0).toInt();
    EXPECT_EQ(raised, (QList<int>{1, 1, 2, -1}));

    combo.setListIndex(0);
    changed.clear();
    QTest::keyClick(&combo, Qt::Key_Down);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(combo.SelectedKey(), QStringLiteral("k1"));
}
