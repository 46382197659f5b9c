// The work-order dialog's OK: every check in its order, with its message and focus.

#include "dialogs/frmorder.h"

#include "dialogs/numerictextbox.h"
#include "resources/stringtable.h"
#include "tests/dialogs/dialogtest.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

namespace korvel {
namespace {

using FrmOrderChecksTest = DialogTest;

using Change = std::function<void(FrmOrder&)>;

Change Id(const char* text)
{
    return [text](FrmOrder& d) { d.TxtID->setText(QString::fromUtf8(text)); };
}
Change Len(const char* text)
{
    return [text](FrmOrder& d) { d.TxtLen->setText(QString::fromLatin1(text)); };
}

TEST_F(FrmOrderChecksTest, OkChecksEveryFieldInOrderWithItsMessageAndFocus)
{
    // The required fields of a new frame, in the order OK checks them.
    const Change fill[] = {
        Id("NEW01"),
        [](FrmOrder& d) { d.TxtName->setText(QStringLiteral("New frame")); },
        [](FrmOrder& d) { d.CboPriority->SetKey(QStringLiteral("P1")); },
        [](FrmOrder& d) { d.CboType->SetKey(QStringLiteral("C01")); },
        [](FrmOrder& d) { d.CboUnit->SetKey(QStringLiteral("H")); },
        Len("4"),
        [](FrmOrder& d) { d.CboBuild->SetKey(QStringLiteral("F01")); },
    };
    const Change none = [](FrmOrder&) {};
    const Change web = [](FrmOrder& d) { d.OptWeb->setChecked(true); };
    struct Case {
        const char* what;
        int filled; // leading required fields filled before `change`
        Change change;
        qint32 message; // 0: accepted
        const char* focus;
    };
    const Case cases[] = {
        {"no ID", 0, none, 201, "TxtID"},
        {"no name", 1, none, 204, "TxtName"},
        {"no priority", 2, none, 205, "CboPriority"},
        {"no type", 3, none, 206, "CboType"},
        {"no unit", 4, none, 207, "CboUnit"},
        {"no length", 5, none, 208, "TxtLen"},
        {"no dynamic form", 6, none, 210, "CboBuild"},
        {"web page without address", 7, web, 209, "TxtWeb"},
        {"web page with address", 7,
         [](FrmOrder& d) {
             d.OptWeb->setChecked(true);
             d.TxtWeb->setText(QStringLiteral("https://crm.example.com/new"));
         },
         0, nullptr},
        {"name is checked before the address", 1, web, 204, "TxtName"},
        {"blank ID", 7, Id("   "), 201, "TxtID"},
        {"7 bytes", 7, Id("ABCDEFG"), 202, "TxtID"},
        {"4 double-byte characters", 7, Id("工单工单"), 202, "TxtID"},
        {"length before existence", 0, Id("CMP01XX"), 202, "TxtID"},
        {"6 bytes with blanks around", 7, Id("  ABCDEF  "), 0, nullptr},
        {"existing ID with blanks", 7, Id(" REP01 "), 203, "TxtID"},
        {"existing ID of the frame being edited", 7,
         [](FrmOrder& d) {
             d.TxtID->setText(QStringLiteral("REP01"));
             d.TxtID->setEnabled(false);
         },
         0, nullptr},
        {"time limit 0", 7, Len("0"), 208, "TxtLen"},
        {"time limit empty", 7, Len(""), 208, "TxtLen"},
        {"time limit not a number", 7, Len("abc"), 208, "TxtLen"},
        {"time limit 0.4", 7, Len("0.4"), 208, "TxtLen"},
        {"time limit 0.5", 7, Len("0.5"), 0, nullptr},
        {"time limit with a leading number", 7, Len("12 days"), 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FrmOrder dialog;
        Run<FrmOrder>(dialog, [&](FrmOrder& d) {
            for (int i = 0; i < c.filled; ++i)
                fill[i](d);
            c.change(d);
            const QStringList shown = PressOK(*d.CmdOK, *d.ChkFull);
            if (c.message == 0) {
                EXPECT_TRUE(shown.isEmpty());
                EXPECT_FALSE(d.isVisible());
                return;
            }
            EXPECT_EQ(shown, QStringList{LoadResString(c.message)});
            ASSERT_NE(d.focusWidget(), nullptr);
            EXPECT_EQ(d.focusWidget()->objectName(), QString::fromLatin1(c.focus));
            EXPECT_TRUE(d.isVisible());
            d.CmdCancel->click();
        });
        EXPECT_EQ(dialog.Tag(), c.message == 0 ? QStringLiteral("T") : QString());
    }
}

} // namespace
} // namespace korvel
