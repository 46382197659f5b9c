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

    EXPECT_EQ(Window().windowTitle(), LoadResString(118));
    EXPECT_EQ(Window().ToolbarButton("New")->toolTip(), LoadResString(119));
    EXPECT_EQ(Window().ToolbarButton("Quit")->toolTip(), LoadResString(124));
    const QStringList keys{"New", "Del", "Save", "Saveas", "Lock", "Unlock", "Quit"};
    QStringList shown;
    for (QAction* action : Window().Toolbar1().actions())
        shown << action->objectName();
    EXPECT_EQ(shown, keys);
    for (const QString& key : keys)
        EXPECT_FALSE(Window().ToolbarButton(key)->icon().isNull()) << key.toStdString();

    // The first frame is current and drawn, read-only.
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("CMP01"));
    EXPECT_EQ(tree.selectedItems().value(0), TreeItem("CMP01"));
    EXPECT_EQ(Canvas().Tag(), QStringLiteral("CMP01"));
    EXPECT_EQ(Canvas().Nodes().size(), 6);
    EXPECT_FALSE(Canvas().EditMode());
    EXPECT_TRUE(Window().ToolbarButton("Lock")->isEnabled());
    EXPECT_FALSE(Window().ToolbarButton("Save")->isEnabled());
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
    EXPECT_TRUE(Window().ToolbarButton("Unlock")->isEnabled());
    EXPECT_FALSE(Window().ToolbarButton("Lock")->isEnabled());
    ClickFrame("CMP01");
    EXPECT_FALSE(Canvas().EditMode());
}

TEST_F(WindowTest, KeysMoveThroughTheFramesLikeClicks)
{
    QTreeWidget& tree = Window().TrvTree();
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("REP01"));
    EXPECT_EQ(Canvas().Tag(), QStringLiteral("REP01"));
    QTest::keyClick(&tree, Qt::Key_End);
    QCoreApplication::processEvents();
    EXPECT_EQ(Canvas().Tag(), QStringLiteral("BIL01"));
    // A key that does not move the selection draws nothing new.
    Canvas().NodeByKey("NN00008")->setLeft(5000);
    QTest::keyClick(&tree, Qt::Key_End);
    QCoreApplication::processEvents();
    EXPECT_EQ(Canvas().NodeByKey("NN00008")->Left(), 5000);
}

TEST_F(WindowTest, NoItemClearsTheCanvasAndTheNextClickDrawsAgain)
{
    Window().TrvTree_NodeClick(nullptr);
    EXPECT_TRUE(Canvas().Nodes().isEmpty());
    EXPECT_FALSE(Canvas().EditMode());
    // The frame is still current; selecting it must draw it again, not leave the canvas empty.
    ClickFrame("CMP01");
    EXPECT_EQ(Canvas().Nodes().size(), 6);
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
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("REP01"));
    EXPECT_EQ(Canvas().Tag(), QStringLiteral("REP01"));
    EXPECT_EQ(Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"), 3200);

    ClickFrame("CMP01"); // no question: REP01 has no changes
    EXPECT_EQ(Messages().questions().size(), 1);
    EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft(), 3200);
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 0);
    EXPECT_EQ(CanvasNode("NN00002").Left(), 3200);
}

TEST_F(SaveQuestionTest, NoOnTheSameFrameRedrawsWhatWasReadBack)
{
    // The drawing must follow the re-read frame, not keep the dropped state.
    Frame("CMP01").AllNode().DelNode("N00003");
    Canvas().RemoveNode(CanvasNode("NN00003").Index());
    Messages().planAnswer(QMessageBox::No);
    ClickFrame("CMP01");
    EXPECT_NE(Canvas().NodeByKey("NN00003"), nullptr);
    EXPECT_NE(Canvas().LinkByKey("LL3"), nullptr);
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 0);
}

TEST_F(SaveQuestionTest, YesSavesThenSwitches)
{
    Messages().planAnswer(QMessageBox::Yes);
    ClickFrame("BIL01");
    EXPECT_EQ(Messages().texts(), (QStringList{Question(134), LoadResString(126)}));
    EXPECT_EQ(Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"), 4321);
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("BIL01"));
}

TEST_F(SaveQuestionTest, FailedSaveSaysSoAndStillSwitches)
{
    // The node table's rows cannot be updated any more: the save fails and is rolled back.
    Db().exec("CREATE TRIGGER refuse BEFORE UPDATE ON Two_Node BEGIN SELECT RAISE(ABORT, 'refused'); END");
    Messages().planAnswer(QMessageBox::Yes);
    ClickFrame("REP01");
    EXPECT_EQ(Messages().texts(), (QStringList{Question(134), LoadResString(127)}));
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("REP01"));
    // The edit is still in memory, so nothing is lost.
    EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft(), 4321);
}

TEST_F(SaveQuestionTest, CloseAnsweredCancelKeepsTheWindowAndTheHostLoaded)
{
    Messages().planAnswer(QMessageBox::Cancel);
    EXPECT_FALSE(Window().close());
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(Messages().questions(), QStringList{Question(125)});
    EXPECT_TRUE(Host().loader().releasedNames().isEmpty());
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 1);
}

