// The automatic layout: whole flows (the demo's and generated ones) and selections, checked from
// the boxes' geometry.
#include "tests/model/modelfixture.h"
#include "tests/support/generatedflow.h"

#include "model/coordinates.h"
#include "model/flowlayout.h"

namespace korvel {
namespace {

const FlowLayoutBoxes Boxes{QSizeF(1400, 650), QRectF(200, 400, 500, 400)};

// Moves the steps to `places` and checks every live step's box: within the coordinate range, below
// the canvas's top, covering neither Start nor another box. The boxes by step ID.
QHash<QString, QRectF> Apply(cWorder& frame, const StepPlaces& places)
{
    for (const auto& [id, place] : places) {
        EXPECT_TRUE(CoordinateInRange(place.x() + Boxes.step.width()) && place.x() >= 0 && place.y() >= 0);
        frame.AllNode().OneNode(id)->setNodeLeft(place.x());
        frame.AllNode().OneNode(id)->setNodeTop(place.y());
    }
    QHash<QString, QRectF> boxes;
    QList<QRectF> all{Boxes.start};
    for (const auto& [id, node] : frame.AllNode().AllNode())
        if (node->CanLoadFlag() == 1)
            all << boxes.insert(id, QRectF(QPointF(node->NodeLeft(), node->NodeTop()), Boxes.step)).value();
    std::sort(all.begin(), all.end(), [](const QRectF& a, const QRectF& b) { return a.left() < b.left(); });
    for (qsizetype i = 0; i < all.size(); ++i)
        for (qsizetype j = i + 1; j < all.size() && all.at(j).left() < all.at(i).right(); ++j)
            EXPECT_FALSE(all.at(i).intersects(all.at(j))) << i << " " << j;
    return boxes;
}

// The whole flow: every live step placed right of Start with a caption's room, and nothing else.
QHash<QString, QRectF> ExpectArranged(cWorder& frame)
{
    const StepPlaces places = ArrangedFlow(frame, Boxes);
    const QHash<QString, QRectF> boxes = Apply(frame, places);
    EXPECT_EQ(places.size(), boxes.size());
    for (const QRectF& box : boxes)
        EXPECT_GE(box.left(), Boxes.start.right() + 1500);
    return boxes;
}

TEST(FlowLayout, GeneratedFlowsRunLeftToRightWithoutOverlaps)
{
    for (int steps : {30, 300, 3000}) {
        cWorder frame;
        GenerateFlow(frame, steps);
        const QHash<QString, QRectF> boxes = ExpectArranged(frame);
        EXPECT_EQ(boxes.size(), steps + 1) << steps;
        for (int n = 1; n < steps; ++n) // outside the loops of back links, every link runs to the right
            EXPECT_TRUE(n % 10 >= 8 || boxes.value(StepId(n + 1)).left() > boxes.value(StepId(n)).left()) << n;
    }
    cWorder empty;
    EXPECT_TRUE(ArrangedFlow(empty, Boxes).isEmpty());
}

TEST(FlowLayout, ASelectionKeepsItsCornerAndMovesDownPastOtherSteps)
{
    cWorder frame;
    AddStepAt(frame, u"A"_s, 3000, 1000);
    AddStepAt(frame, u"B"_s, 3000, 3000);
    AddStepAt(frame, u"C"_s, 6400, 1000); // where B lands right of A
    AddLinkBetween(frame, u"A"_s, u"B"_s);
    const StepPlaces places = ArrangedSteps(frame, Boxes, {u"a"_s, u"B"_s});
    ASSERT_EQ(places.size(), 2);
    const QHash<QString, QRectF> boxes = Apply(frame, places);
    EXPECT_EQ(boxes.value(u"A"_s).left(), 3000);
    EXPECT_GE(boxes.value(u"A"_s).top(), 1000 + 650 + 500);
    EXPECT_GT(boxes.value(u"B"_s).left(), boxes.value(u"A"_s).right());
    EXPECT_EQ(boxes.value(u"C"_s), QRectF(6400, 1000, 1400, 650));

    cWorder flow;
    GenerateFlow(flow, 300);
    ExpectArranged(flow);
    QStringList chosen;
    for (int n = 40; n <= 120; n += 3)
        chosen << StepId(n);
    QHash<QString, QRectF> before = Apply(flow, {});
    const StepPlaces moved = ArrangedSteps(flow, Boxes, chosen);
    const QHash<QString, QRectF> after = Apply(flow, moved);
    EXPECT_EQ(moved.size(), chosen.size());
    for (const QString& id : chosen)
        before.remove(id);
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
}

class FlowLayoutDemo : public ModelTest {};

TEST_P(FlowLayoutDemo, DemoFlowsAndTheirSelectionsAreLaidOutWithoutOverlaps)
{
    for (const QString& id : {u"CMP01"_s, u"REP01"_s, u"BIL01"_s}) {
        auto frame = LoadFrame(id);
        ASSERT_EQ(frame->LoadFlag, 1);
        EXPECT_GE(ExpectArranged(*frame).size(), 2) << id.toStdString();
        const QStringList chosen = {frame->AllNode().AllNode().Keys().at(0), frame->AllNode().AllNode().Keys().at(1)};
        const QHash<QString, QRectF> before = Apply(*frame, {});
        const QHash<QString, QRectF> after = Apply(*frame, ArrangedSteps(*frame, Boxes, chosen));
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            EXPECT_TRUE(chosen.contains(it.key()) || after.value(it.key()) == it.value()) << it.key().toStdString();
        EXPECT_EQ(std::min(after.value(chosen.at(0)).left(), after.value(chosen.at(1)).left()),
                  std::min(before.value(chosen.at(0)).left(), before.value(chosen.at(1)).left()));
    }
}

INSTANTIATE_TEST_SUITE_P(Db, FlowLayoutDemo, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
