// The flow canvas: moving steps with the mouse.

#include "tests/designer/designerfixture.h"

#include "resources/stringtable.h"

namespace korvel {
namespace {

using CanvasTest = DesignerTest;

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
    QTest::mouseClick(Canvas().viewport(), Qt::LeftButton, Qt::ControlModifier,
                      ViewportCentre(CanvasNode("NBEGIN")));
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
