// The flow canvas without the designer: the scene's collections and key index with no window,
// pictures of it, and captions placed where they cover nothing.

#include "canvas/boxindex.h"
#include "canvas/flowview.h"
#include "canvas/frameitems.h"
#include "canvas/framepicture.h"
#include "canvas/sceneoverlaps.h"
#include "canvas/scenepicture.h"
#include "canvas/stepspicture.h"
#include "model/coordinates.h"
#include "model/cworder.h"
#include "model/flowlayout.h"
#include "tests/support/generatedflow.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QBuffer>
#include <QPainter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSvgGenerator>
#include <QSvgRenderer>
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
    EXPECT_TRUE(scene.Links().isEmpty());
    EXPECT_EQ(scene.SelectedNodes(), (QList<FlowNodeItem*>{b}));
    EXPECT_EQ(scene.SelectedStepCount(), 1);
    EXPECT_EQ(scene.SelectedLinkCount(), 0);
    EXPECT_EQ(scene.SelectedLink(), nullptr);
}

// The picture of copied steps is drawn at the zoom asked for, and smaller when that would be too
// large: two steps at the far ends of the range are not one gigantic image.
TEST(StepsPictureTest, IsDrawnAtTheZoomUnlessTooLarge)
{
    NodeValues near, far;
    near.WorkOrderNode_ID = QStringLiteral("N00001");
    far.WorkOrderNode_ID = QStringLiteral("N00002");
    far.Left = 3000;
    EXPECT_NEAR(StepsPicture({near, far}, {}, 2.0).width(), 2 * (3000 + 1400) / TwipsPerPixel, 20);
    far.Left = far.Top = CoordinateLimit;
    const QImage large = StepsPicture({near, far}, {}, 2.0);
    EXPECT_LE(qint64(large.width()) * large.height(), MaxCopiedPicturePixels);
    EXPECT_GT(qint64(large.width()) * large.height(), MaxCopiedPicturePixels * 9 / 10);
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

// A PNG drawn in bands (37 rows, the last one shorter) is the picture drawn whole; an SVG defines
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

// Lays the frame out automatically and draws it: no caption covers a caption or a step, no two steps
// overlap, and (checked when `backLinks`, costly on large flows) no link running back crosses a step.
void ExpectArrangedDrawingClear(cWorder& frame, bool backLinks = true)
{
    for (const auto& [id, place] : ArrangedFlow(frame, LayoutBoxes(frame))) {
        frame.AllNode().OneNode(id)->setNodeLeft(place.x());
        frame.AllNode().OneNode(id)->setNodeTop(place.y());
    }
    const auto scene = BuildFrameScene(frame);
    const QStringList found = SceneOverlaps(*scene) + (backLinks ? BackLinkCrossings(*scene) : QStringList());
    EXPECT_EQ(found.join(u'\n').toStdString(), "") << frame.AllNode().AllNode().Count();
}

// Steps on a grid (one row: as Align top leaves them), each linked with a caption to the next two and
// every `back`-th one back: no caption covers another or a step, links running back go round the
// steps, forward ones stay straight; a step moved onto a caption or into a link's way moves it aside.
// Generated flows of 30, 300 and 3,000 steps laid out automatically draw as clear.
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
    for (const int steps : {30, 300, 3000}) {
        cWorder frame;
        GenerateFlow(frame, steps);
        ExpectArrangedDrawingClear(frame, steps <= 300);
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

INSTANTIATE_TEST_SUITE_P(Db, DemoCanvasTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
