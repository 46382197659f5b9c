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

TEST_F(FrmLinkTest, LoadsLocalisedCentredAndAlwaysOpen)
{
    FrmLink dialog;
    EXPECT_EQ(dialog.objectName(), QStringLiteral("FrmLink"));
    EXPECT_EQ(dialog.windowTitle(), LoadResString(108));
    EXPECT_EQ(dialog.lblID->text(), LoadResString(101));
    EXPECT_EQ(dialog.lblDesc->text(), LoadResString(102));
    EXPECT_EQ(dialog.lblParent->text(), LoadResString(103));
    EXPECT_EQ(dialog.lblChild->text(), LoadResString(104));
    EXPECT_EQ(dialog.lblCondition->text(), LoadResString(105));
    EXPECT_EQ(dialog.OptAll->text(), LoadResString(106));
    EXPECT_EQ(dialog.OptFilter->text(), LoadResString(107));
    EXPECT_EQ(dialog.CmdOK->text(), LoadResString(98));
    EXPECT_EQ(dialog.CmdCancel->text(), LoadResString(99));
    EXPECT_TRUE(dialog.Tag().isEmpty());

    const QRect screen = dialog.screen()->geometry();
    EXPECT_EQ(dialog.x(), screen.left() + (screen.width() - dialog.width()) / 2);
    EXPECT_EQ(dialog.y(), screen.top() + (screen.height() - dialog.height()) / 2);

    // The five operators, in order, none chosen; the condition is off until the option says so.
    QStringList operators;
    for (int i = 0; i < dialog.CboRelation->count(); ++i)
        operators << dialog.CboRelation->itemText(i);
    EXPECT_EQ(operators, (QStringList{">", ">=", "=", "<", "<="}));
    EXPECT_FALSE(dialog.CboRelation->isEditable());
    EXPECT_EQ(dialog.CboRelation->currentIndex(), -1);
    EXPECT_TRUE(dialog.OptAll->isChecked());
    EXPECT_FALSE(dialog.TxtFilter->isEnabled());
    EXPECT_FALSE(dialog.CboRelation->isEnabled());
    EXPECT_FALSE(dialog.TxtValue->isEnabled());
    // Nothing is listed before LoadBeginPage.
    EXPECT_EQ(dialog.CboParent->count(), 0);
    EXPECT_EQ(dialog.CboChild->count(), 0);
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

    // The user's clicks work the same way.
    Run(dialog, [](FrmLink& d) {
        QTest::mouseClick(d.OptFilter, Qt::LeftButton);
        EXPECT_TRUE(d.OptFilter->isChecked());
        EXPECT_TRUE(d.TxtFilter->isEnabled());
        EXPECT_TRUE(d.TxtValue->isEnabled());
        QTest::keyClicks(d.TxtFilter, QStringLiteral("Amount"));
        QTest::mouseClick(d.OptAll, Qt::LeftButton);
        EXPECT_TRUE(d.OptAll->isChecked());
        EXPECT_TRUE(d.TxtFilter->text().isEmpty());
        EXPECT_FALSE(d.TxtFilter->isEnabled());
        QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
    });
}

