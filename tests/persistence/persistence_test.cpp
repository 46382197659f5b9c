// The persistence layer on a real database: the scripts that create it, result sets and the shared
// connection, the statements of the flow tables and the lookups, node IDs, search.
#include "core/addinglobals.h"
#include "core/korvelerror.h"
#include "persistence/cdboperate.h"
#include "persistence/connection.h"
#include "persistence/framechanges.h"
#include "persistence/nodeidsearch.h"
#include "persistence/schema.h"
#include "persistence/statementmonitor.h"
#include "resources/stringtable.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QDateTime>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <string>

namespace korvel::test {
namespace {

// A fresh database of the parameter's kind with alice_smith's host installed as StartMe would.
class PersistenceTest : public ::testing::TestWithParam<TestDatabase::Kind> {
protected:
    void SetUp() override
    {
        KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
        m_db = std::make_unique<TestDatabase>(GetParam());
        m_host = std::make_unique<TestHost>(m_db->database(), QStringLiteral("alice_smith"));
        m_session = std::make_unique<AddinSession>(*m_host);
    }

    TestDatabase& db() { return *m_db; }
    const QStringList& logLines() const { return m_host->logLines(); }
    std::string log() const { return logLines().join(QLatin1Char('\n')).toStdString(); }
    qint32 count(const QString& sql) { return m_db->scalar(sql).toInt(); }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<AddinSession> m_session;
};

inline std::vector<std::string> Strings(const QStringList& list)
{
    std::vector<std::string> result;
    for (const QString& text : list)
        result.push_back(text.toStdString());
    return result;
}

TEST(SqlScript, SplitsAtLineEndSemicolonsAndDropsComments)
{
    const QString script = QStringLiteral("-- heading; with a semicolon;\nCREATE TABLE A (x INTEGER,\n    y TEXT);\n"
                                          "\n  -- indented comment\nINSERT INTO A VALUES (1, 'a;b');\n;\n"
                                          "INSERT INTO A VALUES (2, 'c')");
    EXPECT_EQ(Strings(SplitSqlScript(script)), Strings({"CREATE TABLE A (x INTEGER,\ny TEXT)",
                                                        "INSERT INTO A VALUES (1, 'a;b')", "INSERT INTO A VALUES (2, 'c')"}));
}

using SchemaTest = PersistenceTest;

// Creating the schema again keeps the data; a script failing half-way throws and leaves nothing behind.
TEST_P(SchemaTest, CreatingAgainKeepsTheDataAndAFailingScriptLeavesNothing)
{
    EXPECT_TRUE(SchemaExists(db().database()));
    const qint32 nodes = count("select count(*) from Two_Node"),
                 categories = count("select count(*) from Sysc_WoCategory");
    EXPECT_NO_THROW(CreateSchema(db().database()));
    EXPECT_EQ(count("select count(*) from Two_Node"), nodes);

    // The priorities load again, then the categories collide: the priorities go with them.
    db().exec("delete from SYSC_Priority");
    try {
        LoadDemoData(db().database());
        ADD_FAILURE() << "loading the demo data twice succeeded";
    } catch (const KorvelError& error) {
        EXPECT_TRUE(error.description().startsWith(":/korvel/db/demo-data.sql: "))
            << error.description().toStdString();
    }
    EXPECT_EQ(count("select count(*) from SYSC_Priority"), 0);
    EXPECT_EQ(count("select count(*) from Sysc_WoCategory"), categories);
    db().exec("drop table TWO_Frame");
    EXPECT_FALSE(SchemaExists(db().database()));
}

TEST_P(SchemaTest, IdentifiersCompareIgnoringCaseIncludingTheLockTable)
{
    EXPECT_EQ(count("select count(*) from two_node where workordernode_id='n00001'"), 1);
    EXPECT_EQ(count("select count(*) from StaffRoleGroup where RoleGroup_ID='g02'"), 2);
    const QString lock = QStringLiteral("insert into Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt) "
                                        "values ('Korvel', '%1', 'alice', '2024-03-04 09:15:00')");
    db().exec(lock.arg("CMP01"));
    EXPECT_THROW(db().exec(lock.arg("cmp01")), KorvelError);
    EXPECT_EQ(count("select count(*) from Korvel_RecordLock where RecordID='Cmp01'"), 1);
}

// The change log numbers writes in order, tells content from locks, finds a frame in any letter
// case, keeps nothing of a rolled-back write and is made again where it is missing.
TEST_P(SchemaTest, FrameChangeLogNumbersWritesAndTellsContentFromLocks)
{
    const QSqlDatabase database = db().database();
    db().exec("drop table Korvel_FrameChange");
    FrameChanges::EnsureTable(database);
    const qint64 saved = FrameChanges::Record(database, QStringLiteral("CMP01"), FrameChangeKind::Saved, QStringLiteral("alice"));
    const qint64 locked = FrameChanges::Record(database, QStringLiteral("cmp01"), FrameChangeKind::Locked, QStringLiteral("bob"));
    ASSERT_TRUE(db().database().transaction());
    FrameChanges::Record(database, QStringLiteral("CMP01"), FrameChangeKind::HeaderEdited, QStringLiteral("bob"));
    ASSERT_TRUE(db().database().rollback());
    const qint64 other = FrameChanges::Record(database, QStringLiteral("REQ01"), FrameChangeKind::Deleted, QStringLiteral("bob"));
    EXPECT_LT(saved, locked);
    EXPECT_LT(locked, other);
    EXPECT_EQ(FrameChanges::Latest(database), other);
    EXPECT_EQ(FrameChanges::ContentVersion(database, QStringLiteral("Cmp01")), saved);
    const QList<FrameChangeRow> rows = FrameChanges::Since(database, saved);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].kind == "lock" && rows[1].frameId == "REQ01" && rows[1].staffId == "bob");
    EXPECT_EQ(FrameChanges::Since(database, 0, 1).size(), 1);
}

