// The work-order dialog's OK: every check in its order, with its message and focus.

#include "dialogs/frmorder.h"

#include "dialogs/numerictextbox.h"
#include "resources/stringtable.h"
#include "tests/dialogs/framedialogfixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

namespace korvel {
namespace {

class FrmOrderChecksTest : public FrameDialogTest {
protected:
    // A new frame that passes every check.
    static void FillValid(FrmOrder& dialog)
    {
        dialog.TxtID->setText(QStringLiteral("NEW01"));
        dialog.TxtName->setText(QStringLiteral("New frame"));
        dialog.CboPriority->SetKey(QStringLiteral("P1"));
        dialog.CboType->SetKey(QStringLiteral("C01"));
        dialog.CboUnit->SetKey(QStringLiteral("H"));
        dialog.TxtLen->setText(QStringLiteral("4"));
        dialog.CboBuild->SetKey(QStringLiteral("F01"));
    }

    // Presses OK with the focus parked on ChkFull, so that a moved focus shows.
    QStringList Press(FrmOrder& dialog) { return PressOK(Messages(), *dialog.CmdOK, *dialog.ChkFull); }

    // Expects OK to fail with exactly the message `id` and the focus on `focus`, leaving the
    // dialog open and unconfirmed.
    void ExpectRefused(FrmOrder& dialog, qint32 id, QWidget* focus, const char* what)
    {
        SCOPED_TRACE(what);
        EXPECT_EQ(Press(dialog), QStringList{LoadResString(id)});
        EXPECT_EQ(dialog.focusWidget(), focus);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.Tag().isEmpty());
    }

