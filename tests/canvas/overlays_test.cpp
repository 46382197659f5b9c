// What is drawn over a flow: a comparison's marks and a path's, one overlay at a time.

#include "canvas/comparisonlayer.h"
#include "canvas/comparisonmark.h"
#include "canvas/flowscene.h"
#include "canvas/frameitems.h"
#include "canvas/pathlayer.h"
#include "model/pathwalk.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace korvel {
namespace {

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
        nodes[0]->AddLink(nodes[1])->setKey("LL1");
        nodes[1]->AddLink(nodes[2])->setKey("LL2");
        const QList<QGraphicsItem*> itemsBefore = scene->items();
        const QRectF rectBefore = scene->sceneRect();

        FrameDiff diff;
        diff.header = {{"ExpiredPeriod", "24", "48"}};
        diff.stepsAdded = {stepAt("N1", 1000, 0)};
        diff.stepsRemoved = {stepAt("N9", 7000, 3000)};
        diff.stepsChanged = {{stepAt("N2", 3000, 0), stepAt("N2", 3000, 0), {{"WorkOrderNodeName", "a", "b"}}, false},
                             {stepAt("n3", 5000, 0), stepAt("N3", 5000, 2000), {}, true}};
        diff.linksAdded = {linkOf("L1", "N1", "N2")};
        diff.linksRemoved = {linkOf("L9", "N9", "N3"), linkOf("L8", "N8", "N2")};
        diff.linksChanged = {{linkOf("L2", "N2", "N1"), linkOf("L2", "N2", "N3"), {}}};
        auto layer = std::make_unique<ComparisonLayer>(*scene, diff);

        using Kind = ComparisonLayer::Entry::Kind;
        const QList<std::tuple<Kind, QString, QRectF>> expected = {
            {Kind::Header, QString(), QRectF()},
            {Kind::Added, "N1", nodes[0]->SceneBox()},
            {Kind::Removed, "N9", QRectF(7000, 3000, StepBoxWidth, StepBoxHeight)},
            {Kind::Changed, "N2", nodes[1]->SceneBox()},
            {Kind::Moved, "N3", QRectF(5000, 0, StepBoxWidth, StepBoxHeight + 2000)},
            {Kind::Added, "L1", scene->LinkByKey("LL1")->sceneBoundingRect()},
            {Kind::Removed, "L9", QRectF(6350, 2650, 700, 350)},
            {Kind::Removed, "L8", QRectF()},
            {Kind::Changed, "L2", scene->LinkByKey("LL2")->sceneBoundingRect()},
        };
        ASSERT_EQ(layer->Entries().size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const auto& entry = layer->Entries().at(i);
            const auto& [kind, key, area] = expected.at(i);
            EXPECT_EQ(entry.kind, kind) << i;
            EXPECT_EQ(entry.stepId + entry.linkKey, key) << i;
            EXPECT_EQ(entry.area, area) << i;
            EXPECT_EQ(entry.text, DiffLines(diff).value(i)) << i;
        }

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
        const ComparisonMark* added = markAt(ComparisonMark::Look::Added, nodes[0]->SceneBox());
        EXPECT_TRUE(added && added->sceneBoundingRect().contains(nodes[0]->sceneBoundingRect()));
        EXPECT_TRUE(markAt(ComparisonMark::Look::Moved, QRectF(5000, 0, StepBoxWidth, StepBoxHeight)));
        EXPECT_EQ(layer->Choose(3), nodes[1]->SceneBox());
        EXPECT_EQ(scene->SelectedNode(), nodes[1]);
        EXPECT_FALSE(chosen[0]->Chosen());
        EXPECT_EQ(scene->NodeByKey("NN9"), nullptr);
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
    diff.stepsAdded = {stepAt("N1", 1000, 0)};
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

} // namespace
} // namespace korvel