// Static result sets, fields in any letter case, errors for bad reads; no shared connection is reported.
TEST_P(SchemaTest, ResultSetsHoldAllRowsAndFindFieldsInAnyLetterCase)
{
    auto rs = Connection::Shared().OpenRecordset(
        "select Priority_ID, PriorityDescription from SYSC_Priority where Priority_ID in ('P1','P2')");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_THROW(rs->Fields("NoSuchColumn"), KorvelError);
    EXPECT_THROW(rs->Fields(5), KorvelError);
    db().exec("delete from SYSC_Priority"); // rows deleted afterwards are still there to read
    QStringList seen;
    for (; !rs->IsEOF(); rs->MoveNext())
        seen << rs->Fields("PRIORITY_id").toString() + u'=' + rs->Fields("prioritydescription").toString();
    seen.sort();
    EXPECT_EQ(Strings(seen), Strings({"P1=Urgent", "P2=High"}));
    EXPECT_THROW(rs->Fields(0), KorvelError);
    rs->Close();
    EXPECT_TRUE(rs->State() == Recordset::adStateClosed && rs->IsEOF());
    EXPECT_THROW(rs->Fields("Priority_ID"), KorvelError);
    EXPECT_THROW(Connection::Shared().OpenRecordset("select nothing from nowhere"), KorvelError);

    Addin().DBConnection = QSqlDatabase();
    EXPECT_THROW(Connection::Shared(), KorvelError);
    EXPECT_EQ(DBOperate().InsertLinks(LinkValues{}), -1);
    EXPECT_EQ(Strings(logLines()),
              Strings({"[Korvel]-[cDBOperate]-[InsertLinks]:The database connection is not available"}));
}

