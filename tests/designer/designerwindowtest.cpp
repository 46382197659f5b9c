// The designer window: loading, the work-order tree, the node-click save question, the splitter,
// closing, and a rendered screenshot.

#include "tests/designer/designerfixture.h"

#include "resources/stringtable.h"

#include <QFrame>
#include <QImage>
#include <QSet>
#include <QToolBar>

namespace korvel {
namespace {

using WindowTest = DesignerTest;

QStringList TreeKeys(QTreeWidget& tree)
{
    QStringList keys;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        keys << tree.topLevelItem(i)->data(0, TreeKeyRole).toString();
    return keys;
}

TEST_F(WindowTest, LoadListsEveryFrameLocalisesAndDrawsTheFirst)
{
    QTreeWidget& tree = Window().TrvTree();
    EXPECT_EQ(TreeKeys(tree), (QStringList{"NCMP01", "NREP01", "NBIL01"}));
    EXPECT_EQ(tree.topLevelItem(2)->text(0), QStringLiteral("账单争议 Billing dispute"));
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        EXPECT_EQ(tree.topLevelItem(i)->data(0, TreeImageRole).toString(), QStringLiteral("DynClose"));
        EXPECT_FALSE(tree.topLevelItem(i)->icon(0).isNull());
        EXPECT_EQ(tree.topLevelItem(i)->childCount(), 0);
    }

    QStringList shown;
    for (QAction* action : Window().Toolbar1().actions())
        shown << action->objectName();
    EXPECT_EQ(shown, (QStringList{"New", "Del", "Save", "Saveas", "Lock", "Unlock", "", "AddNode", "EditItem",
                                  "DelItem", "AddLink", "LinkTool", "", "Undo", "Redo", "", "Check", "", "Quit"}));

    // The first frame is current and drawn, read-only.
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("CMP01"));
    EXPECT_EQ(tree.selectedItems().value(0), TreeItem("CMP01"));
    EXPECT_EQ(Canvas().Tag(), QStringLiteral("CMP01"));
    EXPECT_EQ(Canvas().Nodes().size(), 6);
    EXPECT_FALSE(Canvas().EditMode());
    EXPECT_TRUE(Messages().texts().isEmpty());
}

TEST_F(WindowTest, FramesLockedByThisUserOpenWithTheOpenIcon)
{
    ASSERT_EQ(Host().services().LockRecord("Korvel", "REP01", StaffId), 1);
    OpenWindow();
    EXPECT_EQ(TreeItem("CMP01")->data(0, TreeImageRole).toString(), QStringLiteral("DynClose"));
    EXPECT_EQ(TreeItem("REP01")->data(0, TreeImageRole).toString(), QStringLiteral("DynOpen"));
    EXPECT_EQ(TreeItem("BIL01")->data(0, TreeImageRole).toString(), QStringLiteral("DynClose"));
    // Drawing a frame this user holds makes the window editable.
    ClickFrame("REP01");
    EXPECT_TRUE(Canvas().EditMode());
    EXPECT_FALSE(Window().ToolbarButton("Lock")->isEnabled());
    ClickFrame("CMP01");
    EXPECT_FALSE(Canvas().EditMode());
}

TEST_F(WindowTest, EmptyDatabaseGivesAnEmptyReadOnlyWindow)
{
    m_window.reset();
    m_session.reset();
    m_host.reset();
    m_db = std::make_unique<TestDatabase>(TestDatabase::Kind::SQLite, false);
    m_host = std::make_unique<TestHost>(m_db->database(), QString::fromLatin1(StaffId));
    m_session = std::make_unique<AddinSession>(*m_host);
    OpenWindow();
    EXPECT_EQ(Window().TrvTree().topLevelItemCount(), 0);
    EXPECT_TRUE(Canvas().Nodes().isEmpty());
    EXPECT_FALSE(Canvas().EditMode());
    EXPECT_TRUE(Orders().CurWOrder().isEmpty());
    EXPECT_TRUE(Messages().texts().isEmpty());
    EXPECT_TRUE(Host().logLines().isEmpty()) << Host().logLines().join('\n').toStdString();
}

