// The flow canvas without the designer: the scene's collections and key index with no window, and
// a view moving steps with the mouse.

#include "canvas/boxindex.h"
#include "canvas/comparisonlayer.h"
#include "canvas/comparisonmark.h"
#include "canvas/flowview.h"
#include "canvas/frameitems.h"
#include "canvas/framepicture.h"
#include "canvas/pathlayer.h"
#include "canvas/sceneoverlaps.h"
#include "canvas/scenepicture.h"
#include "canvas/stepspicture.h"
#include "model/coordinates.h"
#include "model/cworder.h"
#include "model/flowlayout.h"
#include "model/pathwalk.h"
#include "tests/support/generatedflow.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QApplication>
#include <QBuffer>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSvgGenerator>
#include <QSvgRenderer>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace korvel {
namespace {

// Keys follow renames, the first of two with one key is found, a node goes with its links, and
// Start is left out of "select all".
TEST(FlowSceneTest, FindsItemsByKeyAndRemovesNodesWithTheirLinks)
{
    FlowScene scene;
    scene.AddNode(0, 0, 500, 400)->setShape(ShapeStart);
    FlowNodeItem* a = scene.AddNode(1000, 0, 1400, 650);
    FlowNodeItem* b = scene.AddNode(3000, 0, 1400, 650);
    a->setKey(QStringLiteral("NA"));
    b->setKey(QStringLiteral("NA"));
    a->AddLink(b)->setKey(QStringLiteral("L1"));
    EXPECT_EQ(scene.NodeByKey(QStringLiteral("NA")), a);
    a->setKey(QStringLiteral("NB"));
    EXPECT_EQ(scene.NodeByKey(QStringLiteral("NA")), b);
    EXPECT_EQ(scene.NodeByKey(QStringLiteral("NB")), a);
    QSignalSpy announced(&scene, &QGraphicsScene::selectionChanged);
    scene.SelectAllSteps();
    EXPECT_EQ(announced.count(), 1);
    EXPECT_EQ(scene.SelectedNodes(), (QList<FlowNodeItem*>{a, b}));
    EXPECT_EQ(scene.SelectedStepCount(), 2);
    EXPECT_EQ(scene.SelectedLinkCount(), 1);
    scene.RemoveNode(a->Index());
    EXPECT_EQ(scene.NodeByKey(QStringLiteral("NB")), nullptr);
    EXPECT_EQ(scene.LinkByKey(QStringLiteral("L1")), nullptr);
    EXPECT_TRUE(scene.Links().isEmpty());
    EXPECT_EQ(scene.SelectedNodes(), (QList<FlowNodeItem*>{b}));
    EXPECT_EQ(scene.SelectedStepCount(), 1);
    EXPECT_EQ(scene.SelectedLinkCount(), 0);
    EXPECT_EQ(scene.SelectedLink(), nullptr);
    b->setSelected(false);
    EXPECT_EQ(scene.SelectedNode(), nullptr);
    EXPECT_EQ(scene.SelectedStepCount(), 0);
}

// The picture of copied steps is drawn at the zoom asked for, and smaller when that would be too
// large: two steps at the far ends of the range are not one gigantic image.
TEST(StepsPictureTest, IsDrawnAtTheZoomUnlessTooLarge)
{
    NodeValues near, far;
    near.WorkOrderNode_ID = QStringLiteral("N00001");
    far.WorkOrderNode_ID = QStringLiteral("N00002");
    far.Left = 3000;
    const QImage small = StepsPicture({near, far}, {}, 1.0);
    EXPECT_NEAR(small.width(), (3000 + 1400) / TwipsPerPixel, 10);
    EXPECT_NEAR(StepsPicture({near, far}, {}, 2.0).width(), 2 * small.width(), 1);
    far.Left = far.Top = CoordinateLimit;
    const QImage large = StepsPicture({near, far}, {}, 2.0);
    EXPECT_FALSE(large.isNull());
    EXPECT_LE(qint64(large.width()) * large.height(), MaxCopiedPicturePixels);
    EXPECT_GT(qint64(large.width()) * large.height(), MaxCopiedPicturePixels * 9 / 10);
}

// A mouse drag moves the selection as one within 0 … CoordinateLimit; a step read from outside
// stays where it is on that axis, and no move takes it further out.
TEST(FlowViewTest, MouseDragKeepsStepsInTheirRange)
{
    const struct {
        QList<QPointF> places; // the first is dragged, all are selected
        QPoint by;             // pixels
        QList<QPointF> after;
    } cases[] = {
        {{{-500, 300}}, {0, 40}, {{-500, 900}}},
        {{{300, 300}}, {-100, 0}, {{0, 300}}},
        {{{-500, 300}, {3000, 300}}, {-100, -100}, {{-500, 0}, {3000, 0}}},
        {{{CoordinateLimit - 1000.0, 300}}, {100, 0}, {{CoordinateLimit, 300}}},
    };
    for (const auto& c : cases) {
        FlowView view;
        view.Scene().setEditMode(true);
        QList<FlowNodeItem*> nodes;
        for (const QPointF& place : c.places) {
            nodes << view.Scene().AddNode(place.x(), place.y(), 1400, 650);
            nodes.last()->setSelected(true);
        }
        // Links follow: one to a step that stays, one between two that move.
        FlowNodeItem* still = view.Scene().AddNode(6000, 3000, 1400, 650);
        QList<FlowLinkItem*> links{nodes.first()->AddLink(still), nodes.last()->AddLink(nodes.first())};
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.centerOn(nodes.first());
        const QPoint from = view.mapFromScene(nodes.first()->Centre());
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(view.viewport(), from + c.by);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, from + c.by);
        for (qsizetype i = 0; i < nodes.size(); ++i)
            EXPECT_EQ(nodes[i]->pos(), c.after[i]) << "step " << i << " from " << c.places[i].x();
        for (FlowLinkItem* link : links)
            EXPECT_EQ(link->boundingRect(), link->Org()->AddLink(link->Dst())->boundingRect())
                << "a link laid out anew lies elsewhere, from " << c.places.first().x();
    }
}