TEST_F(FrmLinkTest, OkChecksRunInOrderWithTheirMessagesAndFocus)
{
    struct Case {
        const char* what;
        std::function<void(FrmLink&)> spoil;
        qint32 message;
        std::function<QWidget*(FrmLink&)> focus; // nullptr: the check moves no focus
    };
    const std::vector<Case> cases{
        {"blank code", [](FrmLink& d) { d.TxtID->setText("   "); }, 117, [](FrmLink& d) { return d.TxtID; }},
        {"7-byte code", [](FrmLink& d) { d.TxtID->setText("ABCDEFG"); }, 116,
         [](FrmLink& d) { return d.TxtID; }},
        {"two 2-byte and three 1-byte characters",
         [](FrmLink& d) { d.TxtID->setText(QString::fromUtf8("连路ABC")); }, 116,
         [](FrmLink& d) { return d.TxtID; }},
        {"code of a link in the frame, other case", [](FrmLink& d) { d.TxtID->setText(" l3 "); }, 115,
         nullptr},
        {"blank description", [](FrmLink& d) { d.Txtdesc->setText("  "); }, 114,
         [](FrmLink& d) { return d.Txtdesc; }},
        {"no father", [](FrmLink& d) { d.CboParent->setListIndex(-1); }, 113,
         [](FrmLink& d) { return d.CboParent; }},
        {"no son", [](FrmLink& d) { d.CboChild->setListIndex(-1); }, 112,
         [](FrmLink& d) { return d.CboChild; }},
        {"conditional, no variable although operator and value are there",
         [](FrmLink& d) {
             d.OptFilter->setChecked(true);
             d.TxtFilter->setText(" ");
             d.CboRelation->setCurrentIndex(0);
             d.TxtValue->setText("5");
         },
         109, [](FrmLink& d) { return d.TxtFilter; }},
        {"conditional, no operator",
         [](FrmLink& d) {
             d.OptFilter->setChecked(true);
             d.TxtFilter->setText("Amount");
             d.TxtValue->setText("5");
         },
         110, [](FrmLink& d) { return d.CboRelation; }},
        {"conditional, blank value",
         [](FrmLink& d) {
             d.OptFilter->setChecked(true);
             d.TxtFilter->setText("Amount");
             d.CboRelation->setCurrentIndex(2);
             d.TxtValue->setText("  ");
         },
         111, [](FrmLink& d) { return d.TxtValue; }},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FrmLink dialog;
        dialog.LoadBeginPage(m_frame, QString(), 1);
        Run(dialog, [&](FrmLink& d) {
            FillValidNewLink(d);
            c.spoil(d);
            EXPECT_EQ(PressOK(d), QStringList{LoadResString(c.message)});
            if (c.focus) {
                EXPECT_EQ(d.focusWidget(), c.focus(d));
            }
            // A refused OK leaves the dialog open and the tag empty.
            EXPECT_TRUE(d.isVisible());
            EXPECT_TRUE(d.Tag().isEmpty());
            QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
        });
    }

    // Only the first failure is reported: a 7-byte code with a blank description and no father.
    FrmLink dialog;
    dialog.LoadBeginPage(m_frame, QString(), 1);
    Run(dialog, [&](FrmLink& d) {
        d.TxtID->setText("ABCDEFG");
        EXPECT_EQ(PressOK(d), QStringList{LoadResString(116)});
        QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
    });
}

TEST_F(FrmLinkTest, CodeLimitsCountBytesOfTheTrimmedCode)
{
    // Six bytes pass, blanks around them do not count; three 2-byte characters are six bytes.
    for (const QString& code :
         {QStringLiteral("ABCDEF"), QStringLiteral("  ABCDEF  "), QString::fromUtf8("连路码")}) {
        SCOPED_TRACE(code.toStdString());
        FrmLink dialog;
        dialog.LoadBeginPage(m_frame, QString(), 1);
        Run(dialog, [&](FrmLink& d) {
            FillValidNewLink(d);
            d.TxtID->setText(code);
            EXPECT_TRUE(PressOK(d).isEmpty());
            EXPECT_EQ(d.Tag(), QStringLiteral("T"));
        });
    }
}

TEST_F(FrmLinkTest, TagIsTOnlyAfterAPassedOk)
{
    {
        FrmLink dialog;
        dialog.LoadBeginPage(m_frame, QString(), 1);
        Run(dialog, [&](FrmLink& d) {
            FillValidNewLink(d);
            QTest::mouseClick(d.CmdOK, Qt::LeftButton);
            EXPECT_FALSE(d.isVisible());
        });
        EXPECT_EQ(dialog.Tag(), QStringLiteral("T"));
        EXPECT_TRUE(m_ui.messages().texts().isEmpty());
    }
    {
        FrmLink dialog;
        dialog.LoadBeginPage(m_frame, QString(), 1);
        Run(dialog, [&](FrmLink& d) {
            FillValidNewLink(d);
            QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
        });
        EXPECT_TRUE(dialog.Tag().isEmpty());
    }
    {
        // Escape, after a refused OK.
        FrmLink dialog;
        dialog.LoadBeginPage(m_frame, QString(), 1);
        Run(dialog, [&](FrmLink& d) {
            PressOK(d);
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        EXPECT_TRUE(dialog.Tag().isEmpty());
    }
    {
        // Closing the window.
        FrmLink dialog;
        dialog.LoadBeginPage(m_frame, QString(), 1);
        Run(dialog, [&](FrmLink& d) {
            FillValidNewLink(d);
            d.close();
        });
        EXPECT_TRUE(dialog.Tag().isEmpty());
    }
}

} // namespace
} // namespace korvel