INSTANTIATE_TEST_SUITE_P(Db, SchemaTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

// Which column holds which member of a value struct: `columns` names the text members, then the
// number members, in their order; the first `ids` text members are identifiers (short texts).
template <typename V> struct Layout {
    const char* columns;
    qsizetype ids;
    std::vector<QString V::*> texts;
    std::vector<qint32 V::*> numbers;
};
using Fv = FrameValues;
using Nv = NodeValues;
using Lv = LinkValues;
using Row = std::map<std::string, std::string>;
using Rows = std::vector<Row>;

const Layout<Fv> kFrame{
    "WorkOrderFrame_ID Category Priority_ID ExpiredPeriodType_ID Group_IDA PrintFormat Group_IDA2 ReplyFile "
    "PRINTGROUP REPLYGROUP ForecastUnit WorkOrderFrameName WEBLink ReplyAddress REPLYCONTENT ExpiredPeriod "
    "CanSkip AddinType CanFullScreen CanGenerateOB GenerateRate ReplyFlag ReplyMode ForecastLen",
    11,
    {&Fv::WorkOrderFrame_ID, &Fv::Category, &Fv::Priority_ID, &Fv::ExpirtedPeriodType_ID, &Fv::Group_IDA,
     &Fv::PrintFormat, &Fv::Group_IDA2, &Fv::ReplyFile, &Fv::PrintGroup, &Fv::ReplyGroup, &Fv::ForecastUnit,
     &Fv::WorkOrderFrameName, &Fv::WEBLink, &Fv::ReplyAddress, &Fv::ReplyContent},
    {&Fv::ExpiredPeriod, &Fv::CanSkip, &Fv::AddinType, &Fv::CanFullScreen, &Fv::CanGenerateOB,
     &Fv::GenerateRate, &Fv::ReplyFlag, &Fv::ReplyMode, &Fv::ForecastLen}};
const Layout<Nv> kNode{
    "WorkOrderFrame_ID WorkOrderNode_ID ExpiredPeriodType_ID EmailNotify SMSNotify Group_IDA HandleBy_ID "
    "HandleGroup_ID ExpiredHandleBy_ID ExpiredHandleGroup_ID Priority_ID ReturnOldStep ForecastUnit "
    "WorkOrderNodeName WEBLink ToHandleby ExpiredPeriod CanSendBack CanSendSelf CanSkip AddinType "
    "CanFullScreen NodeTop NodeLeft RefuseReply CanClose ContactCust NextBeginTime TickOffFlag CanModify "
    "CanBackToBy ReturnGroupFlag ForecastLen",
    13,
    {&Nv::WorkOrderFrame_ID, &Nv::WorkOrderNode_ID, &Nv::ExpiredPeriodType_ID, &Nv::EmailNotify,
     &Nv::SMSNotify, &Nv::Group_IDA, &Nv::HandleBy_ID, &Nv::HandleGroup_ID, &Nv::ExpiredHandleBy_ID,
     &Nv::ExpiredHandleGroup_ID, &Nv::Priority_ID, &Nv::ReturnOldStep, &Nv::ForecastUnit,
     &Nv::WorkOrderNodeName, &Nv::WEBLink, &Nv::ToMultiHandleBy},
    {&Nv::ExpiredPeriod, &Nv::CanSendBack, &Nv::CanSendSelf, &Nv::CanSkip, &Nv::AddinType, &Nv::CanFullScreen,
     &Nv::Top, &Nv::Left, &Nv::RefuseFlag, &Nv::CanClose, &Nv::ContactCust, &Nv::NextBeginTime,
     &Nv::TickOffFlag, &Nv::CanModify, &Nv::CanBackToBy, &Nv::ReturnGroupFlag, &Nv::ForecastLen}};
const Layout<Lv> kLink{"WorkOrderFrame_ID WorkOrderLink_ID SonNode_ID FatherNode_ID CompareType "
                       "WorkOrderLinkName AddinVariant VariantValue AlwaysOpen",
                       5,
                       {&Lv::WorkOrderFrame_ID, &Lv::WorkOrderLink_ID, &Lv::SonNode_ID, &Lv::FatherNode_ID,
                        &Lv::CompareType, &Lv::WorkOrderLinkName, &Lv::AddinVariant, &Lv::VariantValue},
                       {&Lv::AlwaysOpen}};

// The values as the statements should give them back.
template <typename V> Row Expected(const Layout<V>& layout, const V& v)
{
    const QStringList columns = QString::fromLatin1(layout.columns).split(u' ');
    Row row;
    qsizetype i = 0;
    for (const auto member : layout.texts)
        row[columns.at(i++).toStdString()] = (v.*member).toStdString();
    for (const auto member : layout.numbers)
        row[columns.at(i++).toStdString()] = std::to_string(v.*member);
    return row;
}

// Every row of a result set, read as the model reads it: FieldToLong or FieldToString.
template <typename V> void Read(std::unique_ptr<Recordset> rs, const Layout<V>& layout, Rows& rows)
{
    const QStringList columns = QString::fromLatin1(layout.columns).split(u' ');
    const qsizetype texts = static_cast<qsizetype>(layout.texts.size());
    for (; rs && !rs->IsEOF(); rs->MoveNext()) {
        Row& row = rows.emplace_back();
        for (qsizetype i = 0; i < columns.size(); ++i)
            row[columns.at(i).toStdString()] =
                i < texts ? Utility().FieldToString(rs->Fields(columns.at(i))).toStdString()
                          : std::to_string(Utility().FieldToLong(rs->Fields(columns.at(i))));
    }
}

// A frame's header row, then its node rows, then its link rows.
Rows ReadFlow(const QString& frame)
{
    Rows rows;
    Read(DBOperate().GetOneWorkOrder(frame), kFrame, rows);
    Read(DBOperate().GetNodes(frame), kNode, rows);
    Read(DBOperate().GetLinks(frame), kLink, rows);
    return rows;
}

// Texts that have broken hand-built SQL before; the IDs short enough for identifier columns.
const QStringList kTrickyIds{"O'B\\n", "'; --", "客'户\\", " 😀'x ", "a''b", QStringLiteral("\uFFFE'\uFFFF"), QStringLiteral("\uFEFFid")};
const QStringList kTrickyTexts{
    "O'Brien's \"quoted\" ''twice'' '", "C:\\temp\\new\\' \\\\ end\\",
    "客户投诉处理'流程 — 已完成",       "😀👍🏽 it's 🇨🇳 ok ",
    "line one\nline 'two'\ttab",        QString("long 'text' \\ 长文本 😀 ").repeated(300),
    QStringLiteral("\uFEFF\uFEFFtwo marks, \uFFFE \uFFFF"), QStringLiteral("\uFFFF\uFFFE and \uFEFF")};

// Values with the given keys (frame, then node or link), awkward texts shifted by `variant`, numbers apart.
template <typename V> V Tricky(const Layout<V>& layout, int variant, const QStringList& keys)
{
    V v;
    for (qsizetype i = 0; i < static_cast<qsizetype>(layout.texts.size()); ++i)
        v.*layout.texts[i] = i < keys.size()  ? keys.at(i)
                             : i < layout.ids ? kTrickyIds.at((variant + i) % kTrickyIds.size())
                                              : kTrickyTexts.at((variant + i) % kTrickyTexts.size());
    qint32 number = 100 * variant;
    for (const auto member : layout.numbers)
        v.*member = ++number;
    return v;
}

using StatementsTest = PersistenceTest;

// Every value of the three flow tables survives insert, update (by another user) and delete; audit stamps.
TEST_P(StatementsTest, EveryValueSurvivesEveryStatementOfTheThreeFlowTables)
{
    const QString frame = QStringLiteral("F'1\\"), node = QStringLiteral("N'\\1"), link = QStringLiteral("L'\\");
    const qint32 demoRows = count("select count(*) from Two_Node") + count("select count(*) from Two_Link");
    const QString before = QDateTime::currentDateTime().addSecs(-1).toString("yyyy-MM-dd HH:mm:ss");
    ASSERT_EQ(DBOperate().InsertWorkOrderFrame(Tricky(kFrame, 0, {frame})), 1) << log();
    ASSERT_EQ(DBOperate().InsertNode(Tricky(kNode, 0, {frame, node})), 1) << log();
    ASSERT_EQ(DBOperate().InsertLinks(Tricky(kLink, 0, {frame, link})), 1) << log();
    const QString after = QDateTime::currentDateTime().addSecs(1).toString("yyyy-MM-dd HH:mm:ss");
    EXPECT_EQ(ReadFlow(frame), (Rows{Expected(kFrame, Tricky(kFrame, 0, {frame})),
                                     Expected(kNode, Tricky(kNode, 0, {frame, node})),
                                     Expected(kLink, Tricky(kLink, 0, {frame, link}))}));
    // Date columns read as "yyyy-MM-dd HH:mm:ss", whether the database keeps text or a time stamp.
    const auto audit = [&] {
        QStringList values;
        for (const char* column : {"CreatedBy", "CreatedDate", "ModifiedBy", "ModifiedDate"})
            values << Utility().FieldToString(db().scalar(
                QStringLiteral("select %1 from TWO_Frame where WorkOrderFrame_ID='F''1\\'").arg(column)));
        return values;
    };
    const QStringList created = audit();
    EXPECT_EQ(created.at(0) + created.at(2), QStringLiteral("alice_alice_"));
    EXPECT_TRUE(
        created.at(1) >= before && created.at(1) <= after &&
        QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$").match(created.at(3)).hasMatch())
        << created.join(u'|').toStdString();

    db().exec("update TWO_Frame set CreatedDate='2001-02-03 04:05:06', ModifiedDate='2001-02-03 04:05:06'");
    NodeValues updatedNode = Tricky(kNode, 3, {frame, node});
    updatedNode.Top = std::numeric_limits<qint32>::min();
    updatedNode.Left = std::numeric_limits<qint32>::max();
    TestHost bob(db().database(), QStringLiteral("o'bo"));
    {
        AddinSession session(bob);
        ASSERT_EQ(DBOperate().UpdateWorkOrderFrame(Tricky(kFrame, 3, {frame})), 1);
        ASSERT_EQ(DBOperate().UpdateNode(updatedNode), 1);
        ASSERT_EQ(DBOperate().UpdateLinks(Tricky(kLink, 3, {frame, link})), 1);
    }
    EXPECT_TRUE(bob.logLines().isEmpty()) << bob.logLines().join('\n').toStdString();
    m_session.reset();
    m_session = std::make_unique<AddinSession>(*m_host);
    EXPECT_EQ(ReadFlow(frame),
              (Rows{Expected(kFrame, Tricky(kFrame, 3, {frame})), Expected(kNode, updatedNode),
                    Expected(kLink, Tricky(kLink, 3, {frame, link}))}));
    // Only the modification columns change.
    const QStringList modified = audit();
    EXPECT_EQ(modified.mid(0, 3), QStringList({"alice_", "2001-02-03 04:05:06", "o'bo"}));
    EXPECT_GE(modified.at(3), before);

    EXPECT_EQ(DBOperate().DeleteNode(frame, node).toInt(), 1);
    EXPECT_EQ(DBOperate().DelLinks(frame, link), 1);
    EXPECT_EQ(ReadFlow(frame).size(), 1u);
    ASSERT_EQ(DBOperate().InsertNode(Tricky(kNode, 1, {frame, node})), 1);
    ASSERT_EQ(DBOperate().InsertLinks(Tricky(kLink, 1, {frame, link})), 1);
    EXPECT_EQ(DBOperate().DeleteWorkOrderFrame(frame), 1);
    EXPECT_TRUE(ReadFlow(frame).empty());
    // Other frames' rows are untouched.
    EXPECT_EQ(count("select count(*) from Two_Node") + count("select count(*) from Two_Link"), demoRows);
    EXPECT_TRUE(logLines().isEmpty()) << log();
}

TEST_P(StatementsTest, KeysMatchIgnoringCaseAndMissingRowsAreReported)
{
    const auto rows = [&](const char* table) {
        return count(QStringLiteral("select count(*) from %1 where WorkOrderFrame_ID='CMP01'").arg(table));
    };
    const qint32 nodes = rows("Two_Node"), links = rows("Two_Link");
    // Writes to rows that are gone touch nothing and say so: NoRowMatched, one log line each.
    EXPECT_EQ(DBOperate().UpdateWorkOrderFrame(Tricky(kFrame, 0, {"NONE"})), NoRowMatched);
    EXPECT_EQ(DBOperate().ClaimWorkOrderFrame(QStringLiteral("NONE")), NoRowMatched);
    EXPECT_EQ(DBOperate().UpdateNode(Tricky(kNode, 0, {"NONE", "N00001"})), NoRowMatched);
    EXPECT_EQ(DBOperate().UpdateLinks(Tricky(kLink, 0, {"NONE", "L1"})), NoRowMatched);
    EXPECT_EQ(DBOperate().DeleteNode(QStringLiteral("NONE"), QStringLiteral("N00001")).toInt(), NoRowMatched);
    EXPECT_EQ(DBOperate().DelLinks(QStringLiteral("NONE"), QStringLiteral("L1")), NoRowMatched);
    EXPECT_EQ(logLines().size(), 6) << log();
    m_host->log().clear();
    EXPECT_EQ(DBOperate().GetWorkOrderIDExists(QStringLiteral("NONE")), -1);

    // Other letters name the same row. Deleting a node leaves its links to the model.
    EXPECT_EQ(DBOperate().GetWorkOrderIDExists(QStringLiteral("cmp01")), 1);
    EXPECT_EQ(ReadFlow(QStringLiteral("Cmp01")).size(), static_cast<size_t>(1 + nodes + links));
    EXPECT_EQ(DBOperate().ClaimWorkOrderFrame(QStringLiteral("cmp01")), 1);
    EXPECT_EQ(DBOperate().DeleteNode(QStringLiteral("cmp01"), QStringLiteral("n00001")).toInt(), 1);
    EXPECT_EQ(DBOperate().DelLinks(QStringLiteral("cmp01"), QStringLiteral("l1")), 1);
    EXPECT_EQ(rows("Two_Node"), nodes - 1);
    EXPECT_EQ(rows("Two_Link"), links - 1);
    EXPECT_TRUE(logLines().isEmpty()) << log();

    // Inserting a key that exists in other letters fails.
    EXPECT_EQ(DBOperate().InsertWorkOrderFrame(Tricky(kFrame, 0, {"cmp01"})), -1);
    EXPECT_EQ(DBOperate().InsertNode(Tricky(kNode, 0, {"cmp01", "n00002"})), -1);
    EXPECT_EQ(DBOperate().InsertLinks(Tricky(kLink, 0, {"cmp01", "l2"})), -1);
    EXPECT_EQ(logLines().size(), 3) << log();
}

TEST_P(StatementsTest, FailedLinkDeletionRollsTheWholeFrameDeleteBack)
{
    if (db().kind() == TestDatabase::Kind::SQLite) {
        db().exec("create trigger keep_links before delete on Two_Link begin select raise(abort, 'links are kept'); end");
    } else {
        db().exec("create function keep_links() returns trigger language plpgsql as "
                  "$$ begin raise exception 'links are kept'; end $$");
        db().exec("create trigger keep_links before delete on Two_Link for each row execute function keep_links()");
    }
    const qint32 nodes = count("select count(*) from Two_Node where WorkOrderFrame_ID='CMP01'");

    EXPECT_EQ(DBOperate().DeleteWorkOrderFrame(QStringLiteral("CMP01")), -1);
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines().at(0).startsWith("[Korvel]-[cDBOperate]-[DeleteWorkOrderFrame]:") &&
                logLines().at(0).contains("links are kept"))
        << log();
    // Read on the same connection, where a transaction left open would show the rows gone or fail.
    EXPECT_EQ(count("select count(*) from TWO_Frame where WorkOrderFrame_ID='CMP01'"), 1);
    EXPECT_EQ(count("select count(*) from Two_Node where WorkOrderFrame_ID='CMP01'"), nodes);
}

// The lookups the dialogs fill their lists from give every row, and open empty sets on empty tables.
TEST_P(StatementsTest, LookupsReturnEveryRow)
{
    const std::pair<std::unique_ptr<Recordset> (cDBOperate::*)(), const char*> lookups[] = {
        {&cDBOperate::GetCodePriority, "SYSC_Priority"},
        {&cDBOperate::GetWorkOrderType, "Sysc_WoCategory"},
        {&cDBOperate::GetAddinBuild, "Tab_Group"},
        {&cDBOperate::GetAllWorkOrderList, "TWO_Frame"},
        {&cDBOperate::GetAllObjectiveTypeList, "objectivetype"}};
    for (const auto& [open, table] : lookups) {
        const std::unique_ptr<Recordset> rs = (DBOperate().*open)();
        EXPECT_EQ(rs ? rs->RecordCount() : -1, count(QStringLiteral("select count(*) from %1").arg(table)))
            << table;
        db().exec(QStringLiteral("delete from %1").arg(table));
        const std::unique_ptr<Recordset> empty = (DBOperate().*open)();
        EXPECT_TRUE(empty && empty->IsOpen() && empty->IsEOF()) << table;
    }
    for (const auto& rs :
         {DBOperate().GetOneWorkOrder("NONE"), DBOperate().GetNodes("NONE"), DBOperate().GetLinks("NONE")})
        EXPECT_TRUE(rs && rs->IsOpen() && rs->IsEOF());
    EXPECT_TRUE(logLines().isEmpty()) << log();
}

TEST_P(StatementsTest, MissingTablesGiveTheFailureValueAndOneLogLineOfPrefixAndDriverText)
{
    for (const char* table :
         {"TWO_Frame", "Two_Node", "Two_Link", "SYSC_Priority", "Sysc_WoCategory", "Tab_Group", "objectivetype"})
        db().exec(QStringLiteral("drop table %1").arg(table));
    const QString id = QStringLiteral("CMP01");
    bool idRefused = false; // an ID nobody could check is never proposed
    try {
        DBOperate().GetNewNodeIDA();
    } catch (const KorvelError&) {
        idRefused = true;
    }
    const QVariant deletedNode = DBOperate().DeleteNode(id, QStringLiteral("N00001"));
    EXPECT_EQ(deletedNode.typeId(), QMetaType::Short);
    // Operation, whether it gave its failure value, the table its driver text must name.
    const struct { const char* operation; bool failed; const char* table; } calls[] = {
        {"GetAllNodeIDs", idRefused, "two_node"},
        {"DeleteNode", deletedNode.toInt() == -1, "two_node"},
        {"getNodeExists", DBOperate().getNodeExists(id) == 0, "two_node"},
        {"GetNodes", DBOperate().GetNodes(id) == nullptr, "two_node"},
        {"InsertNode", DBOperate().InsertNode(Tricky(kNode, 0, {"X1", "N00001"})) == -1, "two_node"},
        {"UpdateNode", DBOperate().UpdateNode(Tricky(kNode, 0, {"X1", "N00001"})) == -1, "two_node"},
        {"GetLinks", DBOperate().GetLinks(id) == nullptr, "two_link"},
        {"InsertLinks", DBOperate().InsertLinks(Tricky(kLink, 0, {"X1", "L1"})) == -1, "two_link"},
        {"UpdateLinks", DBOperate().UpdateLinks(Tricky(kLink, 0, {"X1", "L1"})) == -1, "two_link"},
        {"DelLinks", DBOperate().DelLinks(id, QStringLiteral("L1")) == -1, "two_link"},
        {"GetCodePriority", DBOperate().GetCodePriority() == nullptr, "sysc_priority"},
        {"GetWorkOrderType", DBOperate().GetWorkOrderType() == nullptr, "sysc_wocategory"},
        {"GetAddinBuild", DBOperate().GetAddinBuild() == nullptr, "tab_group"},
        {"GetAllWorkOrderList", DBOperate().GetAllWorkOrderList() == nullptr, "two_frame"},
        {"GetAllObjectiveTypeList", DBOperate().GetAllObjectiveTypeList() == nullptr, "objectivetype"},
        {"GetWorkOrderIDExists", DBOperate().GetWorkOrderIDExists(id) == 0, "two_frame"},
        {"GetOneWorkOrder", DBOperate().GetOneWorkOrder(id) == nullptr, "two_frame"},
        {"InsertWorkOrderFrame", DBOperate().InsertWorkOrderFrame(Tricky(kFrame, 0, {"X1"})) == -1, "two_frame"},
        {"UpdateWorkOrderFrame", DBOperate().UpdateWorkOrderFrame(Tricky(kFrame, 0, {"X1"})) == -1, "two_frame"},
        {"ClaimWorkOrderFrame", DBOperate().ClaimWorkOrderFrame(id) == -1, "two_frame"},
    };
    ASSERT_EQ(logLines().size(), static_cast<qsizetype>(std::size(calls))) << log();
    for (size_t i = 0; i < std::size(calls); ++i) {
        const QString prefix = QStringLiteral("[Korvel]-[cDBOperate]-[%1]:").arg(calls[i].operation);
        const QString line = logLines().at(static_cast<qsizetype>(i));
        EXPECT_TRUE(calls[i].failed) << calls[i].operation;
        // The driver's own text, naming the table, follows the prefix directly on the one line.
        EXPECT_TRUE(line.startsWith(prefix) && !line.at(prefix.size()).isSpace() && !line.contains(u'\n') &&
                    line.mid(prefix.size()).contains(calls[i].table, Qt::CaseInsensitive))
            << line.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Db, StatementsTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

using NodeIdTest = PersistenceTest;

// New IDs, from one query, skip taken ones in any letter case, but not gaps nor IDs of other shapes.
TEST_P(NodeIdTest, NewIdsFromOneQueryMatchTheOriginalSearch)
{
    db().exec("delete from Two_Node");
    EXPECT_EQ(DBOperate().GetNewNodeIDA(), QStringLiteral("N00001"));
    for (const char* id :
         {"N00001", "n00002", "N00004", "N0005", "N000006", "X00007", "N'1", "N00008x", "N00009"})
        ASSERT_EQ(DBOperate().InsertNode(Tricky(kNode, 0, {"FA", QString::fromUtf8(id)})), 1) << log();
    const qint64 before = StatementMonitor::Count();
    NodeIdAllocator ids = NodeIdAllocator::FromDatabase();
    QStringList handedOut;
    for (int i = 0; i < 7; ++i)
        handedOut << ids.Next();
    EXPECT_EQ(StatementMonitor::Count() - before, 1);
    EXPECT_EQ(handedOut, QStringList({"N00003", "N00005", "N00006", "N00007", "N00008", "N00010", "N00011"}));
    if (GetParam() == TestDatabase::Kind::PostgreSQL) { // a writer holds the writers' lock until it commits
        // (objsubid 1: a lock on one number; the session's proof of life is on two)
        const char* held =
            "SELECT COUNT(*) FROM pg_locks WHERE locktype='advisory' AND objsubid=1 AND pid=pg_backend_pid()";
        Connection::Shared().BeginTrans();
        EXPECT_EQ(NodeIdAllocator::ForWriter().Next(), QStringLiteral("N00003"));
        EXPECT_EQ(count(held), 1);
        Connection::Shared().CommitTrans();
        EXPECT_EQ(count(held), 0);
    }

    // ID asked, answer: found in another frame, other letters, missing, a quote as an ordinary character.
    for (const auto& [id, exists] :
         {std::pair{"N00001", 1}, {"n00004", 1}, {"N200000", -1}, {"N'1", 1}, {"N'", -1}})
        EXPECT_EQ(DBOperate().getNodeExists(QString::fromUtf8(id)), exists) << id;

    EXPECT_TRUE(logLines().isEmpty()) << log();
}

INSTANTIATE_TEST_SUITE_P(Db, NodeIdTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel::test
