// Steps copied and pasted through the real window: between frames under fresh IDs, and where the user works.

#include "tests/designer/undocanvasfixture.h"

#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <optional>

namespace korvel {
namespace {

class PasteTest : public UndoCanvasTest, public ::testing::WithParamInterface<TestDatabase::Kind> {
protected:
    TestDatabase::Kind DatabaseKind() const override { return GetParam(); }
};

TEST_P(PasteTest, FiveStepsPastedIntoAnotherFrameGetFreshIdsMappedLinksAndReturnSteps)
{
    // CMP01 gets a fifth step, returning to REP01's N00005, and two links more (6 between the five);
    // N00003 returns to BIL01's N00008, which the target does not have.
    Db().exec("INSERT INTO Two_Node (WorkOrderFrame_ID, WorkOrderNode_ID, WorkOrderNodeName, NodeTop, NodeLeft, "
              "ReturnOldStep, HandleGroup_ID) VALUES ('CMP01', 'N00020', 'Extra check', 1700, 3000, 'N00005', 'G01')");
    Db().exec("UPDATE Two_Node SET ReturnOldStep = 'N00008' WHERE WorkOrderNode_ID = 'N00003'");
    Db().exec("INSERT INTO Two_Link (WorkOrderFrame_ID, WorkOrderLink_ID, WorkOrderLinkName, SonNode_ID, "
              "FatherNode_ID, AlwaysOpen, AddinVariant, CompareType, VariantValue) VALUES "
              "('CMP01', 'L7', 'Extra', 'N00020', 'N00001', 0, '', '', ''), "
              "('CMP01', 'R2', 'Checked', 'N00003', 'N00020', 0, '', '', '')");
    OpenWindow();
    ClickFrame("CMP01"); // read-only: copying needs no lock
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(QApplication::clipboard()->mimeData()->hasFormat("application/x-korvel-steps"));
    EXPECT_FALSE(QApplication::clipboard()->mimeData()->imageData().value<QImage>().isNull());
    QHash<QString, NodeValues> original; // by name
    for (const auto& [id, node] : Frame("CMP01").AllNode().AllNode())
        original.insert(node->WorkOrderNodeName(), node->Values());

    OpenLocked("REP01");
    const qint64 statements = StatementMonitor::Count();
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(StatementMonitor::Count() - statements, 1); // one query for all five IDs
    EXPECT_EQ(Button("Undo")->text(), "Undo Paste 5 steps");
    PressButton("Save");

    OpenWindow();
    ClickFrame("REP01");           // still locked by this user
    QHash<QString, QString> oldID; // new ID -> old ID
    std::optional<QPoint> shift;   // of the pasted block, which keeps its shape
    for (const auto& [id, node] : Frame("REP01").AllNode().AllNode()) {
        if (!original.contains(node->WorkOrderNodeName()))
            continue;
        const NodeValues& was = original.value(node->WorkOrderNodeName());
        oldID.insert(id, was.WorkOrderNode_ID);
        const QPoint moved = QPoint(node->NodeLeft(), node->NodeTop()) - QPoint(was.Left, was.Top);
        EXPECT_EQ(moved, shift.value_or(moved));
        shift = moved;
        EXPECT_EQ(node->ExpiredHandleBy_ID(), was.ExpiredHandleBy_ID);
    }
    EXPECT_EQ(QSet<QString>(oldID.keyBegin(), oldID.keyEnd()),
              (QSet<QString>{"N00010", "N00011", "N00012", "N00013", "N00014"}));
    const auto step = [&](const char* old) { return Frame("REP01").AllNode().OneNode(oldID.key(old)); };
    EXPECT_EQ(oldID.value(step("N00004")->ReturnOldStepID()), "N00001"); // pasted along: follows
    EXPECT_EQ(step("N00020")->ReturnOldStepID(), "N00005");              // in the target: kept
    EXPECT_EQ(step("N00003")->ReturnOldStepID(), QString());             // elsewhere: emptied
    QStringList links;
    for (const auto& [code, link] : Frame("REP01").AllLink().AllLinks())
        if (oldID.contains(link->FatherNode_ID()))
            links << oldID.value(link->FatherNode_ID()) + ">" + oldID.value(link->SonNode_ID()) + " " +
                         link->WorkOrderLinkName();
    links.sort();
    EXPECT_EQ(links,
              (QStringList{"N00001>N00002 Registered", "N00001>N00020 Extra",
                           "N00002>N00003 Compensation over 500", "N00002>N00004 Compensation up to 500",
                           "N00003>N00004 Approved", "N00020>N00003 Checked"}));
    EXPECT_EQ(Frame("REP01").AllLink().AllLinks().Count(), 5 + 6); // R2 of the paste under a code of its own

    // A second and a third paste of the same steps each land on a free spot, not on an earlier paste.
    for (int i = 0; i < 2; ++i)
        Trigger("Paste");
    QSet<std::pair<int, int>> places;
    for (const auto& [id, node] : Frame("REP01").AllNode().AllNode())
        places.insert({node->NodeLeft(), node->NodeTop()});
    EXPECT_EQ(places.size(), Frame("REP01").AllNode().AllNode().Count());
}

INSTANTIATE_TEST_SUITE_P(Db, PasteTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

// A paste centres the copied block where the user works, the steps keeping their places among
// each other: on the mouse over the canvas, else on the middle of the view, or on a right click.
TEST_F(UndoCanvasTest, PasteLandsWhereTheUserWorks)
{
    OpenLocked("CMP01");
    Select({"NN00003", "NN00004"});
    Trigger("Copy");
    const QPointF apart = CanvasNode("NN00004").pos() - CanvasNode("NN00003").pos();
    QWidget* viewport = Canvas().viewport();
    const QPoint mouse(300, 200), click(150, 380);
    const struct {
        const char* name;
        std::function<void()> paste;
        QPoint at; // viewport pixels
    } pastes[] = {
        {"Ctrl+V, the mouse on the canvas", [&] { SendMove(viewport, mouse, Qt::NoButton); Key(Qt::Key_V, Qt::ControlModifier); }, mouse},
        {"Edit > Paste, the mouse gone", [&] {
             QEvent leave(QEvent::Leave);
             QApplication::sendEvent(viewport, &leave);
             Trigger("Paste");
         }, viewport->rect().center()},
        {"Paste here", [&] {
             QTest::mouseClick(viewport, Qt::RightButton, {}, click);
             EXPECT_FALSE(Window().MenuItem("Menu_Cut")->isVisible()); // the empty canvas
             Trigger("Menu_PasteHere");
             Window().MenuNode().hide();
         }, click},
    };
    for (const auto& paste : pastes) {
        SCOPED_TRACE(paste.name);
        const QPointF centre = Canvas().mapToScene(paste.at);
        paste.paste();
        const QList<FlowNodeItem*> pasted = Scene().SelectedNodes();
        ASSERT_EQ(pasted.size(), 2);
        EXPECT_EQ(pasted[1]->pos() - pasted[0]->pos(), apart);
        const QRectF block = pasted[0]->SceneBox().united(pasted[1]->SceneBox());
        EXPECT_NEAR(block.center().x(), centre.x(), 1);
        EXPECT_NEAR(block.center().y(), centre.y(), 1);
    }
    // On a step the popup offers the clipboard's commands, enabled as the Edit menu's.
    QTest::mouseClick(viewport, Qt::RightButton, {}, ViewportCentre(CanvasNode("NN00002")));
    EXPECT_TRUE(Window().MenuItem("Menu_Cut")->isVisible() && Window().MenuItem("Menu_Cut")->isEnabled());
    EXPECT_FALSE(Window().MenuItem("Menu_PasteHere")->isVisible());
    Window().MenuNode().hide();
}

} // namespace
} // namespace korvel
