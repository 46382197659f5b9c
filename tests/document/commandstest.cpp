// The edit commands and the controller, without a window: each verb as one row of a table (the frame
// before, after the verb, after undo and after redo), what the document announced, and the history's
// life with its frame.
#include "document/arrangement.h"
#include "document/framecontroller.h"
#include "document/framedocument.h"
#include "model/coordinates.h"
#include "model/cworders.h"
#include "persistence/cdboperate.h"
#include "resources/stringtable.h"
#include "tests/model/modelfixture.h"

#include <QRegularExpression>
#include <QSet>
#include <functional>

namespace korvel {
namespace {

class Commands : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        if (IsSkipped())
            return;
        m_orders.LoadMeList();
        m_orders.setCurWOrder(u"CMP01"_s);
        ASSERT_EQ(Frame().LockMe(), 1);
    }
    cWorder& Frame(const QString& id = u"CMP01"_s) { return *m_orders.OneWorkOrder(id); }

    // The frame's flow as lines: steps (name, liveness, and the change state when asked), places,
    // links (ends, liveness), conditions.
    QStringList Dump(bool withStates = false)
    {
        QStringList lines;
        for (const auto& [key, node] : Frame().AllNode().AllNode()) {
            lines << u"S|%1|%2|%3"_s.arg(key, node->WorkOrderNodeName()).arg(node->CanLoadFlag()) +
                         (withStates ? u"|%1"_s.arg(node->StateFlag()) : QString());
            lines << u"P|%1|%2|%3"_s.arg(key).arg(node->NodeLeft()).arg(node->NodeTop());
        }
        for (const auto& [key, link] : Frame().AllLink().AllLinks()) {
            lines << u"L|%1|%2>%3|%4"_s.arg(key, link->FatherNode_ID(), link->SonNode_ID()).arg(link->CanLoadFlag());
            lines << u"C|%1|%2|%3|%4|%5|%6"_s.arg(key, link->WorkOrderLinkName())
                         .arg(link->AlwaysOpen())
                         .arg(link->AddinVariant(), link->CompareType(), link->VariantValue());
        }
        lines.sort();
        return lines;
    }

    cWOrders m_orders;
    FrameController m_controller{[this]() -> cWOrders& { return m_orders; }};
};

NodeValues Step(const QString& id, const QString& name, int left, int top)
{
    NodeValues step;
    step.WorkOrderFrame_ID = u"CMP01"_s;
    step.WorkOrderNode_ID = id;
    step.WorkOrderNodeName = name;
    step.Left = left;
    step.Top = top;
    return step;
}

