// The save, lock and unlock commands through the toolbar, with the host's real record locks.

#include "tests/designer/designerfixture.h"

#include "persistence/framechanges.h"
#include "resources/stringtable.h"

namespace korvel {
namespace {

using SaveLockTest = DesignerTest;

QList<bool> EditButtons(FrmMain& window)
{
    QList<bool> state;
    for (const char* key : {"New", "Del", "Save", "Saveas", "Lock", "Unlock", "Quit"})
        state << window.ToolbarButton(key)->isEnabled();
    return state << window.MenuBarAction("ArrangeFlow")->isEnabled();
}

const QList<bool> ReadOnlyButtons{true, false, false, false, true, false, true, false};
const QList<bool> EditableButtons{true, true, true, true, false, true, true, true};

// Lock takes the frame selected in the tree (made current and drawn), Unlock the current one; each
// switches the buttons, the canvas, the tree icon and the lock line. Another user's lock is refused
// naming its holder; an Unlock the host refuses (the lock went away meanwhile) leaves it editable.
TEST_F(SaveLockTest, LockAndUnlockSwitchTheWindowTheIconAndTheHostLock)
{
    const auto expectLocked = [&](const char* id, bool locked) {
        EXPECT_EQ(EditButtons(Window()), locked ? EditableButtons : ReadOnlyButtons) << id;
        EXPECT_EQ(Scene().EditMode(), locked) << id;
        EXPECT_EQ(TreeImage(id), locked ? "DynOpen" : "DynClose") << id;
        EXPECT_EQ(Frame(id).LockFlag(), locked ? 1 : 0) << id;
    };
    Window().TrvTree().setCurrentIndex(TreeRow("REP01")); // selected without a click: not current yet
    PressButton("Lock");
    EXPECT_EQ(Scene().Tag(), "REP01");
    expectLocked("REP01", true);
    EXPECT_EQ(LockState("REP01"), 2);
    EXPECT_TRUE(Window().Status().LockState().text().startsWith("Locked by you since "));
    Window().TrvTree().setCurrentIndex(TreeRow("BIL01"));
    PressButton("Unlock");
    expectLocked("REP01", false);
    EXPECT_EQ(LockState("REP01"), 0);
    EXPECT_EQ(TreeImage("BIL01"), "DynClose");
    EXPECT_EQ(Window().Status().LockState().text(), "Read-only");
    EXPECT_TRUE(Messages().texts().isEmpty());

    auto bob = Host().otherUser("bob");
    ASSERT_EQ(bob->services().LockRecord("Korvel", "CMP01", "bob"), 1);
    ClickFrame("CMP01");
    EXPECT_EQ(Window().Status().ModifiedState().text(), LoadResString(2031).arg("Administrator", "2024-03-11 16:40:00"));
    PressButton("Lock");
    const QString since = Db().scalar("SELECT LockedAt FROM Korvel_RecordLock WHERE RecordID='CMP01'").toString();
    const QString refused = "Lock failed\r\nit is locked by [Bob Novak], ID [bob]\r\nLocked since: " + since;
    EXPECT_EQ(Messages().texts(), QStringList{refused});
    EXPECT_EQ(Window().Status().LockState().text(), "Locked by Bob Novak (bob) since " + since);
    expectLocked("CMP01", false);
    // Bob's program ends without giving the lock back: the refusal says how it is freed.
    bob.reset();
    Messages().clear();
    PressButton("Lock");
    EXPECT_EQ(Messages().texts(), QStringList{refused + "\r\n" + LoadResString(2022).arg("CMP01")});
    ASSERT_EQ(Host().services().BreakLock("Korvel", "CMP01"), "bob");
    PressButton("Lock");
    expectLocked("CMP01", true);

    ASSERT_EQ(Host().services().UnlockRecord("Korvel", "CMP01", StaffId), 1);
    Messages().clear();
    PressButton("Unlock");
    EXPECT_EQ(Messages().warnings(), QStringList{LoadResString(135) + "\r\n" + LoadResString(2270)});
    expectLocked("CMP01", true);
}

// A second session of the same staff member: a lock left by a session that has ended is taken
// silently, one held by a session that still runs only after the user agrees to take it over.
TEST_F(SaveLockTest, ASecondSessionOfTheSameUserAsksBeforeTakingTheLockOver)
{
    auto ended = Host().otherUser(StaffId);
    ASSERT_EQ(ended->services().LockRecord("Korvel", "CMP01", StaffId), 1);
    ended.reset();
    ClickFrame("CMP01");
    PressButton("Lock");
    EXPECT_TRUE(Messages().texts().isEmpty());
    EXPECT_TRUE(Scene().EditMode());
    PressButton("Unlock");

    auto running = Host().otherUser(StaffId);
    ASSERT_EQ(running->services().LockRecord("Korvel", "CMP01", StaffId), 1);
    const QString since = Db().scalar("SELECT LockedAt FROM Korvel_RecordLock WHERE RecordID='CMP01'").toString();
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        Messages().clear();
        Messages().planAnswer(answer);
        PressButton("Lock");
        EXPECT_EQ(Messages().questions(), QStringList{LoadResString(1005).arg(since)});
        EXPECT_EQ(Scene().EditMode(), answer == QMessageBox::Yes);
        EXPECT_EQ(running->services().GetLockState("Korvel", "CMP01", StaffId), answer == QMessageBox::Yes ? 1 : 2);
    }
}

// A save after another user took the lock, or over a change saved elsewhere since the frame was
// read (here in Unlock's question), writes nothing and says why with a warning; the edits stay,
// editable for Save as.
TEST_F(SaveLockTest, ARefusedSaveSaysWhyAndKeepsTheEditsEditable)
{
    OpenLocked("CMP01");
    Frame("CMP01").AllNode().OneNode("N00001")->setNodeTop(999);
    auto bob = Host().otherUser("bob");
    ASSERT_EQ(bob->services().BreakLock("Korvel", "CMP01"), StaffId);
    ASSERT_EQ(bob->services().LockRecord("Korvel", "CMP01", "bob"), 1);
    const QString since = Db().scalar("SELECT LockedAt FROM Korvel_RecordLock").toString();
    PressButton("Save");
    ASSERT_EQ(bob->services().UnlockRecord("Korvel", "CMP01", "bob"), 1);
    ASSERT_EQ(Host().services().LockRecord("Korvel", "CMP01", StaffId), 1);
    FrameChanges::Record(Db().database(), "CMP01", FrameChangeKind::Saved, "bob");
    const QString changedAt = Db().scalar("SELECT MAX(ChangedAt) FROM Korvel_FrameChange").toString();
    Messages().planAnswer(QMessageBox::Yes);
    PressButton("Unlock");
    EXPECT_EQ(Messages().warnings(),
              QStringList({LoadResString(127) + "\r\n" + LoadResString(2028).arg("Bob Novak", "bob", since),
                           LoadResString(127) + "\r\n" + LoadResString(2030).arg("Bob Novak", "bob", changedAt)}));
    EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00001")->NodeTop(), 999);
    EXPECT_TRUE(Scene().EditMode() && Button("Saveas")->isEnabled() && LockState("CMP01") == 2);
}

} // namespace
} // namespace korvel
