// The flow check against a table of small flows, one per finding, and against the demo flows.
#include "model/cworders.h"
#include "model/flowcheck.h"
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

INSTANTIATE_TEST_SUITE_P(Db, FlowCheck, ::testing::Values(TestDatabase::Kind::SQLite), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
