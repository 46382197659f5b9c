// The save, lock, unlock and quit commands through the toolbar, with the host's real record locks.

#include "tests/designer/designerfixture.h"

#include "resources/stringtable.h"

namespace korvel {
namespace {

using SaveLockTest = DesignerTest;

QList<bool> EditButtons(FrmMain& window)
{
    QList<bool> state;
    for (const char* key : {"New", "Del", "Save", "Saveas", "Lock", "Unlock", "Quit"})
        state << window.ToolbarButton(key)->isEnabled();
    return state;
}

const QList<bool> ReadOnlyButtons{true, false, false, false, true, false, true};
const QList<bool> EditableButtons{true, true, true, true, false, true, true};

QString ImageOf(QTreeWidgetItem* item)
{
    return item ? item->data(0, TreeImageRole).toString() : QStringLiteral("<no item>");
}

TEST_F(SaveLockTest, LockAndUnlockSwitchTheWindowTheIconAndTheHostLock)
{
    ClickFrame("REP01");
    EXPECT_EQ(EditButtons(Window()), ReadOnlyButtons);
    EXPECT_FALSE(Canvas().EditMode());

    PressButton("Lock");
    EXPECT_EQ(EditButtons(Window()), EditableButtons);
    EXPECT_TRUE(Canvas().EditMode());
    EXPECT_EQ(ImageOf(TreeItem("REP01")), QStringLiteral("DynOpen"));
    EXPECT_EQ(Host().services().GetLockState("Korvel", "REP01", StaffId), 2);
    EXPECT_EQ(Canvas().Tag(), QStringLiteral("REP01"));
    EXPECT_EQ(Canvas().Nodes().size(), 5);
    EXPECT_TRUE(Messages().texts().isEmpty());

    PressButton("Unlock");
    EXPECT_EQ(EditButtons(Window()), ReadOnlyButtons);
    EXPECT_FALSE(Canvas().EditMode());
    EXPECT_EQ(ImageOf(TreeItem("REP01")), QStringLiteral("DynClose"));
    EXPECT_EQ(Host().services().GetLockState("Korvel", "REP01", StaffId), 0);
    EXPECT_EQ(Frame("REP01").LockFlag(), 0);
    EXPECT_TRUE(Messages().texts().isEmpty());
}

TEST_F(SaveLockTest, LockHeldByAnotherUserIsRefusedWithTheHolder)
{
    auto bob = Host().otherUser("bob");
    ASSERT_EQ(bob->services().LockRecord("Korvel", "CMP01", "bob"), 1);
    ClickFrame("CMP01");
    PressButton("Lock");
    const QString since =
        Db().scalar("SELECT LockedAt FROM Korvel_RecordLock WHERE RecordID='CMP01'").toString();
    EXPECT_EQ(Messages().texts(),
              QStringList{"Lock failed\r\nit is locked by [Bob Novak], ID [bob]\r\nLocked since: " + since});
    EXPECT_EQ(Window().LockState().text(), "Locked by Bob Novak (bob) since " + since);
    EXPECT_EQ(EditButtons(Window()), ReadOnlyButtons);
    EXPECT_FALSE(Canvas().EditMode());
    EXPECT_EQ(ImageOf(TreeItem("CMP01")), QStringLiteral("DynClose"));
    EXPECT_EQ(Frame("CMP01").LockFlag(), 0);

    // Once bob lets go, the lock is ours.
    ASSERT_EQ(bob->services().UnlockRecord("Korvel", "CMP01", "bob"), 1);
    PressButton("Lock");
    EXPECT_EQ(Frame("CMP01").LockFlag(), 1);
    EXPECT_TRUE(Canvas().EditMode());
    EXPECT_TRUE(Window().LockState().text().startsWith("Locked by you since "))
        << Window().LockState().text().toStdString();
    PressButton("Unlock");
    EXPECT_EQ(Window().LockState().text(), "Read-only");
}

TEST_F(SaveLockTest, LockTakesTheSelectedFrameAndMakesItCurrent)
{
    // The tree's selection can leave the current frame without a click (e.g. when an item is
    // removed); the frame locked is the one drawn and made editable.
    Window().TrvTree().setCurrentItem(TreeItem("BIL01"));
    ASSERT_EQ(Orders().CurWOrder(), QStringLiteral("CMP01"));
    PressButton("Lock");
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("BIL01"));
    EXPECT_EQ(Canvas().Tag(), QStringLiteral("BIL01"));
    EXPECT_NE(Canvas().NodeByKey("NN00008"), nullptr);
    EXPECT_TRUE(Canvas().EditMode());
    EXPECT_EQ(Frame("CMP01").LockFlag(), 0);
    EXPECT_EQ(Frame("BIL01").LockFlag(), 1);
}

TEST_F(SaveLockTest, SaveWritesTheChangesAndReadsTheFrameBack)
{
    OpenLocked("CMP01");
    PressButton("Save"); // nothing to save: nothing said, nothing logged
    EXPECT_TRUE(Messages().texts().isEmpty());
    EXPECT_TRUE(Host().logLines().isEmpty());

    cWorder& frame = Frame("CMP01");
    frame.AllLink().DelLinkForNode("N00003");
    frame.AllNode().DelNode("N00003");
    Canvas().RemoveNode(CanvasNode("NN00003").Index());
    frame.AllNode().OneNode("N00001")->setNodeTop(900);
    PressButton("Save");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(126)});
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderNode_ID = 'N00003'"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Link WHERE WorkOrderFrame_ID = 'CMP01'"), 4);
    EXPECT_EQ(Count("SELECT NodeTop FROM Two_Node WHERE WorkOrderNode_ID = 'N00001'"), 900);
    // Read back: the deleted node is gone from memory and every state is fresh.
    EXPECT_EQ(frame.AllNode().OneNode("N00003"), nullptr);
    EXPECT_EQ(frame.CheckStatus(), 0);
    EXPECT_TRUE(Canvas().EditMode());
}