TEST_F(SaveQuestionTest, CloseAnsweredNoReleasesWithoutSaving)
{
    Messages().planAnswer(QMessageBox::No);
    PressButton("Quit");
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(Host().loader().releasedNames(), QStringList{"Korvel"});
    EXPECT_EQ(Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"), 3200);
    // Closing keeps the lock: it is released only by "Unlock" or by the host.
    EXPECT_EQ(Host().services().GetLockState("Korvel", "CMP01", StaffId), 2);
}

TEST_F(SaveQuestionTest, CloseAnsweredYesSavesAndReleases)
{
    Messages().planAnswer(QMessageBox::Yes);
    EXPECT_TRUE(Window().close());
    EXPECT_EQ(Messages().texts(), (QStringList{Question(125), LoadResString(126)}));
    EXPECT_EQ(Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"), 4321);
    EXPECT_EQ(Host().loader().releasedNames(), QStringList{"Korvel"});
}

TEST_F(WindowTest, CloseWithoutChangesAsksNothing)
{
    EXPECT_TRUE(Window().close());
    EXPECT_TRUE(Messages().texts().isEmpty());
    EXPECT_EQ(Host().loader().releasedNames(), QStringList{"Korvel"});
}

TEST_F(WindowTest, CloseAfterTheHostWentAwayStillCloses)
{
    // The host released its objects first (CloseMe): telling the loader fails and is ignored.
    m_session.reset();
    EXPECT_TRUE(Window().close());
    EXPECT_TRUE(Host().loader().releasedNames().isEmpty());
}

TEST_F(WindowTest, SplitterKeepsTheTreeAwayFromBothEdges)
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
    EXPECT_NEAR(Window().SplitterLeft(), 1000,
                TwipsPerPixel); // the bar stopped at the mouse, the tree did not
    EXPECT_EQ(handle.x() * TwipsPerPixel, 1500);
    EXPECT_EQ(Canvas().x(), qRound((1500 + 40) / TwipsPerPixel));

    dragHandleTo(300); // the bar itself stops 900 from the edge
    EXPECT_EQ(Window().SplitterLeft(), 900);

    dragHandleTo(4500);
    EXPECT_EQ(Window().TrvTree().width() * TwipsPerPixel, 4500);
    EXPECT_EQ(Canvas().x() + Canvas().width(), Window().width());

    const double outer = Window().frameGeometry().width() * TwipsPerPixel;
    dragHandleTo(outer - 100);
    EXPECT_EQ(Window().SplitterLeft(), outer - 900);
    EXPECT_EQ(Window().TrvTree().width() * TwipsPerPixel, outer - 1500);

    // Moving the mouse without pressing first moves nothing.
    const QRect before = bar.geometry();
    SendMove(&handle, QPoint(50, 5), Qt::NoButton);
    EXPECT_EQ(bar.geometry(), before);
}

TEST_F(WindowTest, ResizeLaysTheControlsOutAgain)
{
    Window().resize(700, 500);
    QCoreApplication::processEvents();
    QTreeWidget& tree = Window().TrvTree();
    const int toolbarBottom = Window().Toolbar1().geometry().bottom();
    EXPECT_GT(tree.y(), toolbarBottom);
    EXPECT_EQ(Canvas().y(), tree.y());
    EXPECT_EQ(Canvas().height(), tree.height());
    EXPECT_EQ(Canvas().x() + Canvas().width(), 700);
    EXPECT_NEAR(tree.y() + tree.height(), 500, 1);
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
    // The tree shows text and icons too: not one flat colour.
    const QRect treeRect(Window().TrvTree().mapTo(&Window(), QPoint(0, 0)), Window().TrvTree().size());
    QSet<QRgb> treeColours;
    for (int y = treeRect.top(); y < treeRect.bottom(); y += 2)
        for (int x = treeRect.left(); x < treeRect.right(); x += 2)
            treeColours.insert(shot.pixel(x, y));
    EXPECT_GT(treeColours.size(), 5);
    if (!qEnvironmentVariableIsEmpty("KORVEL_SCREENSHOT_DIR"))
        shot.save(qEnvironmentVariable("KORVEL_SCREENSHOT_DIR") + "/designer.png");
}

TEST_F(WindowTest, SharedInstanceFollowsTheWindowsLife)
{
    // The fixture's window registered itself as the shared instance.
    EXPECT_EQ(FrmMain::ExistingInstance(), &Window());
    EXPECT_EQ(&FrmMain::Instance(), &Window());
    m_window.reset();
    EXPECT_EQ(FrmMain::ExistingInstance(), nullptr);

    // Instance() creates one on demand; it deletes itself when closed.
    FrmMain& shared = FrmMain::Instance();
    EXPECT_EQ(FrmMain::ExistingInstance(), &shared);
    EXPECT_EQ(shared.WorkOrders().AllWOrder().Count(), 3);
    QPointer<FrmMain> guard(&shared);
    EXPECT_TRUE(shared.close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(FrmMain::ExistingInstance(), nullptr);
}

} // namespace
} // namespace korvel