// A pending node move in frame CMP01 (locked by this user), not yet saved.
class SaveQuestionTest : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        OpenLocked("CMP01");
        Frame("CMP01").AllNode().OneNode("N00002")->setNodeLeft(4321);
        ASSERT_EQ(Frame("CMP01").CheckStatus(), 1);
    }
    QString Question(qint32 id) { return LoadResString(id) + QStringLiteral("[Customer complaint]"); }
    int StoredLeft() { return Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"); }
};

TEST_F(SaveQuestionTest, CancelKeepsTheFrameItsEditsAndItsSelection)
{
    Messages().planAnswer(QMessageBox::Cancel);
    ClickFrame("REP01");
    EXPECT_EQ(Messages().questions(), QStringList{Question(134)});
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("CMP01"));
    EXPECT_EQ(Window().TrvTree().selectedItems().value(0), TreeItem("CMP01"));
    EXPECT_EQ(Canvas().Tag(), QStringLiteral("CMP01"));
    EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft(), 4321);
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 1);
    EXPECT_TRUE(Canvas().EditMode());
}

TEST_F(SaveQuestionTest, NoDropsTheEditsAndTheFrameIsReadAgain)
{
    Messages().planAnswer(QMessageBox::No);
    ClickFrame("REP01");
    EXPECT_EQ(Canvas().Tag(), QStringLiteral("REP01"));
    EXPECT_EQ(StoredLeft(), 3200);
    ClickFrame("CMP01"); // no question: REP01 has no changes
    EXPECT_EQ(Messages().questions().size(), 1);
    EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft(), 3200);
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 0);
    EXPECT_EQ(CanvasNode("NN00002").Left(), 3200);
}

TEST_F(SaveQuestionTest, YesSavesThenSwitches)
{
    Messages().planAnswer(QMessageBox::Yes);
    ClickFrame("BIL01");
    EXPECT_EQ(Messages().texts(), (QStringList{Question(134), LoadResString(126)}));
    EXPECT_EQ(StoredLeft(), 4321);
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("BIL01"));
}

// Yes followed by a failed save never leaves the frame: switching frames, Quit, closing the window
// and Unlock all stay where they are, with the lock held and the edits in memory.
TEST_F(SaveQuestionTest, AFailedSaveKeepsTheWindowTheFrameTheLockAndTheEdits)
{
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
        EXPECT_EQ(Messages().texts(), (QStringList{Question(134), LoadResString(127)})) << way;
        EXPECT_TRUE(Window().isVisible()) << way;
        EXPECT_TRUE(Host().loader().releasedNames().isEmpty()) << way;
        EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("CMP01")) << way;
        EXPECT_EQ(Window().TrvTree().selectedItems().value(0), TreeItem("CMP01")) << way;
        EXPECT_EQ(Host().services().GetLockState("Korvel", "CMP01", StaffId), 2) << way;
        EXPECT_TRUE(Canvas().EditMode()) << way;
        EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft(), 4321) << way;
    }
    Db().exec("DROP TRIGGER refuse");
    Messages().clear();
    PressButton("Save");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(126)});
    EXPECT_EQ(StoredLeft(), 4321);
}

// Closing with unsaved changes: Cancel keeps the window loaded, No and Yes release it.
TEST_F(SaveQuestionTest, CloseAsksFirst)
{
    Messages().planAnswer(QMessageBox::Cancel);
    EXPECT_FALSE(Window().close());
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(Messages().questions(), QStringList{Question(125)});
    EXPECT_TRUE(Host().loader().releasedNames().isEmpty());
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 1);

    Messages().clear();
    Messages().planAnswer(QMessageBox::Yes);
    EXPECT_TRUE(Window().close());
    EXPECT_EQ(Messages().texts(), (QStringList{Question(125), LoadResString(126)}));
    EXPECT_EQ(StoredLeft(), 4321);
    EXPECT_EQ(Host().loader().releasedNames(), QStringList{"Korvel"});
}

TEST_F(SaveQuestionTest, CloseAnsweredNoReleasesWithoutSavingAndGivesTheLockBack)
{
    Messages().planAnswer(QMessageBox::No);
    PressButton("Quit");
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(Host().loader().releasedNames(), QStringList{"Korvel"});
    EXPECT_EQ(StoredLeft(), 3200);
    EXPECT_EQ(Host().services().GetLockState("Korvel", "CMP01", StaffId), 0);
}

