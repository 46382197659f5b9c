// The flow canvas: how a frame is drawn from the database, and moving steps with the mouse.

#include "tests/designer/designerfixture.h"

#include "resources/stringtable.h"

namespace korvel {
namespace {

using CanvasTest = DesignerTest;

// Every step with the figure and picture its handler or return step calls for, and every link
// between its two boxes in the colour of its condition, cut short on the canvas.
TEST_F(CanvasTest, DrawsStartEndEveryNodeAndEveryLink)
{
    // N00004 has both a return step and a handler: the return step decides.
    Db().exec("UPDATE Two_Node SET HandleBy_ID = 'bob' WHERE WorkOrderNode_ID = 'N00004'");
    Db().exec("UPDATE Two_Link SET VariantValue = '500 or a refund the manager approved' WHERE "
              "WorkOrderLink_ID = 'L4'");
    OpenWindow();
    EXPECT_EQ(CanvasNode("NBEGIN").Shape(), ShapeStart);
    EXPECT_EQ(CanvasNode("NEND").Shape(), ShapeEnd);
    const struct {
        const char *key, *picture;
        qint32 shape;
        const char* handler; // as the tool tip names it
    } nodes[] = {
        {"NN00001", "Group", ShapeGroup, "anyone in group G01"},
        {"NN00002", "Group", ShapeGroup, "several handlers: G02,alice|G02,bob|G05,carol"},
        {"NN00003", "By", ShapeHandler, "carol"},
        {"NN00004", "Return", ShapeReturn, "the handler of step N00001"},
    };
    ASSERT_EQ(Canvas().Nodes().size(), 6);
    for (const auto& e : nodes) {
        const FlowNodeItem& node = CanvasNode(e.key);
        EXPECT_EQ(node.Picture(), e.picture) << e.key;
        EXPECT_EQ(node.Shape(), e.shape) << e.key;
        EXPECT_TRUE(Canvas().ToolTipOf(node).endsWith(QStringLiteral("\nHandler: ") + e.handler)) << e.key;
    }
    const struct {
        const char *key, *from, *to;
        quint32 colour;
        const char* condition; // on the canvas, short
    } links[] = {
        {"LL1", "NBEGIN", "NN00001", LinkColorRed, ""},
        {"LL2", "NN00001", "NN00002", LinkColorRed, ""},
        {"LL3", "NN00002", "NN00003", LinkColorConditional, "[Compensation > 500]"},
        {"LL4", "NN00002", "NN00004", LinkColorConditional, "[Compensation <= 500 or \u2026]"},
        {"LL5", "NN00003", "NN00004", LinkColorRed, ""},
        {"LL6", "NN00004", "NEND", LinkColorRed, ""},
    };
    ASSERT_EQ(Canvas().Links().size(), 6);
    for (const auto& e : links) {
        const FlowLinkItem* link = Canvas().LinkByKey(e.key);
        ASSERT_NE(link, nullptr) << e.key;
        EXPECT_EQ(QStringList({link->Org()->Key(), link->Dst()->Key()}), QStringList({e.from, e.to})) << e.key;
        EXPECT_EQ(link->Color(), e.colour) << e.key;
        EXPECT_EQ(link->Condition(), QString::fromUtf8(e.condition)) << e.key;
    }
}

// Read-only, a drag moves nothing. Locked: Ctrl+click selects several steps (and Start); dragging
// one moves them all, recorded on release only, Start stays; saved, the places survive a restart.
TEST_F(CanvasTest, DraggedSelectionIsRecordedOnReleaseAndSurvivesSaveAndRestart)
{
    Drag(ViewportCentre(CanvasNode("NN00002")), QPoint(50, 50));
    EXPECT_EQ(CanvasNode("NN00002").pos(), QPointF(3200, 300));
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 0);

    OpenLocked("CMP01");
    FlowNodeItem& node = CanvasNode("NN00002");
    FlowNodeItem& other = CanvasNode("NN00001");
    const QPoint from = ViewportCentre(node);
    QTest::mouseClick(Canvas().viewport(), Qt::LeftButton, {}, ViewportCentre(other));
    QTest::mouseClick(Canvas().viewport(), Qt::LeftButton, Qt::ControlModifier, ViewportCentre(CanvasNode("NBEGIN")));
    QTest::mouseClick(Canvas().viewport(), Qt::LeftButton, Qt::ControlModifier, from);
    ASSERT_EQ(Canvas().SelectedNodes().size(), 3);
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
    EXPECT_GT(Canvas().LinkByKey("LL2")->shape().boundingRect().right(), 3800 - 200); // the links followed

    PressButton("Save");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(126)});
    OpenWindow();
    EXPECT_EQ(CanvasNode("NN00002").pos(), QPointF(3800, 600));
    EXPECT_EQ(CanvasNode("NN00001").pos(), QPointF(1600, 600));
}

} // namespace
} // namespace korvel