// Unlocking CMP01 with one unsaved node move asks first: each answer (a failed save: see
// AFailedSaveKeepsTheWindowTheFrameTheLockAndTheEdits).
struct UnlockCase {
    QMessageBox::StandardButton answer;
    bool refuseSave;
    qint32 saveMessage; // 0: none
    int storedLeft, memoryLeft;
    bool stillLocked;
};

class UnlockQuestionTest : public DesignerTest, public ::testing::WithParamInterface<UnlockCase> {};

TEST_P(UnlockQuestionTest, AnswerDecides)
{
    const UnlockCase& c = GetParam();
    OpenLocked("CMP01");
    Frame("CMP01").AllNode().OneNode("N00004")->setNodeLeft(8000);
    if (c.refuseSave)
        Db().exec("CREATE TRIGGER refuse BEFORE UPDATE ON Two_Node BEGIN SELECT RAISE(ABORT, 'x'); END");
    Messages().planAnswer(c.answer);
    PressButton("Unlock");
    QStringList expected{LoadResString(134) + QStringLiteral("[Customer complaint]")};
    if (c.saveMessage != 0)
        expected << LoadResString(c.saveMessage);
    EXPECT_EQ(Messages().texts(), expected);
    EXPECT_EQ(Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00004'"), c.storedLeft);
    EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00004")->NodeLeft(), c.memoryLeft);
    if (c.answer == QMessageBox::No) {
        EXPECT_EQ(CanvasNode("NN00004").Left(), 7400); // drawn again from what was read back
    }
    EXPECT_EQ(Frame("CMP01").LockFlag(), c.stillLocked ? 1 : 0);
    EXPECT_EQ(Host().services().GetLockState("Korvel", "CMP01", StaffId), c.stillLocked ? 2 : 0);
    EXPECT_EQ(EditButtons(Window()), c.stillLocked ? EditableButtons : ReadOnlyButtons);
    EXPECT_EQ(ImageOf(TreeItem("CMP01")),
              c.stillLocked ? QStringLiteral("DynOpen") : QStringLiteral("DynClose"));
}

INSTANTIATE_TEST_SUITE_P(Answers, UnlockQuestionTest,
                         ::testing::Values(UnlockCase{QMessageBox::Cancel, false, 0, 7400, 8000, true},
                                           UnlockCase{QMessageBox::No, false, 0, 7400, 7400, false},
                                           UnlockCase{QMessageBox::Yes, false, 126, 8000, 8000, false}));

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
    EXPECT_TRUE(Canvas().EditMode());
    PressButton("Unlock");

    auto running = Host().otherUser(StaffId);
    ASSERT_EQ(running->services().LockRecord("Korvel", "CMP01", StaffId), 1);
    const QString since =
        Db().scalar("SELECT LockedAt FROM Korvel_RecordLock WHERE RecordID='CMP01'").toString();
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        Messages().clear();
        Messages().planAnswer(answer);
        PressButton("Lock");
        EXPECT_EQ(Messages().questions(), QStringList{LoadResString(1005).arg(since)});
        EXPECT_EQ(Canvas().EditMode(), answer == QMessageBox::Yes);
        EXPECT_EQ(running->services().GetLockState("Korvel", "CMP01", StaffId),
                  answer == QMessageBox::Yes ? 1 : 2);
    }
}

TEST_F(SaveLockTest, RefusedUnlockLeavesTheFrameEditable)
{
    OpenLocked("CMP01");
    // The lock went away behind the designer's back (e.g. released by an administrator).
    ASSERT_EQ(Host().services().UnlockRecord("Korvel", "CMP01", StaffId), 1);
    PressButton("Unlock");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(135)});
    EXPECT_EQ(Frame("CMP01").LockFlag(), 1);
    EXPECT_EQ(EditButtons(Window()), EditableButtons);
}

TEST_F(SaveLockTest, UnlockMarksTheUnlockedFramesItem)
{
    OpenLocked("CMP01");
    Window().TrvTree().setCurrentItem(TreeItem("REP01"));
    PressButton("Unlock");
    EXPECT_EQ(Frame("CMP01").LockFlag(), 0);
    EXPECT_EQ(ImageOf(TreeItem("CMP01")), QStringLiteral("DynClose"));
    EXPECT_EQ(ImageOf(TreeItem("REP01")), QStringLiteral("DynClose"));
}

TEST_F(SaveLockTest, DispatchIgnoresUnknownKeysAndQuitCloses)
{
    Window().Toolbar1_ButtonClick("Print");
    Window().Toolbar1_ButtonClick("lock"); // keys compare exactly
    EXPECT_EQ(Frame("CMP01").LockFlag(), 0);
    EXPECT_TRUE(Window().isVisible());
    Window().Toolbar1_ButtonClick("Lock");
    EXPECT_EQ(Frame("CMP01").LockFlag(), 1);
    Window().Toolbar1_ButtonClick("Quit");
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(Host().loader().releasedNames(), QStringList{"Korvel"});
}

} // namespace
} // namespace korvel