TEST_F(WindowTest, CloseWithoutChangesAsksNothing)
{
    EXPECT_TRUE(Window().close());
    EXPECT_TRUE(Messages().texts().isEmpty());
    EXPECT_EQ(Host().loader().releasedNames(), QStringList{"Korvel"});
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
    EXPECT_TRUE(Messages().texts().first().startsWith(unreadable))
        << Messages().texts().first().toStdString();
}

// Start-up (frame list, lock states, tree, first frame drawn) sends as many statements for 500
// frames as for 5.
TEST_F(WindowTest, StartUpStatementsDoNotGrowWithTheFrames)
{
    const auto startUp = [&](int frames) {
        m_window.reset();
        Db().exec(
            QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < %1) "
                           "INSERT OR IGNORE INTO TWO_Frame (WorkOrderFrame_ID, WorkOrderFrameName) "
                           "SELECT 'S' || n, 'Frame ' || n FROM c")
                .arg(frames));
        EXPECT_EQ(Host().services().LockRecord("Korvel", QStringLiteral("S%1").arg(frames), StaffId), 1);
        const qint64 before = StatementMonitor::Count();
        OpenWindow();
        EXPECT_EQ(TreeItem(QStringLiteral("S%1").arg(frames))->data(0, TreeImageRole).toString(), "DynOpen");
        return StatementMonitor::Count() - before;
    };
    EXPECT_EQ(startUp(5), startUp(500));
}

TEST_F(WindowTest, SplitterKeepsTheTreeAwayFromTheEdge)
{
    QWidget& handle = Window().ImgSplitter();
    QFrame& bar = Window().PicSplitter();
    const auto dragHandleTo = [&](double twips) {
        const QPoint start(1, handle.height() / 2);
        QTest::mousePress(&handle, Qt::LeftButton, {}, start);
        EXPECT_TRUE(bar.isVisible());
        const int target = qRound(twips / TwipsPerPixel) - handle.x();
        SendMove(&handle, QPoint(target, start.y()), Qt::LeftButton);
        QTest::mouseRelease(&handle, Qt::LeftButton, {}, QPoint(target, start.y()));
        EXPECT_FALSE(bar.isVisible());
    };

    dragHandleTo(1000);
    EXPECT_EQ(Window().TrvTree().width() * TwipsPerPixel, 1500);
    EXPECT_EQ(handle.x() * TwipsPerPixel, 1500);
    EXPECT_EQ(Canvas().x(), qRound((1500 + 40) / TwipsPerPixel));

    dragHandleTo(300); // the bar itself stops 900 from the edge
    EXPECT_EQ(Window().SplitterLeft(), 900);

    dragHandleTo(4500);
    EXPECT_EQ(Window().TrvTree().width() * TwipsPerPixel, 4500);
    EXPECT_EQ(Canvas().x() + Canvas().width(), Window().width());
}

TEST_F(WindowTest, ScreenshotShowsTheDrawnFlow)
{
    Window().resize(1000, 600);
    ClickFrame("REP01");
    QCoreApplication::processEvents();
    const QImage shot = Window().grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), Window().size() * shot.devicePixelRatio());

    // The canvas region: many distinct colours (figures, pictures, red and blue arrows, text).
    const QRect canvasRect(Canvas().mapTo(&Window(), QPoint(0, 0)), Canvas().size());
    QSet<QRgb> colours;
    bool red = false;
    for (int y = canvasRect.top(); y < canvasRect.bottom(); y += 1) {
        for (int x = canvasRect.left(); x < canvasRect.right(); x += 1) {
            const QColor c = shot.pixelColor(x, y);
            colours.insert(c.rgb());
            red = red || (c.red() > 200 && c.green() < 60 && c.blue() < 60);
        }
    }
    EXPECT_GT(colours.size(), 20);
    EXPECT_TRUE(red) << "no always-open (red) arrow in the canvas";
    if (!qEnvironmentVariableIsEmpty("KORVEL_SCREENSHOT_DIR"))
        shot.save(qEnvironmentVariable("KORVEL_SCREENSHOT_DIR") + "/designer.png");
}

} // namespace
} // namespace korvel
