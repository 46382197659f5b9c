// Search across all frames, on SQLite and PostgreSQL, with no frame open.
#include "persistence/flowsearch.h"
#include "tests/model/modelfixture.h"

namespace korvel {
namespace {

class FlowSearch : public ModelTest {
protected:
    void AddStep(const QString& frame, const QString& id, const QString& name, const QString& handler)
    {
        NodeValues v;
        v.WorkOrderFrame_ID = frame;
        v.WorkOrderNode_ID = id;
        v.WorkOrderNodeName = name;
        v.HandleBy_ID = handler;
        ASSERT_EQ(DBOperate().InsertNode(v), 1) << log();
    }
    // "frame kind key field" of every hit, sorted.
    static QStringList Found(const QString& text)
    {
        QStringList found;
        for (const SearchHit& hit : SearchFlows(text))
            found << u"%1 %2 %3 %4"_s.arg(hit.frameId).arg(int(hit.kind)).arg(hit.key, hit.field);
        found.sort();
        return found;
    }
};

TEST_P(FlowSearch, FindsTextAsTypedInEveryFrame)
{
    AddStep(u"CMP01"_s, u"Q1"_s, u"Refund 100% paid"_s, u"ZX_91"_s);
    AddStep(u"REP01"_s, u"Q2"_s, u"Refund 1000 paid"_s, u"ZXA91"_s);
    AddStep(u"REP01"_s, u"Q3"_s, u"back\\slash 'quoted'"_s, u""_s);

    const struct {
        QString text;
        QStringList expected;
    } cases[] = {
        // a handler ID, in another letter case, in a frame nobody opened
        {u"zx_91"_s, {u"CMP01 1 Q1 HandleBy_ID"_s}},
        // "_" and "%" are plain characters, not wildcards
        {u"X_9"_s, {u"CMP01 1 Q1 HandleBy_ID"_s}},
        {u"100%"_s, {u"CMP01 1 Q1 WorkOrderNodeName"_s}},
        {u"0% p"_s, {u"CMP01 1 Q1 WorkOrderNodeName"_s}},
        {u"h 'q"_s, {u"REP01 1 Q3 WorkOrderNodeName"_s}},
        {u"k\\s"_s, {u"REP01 1 Q3 WorkOrderNodeName"_s}},
        {u"cmp01"_s, {u"CMP01 0 CMP01 WorkOrderFrame_ID"_s}},
        {u"' or 1=1 --"_s, {}},
        {u""_s, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Found(c.text), c.expected) << c.text.toStdString();
    EXPECT_TRUE(logLines().isEmpty()) << log();
}

INSTANTIATE_TEST_SUITE_P(Db, FlowSearch, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
