// The flow canvas: how a frame is drawn, when it is redrawn, moving nodes with the mouse, the popup
// menu, and the canvas's own collection rules.

#include "tests/designer/designerfixture.h"

#include "core/korvelerror.h"
#include "resources/stringtable.h"

#include <QHelpEvent>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QScrollBar>
#include <QToolTip>
#include <functional>
#include <tuple>

namespace korvel {
namespace {

using CanvasTest = DesignerTest;

QStringList NodeKeys(const FlowCanvas& canvas)
{
    QStringList keys;
    for (const FlowNodeItem* node : canvas.Nodes())
        keys << node->Key();
    return keys;
}

TEST_F(CanvasTest, DrawsStartEndEveryNodeAndEveryLink)
{
    // N00004 has both a return step and a handler: the return step decides.
    Db().exec("UPDATE Two_Node SET HandleBy_ID = 'bob' WHERE WorkOrderNode_ID = 'N00004'");
    // A long condition is cut short on the canvas.
    Db().exec("UPDATE Two_Link SET VariantValue = '500 or a refund the manager approved' WHERE "
              "WorkOrderLink_ID = 'L4'");
    OpenWindow();
    ASSERT_EQ(Canvas().Tag(), QStringLiteral("CMP01"));
    EXPECT_EQ(NodeKeys(Canvas()),
              (QStringList{"NBEGIN", "NEND", "NN00001", "NN00002", "NN00003", "NN00004"}));

    const FlowNodeItem& start = CanvasNode("NBEGIN");
    EXPECT_EQ(start.Shape(), ShapeStart);
    EXPECT_EQ(start.Text(), LoadResString(81));
    EXPECT_EQ(start.Picture(), QString());
    EXPECT_EQ((QRectF(start.Left(), start.Top(), start.Width(), start.Height())), QRectF(200, 400, 500, 400));
    const FlowNodeItem& end = CanvasNode("NEND");
    EXPECT_EQ(end.Shape(), ShapeEnd);
    EXPECT_EQ(end.Text(), LoadResString(80));
    EXPECT_EQ((QRectF(end.Left(), end.Top(), end.Width(), end.Height())),
              QRectF(Canvas().WidthTwips() - 1100, 400, 500, 400));

    struct Expected {
        const char* key;
        double left, top;
        const char* text;
        const char* picture;
        qint32 shape;
        const char* handler; // as the tool tip names it
    };
    const Expected nodes[] = {
        {"NN00001", 1000, 300, "Register complaint", "Group", ShapeGroup, "anyone in group G01"},
        {"NN00002", 3200, 300, "Investigate", "Group", ShapeGroup, "several handlers: G02,alice|G02,bob|G05,carol"},
        {"NN00003", 5200, 1700, "Supervisor review", "By", ShapeHandler, "carol"},
        {"NN00004", 7400, 300, "Reply to customer", "Return", ShapeReturn, "the handler of step N00001"},
    };
    for (const Expected& e : nodes) {
        SCOPED_TRACE(e.key);
        const FlowNodeItem& node = CanvasNode(e.key);
        EXPECT_EQ(node.Left(), e.left);
        EXPECT_EQ(node.Top(), e.top);
        EXPECT_EQ(node.Width(), 1400);
        EXPECT_EQ(node.Height(), 650);
        EXPECT_EQ(node.Text(), QString::fromUtf8(e.text));
        EXPECT_EQ(node.Picture(), QString::fromLatin1(e.picture));
        EXPECT_EQ(node.Shape(), e.shape);
        EXPECT_EQ(Canvas().ToolTipOf(node), QStringLiteral("ID: %1\nName: %2\nHandler: %3")
                                      .arg(QString::fromLatin1(e.key).mid(1), QString::fromUtf8(e.text),
                                           QString::fromUtf8(e.handler)));
    }

    struct ExpectedLink {
        const char* key;
        const char* from;
        const char* to;
        quint32 colour;
        const char* text;
        const char* condition; // on the canvas, short
        const char* tip;
    };
    const ExpectedLink links[] = {
        {"LL1", "NBEGIN", "NN00001", LinkColorRed, "New complaint", "", "Code: L1\nAlways open"},
        {"LL2", "NN00001", "NN00002", LinkColorRed, "Registered", "", "Code: L2\nAlways open"},
        {"LL3", "NN00002", "NN00003", LinkColorConditional, "Compensation over 500", "[Compensation > 500]",
         "Code: L3\nCondition: Compensation > 500"},
        {"LL4", "NN00002", "NN00004", LinkColorConditional, "Compensation up to 500", "[Compensation <= 500 or \u2026]",
         "Code: L4\nCondition: Compensation <= 500 or a refund the manager approved"},
        {"LL5", "NN00003", "NN00004", LinkColorRed, "Approved", "", "Code: L5\nAlways open"},
        {"LL6", "NN00004", "NEND", LinkColorRed, "Customer informed", "", "Code: L6\nAlways open"},
    };
    ASSERT_EQ(Canvas().Links().size(), 6);
    for (const ExpectedLink& e : links) {
        SCOPED_TRACE(e.key);
        const FlowLinkItem* link = Canvas().LinkByKey(e.key);
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->Org()->Key(), QString::fromLatin1(e.from));
        EXPECT_EQ(link->Dst()->Key(), QString::fromLatin1(e.to));
        EXPECT_EQ(link->Color(), e.colour);
        EXPECT_EQ(link->Text(), QString::fromLatin1(e.text));
        EXPECT_EQ(link->Condition(), QString::fromUtf8(e.condition));
        EXPECT_EQ(Canvas().ToolTipOf(*link), QString::fromUtf8(e.tip));
    }
}

TEST_F(CanvasTest, ArrowsMeetTheOutlines)
{
    // L2 runs horizontally from N00001 (1000..2400) to N00002 (3200..4600), both 300..950 high.
    const FlowLinkItem* link = Canvas().LinkByKey("LL2");
    ASSERT_NE(link, nullptr);
    const QRectF box = link->shape().boundingRect();
    EXPECT_NEAR(box.center().x(), 2800, 150);
    EXPECT_LT(box.left(), 2400 + 10);
    EXPECT_GT(box.left(), 2400 - 200);
    EXPECT_GT(box.right(), 3200 - 10);
    EXPECT_LT(box.right(), 3200 + 200);
    EXPECT_EQ(ColourFromValue(0x00ff0000), QColor(0, 0, 255)); // blue-green-red order
}

TEST_F(CanvasTest, TheDrawnFrameIsNotRedrawnWhenClickedAgain)
{
    FlowNodeItem& node = CanvasNode("NN00002");
    node.setLeft(4000); // arranged by hand on the canvas
    ClickFrame("CMP01");
    EXPECT_EQ(Canvas().NodeByKey("NN00002"), &node);
    EXPECT_EQ(node.Left(), 4000);

    // Another frame, then back: drawn afresh from the model.
    ClickFrame("BIL01");
    EXPECT_EQ(NodeKeys(Canvas()), (QStringList{"NBEGIN", "NEND", "NN00008", "NN00009"}));
    ClickFrame("CMP01");
    EXPECT_EQ(CanvasNode("NN00002").Left(), 3200);
    EXPECT_TRUE(Messages().texts().isEmpty());
}

// Deleted but unsaved items, and links to nodes that do not exist, are left out of the drawing.
TEST_F(CanvasTest, DeletedItemsAndDanglingLinksAreNotDrawn)
{
    Db().exec("INSERT INTO Two_Link (WorkOrderFrame_ID, WorkOrderLink_ID, WorkOrderLinkName, SonNode_ID, "
              "FatherNode_ID, AlwaysOpen, AddinVariant, CompareType, VariantValue) VALUES "
              "('BIL01', 'B0', 'Dangling', 'N00008', 'GONE', 0, '', '', '')");
    OpenWindow();
    ClickFrame("BIL01");
    EXPECT_EQ(Canvas().Tag(), QStringLiteral("BIL01"));
    EXPECT_EQ(Canvas().LinkByKey("LB0"), nullptr);
    EXPECT_EQ(Canvas().Links().size(), 4);
    EXPECT_TRUE(Messages().texts().isEmpty());

    OpenLocked("CMP01");
    cWorder& frame = Frame("CMP01");
    frame.AllLink().DelLinkForNode("N00003");
    frame.AllNode().DelNode("N00003");
    frame.AllLink().DelMe("L2");
    Canvas().setTag(QString());
    Window().DrawWorkOrder();
    EXPECT_EQ(Canvas().NodeByKey("NN00003"), nullptr);
    for (const char* key : {"LL2", "LL3", "LL5"})
        EXPECT_EQ(Canvas().LinkByKey(key), nullptr) << key;
    EXPECT_EQ(Canvas().Links().size(), 3);
    EXPECT_EQ(Canvas().Nodes().size(), 5);
}

// Ctrl+click selects several steps (and Start); dragging one moves them all, and every moved step
// is recorded, while Start stays.
TEST_F(CanvasTest, DraggedSelectionIsRecordedOnReleaseAndSurvivesSaveAndRestart)
{
    OpenLocked("CMP01");
    FlowNodeItem& node = CanvasNode("NN00002");
    FlowNodeItem& other = CanvasNode("NN00001");
    const QPointF otherAt = other.pos();
    const QPoint from = ViewportCentre(node);
    QTest::mouseClick(Canvas().viewport(), Qt::LeftButton, {}, ViewportCentre(other));
    QTest::mouseClick(Canvas().viewport(), Qt::LeftButton, Qt::ControlModifier,
                      ViewportCentre(CanvasNode("NBEGIN")));
    QTest::mouseClick(Canvas().viewport(), Qt::LeftButton, Qt::ControlModifier, from);
    ASSERT_EQ(Canvas().SelectedNodes().size(), 3);
    Drag(from, QPoint(40, 20), false);
    EXPECT_EQ(node.Left(), 3200 + 40 * TwipsPerPixel);
    EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft(), 3200); // not before release
    QTest::mouseRelease(Canvas().viewport(), Qt::LeftButton, {}, from + QPoint(40, 20));
    cNode* model = Frame("CMP01").AllNode().OneNode("N00002");
    EXPECT_EQ(model->NodeLeft(), 3800);
    EXPECT_EQ(model->NodeTop(), 600);
    EXPECT_EQ(model->StateFlag(), StateModified);
    const QPoint otherStored(qRound(otherAt.x()) + 600, qRound(otherAt.y()) + 300);
    EXPECT_EQ(QPoint(Frame("CMP01").AllNode().OneNode("N00001")->NodeLeft(),
                     Frame("CMP01").AllNode().OneNode("N00001")->NodeTop()),
              otherStored);
    EXPECT_EQ(CanvasNode("NBEGIN").Top(), 400);
    // The links followed the node.
    EXPECT_GT(Canvas().LinkByKey("LL2")->shape().boundingRect().right(), 3800 - 200);

