// The flow canvas without the designer: the scene's collections and key index with no window, and
// a view moving steps with the mouse.

#include "canvas/flowview.h"
#include "canvas/scenepicture.h"
#include "canvas/stepspicture.h"
#include "model/coordinates.h"

#include <QBuffer>
#include <QPainter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSvgGenerator>
#include <QSvgRenderer>
#include <QTest>
#include <gtest/gtest.h>

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

} // namespace
} // namespace korvel
