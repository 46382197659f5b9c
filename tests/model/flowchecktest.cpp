// The flow check against a table of small flows, one per finding; the rules by which a condition
// holds; the walk of small flows for given values.
#include "model/cworders.h"
#include "model/flowcheck.h"
#include "model/linkcondition.h"
#include "model/pathwalk.h"
#include "tests/model/modelfixture.h"

namespace korvel {
namespace {

struct StepSpec {
    QString id = {};
    QString handler = u"S0001"_s; // "" for none
    qint32 period = 1;
    QString returnStep = {};
    bool deleted = false;
};

struct LinkSpec {
    QString code, father, son;
    QString variable = {}, comparison = {}, value = {}; // the condition of a conditional link
    bool conditional = false;
};

struct FlowCase {
    const char* name;
    QList<StepSpec> steps;
    QList<LinkSpec> links;
    QList<std::pair<qint32, QString>> expected = {}; // message id and item key
    qint32 framePeriod = 1;
};

class FlowCheck : public ModelTestSQLite {};

LinkSpec Cond(const QString& code, const QString& father, const QString& son, const QString& variable,
              const QString& comparison, const QString& value)
{
    return {code, father, son, variable, comparison, value, true};
}

std::unique_ptr<cWorder> Build(const FlowCase& flow)
{
    auto frame = std::make_unique<cWorder>();
    frame->WorkOrderFrame_ID = u"T1"_s;
    frame->ExpiredPeriod = flow.framePeriod;
    for (const StepSpec& s : flow.steps) {
        NodeValues v;
        v.WorkOrderFrame_ID = u"T1"_s;
        v.WorkOrderNode_ID = s.id;
        v.WorkOrderNodeName = u"Step "_s + s.id;
        v.ExpiredPeriod = s.period;
        v.HandleBy_ID = s.handler;
        v.ReturnOldStep = s.returnStep;
        EXPECT_EQ(frame->AllNode().NewNode(v), 1);
        if (s.deleted)
            frame->AllNode().DelNode(s.id);
    }
    for (const LinkSpec& l : flow.links) {
        LinkValues v{u"T1"_s, l.code, u"Link "_s + l.code, l.son, l.father, l.conditional ? 1 : 0,
                     l.variable, l.comparison, l.value};
        EXPECT_EQ(frame->AllLink().NewMe(v), 1);
    }
    return frame;
}

TEST_P(FlowCheck, FlowCheckFindsEachProblemOfASmallFlow)
{
    const QList<LinkSpec> straight = {{u"L1"_s, u"BEGIN"_s, u"A"_s}, {u"L2"_s, u"A"_s, u"END"_s}};
    const QList<FlowCase> cases = {
        {"clean", {{u"A"_s}}, straight, {}},
        {"unreachable step", {{u"A"_s}, {u"B"_s}}, straight + QList<LinkSpec>{{u"L3"_s, u"B"_s, u"END"_s}},
         {{1402, u"B"_s}}},
        {"step that cannot reach End", {{u"A"_s}, {u"B"_s}},
         straight + QList<LinkSpec>{{u"L3"_s, u"A"_s, u"B"_s}}, {{1403, u"B"_s}}},
        {"no path", {{u"A"_s}}, {{u"L1"_s, u"BEGIN"_s, u"A"_s}}, {{1404, u"T1"_s}, {1403, u"A"_s}}},
        {"no handler", {{u"A"_s, u""_s}}, straight, {{1405, u"A"_s}}},
        {"return step counts as a handler", {{u"A"_s}, {u"B"_s, u""_s, 1, u"A"_s}},
         {{u"L1"_s, u"BEGIN"_s, u"A"_s}, {u"L2"_s, u"A"_s, u"B"_s}, {u"L3"_s, u"B"_s, u"END"_s}}, {}},
        {"condition incomplete", {{u"A"_s}},
         {{u"L1"_s, u"BEGIN"_s, u"A"_s}, Cond(u"L2"_s, u"A"_s, u"END"_s, u"x"_s, u""_s, u"1"_s)}, {{1406, u"L2"_s}}},
        {"same condition twice", {{u"A"_s}, {u"B"_s}, {u"C"_s}},
         {{u"L1"_s, u"BEGIN"_s, u"A"_s}, Cond(u"L2"_s, u"A"_s, u"B"_s, u"x"_s, u"="_s, u"1"_s),
          Cond(u"L3"_s, u"A"_s, u"C"_s, u"x"_s, u"="_s, u"1"_s), {u"L4"_s, u"B"_s, u"END"_s},
          {u"L5"_s, u"C"_s, u"END"_s}},
         {{1407, u"L3"_s}}},
        {"different conditions", {{u"A"_s}, {u"B"_s}, {u"C"_s}},
         {{u"L1"_s, u"BEGIN"_s, u"A"_s}, Cond(u"L2"_s, u"A"_s, u"B"_s, u"x"_s, u"="_s, u"1"_s),
          Cond(u"L3"_s, u"A"_s, u"C"_s, u"x"_s, u">"_s, u"1"_s), {u"L4"_s, u"B"_s, u"END"_s},
          {u"L5"_s, u"C"_s, u"END"_s}},
         {}},
        {"return step not in the frame", {{u"A"_s, u"S0001"_s, 1, u"GONE"_s}}, straight, {{1408, u"A"_s}}},
        {"return step deleted", {{u"A"_s, u"S0001"_s, 1, u"B"_s}, {u"B"_s, u"S0001"_s, 1, u""_s, true}}, straight,
         {{1408, u"A"_s}}},
        {"link to a step not in the frame", {{u"A"_s}}, straight + QList<LinkSpec>{{u"L3"_s, u"A"_s, u"GONE"_s}},
         {{1409, u"L3"_s}}},
        {"two links leave Start", {{u"A"_s}, {u"B"_s}},
         straight + QList<LinkSpec>{{u"L3"_s, u"BEGIN"_s, u"B"_s}, {u"L4"_s, u"B"_s, u"END"_s}}, {{1410, u"L3"_s}}},
        {"two links from one step into End", {{u"A"_s}},
         straight + QList<LinkSpec>{{u"L3"_s, u"A"_s, u"END"_s}}, {{1411, u"L3"_s}}},
        {"link into Start", {{u"A"_s}}, straight + QList<LinkSpec>{{u"L3"_s, u"A"_s, u"BEGIN"_s}},
         {{1412, u"L3"_s}}},
        {"link out of End", {{u"A"_s}}, straight + QList<LinkSpec>{{u"L3"_s, u"END"_s, u"A"_s}},
         {{1412, u"L3"_s}}},
        {"step time limit 0", {{u"A"_s, u"S0001"_s, 0}}, straight, {{1413, u"A"_s}}},
        {"frame time limit 0", {{u"A"_s}}, straight, {{1414, u"T1"_s}}, 0},
        {"ends named in another letter case and width", {{u"N00002"_s}, {u"N00003"_s, u"S0001"_s, 1, u"n00002"_s}},
         {{u"L1"_s, u"begin"_s, u"n00002"_s}, {u"L2"_s, u"N00002"_s, u"Ｎ00003"_s}, {u"L3"_s, u"n00003"_s, u"End"_s}},
         {}},
        {"value not a number", {{u"A"_s}},
         {{u"L1"_s, u"BEGIN"_s, u"A"_s}, Cond(u"L2"_s, u"A"_s, u"END"_s, u"Amount"_s, u">"_s, u"abc"_s)},
         {{2121, u"L2"_s}}},
        {"unknown operator", {{u"A"_s}},
         {{u"L1"_s, u"BEGIN"_s, u"A"_s}, Cond(u"L2"_s, u"A"_s, u"END"_s, u"x"_s, u"<>"_s, u"1"_s)}, {{2122, u"L2"_s}}},
        {"deleted step is not checked", {{u"A"_s}, {u"B"_s, u""_s, 0, u""_s, true}}, straight, {}},
    };
    for (const FlowCase& flow : cases) {
        auto frame = Build(flow);
        QList<std::pair<qint32, QString>> found;
        for (const FlowFinding& f : CheckFlow(*frame)) {
            found.append({f.messageId, f.key});
            EXPECT_FALSE(f.text().contains(u"%1"_s)) << flow.name;
        }
        std::sort(found.begin(), found.end());
        QList<std::pair<qint32, QString>> expected = flow.expected;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(found, expected) << flow.name;
        const bool anError = std::any_of(expected.begin(), expected.end(),
                                         [](const auto& e) { return e.first <= 1404 || (e.first >= 1408 && e.first <= 1412); });
        EXPECT_EQ(HasErrors(CheckFlow(*frame)), anError) << flow.name;
    }
}

TEST(LinkCondition, NumbersCompareAsNumbersAndAnythingElseAsText)
{
    const struct {
        const char *value, *op, *operand;
        bool holds;
        ConditionFault fault;
    } rows[] = {
        {"600", ">", "500", true, ConditionFault::None},       {"499.5", ">", "500", false, ConditionFault::None},
        {"10", "<", "9", false, ConditionFault::None},         {"500.0", "=", "500", true, ConditionFault::None},
        {" 500 ", ">=", "500", true, ConditionFault::None},    {"500", "<=", "5e2", true, ConditionFault::None},
        {"-1.5", "<", "0", true, ConditionFault::None},        {"1e3", ">", "999", true, ConditionFault::None},
        {"abc", ">", "500", false, ConditionFault::None},      {"", "<", "500", false, ConditionFault::None},
        {"abc", "=", " abc", true, ConditionFault::None},      {"Abc", "=", "abc", false, ConditionFault::None},
        {"1,5", "=", "1.5", false, ConditionFault::None},      {"inf", ">", "5", false, ConditionFault::None},
        {"600", ">", "abc", false, ConditionFault::NotANumber}, {"600", "<=", "1,5", false, ConditionFault::NotANumber},
        {"600", "<>", "500", false, ConditionFault::UnknownOperator},
        {"600", ">", " ", false, ConditionFault::Incomplete},
    };
    for (const auto& r : rows) {
        const QString row = QStringLiteral("%1 %2 %3").arg(r.value, r.op, r.operand);
        EXPECT_EQ(ConditionHolds(r.value, r.op, r.operand), r.holds) << row.toStdString();
        EXPECT_EQ(CheckCondition(u"x"_s, r.op, r.operand), r.fault) << row.toStdString();
    }
    EXPECT_EQ(CheckCondition(u" "_s, u"="_s, u"1"_s), ConditionFault::Incomplete);
    EXPECT_EQ(ConditionNumber(u" 1e3 "_s), 1000.0);
    for (const QString& text : {u""_s, u"1e999"_s, u"nan"_s, u"1,500"_s})
        EXPECT_FALSE(ConditionNumber(text)) << text.toStdString();
    EXPECT_EQ(VariableKey(u" Amount"_s), VariableKey(u"amount "_s));
}

// A walk as text: "from link to[ kind]" for each move, then passed steps, dead ends, unreached steps
// and unset variables, each list after a "|".
QString Shown(const FlowWalk& walk)
{
    static const char* const kinds[] = {"", " join", " loop", " end"};
    QStringList moves;
    for (const WalkMove& m : walk.moves)
        moves << m.from + u' ' + m.link + u' ' + m.to + QString::fromLatin1(kinds[int(m.kind)]);
    return QStringList{moves.join(u", "_s), walk.passed.join(u' '), walk.deadEnds.join(u' '),
                       walk.unreached.join(u' '), walk.unsetVariables.join(u' ')}
        .join(u" | "_s);
}

TEST_P(FlowCheck, TheWalkFollowsEveryOpenLinkFromStartOnce)
{
    const QList<LinkSpec> fork = {{u"L1"_s, u"BEGIN"_s, u"A"_s},
                                  Cond(u"L3"_s, u"A"_s, u"B"_s, u"Amount"_s, u">"_s, u"500"_s),
                                  Cond(u"L4"_s, u"A"_s, u"C"_s, u" amount"_s, u"<="_s, u"500"_s),
                                  {u"L5"_s, u"B"_s, u"C"_s}, {u"L6"_s, u"C"_s, u"END"_s}};
    const QList<LinkSpec> loop = {{u"L1"_s, u"BEGIN"_s, u"A"_s}, {u"L2"_s, u"A"_s, u"B"_s},
                                  Cond(u"L3"_s, u"B"_s, u"A"_s, u"ok"_s, u"="_s, u"0"_s),
                                  Cond(u"L4"_s, u"B"_s, u"END"_s, u"ok"_s, u"="_s, u"1"_s)};
    const QList<StepSpec> abc = {{u"A"_s}, {u"B"_s}, {u"C"_s}};
    const struct {
        QList<StepSpec> steps;
        QList<LinkSpec> links;
        QStringList values;
        const char* expected;
        bool reachedEnd;
    } rows[] = {
        {abc, fork, {u"Amount=600"_s}, "BEGIN L1 A, A L3 B, B L5 C, C L6 END end | A B C |  |  | ", true},
        {abc, fork, {u"AMOUNT=500.0"_s}, "BEGIN L1 A, A L4 C, C L6 END end | A C |  | B | ", true},
        {abc, fork, {u"Amount=lots"_s}, "BEGIN L1 A | A | A | B C | ", false},
        {abc, fork, {}, "BEGIN L1 A | A | A | B C | Amount", false},
        {abc, fork + QList<LinkSpec>{Cond(u"L7"_s, u"A"_s, u"C"_s, u"Amount"_s, u">="_s, u"0"_s)}, {u"Amount=600"_s},
         "BEGIN L1 A, A L3 B, B L5 C, C L6 END end, A L7 C join | A B C |  |  | ", true},
        {abc.mid(0, 2), loop, {u"ok=0"_s}, "BEGIN L1 A, A L2 B, B L3 A loop | A B |  |  | ", false},
        {abc.mid(0, 2), loop, {u"ok=1"_s}, "BEGIN L1 A, A L2 B, B L4 END end | A B |  |  | ", true},
        {{{u"N00002"_s}, {u"Z"_s, u"S0001"_s, 1, u""_s, true}},
         {{u"L1"_s, u"begin"_s, u"n00002"_s}, {u"L2"_s, u"N00002"_s, u"Z"_s}, {u"L3"_s, u"n00002"_s, u"End"_s}},
         {}, "BEGIN L1 N00002, N00002 L3 END end | N00002 |  |  | ", true},
        {abc.mid(0, 1), {{u"L1"_s, u"BEGIN"_s, u"A"_s}, {u"L2"_s, u"A"_s, u"GONE"_s}}, {},
         "BEGIN L1 A | A | A |  | ", false},
        {abc.mid(0, 1), {Cond(u"L1"_s, u"BEGIN"_s, u"A"_s, u"x"_s, u"="_s, u"1"_s)}, {u"x=2"_s},
         " |  | BEGIN | A | ", false},
    };
    for (const auto& r : rows) {
        auto frame = Build({"walk", r.steps, r.links});
        WalkValues values;
        for (const QString& v : r.values)
            values.insert(VariableKey(v.section(u'=', 0, 0)), v.section(u'=', 1));
        const FlowWalk walk = WalkFlow(*frame, values);
        EXPECT_EQ(Shown(walk).toStdString(), r.expected);
        EXPECT_EQ(walk.reachedEnd, r.reachedEnd) << r.expected;
    }
    const QList<WalkVariable> expected = {{u"Amount"_s, {u">"_s, u"<="_s}}};
    EXPECT_EQ(WalkVariables(*Build({"fork", abc, fork})), expected);

    // A chain of 3,000 steps: each reached once, End at the bottom of a way that deep.
    FlowCase chain{"chain", {}, {{u"L0"_s, u"BEGIN"_s, u"S0"_s}, {u"LE"_s, u"S2999"_s, u"END"_s}}};
    for (int i = 0; i < 3000; ++i) {
        chain.steps.append({u"S%1"_s.arg(i)});
        if (i > 0)
            chain.links.append({u"L%1"_s.arg(i), u"S%1"_s.arg(i - 1), u"S%1"_s.arg(i)});
    }
    const FlowWalk walk = WalkFlow(*Build(chain), {});
    EXPECT_TRUE(walk.ReachesEnd());
    EXPECT_EQ(walk.passed.size(), 3000);
    EXPECT_EQ(walk.moves.size(), 3001);
}

INSTANTIATE_TEST_SUITE_P(Db, FlowCheck, ::testing::Values(TestDatabase::Kind::SQLite), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
