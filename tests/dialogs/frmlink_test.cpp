// The link dialog on its own, over the demo frame "CMP01" read from a fresh database:
//   L1 BEGIN -> N00001, L2 N00001 -> N00002, L3 N00002 -> N00003 (conditional),
//   L4 N00002 -> N00004 (conditional), L5 N00003 -> N00004, L6 N00004 -> END.

#include "dialogs/frmlink.h"

#include "core/uiservices.h"
#include "dialogs/selectonlycombo.h"
#include "model/cworder.h"
#include "resources/stringtable.h"
#include "tests/support/scriptedui.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace korvel {
namespace {

// The items of a select-only combo as "text=key", in list order.
QStringList Items(const SelectOnlyCombo& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i) + QLatin1Char('=') + combo.KeyAt(i);
    return items;
}

QString StartItem()
{
    return QStringLiteral("<") + LoadResString(81) + QStringLiteral(">=BEGIN");
}
QString EndItem()
{
    return QStringLiteral("<") + LoadResString(80) + QStringLiteral(">=END");
}

class FrmLinkTest : public ::testing::Test {
protected:
    FrmLinkTest()
    {
        m_frame.LoadList(QStringLiteral("CMP01"), QStringLiteral("Customer complaint"));
        m_frame.LoadOne();
    }

    // Shows the dialog through the modal service and runs `script` on it while it is open.
    void Run(FrmLink& dialog, const std::function<void(FrmLink&)>& script)
    {
        m_ui.modals().plan([&](QDialog& shown) { script(dynamic_cast<FrmLink&>(shown)); });
        Modals().showModal(dialog);
    }

    // A new link that passes every check: "NEW1" from N00001 to N00003, always open.
    void FillValidNewLink(FrmLink& dialog)
    {
        dialog.TxtID->setText(QStringLiteral("NEW1"));
        dialog.Txtdesc->setText(QStringLiteral("Escalate"));
        dialog.CboParent->SetKey(QStringLiteral("N00001"));
        dialog.CboChild->SetKey(QStringLiteral("N00003"));
    }

    // Presses OK with the focus elsewhere; returns the messages it showed.
    QStringList PressOK(FrmLink& dialog)
    {
        m_ui.messages().clear();
        dialog.CmdCancel->setFocus();
        QTest::mouseClick(dialog.CmdOK, Qt::LeftButton);
        return m_ui.messages().texts();
    }

    TestDatabase m_db;
    TestHost m_host{m_db.database()};
    AddinSession m_session{m_host};
    ScriptedUi m_ui;
    cWorder m_frame;
};

TEST_F(FrmLinkTest, StartsCentredAlwaysOpenWithTheFiveOperators)
{
    FrmLink dialog;
    const QRect screen = dialog.screen()->geometry();
    EXPECT_EQ(dialog.x(), screen.left() + (screen.width() - dialog.width()) / 2);
    EXPECT_EQ(dialog.y(), screen.top() + (screen.height() - dialog.height()) / 2);
    QStringList operators;
    for (int i = 0; i < dialog.CboRelation->count(); ++i)
        operators << dialog.CboRelation->itemText(i);
    EXPECT_EQ(operators, (QStringList{">", ">=", "=", "<", "<="}));
    EXPECT_EQ(dialog.CboRelation->currentIndex(), -1);
    EXPECT_TRUE(dialog.OptAll->isChecked());
    EXPECT_FALSE(dialog.TxtFilter->isEnabled());
}

// Which start, end and son items the flow rules allow when adding and editing is covered through
// the link commands; here: deleted nodes and links no longer count.
TEST_F(FrmLinkTest, ListsIgnoreDeletedNodesAndLinks)
{
    m_frame.AllLink().Del(QStringLiteral("L1"));
    m_frame.AllLink().Del(QStringLiteral("L6"));
    m_frame.AllLink().Del(QStringLiteral("L4"));
    ASSERT_EQ(m_frame.AllNode().DelNode(QStringLiteral("N00001")), 1);

    FrmLink dialog;
    dialog.LoadBeginPage(m_frame, QString(), 1);
    // The start is free again once L1 is deleted; the deleted node is not offered.
    EXPECT_EQ(Items(*dialog.CboParent),
              (QStringList{StartItem(), "Investigate=N00002", "Supervisor review=N00003",
                           "Reply to customer=N00004"}));
    EXPECT_EQ(dialog.CboParent->ListIndex(), -1);
    // N00004 is joined to N00003 by L5 only, and its link to the end is deleted.
    dialog.CboParent->SetKey(QStringLiteral("N00004"));
    EXPECT_EQ(Items(*dialog.CboChild), (QStringList{"Investigate=N00002", EndItem()}));
    EXPECT_EQ(dialog.CboChild->ListIndex(), -1);
    // No father, no sons.
    dialog.CboParent->setListIndex(-1);
    EXPECT_EQ(dialog.CboChild->count(), 0);
}

