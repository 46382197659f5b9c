// The designer window: the question about unsaved changes when the user leaves a frame or closes
// the window, an unreadable database, and the cost of start-up.

#include "tests/designer/designerfixture.h"

#include "resources/stringtable.h"

namespace korvel {
namespace {

using WindowTest = DesignerTest;

// A pending step move in frame CMP01 (locked by this user), not yet saved; the user then switches
// to REP01 or closes the window, and answers the question.
struct LeaveCase {
    const char* name;
    bool close;
    QMessageBox::StandardButton answer;
};

class SaveQuestionTest : public DesignerTest, public ::testing::WithParamInterface<LeaveCase> {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        OpenLocked("CMP01");
        Frame("CMP01").AllNode().OneNode("N00002")->setNodeLeft(4321);
        ASSERT_EQ(Frame("CMP01").CheckStatus(), 1); // a moved step is a change to save
    }
    QString Question(qint32 id) { return LoadResString(id) + QStringLiteral("[Customer complaint]"); }
    int StoredLeft() { return Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"); }
};

// Cancel stays with the frame, its edits, its selection and its lock; No drops the edits and the
// frame is read again; Yes saves first. Closing releases the add-in and every lock unless cancelled.
TEST_P(SaveQuestionTest, AnswerDecides)
{
    const LeaveCase& c = GetParam();
    const bool stays = c.answer == QMessageBox::Cancel;
    Messages().planAnswer(c.answer);
    if (c.close) {
        EXPECT_EQ(Window().close(), !stays);
    } else {
        ClickFrame("REP01");
    }
    QStringList expected{Question(c.close ? 125 : 134)};
    if (c.answer == QMessageBox::Yes)
        expected << LoadResString(126);
    EXPECT_EQ(Messages().texts(), expected);
    EXPECT_EQ(StoredLeft(), c.answer == QMessageBox::Yes ? 4321 : 3200);
    EXPECT_EQ(Window().isVisible(), !c.close || stays);
    EXPECT_EQ(Host().loader().releasedNames(), c.close && !stays ? QStringList{"Korvel"} : QStringList{});
    EXPECT_EQ(LockState("CMP01"), c.close && !stays ? 0 : 2);
    if (stays) {
        EXPECT_EQ(Orders().CurWOrder(), "CMP01");
        EXPECT_EQ(Window().TrvTree().selectedItems().value(0), TreeItem("CMP01"));
        EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft(), 4321);
        EXPECT_EQ(Frame("CMP01").CheckStatus(), 1);
        EXPECT_TRUE(Canvas().EditMode());
    } else if (!c.close) {
        EXPECT_EQ(Canvas().Tag(), "REP01");
        ClickFrame("CMP01"); // back without a question: drawn as stored now
        EXPECT_EQ(Messages().questions().size(), 1);
        EXPECT_EQ(Frame("CMP01").CheckStatus(), 0);
        EXPECT_EQ(CanvasNode("NN00002").Left(), StoredLeft());
    }
}

INSTANTIATE_TEST_SUITE_P(Leave, SaveQuestionTest,
                         ::testing::Values(LeaveCase{"SwitchCancel", false, QMessageBox::Cancel},
                                           LeaveCase{"SwitchNo", false, QMessageBox::No},
                                           LeaveCase{"SwitchYes", false, QMessageBox::Yes},
                                           LeaveCase{"CloseCancel", true, QMessageBox::Cancel},
                                           LeaveCase{"CloseNo", true, QMessageBox::No},
                                           LeaveCase{"CloseYes", true, QMessageBox::Yes}),
                         [](const auto& info) { return std::string(info.param.name); });

// Yes followed by a failed save never leaves the frame: switching frames, Quit, closing the window
// and Unlock all stay where they are, with the lock held and the edits in memory.
TEST_F(WindowTest, AFailedSaveKeepsTheWindowTheFrameTheLockAndTheEdits)
{
    OpenLocked("CMP01");
    Frame("CMP01").AllNode().OneNode("N00002")->setNodeLeft(4321);
    Db().exec("CREATE TRIGGER refuse BEFORE UPDATE ON Two_Node BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"switch", [&] { ClickFrame("REP01"); }},
        {"Quit", [&] { PressButton("Quit"); }},
        {"close", [&] { Window().close(); }},
        {"Unlock", [&] { PressButton("Unlock"); }},
    };
    for (const auto& [way, leave] : ways) {
        Messages().clear();
        Messages().planAnswer(QMessageBox::Yes);
        leave();
        EXPECT_EQ(Messages().texts(), (QStringList{LoadResString(134) + "[Customer complaint]", LoadResString(127)}))
            << way;
        EXPECT_TRUE(Window().isVisible()) << way;
        EXPECT_TRUE(Host().loader().releasedNames().isEmpty()) << way;
        EXPECT_EQ(Window().TrvTree().selectedItems().value(0), TreeItem("CMP01")) << way;
        EXPECT_EQ(LockState("CMP01"), 2) << way;
        EXPECT_TRUE(Canvas().EditMode()) << way;
        EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft(), 4321) << way;
    }
    Db().exec("DROP TRIGGER refuse");
    Messages().clear();
    PressButton("Save");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(126)});
    EXPECT_EQ(Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"), 4321);
}

// A database that cannot be read is reported, naming it and the error, and nothing of what could
// not be read becomes editable, so nothing is saved over it.
TEST_F(WindowTest, AnUnreadableDatabaseIsReportedAndNothingOfItIsEditable)
{
    const QString unreadable = LoadResString(1003).arg(Db().database().databaseName()) + "\r\n";
    Db().exec("DROP TABLE Two_Link");
    ClickFrame("REP01");
    ASSERT_EQ(Messages().texts().size(), 1);
    EXPECT_TRUE(Messages().texts().first().startsWith(unreadable) &&
                Messages().texts().first().contains("two_link", Qt::CaseInsensitive))
        << Messages().texts().first().toStdString();
    PressButton("Lock"); // the lock is granted, but the frame stays read-only
    EXPECT_FALSE(Canvas().EditMode());
    EXPECT_FALSE(Window().ToolbarButton("Save")->isEnabled());

    Db().exec("DROP TABLE TWO_Frame");
    Messages().clear();
    OpenWindow();
    ASSERT_EQ(Messages().texts().size(), 1);
    EXPECT_TRUE(Messages().texts().first().startsWith(unreadable)) << Messages().texts().first().toStdString();
}

// Start-up (frame list, lock states, tree, first frame drawn) sends as many statements for 500
// frames as for 5, and marks the frame this user holds open.
TEST_F(WindowTest, StartUpStatementsDoNotGrowWithTheFrames)
{
    const auto startUp = [&](int frames) {
        m_window.reset();
        Db().exec(QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < %1) "
                                 "INSERT OR IGNORE INTO TWO_Frame (WorkOrderFrame_ID, WorkOrderFrameName) "
                                 "SELECT 'S' || n, 'Frame ' || n FROM c")
                      .arg(frames));
        EXPECT_EQ(Host().services().LockRecord("Korvel", QStringLiteral("S%1").arg(frames), StaffId), 1);
        const qint64 before = StatementMonitor::Count();
        OpenWindow();
        EXPECT_EQ(TreeImage(QStringLiteral("S%1").arg(frames)), "DynOpen");
        EXPECT_EQ(TreeImage("CMP01"), "DynClose");
        return StatementMonitor::Count() - before;
    };
    EXPECT_EQ(startUp(5), startUp(500));
}

} // namespace
} // namespace korvel