// A mouse move with buttons held, delivered straight to the view.
void SendMove(QWidget* viewport, QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = {})
{
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(viewport->mapToGlobal(pos)), Qt::NoButton, buttons,
                     modifiers);
    QApplication::sendEvent(viewport, &move);
}

// What is drawn selected is what the band encloses wholly (a link by its line) or what was clicked,
// however near its border; a step the mouse rests on shows its handles (End none), and a drag from
// one, and only from one, asks for a link.
TEST(FlowViewTest, BandSelectsWhatItEnclosesAndLinksStartOnlyAtHandles)
{
    FlowView view;
    view.Scene().setEditMode(true);
    view.resize(600, 400);
    QList<FlowNodeItem*> n; // a, b, c, End
    for (const auto& [key, x, y] : {std::tuple{"NA", 1500, 1500}, {"NB", 4500, 1500}, {"NC", 4500, 4500}, {"NEND", 7000, 1500}}) {
        n << view.Scene().AddNode(x, y, 1400, 650);
        n.last()->setKey(QLatin1String(key));
    }
    n[3]->setShape(ShapeEnd);
    FlowLinkItem* ab = n[0]->AddLink(n[1]);
    n[0]->AddLink(n[2]);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QSignalSpy asked(&view, &FlowView::ConnectRequested);
    QWidget* viewport = view.viewport();
    const auto at = [&](QPointF scene) { return view.mapFromScene(scene); };
    const auto drag = [&](QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(viewport, Qt::LeftButton, modifiers, from);
        for (int i = 1; i <= 4; ++i)
            SendMove(viewport, from + (to - from) * i / 4, Qt::LeftButton, modifiers);
        QTest::mouseRelease(viewport, Qt::LeftButton, modifiers, to);
    };
    const struct {
        const char* name;
        std::function<void()> act;
        QList<QGraphicsItem*> selected;
        int asked;
    } rows[] = {
        {"band around a, b and their link", [&] { drag(at({1200, 1200}), at({6200, 2400})); }, {n[0], n[1], ab}, 0},
        {"band across the links only", [&] { drag(at({3200, 1200}), at({3600, 5500})); }, {}, 0},
        {"Ctrl band adds c", [&] { n[0]->setSelected(true); drag(at({4300, 4300}), at({6200, 5500}), Qt::ControlModifier); },
         {n[0], n[2]}, 0},
        {"press just inside a's border", [&] {
             n[1]->setSelected(true);
             SendMove(viewport, at(n[0]->Centre()), Qt::NoButton);
             QTest::mouseClick(viewport, Qt::LeftButton, {}, at({1530, 1530}));
         }, {n[0]}, 0},
        {"drag from a's handle onto b", [&] {
             SendMove(viewport, at(n[3]->Centre()), Qt::NoButton);
             EXPECT_EQ(view.HandleNode(), nullptr);
             const QPoint handle = at(view.ConnectHandles(*n[0]).first());
             const QRgb bare = viewport->grab().toImage().pixel(handle);
             SendMove(viewport, at(n[0]->Centre()), Qt::NoButton);
             EXPECT_NE(viewport->grab().toImage().pixel(handle), bare); // the handle is drawn
             drag(handle, at(n[1]->Centre()));
         }, {}, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        view.Scene().SelectItem(nullptr);
        asked.clear();
        row.act();
        const QList<QGraphicsItem*> selected = view.Scene().selectedItems();
        EXPECT_EQ(QSet<QGraphicsItem*>(selected.cbegin(), selected.cend()),
                  QSet<QGraphicsItem*>(row.selected.cbegin(), row.selected.cend()));
        EXPECT_EQ(asked.count(), row.asked);
    }
    EXPECT_EQ(asked.value(0), (QVariantList{QStringLiteral("NA"), QStringLiteral("NB")}));
    EXPECT_EQ(n[0]->pos(), QPointF(1500, 1500)); // nothing moved
}

// The largest difference of a channel between two pictures (256 when their sizes differ).
int largestDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 256;
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))});
        }
    return largest;
}