    PressButton("Save");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(126)});
    EXPECT_EQ(Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"), 3800);
    EXPECT_EQ(Count("SELECT NodeTop FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"), 600);

    OpenWindow();
    EXPECT_EQ(CanvasNode("NN00002").Left(), 3800);
    EXPECT_EQ(CanvasNode("NN00002").Top(), 600);
    EXPECT_EQ(CanvasNode("NN00001").pos(), QPointF(otherStored));
}

TEST_F(CanvasTest, AClickWithoutMovingChangesNothing)
{
    OpenLocked("CMP01");
    const QPoint at = ViewportCentre(CanvasNode("NN00001"));
    QTest::mouseClick(Canvas().viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(Canvas().SelectedNode(), Canvas().NodeByKey("NN00001"));
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 0);
    // A move that ends where it began is no change either.
    Drag(at, QPoint(30, 0), false);
    SendMove(Canvas().viewport(), at, Qt::LeftButton);
    QTest::mouseRelease(Canvas().viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 0);
}

TEST_F(CanvasTest, StartAndEndNeverMove)
{
    OpenLocked("CMP01");
    const double endLeft = CanvasNode("NEND").Left();
    Drag(ViewportCentre(CanvasNode("NBEGIN")), QPoint(0, 60));
    Drag(ViewportCentre(CanvasNode("NEND")), QPoint(-30, 60));
    EXPECT_EQ(CanvasNode("NBEGIN").Top(), 400);
    EXPECT_EQ(CanvasNode("NEND").Left(), endLeft);
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 0);
}