// Each verb: the lines it adds to the dump (patterns; the lines it replaces go), undone and redone exactly.
TEST_P(Commands, EachVerbIsOneEntryUndoneAndRedoneExactly)
{
    using Verb = std::function<FrameController::Outcome(FrameController&, cWorder&)>;
    const auto flowOf = [](cWorder& frame, const QStringList& dropSteps, const QStringList& dropLinks) {
        std::pair<QList<NodeValues>, QList<LinkValues>> flow;
        for (const auto& [key, node] : frame.AllNode().AllNode())
            if (!dropSteps.contains(key))
                flow.first << node->Values();
        for (const auto& [key, link] : frame.AllLink().AllLinks())
            if (!dropLinks.contains(key))
                flow.second << link->Values();
        return flow;
    };
    const struct Row {
        const char* name;
        Verb verb;
        QStringList gained; // patterns of the lines the verb adds to the dump
    } rows[] = {
        {"add step", [](auto& c, auto&) { return c.AddStep(u"CMP01"_s, Step(u"N00090"_s, u"New"_s, 600, 900)); },
         {u"S\\|N00090\\|New\\|1"_s, u"P\\|N00090\\|600\\|900"_s}},
        {"edit step", [](auto& c, auto& f) {
             NodeValues values = f.AllNode().OneNode(u"N00002"_s)->Values();
             values.WorkOrderNodeName = u"Check"_s;
             return c.EditStep(u"CMP01"_s, u"N00002"_s, values);
         },
         {u"S\\|N00002\\|Check\\|1"_s}},
        {"delete step with its links",
         [](auto& c, auto&) { return c.DeleteItems(u"CMP01"_s, {u"N00003"_s}, {}); },
         {u"S\\|N00003\\|Supervisor review\\|0"_s, u"L\\|L3\\|n00002>N00003\\|0"_s, u"L\\|L5\\|N00003>N00004\\|0"_s}},
        {"delete a step whose links name it in other letters",
         [](auto& c, auto&) { return c.DeleteItems(u"CMP01"_s, {u"N00002"_s}, {}); },
         {u"S\\|N00002\\|Investigate\\|0"_s, u"L\\|L2\\|N00001>n00002\\|0"_s, u"L\\|L3\\|n00002>N00003\\|0"_s,
          u"L\\|L4\\|N00002>N00004\\|0"_s}},
        {"add link", [](auto& c, auto&) { // to N00004 from N00001
             return c.AddLink(u"CMP01"_s, {u"CMP01"_s, u"L9"_s, u"Shortcut"_s, u"N00004"_s, u"N00001"_s, 0, {}, {}, {}});
         },
         {u"L\\|L9\\|N00001>N00004\\|1"_s, u"C\\|L9\\|Shortcut\\|0\\|\\|\\|"_s}},
        {"edit link", [](auto& c, auto&) { return c.EditLink(u"CMP01"_s, u"L3"_s, {u"Big"_s, 1, u"Compensation"_s, u">="_s, u"600"_s}); },
         {u"C\\|L3\\|Big\\|1\\|Compensation\\|>=\\|600"_s}},
        {"delete link", [](auto& c, auto&) { return c.DeleteLink(u"CMP01"_s, u"L5"_s); },
         {u"L\\|L5\\|N00003>N00004\\|0"_s}},
        {"move", [](auto& c, auto&) { return c.MoveSteps(u"CMP01"_s, {{u"N00001"_s, QPoint(1000, 2000)}}, {}); },
         {u"P\\|N00001\\|1000\\|2000"_s}},
        {"paste: fresh IDs, link between them (its code taken, in other letters), placed off the originals", [](auto& c, auto& f) {
             const QList<NodeValues> steps{f.AllNode().OneNode(u"N00003"_s)->Values(), f.AllNode().OneNode(u"N00004"_s)->Values()};
             LinkValues link = f.AllLink().OneLinks(u"L5"_s)->Values();
             link.WorkOrderLink_ID = u"l5"_s;
             return c.Paste(u"CMP01"_s, steps, {link}, {QPoint(6000, 3000), QSize(1400, 650)});
         },
         {u"S\\|N00010\\|Supervisor review\\|1"_s, u"S\\|N00011\\|Reply to customer\\|1"_s, u"P\\|N00010\\|\\d+\\|\\d+"_s,
          u"P\\|N00011\\|\\d+\\|\\d+"_s, u"L\\|(?![Ll]5\\|)\\w+\\|N00010>N00011\\|1"_s, u"C\\|(?![Ll]5\\|)\\w+\\|Approved\\|0\\|\\|\\|"_s}},
        {"paste far off the range: the block moved back inside, its shape kept", [](auto& c, auto& f) {
             const QList<NodeValues> steps{f.AllNode().OneNode(u"N00003"_s)->Values(), f.AllNode().OneNode(u"N00004"_s)->Values()};
             return c.Paste(u"CMP01"_s, steps, {}, {QPoint(-9000, -9000), QSize(1400, 650)});
         },
         {u"S\\|N00010\\|Supervisor review\\|1"_s, u"S\\|N00011\\|Reply to customer\\|1"_s, u"P\\|N00010\\|0\\|1400"_s,
          u"P\\|N00011\\|2200\\|0"_s}},
        {"replace the flow", [&](auto& c, auto& f) {
             const auto flow = flowOf(f, {u"N00004"_s}, {u"L4"_s, u"L5"_s, u"L6"_s});
             return c.ReplaceFlow(u"CMP01"_s, flow.first, flow.second, u"x"_s);
         },
         {u"S\\|N00004\\|Reply to customer\\|0"_s, u"L\\|L4\\|N00002>N00004\\|0"_s, u"L\\|L5\\|N00003>N00004\\|0"_s,
          u"L\\|L6\\|N00004>END\\|0"_s}},
    };
    // Links stored naming a step in other letters are links of that step, as in the database.
    db().exec(u"UPDATE Two_Link SET SonNode_ID='n00002' WHERE WorkOrderLink_ID='L2'"_s);
    db().exec(u"UPDATE Two_Link SET FatherNode_ID='n00002' WHERE WorkOrderLink_ID='L3'"_s);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_orders.OneWorkOrder(u"CMP01"_s)->LoadFlag = 0;
        m_orders.OneWorkOrder(u"CMP01"_s)->LoadOne();
        FrameDocument* document = m_controller.Open(u"CMP01"_s);
        ASSERT_NE(document, nullptr);
        QSet<QString> announced;
        const auto heard = QObject::connect(document, &FrameDocument::Changed, [&](const FrameChange& change) {
            for (const QStringList& ids : {change.stepsAdded, change.stepsChanged, change.stepsRemoved, change.stepsMoved,
                                           change.linksAdded, change.linksChanged, change.linksRemoved})
                announced.unite(QSet<QString>(ids.cbegin(), ids.cend()));
        });
        const QStringList before = Dump(), beforeWithStates = Dump(true);
        const FrameController::Outcome outcome = row.verb(m_controller, Frame());
        EXPECT_TRUE(outcome.done);
        EXPECT_EQ(outcome.refusal, QString());
        const QStringList after = Dump();
        QStringList gained;
        for (const QString& line : after)
            if (!before.contains(line))
                gained << line;
        EXPECT_EQ(gained.size(), row.gained.size()) << gained.join(u'\n').toStdString();
        for (const QString& pattern : row.gained) {
            const QRegularExpression expected(u"^"_s + pattern + u"$"_s);
            EXPECT_TRUE(std::any_of(gained.cbegin(), gained.cend(), [&](const QString& l) { return expected.match(l).hasMatch(); }))
                << pattern.toStdString() << " in\n" << gained.join(u'\n').toStdString();
        }
        for (const QString& line : gained)
            EXPECT_TRUE(announced.contains(line.section(u'|', 1, 1))) << line.toStdString();
        EXPECT_EQ(document->History().count(), 1);
        document->History().undo();
        EXPECT_EQ(Dump(true), beforeWithStates);
        document->History().redo();
        EXPECT_EQ(Dump(), after);
        QObject::disconnect(heard);
    }
}