QImage drawnSvg(const QByteArray& svg, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    QSvgRenderer(svg).render(&painter);
    return image;
}

// A PNG drawn in bands (37 rows, the last one shorter) is the picture drawn whole (antialiased
// edges within two levels); an SVG defines
// each step picture once, every step refers to one, and it draws what the generator alone drew;
// a device that takes no bytes fails both.
TEST(ScenePictureTest, BandsAndSharedPicturesDrawTheSameFlow)
{
    FlowScene scene;
    FlowNodeItem* previous = scene.AddNode(0, 0, 500, 400);
    previous->setShape(ShapeStart);
    for (int step = 0; step < 12; ++step) {
        FlowNodeItem* node = scene.AddNode(1000 + step % 3 * 2000, step * 800, 1400, 650);
        SetNodeAppearance(*node, step % 3 == 2 ? QStringLiteral("N1") : QString(),
                          step % 3 == 1 ? QStringLiteral("S1") : QString());
        node->setText(QStringLiteral("Step %1 <&\"> with a longer name").arg(step));
        previous->AddLink(node)->setKey(QStringLiteral("L%1").arg(step));
        previous = node;
    }
    const QRectF source = scene.itemsBoundingRect().adjusted(-300, -300, 300, 300);
    const QSize size = (source.size() / 15).toSize();
    QImage whole(size, QImage::Format_ARGB32_Premultiplied);
    whole.fill(Qt::white);
    QBuffer generated;
    {
        QPainter painter(&whole);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), source);
        QSvgGenerator svg;
        svg.setOutputDevice(&generated);
        svg.setSize(size);
        svg.setViewBox(QRectF(QPointF(0, 0), QSizeF(size)));
        QPainter onSvg(&svg);
        scene.render(&onSvg, QRectF(QPointF(0, 0), QSizeF(size)), source);
    }
    QBuffer png, svg;
    ASSERT_TRUE(png.open(QIODevice::WriteOnly) && svg.open(QIODevice::WriteOnly) && size.height() > 3 * 37);
    ASSERT_TRUE(WriteScenePng(scene, source, size, png, 37));
    EXPECT_LE(largestDifference(QImage::fromData(png.data(), "PNG"), whole), 2);

    ASSERT_TRUE(WriteSceneSvg(scene, source, size, QStringLiteral("Flow"), svg));
    const QString text = QString::fromUtf8(svg.data());
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("<g id=\"korvel-picture-[012]\">"))), 3);
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("<use class=\"s\\d+\" xlink:href=\"#korvel-picture-"))), 12);
    // Texts take their font from a class, in a profile that has style sheets.
    EXPECT_FALSE(text.contains(QStringLiteral("font-family=\"")));
    EXPECT_TRUE(text.contains(QStringLiteral("<svg ")) && !text.contains(QStringLiteral("tiny")));
    EXPECT_FALSE(text.contains(QStringLiteral("korvel-mark-")));
    // A referenced picture's transform is composed in another order: edges may move a few levels.
    EXPECT_LE(largestDifference(drawnSvg(svg.data(), size), drawnSvg(generated.data(), size)), 4);

    QBuffer closed;
    EXPECT_FALSE(WriteScenePng(scene, source, size, closed, 37));
    EXPECT_FALSE(WriteSceneSvg(scene, source, size, QStringLiteral("Flow"), closed));
}