    // Expects OK to pass: no message, tag "T", dialog hidden. Shows the dialog again afterwards.
    void ExpectAccepted(FrmOrder& dialog, const char* what)
    {
        SCOPED_TRACE(what);
        EXPECT_TRUE(Press(dialog).isEmpty());
        EXPECT_EQ(dialog.Tag(), QStringLiteral("T"));
        EXPECT_FALSE(dialog.isVisible());
        dialog.setProperty("Tag", QString());
        dialog.show();
    }
};

TEST_F(FrmOrderChecksTest, AnEmptyDialogIsRefusedOneStepAtATime)
{
    FrmOrder dialog;
    Run<FrmOrder>(dialog, [&](FrmOrder& d) {
        ExpectRefused(d, 201, d.TxtID, "no ID");
        d.TxtID->setText(QStringLiteral("NEW01"));
        ExpectRefused(d, 204, d.TxtName, "no name");
        d.TxtName->setText(QStringLiteral("New frame"));
        ExpectRefused(d, 205, d.CboPriority, "no priority");
        d.CboPriority->SetKey(QStringLiteral("P1"));
        ExpectRefused(d, 206, d.CboType, "no type");
        d.CboType->SetKey(QStringLiteral("C01"));
        ExpectRefused(d, 207, d.CboUnit, "no unit");
        d.CboUnit->SetKey(QStringLiteral("H"));
        ExpectRefused(d, 208, d.TxtLen, "no length");
        d.TxtLen->setText(QStringLiteral("4"));
        // A new frame starts as a dynamic-form page.
        ExpectRefused(d, 210, d.CboBuild, "no dynamic form");
        d.OptWeb->setChecked(true);
        ExpectRefused(d, 209, d.TxtWeb, "no web address");
        d.TxtWeb->setText(QStringLiteral("https://crm.example.com/new"));
        ExpectAccepted(d, "complete");
        d.CmdCancel->click();
    });
    EXPECT_TRUE(dialog.Tag().isEmpty());
}

TEST_F(FrmOrderChecksTest, TheIdIsMeasuredInBytesWithoutSurroundingBlanks)
{
    FrmOrder dialog;
    Run<FrmOrder>(dialog, [&](FrmOrder& d) {
        FillValid(d);
        d.TxtID->setText(QStringLiteral("   "));
        ExpectRefused(d, 201, d.TxtID, "blanks only");
        d.TxtID->setText(QStringLiteral("ABCDEFG"));
        ExpectRefused(d, 202, d.TxtID, "7 bytes");
        d.TxtID->setText(QStringLiteral("工单工单"));
        ExpectRefused(d, 202, d.TxtID, "4 double-byte characters");
        d.TxtID->setText(QStringLiteral("  ABCDEF  "));
        ExpectAccepted(d, "6 bytes with blanks around");
        d.TxtID->setText(QStringLiteral("工单X"));
        ExpectAccepted(d, "5 bytes");
        d.CmdCancel->click();
    });
}

TEST_F(FrmOrderChecksTest, ExistingIdsAreRefusedOnlyForNewFrames)
{
    FrmOrder dialog;
    Run<FrmOrder>(dialog, [&](FrmOrder& d) {
        FillValid(d);
        d.TxtID->setText(QStringLiteral(" REP01 "));
        ExpectRefused(d, 203, d.TxtID, "existing ID of a new frame");
        d.TxtID->setText(QStringLiteral("CMP01"));
        ExpectRefused(d, 203, d.TxtID, "another existing ID");
        // Editing REP01 itself: the ID box is disabled and the duplicate test is skipped.
        d.TxtID->setText(QStringLiteral("REP01"));
        d.TxtID->setEnabled(false);
        ExpectAccepted(d, "edit of an existing frame");
        d.CmdCancel->click();
    });
}

TEST_F(FrmOrderChecksTest, TheTimeLimitMustBeAboveZero)
{
    FrmOrder dialog;
    Run<FrmOrder>(dialog, [&](FrmOrder& d) {
        FillValid(d);
        for (const char* refused : {"0", "-5", "", "   ", "abc", "0.4"}) {
            d.TxtLen->setText(QString::fromLatin1(refused));
            ExpectRefused(d, 208, d.TxtLen, refused);
        }
        d.TxtLen->setText(QStringLiteral("0.5"));
        ExpectAccepted(d, "0.5");
        EXPECT_EQ(d.TxtLen->WholeNumber(), 1);
        d.TxtLen->setText(QStringLiteral("12 days"));
        ExpectAccepted(d, "leading number");
        d.CmdCancel->click();
    });
}

TEST_F(FrmOrderChecksTest, EarlierChecksWinOverLaterOnes)
{
    FrmOrder dialog;
    Run<FrmOrder>(dialog, [&](FrmOrder& d) {
        // A too-long ID that also exists would fail twice; only the length is reported.
        d.TxtID->setText(QStringLiteral("CMP01XX"));
        ExpectRefused(d, 202, d.TxtID, "long and unknown");
        // A web page without address but everything before it missing too: the name comes first.
        d.TxtID->setText(QStringLiteral("NEW01"));
        d.OptWeb->setChecked(true);
        ExpectRefused(d, 204, d.TxtName, "name before address");
        d.CmdCancel->click();
    });
}

TEST_F(FrmOrderChecksTest, AnEmptyLookupTableMakesItsListImpossibleToSatisfy)
{
    // A failed lookup is logged by the data layer and leaves its list empty.
    m_db.exec(QStringLiteral("DROP TABLE Sysc_WoCategory"));
    m_db.exec(QStringLiteral("DELETE FROM SYSC_Priority"));
    FrmOrder dialog;
    EXPECT_EQ(dialog.CboType->count(), 0);
    EXPECT_EQ(dialog.CboPriority->count(), 0);
    EXPECT_EQ(LogLinesStartingWith(QStringLiteral("[Korvel]-[cDBOperate]-[GetWorkOrderType]:")).size(), 1);
    Run<FrmOrder>(dialog, [&](FrmOrder& d) {
        FillValid(d);
        ExpectRefused(d, 205, d.CboPriority, "empty priority table");
        d.CmdCancel->click();
    });
}

} // namespace
} // namespace korvel
