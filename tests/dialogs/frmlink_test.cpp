// The link dialog on its own, over the demo frame "CMP01" read from a fresh database:
//   L1 BEGIN -> N00001, L2 N00001 -> N00002, L3 N00002 -> N00003 (conditional),
//   L4 N00002 -> N00004 (conditional), L5 N00003 -> N00004, L6 N00004 -> END.

#include "dialogs/frmlink.h"

#include "model/cworder.h"
#include "resources/stringtable.h"
#include "tests/dialogs/dialogtest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace korvel {
namespace {

class FrmLinkTest : public DialogTest {
protected:
    FrmLinkTest()
    {
        m_frame.LoadList(QStringLiteral("CMP01"), QStringLiteral("Customer complaint"));
        m_frame.LoadOne();
    }

    cWorder m_frame;
};

// Which start, end and son items the flow rules allow is covered through the link commands; here:
// deleted nodes and links no longer count.
TEST_F(FrmLinkTest, ListsIgnoreDeletedNodesAndLinks)
{
    m_frame.AllLink().Del(QStringLiteral("L1"));
    m_frame.AllLink().Del(QStringLiteral("L6"));
    m_frame.AllLink().Del(QStringLiteral("L4"));
    ASSERT_EQ(m_frame.AllNode().DelNode(QStringLiteral("N00001")), 1);

    FrmLink dialog;
    dialog.LoadBeginPage(m_frame, QString(), 1);
    // The start is free again once L1 is deleted; the deleted node is not offered.
    const QString start = QStringLiteral("<") + LoadResString(81) + QStringLiteral(">=BEGIN");
    EXPECT_EQ(Items(*dialog.CboParent), (QStringList{start, "Investigate (N00002)=N00002",
                                                     "Supervisor review (N00003)=N00003",
                                                     "Reply to customer (N00004)=N00004"}));
    // N00004 is joined to N00003 by L5 only, and its link to the end is deleted.
    dialog.CboParent->SetKey(QStringLiteral("N00004"));
    const QString end = QStringLiteral("<") + LoadResString(80) + QStringLiteral(">=END");
    EXPECT_EQ(Items(*dialog.CboChild), (QStringList{"Investigate (N00002)=N00002", end}));
    EXPECT_EQ(dialog.CboChild->ListIndex(), -1);
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
        {"conditional, blank variable", conditional(" ", 0, "5"), 109, "TxtFilter"},
        {"conditional, no operator", conditional("Amount", -1, "5"), 110, "CboRelation"},
        {"conditional, blank value", conditional("Amount", 2, "  "), 111, "TxtValue"},
        {"only the first failure is reported",
         [](FrmLink& d) {
             d.TxtID->setText("ABCDEFG");
             d.Txtdesc->clear();
             d.CboParent->setListIndex(-1);
         },
         116, nullptr},
        {"six bytes, blanks around not counted", code("  ABCDEF  "), 0, nullptr},
        {"three 2-byte characters", code("连路码"), 0, nullptr},
        {"a complete condition", conditional("Amount", 1, "5"), 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FrmLink dialog;
        dialog.LoadBeginPage(m_frame, QString(), 1);
        Run<FrmLink>(dialog, [&](FrmLink& d) {
            // A new link that passes every check: "NEW1" from N00001 to N00003, always open.
            d.TxtID->setText(QStringLiteral("NEW1"));
            d.Txtdesc->setText(QStringLiteral("Escalate"));
            d.CboParent->SetKey(QStringLiteral("N00001"));
            d.CboChild->SetKey(QStringLiteral("N00003"));
            c.spoil(d);
            const QStringList shown = PressOK(*d.CmdOK, *d.CmdCancel);
            EXPECT_EQ(shown, c.message == 0 ? QStringList{} : QStringList{LoadResString(c.message)});
            if (c.focus) {
                ASSERT_NE(d.focusWidget(), nullptr);
                EXPECT_EQ(d.focusWidget()->objectName(), QString::fromLatin1(c.focus));
            }
            EXPECT_EQ(d.isVisible(), c.message != 0);
            EXPECT_EQ(d.Tag() == QStringLiteral("T"), c.message == 0);
            if (d.isVisible())
                QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
        });
    }
}

} // namespace
} // namespace korvel
