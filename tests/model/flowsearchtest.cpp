// Search across all frames, on SQLite and PostgreSQL, with no frame open.
#include "persistence/flowsearch.h"
#include "tests/model/modelfixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

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

// The index finds exactly what reading every row finds, in the same order, for hostile texts (the
// Big List of Naughty Strings) and slices of them: from an index made from the rows of a database
// made without it, and kept by the triggers through inserts, a rename and a delete. PostgreSQL is
// kept off sequential scans, so its trigram index answers too.
TEST_P(FlowSearch, IndexFindsWhatEveryRowHolds)
{
    db().exec((db().kind() == TestDatabase::Kind::SQLite) ? u"DROP TRIGGER Korvel_NodeText_Insert"_s : u"DROP INDEX korvel_nodetext"_s);
    QFile file(QStringLiteral(KORVEL_TEST_DATA_DIR "/naughty-strings.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonArray strings = QJsonDocument::fromJson(file.readAll()).array();
    ASSERT_GT(strings.size(), 400);
    for (qsizetype i = 0; i < strings.size(); i += 5)
        AddStep(u"CMP01"_s, u"Q%1"_s.arg(i), strings.at(i).toString(), i % 2 ? u"ZX_%1"_s.arg(i) : QString());
    if (!(db().kind() == TestDatabase::Kind::SQLite))
        db().exec(u"SET enable_seqscan = off"_s);
    const auto compare = [&](const QString& round) {
        int found = 0;
        for (qsizetype i = 0; i < strings.size(); i += 5) {
            const QString text = strings.at(i).toString();
            for (const QString& part : {text, text.mid(1, 3), text.toUpper()}) {
                const QList<SearchHit> hits = SearchFlows(part);
                EXPECT_EQ(hits, SearchFlows(part, SearchMethod::Scan)) << round.toStdString() << ": " << i;
                found += part == text && std::ranges::any_of(hits, [&](const SearchHit& hit) {
                    return hit.key == u"Q%1"_s.arg(i);
                });
            }
        }
        EXPECT_GT(found, strings.size() / 6) << round.toStdString();
    };
    compare(u"made from the rows"_s);
    db().exec(u"UPDATE Two_Node SET WorkOrderNodeName = 'Renamed step' WHERE WorkOrderNode_ID = 'Q0'"_s);
    db().exec(u"DELETE FROM Two_Node WHERE WorkOrderNode_ID = 'Q5'"_s);
    AddStep(u"REP01"_s, u"Q9999"_s, u"Added step"_s, u""_s);
    compare(u"kept by the triggers"_s);
    EXPECT_EQ(Found(u"renamed STEP"_s), QStringList{u"CMP01 1 Q0 WorkOrderNodeName"_s});
    EXPECT_EQ(Found(u"ded ste"_s), QStringList{u"REP01 1 Q9999 WorkOrderNodeName"_s});
    if (!(db().kind() == TestDatabase::Kind::SQLite))
        db().exec(u"RESET enable_seqscan"_s);
}

INSTANTIATE_TEST_SUITE_P(Db, FlowSearch, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