NodeValues stepAt(const QString& id, int left, int top)
{
    NodeValues step;
    step.WorkOrderNode_ID = id;
    step.WorkOrderNodeName = QStringLiteral("Step ") + id;
    step.Left = left;
    step.Top = top;
    return step;
}

LinkValues linkOf(const QString& code, const QString& from, const QString& to)
{
    LinkValues link;
    link.WorkOrderLink_ID = code;
    link.FatherNode_ID = from;
    link.SonNode_ID = to;
    return link;
}

QList<ComparisonMark*> marksOf(const QGraphicsScene& scene)
{
    QList<ComparisonMark*> marks;
    for (QGraphicsItem* item : scene.items())
        if (auto* mark = qgraphicsitem_cast<ComparisonMark*>(item))
            marks << mark;
    return marks;
}

// A comparison drawn over the newer flow: its marks stand where the changes are, stay out of the
// scene's collections, selection and mouse, and go with the layer, also after the scene went first.
TEST(ComparisonLayerTest, MarksChangesWhereTheyAreAndLeavesTheFlowAlone)
{
    for (const int ending : {0, 1, 2}) { // the layer goes first, the scene is emptied, or destroyed
        auto scene = std::make_unique<FlowScene>();
        scene->AddNode(0, 0, 500, 400)->setShape(ShapeStart);
        QList<FlowNodeItem*> nodes;
        for (const auto& [id, x, y] : {std::tuple{"N1", 1000, 0}, {"N2", 3000, 0}, {"N3", 5000, 2000}}) {
            nodes << scene->AddNode(x, y, StepBoxWidth, StepBoxHeight);
            nodes.last()->setKey(QStringLiteral("N") + QLatin1String(id));
        }
        nodes[0]->AddLink(nodes[1])->setKey(QStringLiteral("LL1"));
        nodes[1]->AddLink(nodes[2])->setKey(QStringLiteral("LL2"));
        const QList<QGraphicsItem*> itemsBefore = scene->items();
        const QRectF rectBefore = scene->sceneRect();

        FrameDiff diff;
        diff.header = {{QStringLiteral("ExpiredPeriod"), QStringLiteral("24"), QStringLiteral("48")}};
        diff.stepsAdded = {stepAt(QStringLiteral("N1"), 1000, 0)};
        const NodeValues gone = stepAt(QStringLiteral("N9"), 7000, 3000);
        diff.stepsRemoved = {gone};
        diff.stepsChanged = {{stepAt(QStringLiteral("N2"), 3000, 0), stepAt(QStringLiteral("N2"), 3000, 0),
                              {{QStringLiteral("WorkOrderNodeName"), QStringLiteral("a"), QStringLiteral("b")}}, false},
                             {stepAt(QStringLiteral("n3"), 5000, 0), stepAt(QStringLiteral("N3"), 5000, 2000), {}, true}};
        diff.linksAdded = {linkOf(QStringLiteral("L1"), QStringLiteral("N1"), QStringLiteral("N2"))};
        diff.linksRemoved = {linkOf(QStringLiteral("L9"), QStringLiteral("N9"), QStringLiteral("N3")),
                             linkOf(QStringLiteral("L8"), QStringLiteral("N8"), QStringLiteral("N2"))};
        diff.linksChanged = {{linkOf(QStringLiteral("L2"), QStringLiteral("N2"), QStringLiteral("N1")),
                              linkOf(QStringLiteral("L2"), QStringLiteral("N2"), QStringLiteral("N3")), {}}};
        auto layer = std::make_unique<ComparisonLayer>(*scene, diff);

        using Kind = ComparisonLayer::Entry::Kind;
        const QList<std::tuple<Kind, QString, QRectF>> expected = {
            {Kind::Header, QString(), QRectF()},
            {Kind::Added, QStringLiteral("N1"), nodes[0]->SceneBox()},
            {Kind::Removed, QStringLiteral("N9"), QRectF(7000, 3000, StepBoxWidth, StepBoxHeight)},
            {Kind::Changed, QStringLiteral("N2"), nodes[1]->SceneBox()},
            {Kind::Moved, QStringLiteral("N3"), QRectF(5000, 0, StepBoxWidth, StepBoxHeight + 2000)},
            {Kind::Added, QStringLiteral("L1"), scene->LinkByKey(QStringLiteral("LL1"))->sceneBoundingRect()},
            {Kind::Removed, QStringLiteral("L9"), QRectF(6350, 2650, 700, 350)},
            {Kind::Removed, QStringLiteral("L8"), QRectF()},
            {Kind::Changed, QStringLiteral("L2"), scene->LinkByKey(QStringLiteral("LL2"))->sceneBoundingRect()},
        };
        ASSERT_EQ(layer->Entries().size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const auto& entry = layer->Entries().at(i);
            const auto& [kind, key, area] = expected.at(i);
            EXPECT_EQ(entry.kind, kind) << i;
            EXPECT_EQ(entry.stepId + entry.linkKey, key) << i;
            EXPECT_EQ(entry.area, area) << i;
        }
        QStringList texts;
        for (const auto& entry : layer->Entries())
            texts << entry.text;
        EXPECT_EQ(texts, DiffLines(diff));

        // The ghost is where the step was, and chosen alone; the mouse finds nothing there.
        EXPECT_EQ(layer->Choose(2), QRectF(7000, 3000, StepBoxWidth, StepBoxHeight));
        QList<ComparisonMark*> chosen;
        for (ComparisonMark* mark : marksOf(*scene)) {
            EXPECT_FALSE(mark->flags() & (QGraphicsItem::ItemIsSelectable | QGraphicsItem::ItemIsMovable));
            if (mark->Chosen())
                chosen << mark;
        }
        ASSERT_EQ(chosen.size(), 1);
        EXPECT_EQ(chosen[0]->Area(), QRectF(7000, 3000, StepBoxWidth, StepBoxHeight));
        EXPECT_TRUE(scene->items(QPointF(7700, 3300)).isEmpty());
        EXPECT_TRUE(scene->sceneRect().contains(chosen[0]->Area()));
        EXPECT_EQ(scene->items(nodes[0]->Centre()), (QList<QGraphicsItem*>{nodes[0]}));
        EXPECT_EQ(marksOf(*scene).size(), 9);
        // An added step's mark encloses it; a moved one's old outline is at its old place.
        const auto markAt = [&](ComparisonMark::Look look, const QRectF& area) {
            for (ComparisonMark* mark : marksOf(*scene))
                if (mark->MarkLook() == look && mark->Area() == area)
                    return mark;
            return static_cast<ComparisonMark*>(nullptr);
        };
        ASSERT_TRUE(markAt(ComparisonMark::Look::Added, nodes[0]->SceneBox()));
        EXPECT_TRUE(markAt(ComparisonMark::Look::Added, nodes[0]->SceneBox())->sceneBoundingRect().contains(
            nodes[0]->sceneBoundingRect()));
        EXPECT_TRUE(markAt(ComparisonMark::Look::Moved, QRectF(5000, 0, StepBoxWidth, StepBoxHeight)));
        EXPECT_EQ(layer->Choose(3), nodes[1]->SceneBox());
        EXPECT_EQ(scene->SelectedNode(), nodes[1]);
        EXPECT_FALSE(chosen[0]->Chosen());

        EXPECT_EQ(scene->Nodes().size(), 4);
        EXPECT_EQ(scene->Links().size(), 2);
        EXPECT_EQ(scene->NodeByKey(QStringLiteral("NN9")), nullptr);
        scene->SelectAllSteps();
        EXPECT_EQ(scene->SelectedStepCount(), 3);
        EXPECT_EQ(scene->selectedItems().size(), 5);

        if (ending == 1)
            scene->RemoveAllNodes();
        if (ending == 2)
            scene.reset();
        layer.reset();
        if (ending == 0) {
            EXPECT_EQ(scene->items(), itemsBefore);
            EXPECT_EQ(scene->sceneRect(), rectBefore);
            EXPECT_TRUE(scene->Overlay().isEmpty());
        } else if (scene) {
            EXPECT_TRUE(scene->items().isEmpty());
        }
    }
}

