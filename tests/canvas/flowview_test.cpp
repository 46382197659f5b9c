// The flow view's mouse: drags that move steps, the selection band, and links drawn from the
// handles a step shows.

#include "canvas/flowview.h"
#include "model/coordinates.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace korvel {
namespace {

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

} // namespace
} // namespace korvel