TEST_F(CanvasTest, ReadOnlyCanvasMovesNothingAndOffersNoCommands)
{
    ASSERT_FALSE(Canvas().EditMode());
    FlowNodeItem& node = CanvasNode("NN00002");
    Drag(ViewportCentre(node), QPoint(50, 50));
    EXPECT_EQ(node.Left(), 3200);
    EXPECT_EQ(node.Top(), 300);
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 0);
    EXPECT_EQ(Canvas().SelectedNode(), &node); // still selectable

    QTest::mouseClick(Canvas().viewport(), Qt::RightButton, {}, ViewportCentre(node));
    EXPECT_FALSE(Window().MenuNode().isVisible());
    QTest::mouseDClick(Canvas().viewport(), Qt::LeftButton, {}, ViewportCentre(node));
    EXPECT_TRUE(Modals().shown().isEmpty());
}

TEST_F(CanvasTest, PopupMenuFollowsTheSelection)
{
    QMenu& menu = Window().MenuNode();
    OpenLocked("CMP01");
    const auto rightClickAt = [&](QPoint at) {
        QTest::mouseClick(Canvas().viewport(), Qt::RightButton, {}, at);
        EXPECT_TRUE(menu.isVisible());
        const auto enabled = [&](const char* name) { return Window().MenuItem(name)->isEnabled(); };
        QList<bool> state{enabled("Menu_AddNode"), enabled("Menu_EditNode"), enabled("Menu_Del"),
                          enabled("Menu_AddLink"), enabled("Menu_EditLink"), enabled("Menu_DelLink")};
        menu.hide();
        return state;
    };
    // On a node: the right button selects it; node items on, link items off.
    EXPECT_EQ(rightClickAt(ViewportCentre(CanvasNode("NN00003"))),
              (QList<bool>{true, true, true, true, false, false}));
    EXPECT_EQ(Canvas().SelectedNode(), Canvas().NodeByKey("NN00003"));
    // On a link's caption: link items on.
    const FlowLinkItem* link = Canvas().LinkByKey("LL5");
    const QPoint onLink = Canvas().mapFromScene(link->shape().boundingRect().center());
    EXPECT_EQ(rightClickAt(onLink), (QList<bool>{true, false, false, true, true, true}));
    EXPECT_EQ(Canvas().SelectedLink(), link);
    // On empty canvas: only the add items.
    EXPECT_EQ(rightClickAt(QPoint(Canvas().viewport()->width() - 5, Canvas().viewport()->height() - 5)),
              (QList<bool>{true, false, false, true, false, false}));
    EXPECT_EQ(Canvas().SelectedNode(), nullptr);
    EXPECT_EQ(Canvas().SelectedLink(), nullptr);
}