TEST_F(FrmLinkTest, OptionRulesHoldAlsoWhenSetInCode)
{
    FrmLink dialog;
    dialog.OptFilter->setChecked(true);
    EXPECT_TRUE(dialog.TxtFilter->isEnabled());
    EXPECT_TRUE(dialog.CboRelation->isEnabled());
    EXPECT_TRUE(dialog.TxtValue->isEnabled());
    dialog.TxtFilter->setText(QStringLiteral("Amount"));
    dialog.CboRelation->setCurrentIndex(1);
    dialog.TxtValue->setText(QStringLiteral("100"));

    dialog.OptAll->setChecked(true);
    EXPECT_FALSE(dialog.OptFilter->isChecked());
    EXPECT_FALSE(dialog.TxtFilter->isEnabled());
    EXPECT_FALSE(dialog.CboRelation->isEnabled());
    EXPECT_FALSE(dialog.TxtValue->isEnabled());
    EXPECT_TRUE(dialog.TxtFilter->text().isEmpty());
    EXPECT_EQ(dialog.CboRelation->currentIndex(), -1);
    EXPECT_TRUE(dialog.TxtValue->text().isEmpty());
}

// Every OK check with its message and focus, and the codes that pass: 0 means accepted (tag "T").
TEST_F(FrmLinkTest, OkChecks)
{
    using Act = std::function<void(FrmLink&)>;
    const auto conditional = [](const char* variable, int op, const char* value) -> Act {
        return [=](FrmLink& d) {
            d.OptFilter->setChecked(true);
            d.TxtFilter->setText(QString::fromLatin1(variable));
            d.CboRelation->setCurrentIndex(op);
            d.TxtValue->setText(QString::fromLatin1(value));
        };
    };
    const auto code = [](const char* text) -> Act {
        return [=](FrmLink& d) { d.TxtID->setText(QString::fromUtf8(text)); };
    };
    const struct {
        const char* what;
        Act spoil;
        qint32 message;
        const char* focus; // nullptr: the check moves no focus
    } cases[] = {
        {"blank code", code("   "), 117, "TxtID"},
        {"7-byte code", code("ABCDEFG"), 116, "TxtID"},
        {"two 2-byte and three 1-byte characters", code("连路ABC"), 116, "TxtID"},
        {"code of a link in the frame, other case", code(" l3 "), 115, nullptr},
        {"blank description", [](FrmLink& d) { d.Txtdesc->setText("  "); }, 114, "Txtdesc"},
        {"no father", [](FrmLink& d) { d.CboParent->setListIndex(-1); }, 113, "CboParent"},
        {"no son", [](FrmLink& d) { d.CboChild->setListIndex(-1); }, 112, "CboChild"},
        {"conditional, blank variable although operator and value are there", conditional(" ", 0, "5"), 109,
         "TxtFilter"},
        {"conditional, no operator", conditional("Amount", -1, "5"), 110, "CboRelation"},
        {"conditional, blank value", conditional("Amount", 2, "  "), 111, "TxtValue"},
        {"only the first failure is reported",
         [](FrmLink& d) {
             d.TxtID->setText("ABCDEFG");
             d.Txtdesc->clear();
             d.CboParent->setListIndex(-1);
         },
         116, nullptr},
        {"six bytes", code("ABCDEF"), 0, nullptr},
        {"blanks around the code do not count", code("  ABCDEF  "), 0, nullptr},
        {"three 2-byte characters", code("连路码"), 0, nullptr},
        {"a complete condition", conditional("Amount", 1, "5"), 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FrmLink dialog;
        dialog.LoadBeginPage(m_frame, QString(), 1);
        Run(dialog, [&](FrmLink& d) {
            FillValidNewLink(d);
            c.spoil(d);
            const QStringList shown = PressOK(d);
            EXPECT_EQ(shown, c.message == 0 ? QStringList{} : QStringList{LoadResString(c.message)});
            if (c.focus) {
                ASSERT_NE(d.focusWidget(), nullptr);
                EXPECT_EQ(d.focusWidget()->objectName(), QString::fromLatin1(c.focus));
            }
            EXPECT_EQ(d.isVisible(), c.message != 0);
            EXPECT_EQ(d.Tag() == QStringLiteral("T"), c.message == 0);
            if (d.isVisible()) {
                QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
            }
        });
    }
}

// Cancel, Escape after a refused OK, and closing the window all leave the tag empty.
TEST_F(FrmLinkTest, OnlyAPassedOkSetsTheTag)
{
    const std::function<void(FrmLink&)> leave[] = {
        [](FrmLink& d) { QTest::mouseClick(d.CmdCancel, Qt::LeftButton); },
        [](FrmLink& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](FrmLink& d) { d.close(); },
    };
    for (const auto& how : leave) {
        FrmLink dialog;
        dialog.LoadBeginPage(m_frame, QString(), 1);
        Run(dialog, [&](FrmLink& d) {
            d.TxtID->setText("ABCDEFG");
            PressOK(d);
            FillValidNewLink(d);
            how(d);
        });
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(dialog.Tag().isEmpty());
    }
}

} // namespace
} // namespace korvel