// A path drawn over the flow: each mark on its item, a moved step carrying its marks along; one
// overlay at a time, the newer replacing the older and none left once the newer goes.
TEST(PathLayerTest, MarksThePathOnItsItemsAndTakesTurnsWithAComparison)
{
    FlowScene scene;
    QHash<QString, FlowNodeItem*> nodes;
    for (const auto& [id, x, y] : {std::tuple{"BEGIN", 0, 0}, {"N1", 1000, 0}, {"N2", 3000, 0}, {"N3", 1000, 2000},
                                   {"N4", 5000, 2000}, {"END", 7000, 0}}) {
        nodes.insert(QLatin1String(id), scene.AddNode(x, y, StepBoxWidth, StepBoxHeight));
        nodes.value(QLatin1String(id))->setKey(QStringLiteral("N") + QLatin1String(id));
    }
    for (const auto& [code, from, to] : {std::tuple{"L1", "BEGIN", "N1"}, {"L2", "N1", "N2"}, {"L3", "N2", "N1"},
                                         {"L4", "N1", "N3"}, {"L5", "N2", "END"}, {"L6", "N3", "N4"}})
        nodes.value(QLatin1String(from))
            ->AddLink(nodes.value(QLatin1String(to)))
            ->setKey(QStringLiteral("L") + QLatin1String(code));
    const QList<QGraphicsItem*> itemsBefore = scene.items();
    using Kind = WalkMove::Kind;
    FlowWalk walk;
    walk.moves = {{"BEGIN", "L1", "N1", Kind::Arrive}, {"N1", "L2", "N2", Kind::Arrive}, {"N2", "L3", "N1", Kind::Loop},
                  {"N2", "L5", "END", Kind::End}, {"N1", "L4", "N3", Kind::Arrive}};
    walk.passed = {"N1", "N2", "N3"};
    walk.deadEnds = {"N3"};
    walk.unreached = {"N4"};
    walk.reachedEnd = true;
    auto path = std::make_unique<PathLayer>(scene, walk);
    const auto marks = [&] {
        QMap<QString, PathMark*> byKey;
        for (QGraphicsObject* item : scene.Overlay())
            if (auto* mark = qgraphicsitem_cast<PathMark*>(item))
                byKey.insert(mark->ItemKey(), mark);
        return byKey;
    };
    using Look = PathMark::Look;
    const QMap<QString, Look> expected = {
        {"LL1", Look::Taken},  {"LL2", Look::Taken},  {"LL3", Look::Loop},     {"LL4", Look::Taken},
        {"LL5", Look::Taken},  {"NBEGIN", Look::Passed}, {"NN1", Look::Passed}, {"NN2", Look::Passed},
        {"NN3", Look::DeadEnd}, {"NN4", Look::Unreached}, {"NEND", Look::End}};
    ASSERT_EQ(marks().keys(), expected.keys());
    for (PathMark* mark : marks()) {
        EXPECT_EQ(mark->MarkLook(), expected.value(mark->ItemKey())) << mark->ItemKey().toStdString();
        if (FlowLinkItem* link = scene.LinkByKey(mark->ItemKey()))
            EXPECT_EQ(mark->Line(), link->Path());
        else
            EXPECT_EQ(mark->Area(), scene.NodeByKey(mark->ItemKey())->SceneBox());
    }
    EXPECT_EQ(scene.items(nodes.value("N1")->Centre()), (QList<QGraphicsItem*>{nodes.value("N1")}));
    // A step moved (in a bulk change, which lays its links out when it ends) takes its marks along.
    {
        const FlowScene::BulkChange bulk(scene);
        nodes.value("N2")->setPos(4000, 1000);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(marks().value("NN2")->Area(), nodes.value("N2")->SceneBox());
    EXPECT_EQ(marks().value("LL2")->Line(), scene.LinkByKey("LL2")->Path());
    EXPECT_EQ(marks().value("LL2")->Line().last(), nodes.value("N2")->EdgePoint(nodes.value("N1")->Centre()));

    // A comparison drawn later replaces the path; the path's going leaves it alone.
    FrameDiff diff;
    diff.stepsAdded = {stepAt(QStringLiteral("N1"), 1000, 0)};
    auto comparison = std::make_unique<ComparisonLayer>(scene, diff);
    EXPECT_TRUE(marks().isEmpty());
    EXPECT_EQ(scene.Overlay().size(), 1);
    path.reset();
    EXPECT_EQ(marksOf(scene).size(), 1);
    // And the other way round; the newer one gone, none is left.
    path = std::make_unique<PathLayer>(scene, walk);
    EXPECT_TRUE(marksOf(scene).isEmpty());
    comparison.reset();
    EXPECT_EQ(marks().size(), expected.size());
    path.reset();
    EXPECT_TRUE(scene.Overlay().isEmpty());
    EXPECT_EQ(scene.items().size(), itemsBefore.size());
}

// Captions that cover a caption or a step, and captions far from their line.
QStringList coveredCaptions(const FlowScene& scene)
{
    QStringList found = SceneOverlaps(scene).filter(QStringLiteral("caption "));
    for (const FlowLinkItem* link : scene.Links()) {
        const QRectF near = link->CaptionBox().adjusted(-1500, -1500, 1500, 1500);
        bool reached = link->CaptionBox().isEmpty();
        for (qsizetype i = 1; i < link->Path().size(); ++i)
            reached = reached || near.contains(link->Path()[i]) || near.contains(link->Path()[i - 1]) ||
                      BoxIndex::Crosses(QLineF(link->Path()[i - 1], link->Path()[i]), near);
        if (!reached)
            found << QStringLiteral("caption %1 is far from its line").arg(link->Key());
    }
    return found + BackLinkCrossings(scene);
}

// Generated flows: steps on a grid (one row: aligned top as Align top leaves them), each linked with a
// caption to the next two and every `back`-th one back. No caption covers another or a step, links
// running back go round the steps, forward ones stay straight; a step moved onto a caption or into
// the way of a link running back moves the caption, or the way, elsewhere.
TEST(CaptionPlacementTest, CaptionsCoverNothingAndLinksRunningBackGoRound)
{
    const struct {
        int count, columns;
        double across, down;
        int back;
        bool bulk;
    } flows[] = {{30, 6, 2400, 1800, 4, true}, {30, 30, 2000, 0, 5, true}, {24, 24, 2400, 0, 3, false},
                 {300, 20, 2400, 1800, 7, true}};
    for (const auto& flow : flows) {
        FlowScene scene;
        std::optional<FlowScene::BulkChange> bulk;
        bulk.emplace(scene);
        QList<FlowNodeItem*> steps;
        for (int i = 0; i < flow.count; ++i)
            steps << scene.AddNode(1000 + i % flow.columns * flow.across, 1000 + i / flow.columns * flow.down,
                                   StepBoxWidth, StepBoxHeight);
        int serial = 0;
        for (int i = 0; i < flow.count; ++i)
            for (const int to : {i + 1, i + 2, i % flow.back == 0 ? i - flow.back : -1})
                if (to >= 0 && to < flow.count) {
                    FlowLinkItem* link = steps[i]->AddLink(steps[to]);
                    link->setKey(QStringLiteral("L%1").arg(++serial));
                    link->setText(QStringLiteral("Go %1").arg(serial));
                    link->setCondition(serial % 2 ? QStringLiteral("[Amount > %1]").arg(serial) : QString());
                    EXPECT_TRUE(steps[to]->x() >= steps[i]->x() ? link->Path().size() == 2
                                                                : flow.down > 0 || link->Path().size() > 2);
                }
        bulk.reset();
        EXPECT_EQ(coveredCaptions(scene).join(u'\n').toStdString(), "") << flow.count << " " << flow.columns;

        FlowLinkItem* back = scene.LinkByKey(QStringLiteral("L%1").arg(flow.back * 2 + 3));
        ASSERT_TRUE(back && back->Dst() == steps[0] && back->Path().size() > 2) << flow.count;
        const QRectF caption = scene.Links().at(serial / 2)->CaptionBox();
        const QPointF lane((back->Path().first().x() + back->Path().last().x()) / 2,
                           back->Path().boundingRect().top());
        for (const QPointF onto : {caption.center(), lane}) {
            std::optional<FlowScene::BulkChange> moving;
            if (flow.bulk)
                moving.emplace(scene);
            steps.last()->setPos(onto - QPointF(StepBoxWidth, StepBoxHeight) / 2);
            moving.reset();
            EXPECT_EQ(coveredCaptions(scene).join(u'\n').toStdString(), "") << flow.count << " " << flow.columns;
            EXPECT_TRUE(onto != caption.center() || !scene.Links().at(serial / 2)->CaptionBox().intersects(caption));
        }
    }
}

// Lays the frame out automatically and draws it: no caption covers a caption or a step, no two steps
// overlap, and (checked when `backLinks`, costly on large flows) no link running back crosses a step.
void ExpectArrangedDrawingClear(cWorder& frame, bool backLinks = true)
{
    for (const auto& [id, place] : ArrangedFlow(frame, LayoutBoxes(frame))) {
        frame.AllNode().OneNode(id)->setNodeLeft(place.x());
        frame.AllNode().OneNode(id)->setNodeTop(place.y());
    }
    const auto scene = BuildFrameScene(frame);
    EXPECT_EQ(SceneOverlaps(*scene).join(u'\n').toStdString(), "") << frame.AllNode().AllNode().Count();
    if (backLinks) {
        EXPECT_EQ(BackLinkCrossings(*scene).join(u'\n').toStdString(), "");
    }
}

// True when the link's caption sits on its line: the columns were laid out wide enough for it.
bool CaptionOnLine(const FlowLinkItem& link)
{
    const QPolygonF& path = link.Path();
    for (qsizetype i = 1; i < path.size(); ++i)
        for (double t = 0.1; t < 0.95; t += 0.1)
            if (link.CaptionBox().contains(QLineF(path.at(i - 1), path.at(i)).pointAt(t)))
                return true;
    return false;
}

class DemoCanvasTest : public ::testing::TestWithParam<TestDatabase::Kind> {};

// The demo flows: no caption covers anything, in the window and in pictures, and End stands right of
// the rightmost step however wide the window was when it was drawn, and stays when it is resized.
TEST_P(DemoCanvasTest, CaptionsCoverNothingAndEndStandsRightOfTheSteps)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    TestDatabase db(GetParam());
    TestHost host(db.database());
    AddinSession session(host);
    for (const QString& id : {QStringLiteral("CMP01"), QStringLiteral("REP01"), QStringLiteral("BIL01")}) {
        cWorder frame;
        frame.LoadList(id, QString());
        frame.LoadOne();
        double right = 0;
        for (const auto& [nodeId, node] : frame.AllNode().AllNode())
            right = std::max(right, node->NodeLeft() + StepBoxWidth);
        const QPointF end(right + StepGap, 400);
        for (const int width : {300, 1600}) {
            FlowView view;
            view.resize(width, 500);
            view.show();
            {
                const FlowScene::BulkChange bulk(view.Scene());
                AddFrameItems(view.Scene(), frame);
            }
            EXPECT_EQ((SceneOverlaps(view.Scene()) + coveredCaptions(view.Scene())).join(u'\n').toStdString(), "");
            EXPECT_EQ(view.Scene().NodeByKey(EndKey)->pos(), end) << id.toStdString() << " " << width;
            view.resize(2000 - width, 700);
            QCoreApplication::processEvents();
            EXPECT_EQ(view.Scene().NodeByKey(EndKey)->pos(), end) << id.toStdString() << " " << width;
        }
        const auto picture = BuildFrameScene(frame);
        EXPECT_EQ(SceneOverlaps(*picture).join(u'\n').toStdString(), "") << id.toStdString();
        EXPECT_EQ(picture->NodeByKey(EndKey)->pos(), end) << id.toStdString();
        ExpectArrangedDrawingClear(frame);
        const auto arranged = BuildFrameScene(frame);
        for (const FlowLinkItem* link : arranged->Links()) // End stands close by: its captions go aside
            EXPECT_TRUE(link->Dst()->Key() == EndKey || CaptionOnLine(*link)) << link->Key().toStdString();
    }
}

// Generated flows of 30, 300 and 3,000 steps laid out automatically and drawn.
TEST(ArrangedFlowTest, CaptionsCoverNothingAndLinksRunningBackCrossNoStep)
{
    for (const int steps : {30, 300, 3000}) {
        cWorder frame;
        GenerateFlow(frame, steps);
        ExpectArrangedDrawingClear(frame, steps <= 300);
    }
}

INSTANTIATE_TEST_SUITE_P(Db, DemoCanvasTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