// Refusals reach the caller; a frame not held is never changed; nudges of one selection merge; and
// a frame created anew under a deleted frame's ID starts with no history.
TEST_P(Commands, RefusalsLocksMergesAndRecreatedFrames)
{
    const FrameController::Outcome taken = m_controller.AddStep(u"CMP01"_s, Step(u"N00001"_s, u"Twin"_s, 0, 0));
    EXPECT_FALSE(taken.done);
    EXPECT_EQ(taken.refusal, LoadResString(2021).arg(u"N00001"_s));
    EXPECT_FALSE(m_controller.AddStep(u"REP01"_s, Step(u"N00090"_s, u"x"_s, 0, 0)).done); // not locked

    const cNode& step = *Frame().AllNode().OneNode(u"N00001"_s);
    const QPoint was(step.NodeLeft(), step.NodeTop());
    m_controller.Nudge(u"CMP01"_s, {{u"N00001"_s, 1.0 * was.x(), 1.0 * was.y(), 1400}}, QPointF(150, 0));
    m_controller.Nudge(u"CMP01"_s, {{u"N00001"_s, was.x() + 150.0, 1.0 * was.y(), 1400}}, QPointF(0, 150));
    FrameDocument* document = m_controller.Open(u"CMP01"_s);
    EXPECT_EQ(document->History().count(), 1);
    EXPECT_EQ(QPoint(step.NodeLeft(), step.NodeTop()), was + QPoint(150, 150));
    document->History().undo();
    EXPECT_EQ(QPoint(step.NodeLeft(), step.NodeTop()), was);

    QList<bool> lockHeard;
    QObject::connect(document, &FrameDocument::LockChanged, [&](bool held) { lockHeard << held; });
    EXPECT_EQ(document->Unlock(), 1);
    EXPECT_EQ(document->Lock(), 1);
    EXPECT_EQ(lockHeard, (QList<bool>{false, true}));

    FrameValues header;
    header.WorkOrderFrame_ID = u"ZZ1"_s;
    header.WorkOrderFrameName = u"Scratch"_s;
    ASSERT_EQ(m_orders.AddOneWorkOrder(header), 1);
    ASSERT_TRUE(m_controller.AddStep(u"ZZ1"_s, Step(u"N00090"_s, u"Gone"_s, 0, 0)).done);
    ASSERT_GT(DBOperate().DeleteWorkOrderFrame(u"ZZ1"_s), 0);
    ASSERT_EQ(m_orders.AddOneWorkOrder(header), 1);
    FrameDocument* fresh = m_controller.Open(u"ZZ1"_s);
    EXPECT_FALSE(fresh->History().canUndo());
    m_controller.Undo(u"ZZ1"_s);
    EXPECT_EQ(Frame(u"ZZ1"_s).AllNode().OneNode(u"N00090"_s), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Db, Commands, KorvelDatabaseKinds(), KorvelDatabaseKindName());

// Nudging a block: it stops at the top and left edges, never pulls a step across an edge on the
// axis it does not move along, and stays within the coordinate range.
TEST(Arrangement, NudgesStopAtTheEdgesAndLeaveTheOtherAxisAlone)
{
    const struct {
        double left, top, dx, dy;
        QPoint expected;
    } rows[] = {
        {300, 300, 150, 0, {450, 300}},      {100, 300, -150, 0, {0, 300}},
        {-500, 300, 0, 150, {-500, 450}},    {-500, 300, -150, 0, {-500, 300}},
        {CoordinateLimit - 100.0, 0, 1500, 0, {CoordinateLimit, 0}},
    };
    for (const auto& row : rows) {
        const StepPlaces places = Nudged({{u"N1"_s, row.left, row.top, 1400}}, QPointF(row.dx, row.dy));
        ASSERT_EQ(places.size(), 1);
        EXPECT_EQ(places.constFirst().second, row.expected) << row.left << "," << row.top;
    }
}

// Each arrangement of three boxes of different sizes: along the other axis every box stays put.
TEST(Arrangement, AlignAndDistributeLineUpTheEdgesCentresAndGaps)
{
    const QList<StepBox> boxes = {
        {u"A"_s, 1000, 300, 1400, 600}, {u"B"_s, 3000, 900, 1000, 800}, {u"C"_s, 1500, 2000, 1200, 400}};
    const struct {
        StepPlaces (*arrange)(const QList<StepBox>&);
        const char* expected;
    } rows[] = {
        {&AlignedLeft, "A 1000,300 B 1000,900 C 1000,2000"},
        {&AlignedRight, "A 2600,300 B 3000,900 C 2800,2000"},
        {&AlignedCentres, "A 1800,300 B 2000,900 C 1900,2000"},
        {&AlignedTop, "A 1000,300 B 3000,300 C 1500,300"},
        {&AlignedBottom, "A 1000,1800 B 3000,1600 C 1500,2000"},
        {&AlignedMiddles, "A 1000,1050 B 3000,950 C 1500,1150"},
        {[](const QList<StepBox>& s) { return DistributedHorizontally(s); }, "A 1000,300 B 3000,900 C 2000,2000"},
        {[](const QList<StepBox>& s) { return DistributedVertically(s); }, "A 1000,300 B 3000,1150 C 1500,2000"},
    };
    for (const auto& row : rows) {
        QStringList places;
        for (const auto& [id, at] : row.arrange(boxes))
            places << u"%1 %2,%3"_s.arg(id).arg(at.x()).arg(at.y());
        places.sort();
        EXPECT_EQ(places.join(u' '), QString::fromLatin1(row.expected));
        EXPECT_TRUE(row.arrange(boxes.mid(0, 1)).isEmpty()) << row.expected;
    }
}

} // namespace
} // namespace korvel
