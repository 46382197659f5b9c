// Editing on the canvas through the real window: undo and redo of every change, links drawn by
// dragging, moves by the mouse and the keys (pastes: paste_test.cpp).

#include "tests/designer/undocanvasfixture.h"

#include "canvas/flowoverview.h"
#include "dialogs/frmlink.h"
#include "dialogs/frmnode.h"
#include "dialogs/numerictextbox.h"
#include "resources/stringtable.h"

#include <QMenu>
#include <QRadioButton>

namespace korvel {
namespace {

struct UndoCase {
    const char* name;
    const char* undoText; // the Undo button's text after the change
    QStringList selected; // before the change
    std::function<void(UndoCanvasTest&)> change;
};

using Fixture = UndoCanvasTest&;
// clang-format off
const UndoCase UndoCases[] = {
    {"AddStepByDoubleClick", "Undo Add step “Double check”", {}, [](Fixture t) {
        t.PlanDialog<FrmNode>([](FrmNode& d) {
            Type(d.TxtID, "NW01"); Type(d.TxtName, "Double check"); d.CboPriority->SetKey("P3");
            d.CboUnit->SetKey("H"); Type(d.TxtLen, "2"); d.CboStaffGroup->SetKey("G02");
            QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        });
        QTest::mouseDClick(t.Canvas().viewport(), Qt::LeftButton, {}, t.Canvas().mapFromScene(QPointF(3000, 3000)));
        EXPECT_EQ(t.Current()->AllNode().OneNode("NW01")->NodeLeft(), 3000 - 700); // centred where clicked
    }},
    {"EditStep", "Undo Edit step “Look into it”", {"NN00002"}, [](Fixture t) {
        t.PlanDialog<FrmNode>([](FrmNode& d) { Type(d.TxtName, "Look into it"); QTest::mouseClick(d.CmdOK, Qt::LeftButton); });
        t.Trigger("Menu_EditNode");
    }},
    {"DeleteStepWithLinks", "Undo Delete step “Investigate”", {"NN00002"}, [](Fixture t) {
        t.Messages().planAnswer(QMessageBox::Yes);
        t.Trigger("Menu_Del");
    }},
    {"DeleteWhatIsDrawnSelected", "Undo Delete 2 steps and link Investigate → Reply to customer",
     {"NN00001", "NN00003", "LL4"}, [](Fixture t) { t.Messages().planAnswer(QMessageBox::Yes); t.Key(Qt::Key_Delete); }},
    {"AddLink", "Undo Add link Register complaint → Supervisor review", {}, [](Fixture t) {
        t.PlanDialog<FrmLink>([](FrmLink& d) {
            Type(d.TxtID, "LX"); Type(d.Txtdesc, "Shortcut"); d.CboParent->SetKey("N00001"); d.CboChild->SetKey("N00003");
            QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        });
        t.Trigger("Menu_AddLink");
    }},
    {"EditLink", "Undo Edit link Investigate → Reply to customer", {"LL4"}, [](Fixture t) {
        t.PlanDialog<FrmLink>([](FrmLink& d) { Click(d.OptAll); QTest::mouseClick(d.CmdOK, Qt::LeftButton); });
        t.Trigger("Menu_EditLink");
    }},
    {"MoveOneStep", "Undo Move step “Investigate”", {"NN00002"}, [](Fixture t) { t.Key(Qt::Key_Down); }},
    {"MoveThreeSteps", "Undo Move 3 steps", {"NN00001", "NN00002", "NN00003"}, [](Fixture t) { t.Key(Qt::Key_Down, Qt::ShiftModifier); }},
    {"PasteIntoTheSameFrame", "Undo Paste 2 steps", {"NN00003", "NN00004", "LL5"}, [](Fixture t) { t.Trigger("Copy"); t.Trigger("Paste"); }},
    {"CutSteps", "Undo Cut 2 steps", {"NN00003", "NN00004"}, [](Fixture t) { t.Trigger("Cut"); }},
    {"ArrangeAutomatically", "Undo Arrange automatically", {}, [](Fixture t) { t.Key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier); }},
    {"ArrangeSelectedSteps", "Undo Arrange selected steps", {"NN00002", "NN00004"}, [](Fixture t) { t.Trigger("ArrangeSelection"); }},
    {"AlignLeft", "Undo Align left", {"NN00001", "NN00002", "NN00003"}, [](Fixture t) {
        t.Trigger("AlignLeft");
        for (const char* id : {"N00002", "N00003"})
            EXPECT_EQ(t.Current()->AllNode().OneNode(id)->NodeLeft(), 1000) << id;
    }},
};
// clang-format on

class UndoTest : public UndoCanvasTest, public ::testing::WithParamInterface<UndoCase> {};

TEST_P(UndoTest, UndoGivesBackTheModelItsStatesAndTheCanvasAndRedoTheChange)
{
    OpenLocked("CMP01");
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    const std::string before = State();
    EXPECT_FALSE(Button("Undo")->isEnabled());
    Select(GetParam().selected);
    GetParam().change(*this);
    const std::string after = State();
    ASSERT_NE(after, before);
    EXPECT_TRUE(Window().isWindowModified());
    EXPECT_EQ(Button("Undo")->text(), QString::fromUtf8(GetParam().undoText));

    Window().activateWindow(); // a dialog may have had the focus
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    QCoreApplication::processEvents(); // keys come through the event loop
    QTest::keyClick(&Window(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(State(), before);
    EXPECT_FALSE(Window().isWindowModified()); // nothing left to save
    EXPECT_TRUE(Button("Redo")->isEnabled());

    QCoreApplication::processEvents();
    QTest::keyClick(&Window(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(State(), after);
    EXPECT_TRUE(Window().isWindowModified());

    // Saved, the history is gone.
    PressButton("Save");
    EXPECT_FALSE(Button("Undo")->isEnabled());
    EXPECT_FALSE(Button("Redo")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Commands, UndoTest, ::testing::ValuesIn(UndoCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UndoCanvasTest, ALinkDrawnOnTheCanvasOpensTheLinkDialogWithBothEndsUnlessTheRulesRefuse)
{
    OpenLocked("CMP01");
    SendMove(Canvas().viewport(), ViewportCentre(CanvasNode("NN00001")), Qt::NoButton); // the handles show
    const QPoint handle = Canvas().mapFromScene(Canvas().ConnectHandles(CanvasNode("NN00001")).first());
    SendMove(Canvas().viewport(), handle, Qt::NoButton);
    EXPECT_EQ(Canvas().viewport()->cursor().shape(), Qt::CrossCursor);

    // With the link tool (as from a handle: FlowView's test) a press anywhere on a step draws the link.
    PressButton("LinkTool");
    PlanDialog<FrmLink>([](FrmLink& d) {
        EXPECT_EQ(d.CboParent->SelectedKey(), "N00003");
        EXPECT_EQ(d.CboChild->SelectedKey(), "N00001");
        Type(d.Txtdesc, "Back to the start");
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    const QPoint from = ViewportCentre(CanvasNode("NN00003"));
    Drag(from, ViewportCentre(CanvasNode("NN00001")) - from);
    const FlowLinkItem* arrow = Scene().Links().constLast();
    EXPECT_EQ(arrow->Org()->Key(), "NN00003");
    EXPECT_EQ(arrow->Dst()->Key(), "NN00001");
    EXPECT_EQ(Current()->AllLink().OneLinks(arrow->Key().mid(1))->StateFlag(), StateNew);
    EXPECT_EQ(CanvasNode("NN00003").pos(), QPointF(5200, 1700));

    // A drop the link rules refuse says which rule, as a warning, and opens no dialog.
    const std::string drawn = State();
    const struct {
        const char *from, *to, *says;
    } drops[] = {
        {"NEND", "NN00001", "No link can leave End."},
        {"NN00001", "NBEGIN", "No link can lead into Start."},
        {"NN00001", "NN00001", "A step cannot be linked to itself."},
        {"NBEGIN", "NN00002", "A link already leaves Start: a flow has only one first step."},
        {"NN00004", "NEND", "“Reply to customer” already leads to End."},
        {"NN00003", "NN00002", "“Supervisor review” and “Investigate” are already linked."},
    };
    for (const auto& drop : drops) {
        SCOPED_TRACE(drop.says);
        const QPoint from = ViewportCentre(CanvasNode(drop.from));
        Drag(from, drop.from == std::string(drop.to) ? QPoint(30, 0) : ViewportCentre(CanvasNode(drop.to)) - from);
        EXPECT_EQ(Messages().warnings().value(Messages().warnings().size() - 1), QString::fromUtf8(drop.says));
    }
    EXPECT_EQ(Messages().warnings().size(), qsizetype(std::size(drops)));
    EXPECT_EQ(Modals().shown().size(), 1); // the link dialog above only
    EXPECT_EQ(State(), drawn);
}

TEST_F(UndoCanvasTest, KeysMoveEverySelectedStepByTheGridButNeverStartOrEnd)
{
    OpenLocked("CMP01");
    Select({"NN00001", "NN00002", "NN00003", "NBEGIN", "NEND"});
    const QPointF end = CanvasNode("NEND").pos();
    Key(Qt::Key_Right);
    Key(Qt::Key_Up, Qt::ShiftModifier); // stops at the top edge: the steps at 300 go up by 300 only
    const struct {
        const char* id;
        int left, top;
    } moved[] = {{"N00001", 1150, 0}, {"N00002", 3350, 0}, {"N00003", 5350, 1400}, {"N00004", 7400, 300}};
    for (const auto& m : moved) {
        SCOPED_TRACE(m.id);
        const cNode* node = Current()->AllNode().OneNode(m.id);
        EXPECT_EQ(QPoint(node->NodeLeft(), node->NodeTop()), QPoint(m.left, m.top));
        EXPECT_EQ(CanvasNode(QStringLiteral("N") + m.id).pos(), QPointF(m.left, m.top));
        EXPECT_EQ(node->StateFlag(), m.top == 300 ? StateUnchanged : StateModified);
    }
    EXPECT_EQ(CanvasNode("NBEGIN").pos(), QPointF(200, 400));
    EXPECT_EQ(CanvasNode("NEND").pos(), end);
    EXPECT_EQ(Button("Undo")->text(), "Undo Move 3 steps");
}

TEST_F(UndoCanvasTest, EachFrameKeepsItsHistoryUntilItsChangesAreDropped)
{
    OpenLocked("CMP01");
    Select({"NN00001"});
    Key(Qt::Key_Right);
    PressButton("Undo"); // nothing left to save, the move can be redone
    ClickFrame("REP01");
    EXPECT_TRUE(Messages().questions().isEmpty());
    ClickFrame("CMP01");
    PressButton("Redo");
    EXPECT_EQ(Current()->AllNode().OneNode("N00001")->NodeLeft(), 1150);

    // Leaving it with the changes dropped drops the history too.
    Messages().planAnswer(QMessageBox::No);
    ClickFrame("REP01");
    ClickFrame("CMP01");
    EXPECT_EQ(Current()->AllNode().OneNode("N00001")->NodeLeft(), 1000);
    EXPECT_FALSE(Button("Undo")->isEnabled());
    EXPECT_FALSE(Button("Redo")->isEnabled());

    // So does a reading of the frame with nothing to drop: a move undone, then Unlock and Lock.
    Select({"NN00001"});
    Key(Qt::Key_Right);
    PressButton("Undo");
    PressButton("Unlock");
    PressButton("Lock");
    EXPECT_FALSE(Button("Redo")->isEnabled());
}

using CanvasTest = DesignerTest;

// Read-only, a drag moves nothing. Locked: Ctrl+click selects several steps (and Start); dragging
// one moves them all, recorded on release only, Start stays.
TEST_F(CanvasTest, DraggedSelectionIsRecordedOnRelease)
{
    Drag(ViewportCentre(CanvasNode("NN00002")), QPoint(50, 50));
    EXPECT_EQ(CanvasNode("NN00002").pos(), QPointF(3200, 300));
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 0);

    OpenLocked("CMP01");
    FlowNodeItem& node = CanvasNode("NN00002");
    const QPoint from = ViewportCentre(node);
    QTest::mouseClick(Canvas().viewport(), Qt::LeftButton, {}, ViewportCentre(CanvasNode("NN00001")));
    QTest::mouseClick(Canvas().viewport(), Qt::LeftButton, Qt::ControlModifier,
                      ViewportCentre(CanvasNode("NBEGIN")));
    QTest::mouseClick(Canvas().viewport(), Qt::LeftButton, Qt::ControlModifier, from);
    ASSERT_EQ(Scene().SelectedNodes().size(), 3);
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 0); // clicks are no change
    Drag(from, QPoint(40, 20), false);
    EXPECT_EQ(node.Left(), 3200 + 40 * TwipsPerPixel);
    EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft(), 3200); // not before release
    QTest::mouseRelease(Canvas().viewport(), Qt::LeftButton, {}, from + QPoint(40, 20));
    const cNode* model = Frame("CMP01").AllNode().OneNode("N00002");
    EXPECT_EQ(QPoint(model->NodeLeft(), model->NodeTop()), QPoint(3800, 600));
    EXPECT_EQ(model->StateFlag(), StateModified);
    const cNode* otherModel = Frame("CMP01").AllNode().OneNode("N00001");
    EXPECT_EQ(QPoint(otherModel->NodeLeft(), otherModel->NodeTop()), QPoint(1600, 600));
    EXPECT_EQ(CanvasNode("NBEGIN").Top(), 400);
}

// The overview shows the whole flow with the canvas's visible area as a frame: it follows the zoom
// and the scene's growth, a press centres the canvas on the point and a drag moves it as held.
TEST_F(CanvasTest, TheOverviewFollowsTheCanvasAndMovesIt)
{
    Window().MenuBarAction("Overview")->trigger();
    FlowOverview& overview = *Window().View().Overview();
    ASSERT_TRUE(overview.isVisible());
    overview.resize(240, 160);
    const auto shownFrame = [&] {
        overview.repaint();
        const QRectF frame = overview.VisibleFrame();
        return QRectF(overview.ToScene(frame.topLeft()), overview.ToScene(frame.bottomRight()));
    };
    Canvas().ZoomToFit();
    EXPECT_TRUE(shownFrame().adjusted(-1, -1, 1, 1).contains(overview.SceneShown()));
    Canvas().setZoom(4);
    EXPECT_LT(shownFrame().width(), overview.SceneShown().width() / 2);

    const auto canvasCentre = [&] { return Canvas().mapToScene(Canvas().viewport()->rect().center()); };
    const QPointF origin = overview.ToScene(QPointF(0, 0));
    const double twipsPerDot = overview.ToScene(QPointF(1, 0)).x() - origin.x();
    const QPointF middle = (overview.SceneShown().center() - origin) / twipsPerDot; // a place the canvas can centre on
    QTest::mouseClick(&overview, Qt::LeftButton, {}, middle.toPoint());
    EXPECT_LT(QLineF(canvasCentre(), overview.ToScene(middle.toPoint())).length(), 2 * TwipsPerPixel);
    const QPointF held = overview.VisibleFrame().center() + QPointF(5, 3);
    const QPointF before = canvasCentre();
    QTest::mousePress(&overview, Qt::LeftButton, {}, held.toPoint());
    QTest::mouseMove(&overview, (held + QPointF(-20, 0)).toPoint());
    QTest::mouseRelease(&overview, Qt::LeftButton, {}, (held + QPointF(-20, 0)).toPoint());
    EXPECT_NEAR(canvasCentre().x(), before.x() - 20 * twipsPerDot, 2 * TwipsPerPixel);
    EXPECT_NEAR(canvasCentre().y(), before.y(), 2 * TwipsPerPixel);

    {
        FlowScene::BulkChange edit(Scene()); // as every edit of the flow is made
        CanvasNode("NN00002").setLeft(40000);
    }
    QCoreApplication::processEvents();
    overview.repaint();
    EXPECT_GT(overview.SceneShown().right(), 40000);
}

} // namespace
} // namespace korvel