TEST_F(CanvasTest, NodeCollectionRemovalTakesTheLinksAlong)
{
    FlowCanvas& canvas = Canvas();
    const int index = CanvasNode("NN00002").Index();
    canvas.RemoveNode(index);
    EXPECT_EQ(canvas.NodeByKey("NN00002"), nullptr);
    for (const char* key : {"LL2", "LL3", "LL4"})
        EXPECT_EQ(canvas.LinkByKey(key), nullptr) << key;
    EXPECT_EQ(canvas.Links().size(), 3);
    EXPECT_EQ(CanvasNode("NN00003").Index(), index); // later nodes move up
    EXPECT_THROW(canvas.RemoveNode(99), KorvelError);

    // Deleting the selected link leaves its nodes.
    canvas.SelectItem(canvas.LinkByKey("LL5"));
    canvas.DeleteSelectedItems();
    EXPECT_EQ(canvas.LinkByKey("LL5"), nullptr);
    EXPECT_NE(canvas.NodeByKey("NN00004"), nullptr);

    canvas.RemoveAllNodes();
    EXPECT_TRUE(canvas.Nodes().isEmpty());
    EXPECT_TRUE(canvas.Links().isEmpty());
    EXPECT_TRUE(canvas.scene()->items().isEmpty());
}

TEST_F(CanvasTest, EditSwitchGovernsMovingAndLargeFlowsScroll)
{
    FlowCanvas& canvas = Canvas();
    canvas.setEditMode(true);
    EXPECT_TRUE(CanvasNode("NN00001").flags() & QGraphicsItem::ItemIsMovable);
    FlowNodeItem* far = canvas.AddNode(60000, 40000, 1400, 650);
    EXPECT_TRUE(far->flags() & QGraphicsItem::ItemIsMovable);
    canvas.setEditMode(false);
    EXPECT_FALSE(far->flags() & QGraphicsItem::ItemIsMovable);

    QCoreApplication::processEvents();
    EXPECT_GT(canvas.horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(canvas.verticalScrollBar()->maximum(), 0);
    // The scene follows the items only, never the view's size (which the scroll bars change).
    const QRectF scene = canvas.scene()->sceneRect();
    EXPECT_EQ(scene.topLeft(), QPointF(0, 0));
    Window().resize(Window().width() + 37, Window().height() - 23);
    QCoreApplication::processEvents();
    EXPECT_EQ(canvas.scene()->sceneRect(), scene);
    delete far;
    canvas.RemoveNode(0); // nothing left of the flow beyond the view
    QCoreApplication::processEvents();
    EXPECT_EQ(canvas.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(canvas.verticalScrollBar()->maximum(), 0);
}

// Items keep their captions laid out between paints: a changed text must still show, and zoomed
// far out nothing but plain figures is drawn, whatever the text.
TEST_F(CanvasTest, CachedCaptionsFollowChangesAndFarOutDrawsPlain)
{
    // Drawn from where the item's box began at first, as a longer caption widens the box.
    QPointF origin;
    const auto draw = [&origin](QGraphicsItem& item, double zoom) {
        QImage image(400, 300, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(zoom / TwipsPerPixel, zoom / TwipsPerPixel);
        painter.translate(-origin);
        const QStyleOptionGraphicsItem option;
        item.paint(&painter, &option, nullptr);
        return image;
    };
    FlowNodeItem& node = CanvasNode("NN00001");
    FlowLinkItem* link = Canvas().LinkByKey("LL2");
    ASSERT_NE(link, nullptr);
    for (const auto& [item, setText, text] :
         {std::tuple<QGraphicsItem*, std::function<void(const QString&)>, QString>{
              &node, [&](const QString& t) { node.setText(t); }, node.Text()},
          {link, [&](const QString& t) { link->setText(t); }, link->Text()}}) {
        origin = item->boundingRect().topLeft();
        const QImage shown = draw(*item, 1);
        const QImage farOut = draw(*item, 0.25);
        setText(QStringLiteral("Quite another caption"));
        EXPECT_NE(draw(*item, 1), shown);
        EXPECT_EQ(draw(*item, 0.25), farOut);
        setText(text);
        EXPECT_EQ(draw(*item, 1), shown);
    }
}

} // namespace
} // namespace korvel
