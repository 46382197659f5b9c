// The frame, node and link statements and the lookups of cDBOperate.
#include "tests/persistence/persistencefixture.h"

#include <QDateTime>
#include <QRegularExpression>
#include <iterator>
#include <limits>
#include <map>
#include <string>

namespace korvel::test {
namespace {

// Which column holds which member of a value struct: identifiers (short), free texts, numbers.
template <typename V> struct Layout {
    std::vector<std::pair<const char*, QString V::*>> ids, texts;
    std::vector<std::pair<const char*, qint32 V::*>> numbers;
};
using Fv = FrameValues;
using Nv = NodeValues;
using Lv = LinkValues;
using Row = std::map<std::string, std::string>;
using Rows = std::vector<Row>;

const Layout<FrameValues> kFrame{{{"WorkOrderFrame_ID", &Fv::WorkOrderFrame_ID},
                                  {"Category", &Fv::Category},
                                  {"Priority_ID", &Fv::Priority_ID},
                                  {"ExpiredPeriodType_ID", &Fv::ExpirtedPeriodType_ID},
                                  {"Group_IDA", &Fv::Group_IDA},
                                  {"PrintFormat", &Fv::PrintFormat},
                                  {"Group_IDA2", &Fv::Group_IDA2},
                                  {"ReplyFile", &Fv::ReplyFile},
                                  {"PRINTGROUP", &Fv::PrintGroup},
                                  {"REPLYGROUP", &Fv::ReplyGroup},
                                  {"ForecastUnit", &Fv::ForecastUnit}},
                                 {{"WorkOrderFrameName", &Fv::WorkOrderFrameName},
                                  {"WEBLink", &Fv::WEBLink},
                                  {"ReplyAddress", &Fv::ReplyAddress},
                                  {"REPLYCONTENT", &Fv::ReplyContent}},
                                 {{"ExpiredPeriod", &Fv::ExpiredPeriod},
                                  {"CanSkip", &Fv::CanSkip},
                                  {"AddinType", &Fv::AddinType},
                                  {"CanFullScreen", &Fv::CanFullScreen},
                                  {"CanGenerateOB", &Fv::CanGenerateOB},
                                  {"GenerateRate", &Fv::GenerateRate},
                                  {"ReplyFlag", &Fv::ReplyFlag},
                                  {"ReplyMode", &Fv::ReplyMode},
                                  {"ForecastLen", &Fv::ForecastLen}}};
const Layout<NodeValues> kNode{{{"WorkOrderFrame_ID", &Nv::WorkOrderFrame_ID},
                                {"WorkOrderNode_ID", &Nv::WorkOrderNode_ID},
                                {"ExpiredPeriodType_ID", &Nv::ExpiredPeriodType_ID},
                                {"EmailNotify", &Nv::EmailNotify},
                                {"SMSNotify", &Nv::SMSNotify},
                                {"Group_IDA", &Nv::Group_IDA},
                                {"HandleBy_ID", &Nv::HandleBy_ID},
                                {"HandleGroup_ID", &Nv::HandleGroup_ID},
                                {"ExpiredHandleBy_ID", &Nv::ExpiredHandleBy_ID},
                                {"ExpiredHandleGroup_ID", &Nv::ExpiredHandleGroup_ID},
                                {"Priority_ID", &Nv::Priority_ID},
                                {"ReturnOldStep", &Nv::ReturnOldStep},
                                {"ForecastUnit", &Nv::ForecastUnit}},
                               {{"WorkOrderNodeName", &Nv::WorkOrderNodeName},
                                {"WEBLink", &Nv::WEBLink},
                                {"ToHandleby", &Nv::ToMultiHandleBy}},
                               {{"ExpiredPeriod", &Nv::ExpiredPeriod},
                                {"CanSendBack", &Nv::CanSendBack},
                                {"CanSendSelf", &Nv::CanSendSelf},
                                {"CanSkip", &Nv::CanSkip},
                                {"AddinType", &Nv::AddinType},
                                {"CanFullScreen", &Nv::CanFullScreen},
                                {"NodeTop", &Nv::Top},
                                {"NodeLeft", &Nv::Left},
                                {"RefuseReply", &Nv::RefuseFlag},
                                {"CanClose", &Nv::CanClose},
                                {"ContactCust", &Nv::ContactCust},
                                {"NextBeginTime", &Nv::NextBeginTime},
                                {"TickOffFlag", &Nv::TickOffFlag},
                                {"CanModify", &Nv::CanModify},
                                {"CanBackToBy", &Nv::CanBackToBy},
                                {"ReturnGroupFlag", &Nv::ReturnGroupFlag},
                                {"ForecastLen", &Nv::ForecastLen}}};
const Layout<LinkValues> kLink{{{"WorkOrderFrame_ID", &Lv::WorkOrderFrame_ID},
                                {"WorkOrderLink_ID", &Lv::WorkOrderLink_ID},
                                {"SonNode_ID", &Lv::SonNode_ID},
                                {"FatherNode_ID", &Lv::FatherNode_ID},
                                {"CompareType", &Lv::CompareType}},
                               {{"WorkOrderLinkName", &Lv::WorkOrderLinkName},
                                {"AddinVariant", &Lv::AddinVariant},
                                {"VariantValue", &Lv::VariantValue}},
                               {{"AlwaysOpen", &Lv::AlwaysOpen}}};

// The values as the statements should give them back.
template <typename V> Row Expected(const Layout<V>& layout, const V& v)
{
    Row row;
    for (const auto* texts : {&layout.ids, &layout.texts})
        for (const auto& [column, member] : *texts)
            row[column] = (v.*member).toStdString();
    for (const auto& [column, member] : layout.numbers)
        row[column] = std::to_string(v.*member);
    return row;
}

// Every row of a result set, read the way the model reads it: numbers through FieldToLong,
// everything else through FieldToString.
template <typename V> Rows Read(std::unique_ptr<Recordset> rs, const Layout<V>& layout)
{
    Rows rows;
    for (; rs && !rs->IsEOF(); rs->MoveNext()) {
        Row& row = rows.emplace_back();
        for (const auto* texts : {&layout.ids, &layout.texts})
            for (const auto& [column, member] : *texts)
                row[column] = Utility().FieldToString(rs->Fields(column)).toStdString();
        for (const auto& [column, member] : layout.numbers)
            row[column] = std::to_string(Utility().FieldToLong(rs->Fields(column)));
    }
    return rows;
}
Rows ReadFrame(const QString& id)
{
    return Read(DBOperate().GetOneWorkOrder(id), kFrame);
}
Rows ReadNodes(const QString& frame)
{
    return Read(DBOperate().GetNodes(frame), kNode);
}
Rows ReadLinks(const QString& frame)
{
    return Read(DBOperate().GetLinks(frame), kLink);
}

// Values whose every text is awkward and whose numbers all differ; `variant` shifts which awkward
// text goes where.
template <typename V> V Tricky(const Layout<V>& layout, int variant)
{
    V v;
    int shift = variant;
    qint32 number = 100 * variant;
    for (const auto& [column, member] : layout.ids)
        v.*member = TrickyId(++shift);
    for (const auto& [column, member] : layout.texts)
        v.*member = TrickyText(++shift);
    for (const auto& [column, member] : layout.numbers)
        v.*member = ++number;
    return v;
}
FrameValues TrickyFrame(const QString& id, int variant)
{
    FrameValues v = Tricky(kFrame, variant);
    v.WorkOrderFrame_ID = id;
    v.ForecastLen = std::numeric_limits<qint32>::max() - variant;
    return v;
}
NodeValues TrickyNode(const QString& frame, const QString& id, int variant)
{
    NodeValues v = Tricky(kNode, variant);
    v.WorkOrderFrame_ID = frame;
    v.WorkOrderNode_ID = id;
    v.Top = -650 - variant;
    v.Left = -1400 - variant;
    return v;
}
LinkValues TrickyLink(const QString& frame, const QString& id, int variant)
{
    LinkValues v = Tricky(kLink, variant);
    v.WorkOrderFrame_ID = frame;
    v.WorkOrderLink_ID = id;
    return v;
}

using StatementsTest = PersistenceTest;

TEST_P(StatementsTest, EveryValueSurvivesEveryStatementOfTheThreeFlowTables)
{
    const QString frame = QStringLiteral("F'1\\"), node = QStringLiteral("N'\\1"),
                  link = QStringLiteral("L'\\");
    const qint32 demoRows = count("select count(*) from Two_Node") + count("select count(*) from Two_Link");
    ASSERT_EQ(DBOperate().InsertWorkOrderFrame(TrickyFrame(frame, 0)), 1) << log();
    ASSERT_EQ(DBOperate().InsertNode(TrickyNode(frame, node, 0)), 1) << log();
    ASSERT_EQ(DBOperate().InsertLinks(TrickyLink(frame, link, 0)), 1) << log();
    EXPECT_EQ(ReadFrame(frame), Rows{Expected(kFrame, TrickyFrame(frame, 0))});
    EXPECT_EQ(ReadNodes(frame), Rows{Expected(kNode, TrickyNode(frame, node, 0))});
    EXPECT_EQ(ReadLinks(frame), Rows{Expected(kLink, TrickyLink(frame, link, 0))});

    NodeValues updatedNode = TrickyNode(frame, node, 3);
    updatedNode.Top = std::numeric_limits<qint32>::min();
    updatedNode.Left = std::numeric_limits<qint32>::max();
    ASSERT_EQ(DBOperate().UpdateWorkOrderFrame(TrickyFrame(frame, 3)), 1) << log();
    ASSERT_EQ(DBOperate().UpdateNode(updatedNode), 1) << log();
    ASSERT_EQ(DBOperate().UpdateLinks(TrickyLink(frame, link, 3)), 1) << log();
    EXPECT_EQ(ReadFrame(frame), Rows{Expected(kFrame, TrickyFrame(frame, 3))});
    EXPECT_EQ(ReadNodes(frame), Rows{Expected(kNode, updatedNode)});
    EXPECT_EQ(ReadLinks(frame), Rows{Expected(kLink, TrickyLink(frame, link, 3))});
    EXPECT_EQ(DBOperate().GetWorkOrderIDExists(frame), 1);
    EXPECT_EQ(DBOperate().getNodeExists(node), 1);

    EXPECT_EQ(DBOperate().DeleteNode(frame, node).toInt(), 1);
    EXPECT_EQ(DBOperate().DelLinks(frame, link), 1);
    EXPECT_TRUE(ReadNodes(frame).empty() && ReadLinks(frame).empty());
    ASSERT_EQ(DBOperate().InsertNode(TrickyNode(frame, node, 1)), 1);
    ASSERT_EQ(DBOperate().InsertLinks(TrickyLink(frame, link, 1)), 1);
    EXPECT_EQ(DBOperate().DeleteWorkOrderFrame(frame), 1);
    EXPECT_TRUE(ReadFrame(frame).empty() && ReadNodes(frame).empty() && ReadLinks(frame).empty());
    // Other frames' rows are untouched.
    EXPECT_EQ(count("select count(*) from Two_Node") + count("select count(*) from Two_Link"), demoRows);
    EXPECT_TRUE(logLines().isEmpty()) << log();
}

TEST_P(StatementsTest, KeysMatchIgnoringCaseAndMissingRowsAreReported)
{
    const auto rows = [&](const char* table, const char* frame) {
        return count(
            QStringLiteral("select count(*) from %1 where WorkOrderFrame_ID='%2'").arg(table, frame));
    };
    const qint32 frames = count("select count(*) from TWO_Frame"), nodes = rows("Two_Node", "CMP01"),
                 links = rows("Two_Link", "CMP01");
    // Updates and deletes of rows that are not there (changed or deleted elsewhere) touch nothing
    // and say so: NoRowMatched, one log line each.
    EXPECT_EQ(DBOperate().UpdateWorkOrderFrame(TrickyFrame(QStringLiteral("NONE"), 0)), NoRowMatched);
    EXPECT_EQ(DBOperate().ClaimWorkOrderFrame(QStringLiteral("NONE")), NoRowMatched);
    EXPECT_EQ(DBOperate().UpdateNode(TrickyNode(QStringLiteral("NONE"), QStringLiteral("N00001"), 0)),
              NoRowMatched);
    EXPECT_EQ(DBOperate().UpdateLinks(TrickyLink(QStringLiteral("NONE"), QStringLiteral("L1"), 0)),
              NoRowMatched);
    EXPECT_EQ(DBOperate().DeleteNode(QStringLiteral("NONE"), QStringLiteral("N00001")).toInt(), NoRowMatched);
    EXPECT_EQ(DBOperate().DelLinks(QStringLiteral("NONE"), QStringLiteral("L1")), NoRowMatched);
    EXPECT_EQ(logLines().size(), 6) << log();
    host().log().clear();
    EXPECT_EQ(count("select count(*) from TWO_Frame"), frames);
    EXPECT_EQ(rows("Two_Node", "CMP01"), nodes);
    EXPECT_EQ(rows("Two_Link", "CMP01"), links);
    EXPECT_EQ(DBOperate().GetWorkOrderIDExists(QStringLiteral("NONE")), -1);

    // Other letters name the same row. Deleting a node leaves its links to the model.
    EXPECT_EQ(DBOperate().GetWorkOrderIDExists(QStringLiteral("cmp01")), 1);
    EXPECT_EQ(DBOperate().ClaimWorkOrderFrame(QStringLiteral("cmp01")), 1);
    EXPECT_EQ(ReadFrame(QStringLiteral("Cmp01")).size(), 1u);
    EXPECT_EQ(DBOperate().DeleteNode(QStringLiteral("cmp01"), QStringLiteral("n00001")).toInt(), 1);
    EXPECT_EQ(rows("Two_Node", "CMP01"), nodes - 1);
    EXPECT_EQ(rows("Two_Link", "CMP01"), links);
    EXPECT_EQ(DBOperate().DelLinks(QStringLiteral("cmp01"), QStringLiteral("l1")), 1);
    EXPECT_EQ(rows("Two_Link", "CMP01"), links - 1);
    EXPECT_TRUE(logLines().isEmpty()) << log();

    EXPECT_EQ(DBOperate().InsertWorkOrderFrame(TrickyFrame(QStringLiteral("cmp01"), 0)), -1);
    EXPECT_EQ(DBOperate().InsertNode(TrickyNode(QStringLiteral("cmp01"), QStringLiteral("n00002"), 0)), -1);
    EXPECT_EQ(DBOperate().InsertLinks(TrickyLink(QStringLiteral("cmp01"), QStringLiteral("l2"), 0)), -1);
    ASSERT_EQ(logLines().size(), 3) << log();
    EXPECT_TRUE(logLines().at(0).startsWith("[Korvel]-[cDBOperate]-[InsertWorkOrderFrame]:"));
    EXPECT_TRUE(logLines().at(1).startsWith("[Korvel]-[cDBOperate]-[InsertNode]:"));
    EXPECT_TRUE(logLines().at(2).startsWith("[Korvel]-[cDBOperate]-[InsertLinks]:"));
}

TEST_P(StatementsTest, InsertStampsCreatorAndUpdateOnlyTheModifier)
{
    const QString before = QDateTime::currentDateTime().addSecs(-1).toString("yyyy-MM-dd HH:mm:ss");
    FrameValues v = TrickyFrame(QStringLiteral("NEW1"), 1);
    ASSERT_EQ(DBOperate().InsertWorkOrderFrame(v), 1);
    const QString after = QDateTime::currentDateTime().addSecs(1).toString("yyyy-MM-dd HH:mm:ss");
    // Date columns read as "yyyy-MM-dd HH:mm:ss", whether the database keeps text or a time stamp.
    const auto column = [&](const char* name) {
        return Utility().FieldToString(
            db().scalar(QStringLiteral("select %1 from TWO_Frame where WorkOrderFrame_ID='NEW1'").arg(name)));
    };
    const QRegularExpression format(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    EXPECT_EQ(column("CreatedBy"), QStringLiteral("alice_"));
    EXPECT_EQ(column("ModifiedBy"), QStringLiteral("alice_"));
    EXPECT_TRUE(format.match(column("CreatedDate")).hasMatch()) << column("CreatedDate").toStdString();
    EXPECT_TRUE(column("CreatedDate") >= before && column("CreatedDate") <= after);
    EXPECT_TRUE(format.match(column("ModifiedDate")).hasMatch()) << column("ModifiedDate").toStdString();

    // Another user edits the header later: only the modification columns change.
    db().exec(QStringLiteral("update TWO_Frame set CreatedDate='2001-02-03 04:05:06', "
                             "ModifiedDate='2001-02-03 04:05:06' where WorkOrderFrame_ID='NEW1'"));
    TestHost bob(db().database(), QStringLiteral("o'bo")); // quoted like every other value
    {
        AddinSession session(bob);
        v.WorkOrderFrameName = QStringLiteral("Renamed");
        ASSERT_EQ(DBOperate().UpdateWorkOrderFrame(v), 1);
    }
    m_session.reset();
    m_session = std::make_unique<AddinSession>(host());
    EXPECT_EQ(column("CreatedBy"), QStringLiteral("alice_"));
    EXPECT_EQ(column("CreatedDate"), QStringLiteral("2001-02-03 04:05:06"));
    EXPECT_EQ(column("ModifiedBy"), QStringLiteral("o'bo"));
    EXPECT_GE(column("ModifiedDate"), before);
    EXPECT_EQ(column("WorkOrderFrameName"), QStringLiteral("Renamed"));
}

TEST_P(StatementsTest, FailedLinkDeletionRollsTheWholeFrameDeleteBack)
{
    if (db().kind() == TestDatabase::Kind::SQLite) {
        db().exec("create trigger keep_links before delete on Two_Link begin select raise(abort, 'links are "
                  "kept'); end");
    } else {
        db().exec("create function keep_links() returns trigger language plpgsql as "
                  "$$ begin raise exception 'links are kept'; end $$");
        db().exec(
            "create trigger keep_links before delete on Two_Link for each row execute function keep_links()");
    }
    const qint32 nodes = count("select count(*) from Two_Node where WorkOrderFrame_ID='CMP01'");

    EXPECT_EQ(DBOperate().DeleteWorkOrderFrame(QStringLiteral("CMP01")), -1);
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines().at(0).startsWith("[Korvel]-[cDBOperate]-[DeleteWorkOrderFrame]:") &&
                logLines().at(0).contains("links are kept"))
        << log();
    // Read on the same connection: an open transaction would show the header and nodes gone
    // (SQLite) or refuse every statement (PostgreSQL).
    EXPECT_EQ(count("select count(*) from TWO_Frame where WorkOrderFrame_ID='CMP01'"), 1);
    EXPECT_EQ(count("select count(*) from Two_Node where WorkOrderFrame_ID='CMP01'"), nodes);
    EXPECT_EQ(DBOperate().GetWorkOrderIDExists(QStringLiteral("CMP01")), 1);
}

TEST_P(StatementsTest, LookupsReturnEveryRowWithTheColumnsTheDialogsRead)
{
    struct Lookup {
        std::unique_ptr<Recordset> rs;
        QStringList columns;
        qint32 rows;
    } lookups[] = {
        {DBOperate().GetCodePriority(), {"Priority_ID", "PriorityDescription"}, 4},
        {DBOperate().GetWorkOrderType(), {"ID", "Description"}, 4},
        {DBOperate().GetAddinBuild(), {"Group_IDA", "GroupName"}, 4},
        {DBOperate().GetAllWorkOrderList(), {"WorkOrderFrame_ID", "WorkOrderFrameName"}, 3},
        {DBOperate().GetAllObjectiveTypeList(), {"ObjectiveType_ID", "ObjectiveTypeDescription"}, 3},
    };
    for (auto& lookup : lookups) {
        ASSERT_TRUE(lookup.rs);
        EXPECT_EQ(lookup.rs->RecordCount(), lookup.rows) << lookup.columns.join(',').toStdString();
        for (; !lookup.rs->IsEOF(); lookup.rs->MoveNext())
            for (const QString& column : lookup.columns)
                EXPECT_FALSE(Utility().FieldToString(lookup.rs->Fields(column)).isEmpty())
                    << column.toStdString();
    }
    EXPECT_TRUE(logLines().isEmpty()) << log();
}

TEST_P(StatementsTest, MissingTablesGiveTheFailureValueAndOneLogLineOfPrefixAndDriverText)
{
    for (const char* table : {"TWO_Frame", "Two_Node", "Two_Link", "SYSC_Priority", "Sysc_WoCategory",
                              "Tab_Group", "objectivetype"})
        db().exec(QStringLiteral("drop table %1").arg(table));
    const FrameValues frame = TrickyFrame(QStringLiteral("X1"), 0);
    const NodeValues node = TrickyNode(QStringLiteral("X1"), QStringLiteral("N00001"), 0);
    const LinkValues link = TrickyLink(QStringLiteral("X1"), QStringLiteral("L1"), 0);
    const QString id = QStringLiteral("CMP01");
    const QVariant deletedNode = DBOperate().DeleteNode(id, QStringLiteral("N00001"));
    EXPECT_EQ(deletedNode.typeId(), QMetaType::Short);
    // Operation, whether it gave its failure value, the table its driver text must name.
    const struct {
        const char* operation;
        bool failed;
        const char* table;
    } calls[] = {
        {"DeleteNode", deletedNode.toInt() == -1, "two_node"},
        {"GetNodes", DBOperate().GetNodes(id) == nullptr, "two_node"},
        {"InsertNode", DBOperate().InsertNode(node) == -1, "two_node"},
        {"UpdateNode", DBOperate().UpdateNode(node) == -1, "two_node"},
        {"GetLinks", DBOperate().GetLinks(id) == nullptr, "two_link"},
        {"InsertLinks", DBOperate().InsertLinks(link) == -1, "two_link"},
        {"UpdateLinks", DBOperate().UpdateLinks(link) == -1, "two_link"},
        {"DelLinks", DBOperate().DelLinks(id, QStringLiteral("L1")) == -1, "two_link"},
        {"GetCodePriority", DBOperate().GetCodePriority() == nullptr, "sysc_priority"},
        {"GetWorkOrderType", DBOperate().GetWorkOrderType() == nullptr, "sysc_wocategory"},
        {"GetAddinBuild", DBOperate().GetAddinBuild() == nullptr, "tab_group"},
        {"GetAllWorkOrderList", DBOperate().GetAllWorkOrderList() == nullptr, "two_frame"},
        {"GetAllObjectiveTypeList", DBOperate().GetAllObjectiveTypeList() == nullptr, "objectivetype"},
        {"GetWorkOrderIDExists", DBOperate().GetWorkOrderIDExists(id) == 0, "two_frame"},
        {"GetOneWorkOrder", DBOperate().GetOneWorkOrder(id) == nullptr, "two_frame"},
        {"InsertWorkOrderFrame", DBOperate().InsertWorkOrderFrame(frame) == -1, "two_frame"},
        {"UpdateWorkOrderFrame", DBOperate().UpdateWorkOrderFrame(frame) == -1, "two_frame"},
        {"ClaimWorkOrderFrame", DBOperate().ClaimWorkOrderFrame(id) == -1, "two_frame"},
    };
    ASSERT_EQ(logLines().size(), static_cast<qsizetype>(std::size(calls))) << log();
    for (size_t i = 0; i < std::size(calls); ++i) {
        const QString prefix = QStringLiteral("[Korvel]-[cDBOperate]-[%1]:").arg(calls[i].operation);
        const QString line = logLines().at(static_cast<qsizetype>(i));
        EXPECT_TRUE(calls[i].failed) << calls[i].operation;
        EXPECT_TRUE(line.startsWith(prefix)) << line.toStdString();
        // The driver's own text follows the prefix directly.
        EXPECT_NE(line.mid(prefix.size(), 1), QStringLiteral(" ")) << line.toStdString();
        EXPECT_FALSE(line.contains(QLatin1Char('\n'))) << line.toStdString();
        EXPECT_TRUE(line.mid(prefix.size()).contains(calls[i].table, Qt::CaseInsensitive))
            << line.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Db, StatementsTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

using EmptyStatementsTest = EmptyDatabaseTest;

TEST_P(EmptyStatementsTest, EmptyTablesGiveOpenEmptySets)
{
    std::unique_ptr<Recordset> sets[] = {DBOperate().GetCodePriority(),
                                         DBOperate().GetWorkOrderType(),
                                         DBOperate().GetAddinBuild(),
                                         DBOperate().GetAllWorkOrderList(),
                                         DBOperate().GetAllObjectiveTypeList(),
                                         DBOperate().GetOneWorkOrder(QStringLiteral("CMP01")),
                                         DBOperate().GetNodes(QStringLiteral("CMP01")),
                                         DBOperate().GetLinks(QStringLiteral("CMP01"))};
    for (const auto& rs : sets) {
        ASSERT_TRUE(rs);
        EXPECT_TRUE(rs->IsOpen() && rs->IsEOF());
    }
    EXPECT_TRUE(logLines().isEmpty()) << log();
}

INSTANTIATE_TEST_SUITE_P(Db, EmptyStatementsTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel::test
