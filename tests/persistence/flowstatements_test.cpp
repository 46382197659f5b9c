// The node and link statements of cDBOperate.
#include "tests/persistence/persistencefixture.h"

#include <limits>

namespace korvel::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// Columns of GetNodes, in the statement's order (also the order of NodeValues).
const QStringList kNodeColumns{"WorkOrderFrame_ID",
                               "WorkOrderNode_ID",
                               "WorkOrderNodeName",
                               "ExpiredPeriod",
                               "ExpiredPeriodType_ID",
                               "CanSendBack",
                               "CanSendSelf",
                               "CanSkip",
                               "EmailNotify",
                               "SMSNotify",
                               "AddinType",
                               "WEBLink",
                               "Group_IDA",
                               "CanFullScreen",
                               "HandleBy_ID",
                               "HandleGroup_ID",
                               "ExpiredHandleBy_ID",
                               "ExpiredHandleGroup_ID",
                               "NodeTop",
                               "NodeLeft",
                               "Priority_ID",
                               "RefuseReply",
                               "CanClose",
                               "ContactCust",
                               "NextBeginTime",
                               "TickOffFlag",
                               "ReturnOldStep",
                               "CanModify",
                               "CanBackToBy",
                               "ToHandleby",
                               "ReturnGroupFlag",
                               "ForecastUnit",
                               "ForecastLen"};
const QStringList kNodeNumbers{
    "ExpiredPeriod", "CanSendBack", "CanSendSelf", "CanSkip",         "AddinType",   "CanFullScreen",
    "NodeTop",       "NodeLeft",    "RefuseReply", "CanClose",        "ContactCust", "NextBeginTime",
    "TickOffFlag",   "CanModify",   "CanBackToBy", "ReturnGroupFlag", "ForecastLen"};
const QStringList kLinkColumns{"WorkOrderFrame_ID", "WorkOrderLink_ID", "WorkOrderLinkName",
                               "SonNode_ID",        "FatherNode_ID",    "AlwaysOpen",
                               "AddinVariant",      "CompareType",      "VariantValue"};

std::vector<std::string> Expected(const NodeValues& v)
{
    const auto n = [](qint32 x) { return QString::number(x); };
    return Strings({v.WorkOrderFrame_ID,
                    v.WorkOrderNode_ID,
                    v.WorkOrderNodeName,
                    n(v.ExpiredPeriod),
                    v.ExpiredPeriodType_ID,
                    n(v.CanSendBack),
                    n(v.CanSendSelf),
                    n(v.CanSkip),
                    v.EmailNotify,
                    v.SMSNotify,
                    n(v.AddinType),
                    v.WEBLink,
                    v.Group_IDA,
                    n(v.CanFullScreen),
                    v.HandleBy_ID,
                    v.HandleGroup_ID,
                    v.ExpiredHandleBy_ID,
                    v.ExpiredHandleGroup_ID,
                    n(v.Top),
                    n(v.Left),
                    v.Priority_ID,
                    n(v.RefuseFlag),
                    n(v.CanClose),
                    n(v.ContactCust),
                    n(v.NextBeginTime),
                    n(v.TickOffFlag),
                    v.ReturnOldStep,
                    n(v.CanModify),
                    n(v.CanBackToBy),
                    v.ToMultiHandleBy,
                    n(v.ReturnGroupFlag),
                    v.ForecastUnit,
                    n(v.ForecastLen)});
}

std::vector<std::string> Expected(const LinkValues& v)
{
    return Strings({v.WorkOrderFrame_ID, v.WorkOrderLink_ID, v.WorkOrderLinkName, v.SonNode_ID,
                    v.FatherNode_ID, QString::number(v.AlwaysOpen), v.AddinVariant, v.CompareType,
                    v.VariantValue});
}

// A node whose every text is awkward and whose numbers differ from each other.
NodeValues TrickyNode(const QString& frame, const QString& id, int variant)
{
    NodeValues v;
    v.WorkOrderFrame_ID = frame;
    v.WorkOrderNode_ID = id;
    v.WorkOrderNodeName = TrickyText(variant);
    v.ExpiredPeriodType_ID = TrickyId(variant + 1);
    v.EmailNotify = TrickyId(variant + 2);
    v.SMSNotify = TrickyId(variant + 3);
    v.WEBLink = TrickyText(variant + 1);
    v.Group_IDA = TrickyId(variant + 4);
    v.HandleBy_ID = TrickyId(variant);
    v.HandleGroup_ID = TrickyId(variant + 1);
    v.ExpiredHandleBy_ID = TrickyId(variant + 2);
    v.ExpiredHandleGroup_ID = TrickyId(variant + 3);
    v.Priority_ID = TrickyId(variant + 4);
    v.ReturnOldStep = TrickyId(variant);
    v.ToMultiHandleBy = TrickyText(variant + 5);
    v.ForecastUnit = TrickyId(variant + 1);
    qint32 number = 100 * variant;
    for (qint32* field : {&v.ExpiredPeriod, &v.CanSendBack, &v.CanSendSelf, &v.CanSkip, &v.AddinType,
                          &v.CanFullScreen, &v.RefuseFlag, &v.CanClose, &v.ContactCust, &v.NextBeginTime,
                          &v.TickOffFlag, &v.CanModify, &v.CanBackToBy, &v.ReturnGroupFlag, &v.ForecastLen})
        *field = ++number;
    v.Top = -650 - variant;
    v.Left = -1400 - variant;
    return v;
}

LinkValues TrickyLink(const QString& frame, const QString& id, int variant)
{
    return LinkValues{frame,
                      id,
                      TrickyText(variant),
                      TrickyId(variant + 1),
                      TrickyId(variant + 2),
                      variant % 2,
                      TrickyText(variant + 1),
                      TrickyId(variant + 3),
                      TrickyText(variant + 5)};
}

Rows ReadNodes(const QString& frame)
{
    Rows rows;
    auto rs = DBOperate().GetNodes(frame);
    for (; rs && !rs->IsEOF(); rs->MoveNext())
        rows.push_back(ReadRow(*rs, kNodeColumns, kNodeNumbers));
    return rows;
}

Rows ReadLinks(const QString& frame)
{
    Rows rows;
    auto rs = DBOperate().GetLinks(frame);
    for (; rs && !rs->IsEOF(); rs->MoveNext())
        rows.push_back(ReadRow(*rs, kLinkColumns, {"AlwaysOpen"}));
    return rows;
}

using FlowStatementsTest = EmptyDatabaseTest;

TEST_P(FlowStatementsTest, EveryNodeValueSurvivesInsertAndUpdate)
{
    const QString frame = QStringLiteral("F'客");
    const QString id = QStringLiteral("N'\\1");
    const NodeValues inserted = TrickyNode(frame, id, 0);
    ASSERT_EQ(DBOperate().InsertNode(inserted), 1) << logLines().join('\n').toStdString();
    EXPECT_EQ(ReadNodes(frame), Rows{Expected(inserted)});

    NodeValues updated = TrickyNode(frame, id, 3);
    updated.Top = std::numeric_limits<qint32>::min();
    updated.Left = std::numeric_limits<qint32>::max();
    ASSERT_EQ(DBOperate().UpdateNode(updated), 1) << logLines().join('\n').toStdString();
    EXPECT_EQ(ReadNodes(frame), Rows{Expected(updated)});
    EXPECT_EQ(DBOperate().getNodeExists(id), 1);
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_P(FlowStatementsTest, EveryLinkValueSurvivesInsertAndUpdate)
{
    const QString frame = QStringLiteral("F'😀");
    const LinkValues inserted = TrickyLink(frame, QStringLiteral("L'\\"), 0);
    ASSERT_EQ(DBOperate().InsertLinks(inserted), 1) << logLines().join('\n').toStdString();
    EXPECT_EQ(ReadLinks(frame), Rows{Expected(inserted)});

    const LinkValues updated = TrickyLink(frame, QStringLiteral("L'\\"), 3);
    ASSERT_EQ(DBOperate().UpdateLinks(updated), 1) << logLines().join('\n').toStdString();
    EXPECT_EQ(ReadLinks(frame), Rows{Expected(updated)});
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_P(FlowStatementsTest, StatementsOnMissingRowsSucceedAndTouchNothing)
{
    const NodeValues kept = TrickyNode(QStringLiteral("FA"), QStringLiteral("N00001"), 1);
    const LinkValues link = TrickyLink(QStringLiteral("FA"), QStringLiteral("L1"), 1);
    ASSERT_EQ(DBOperate().InsertNode(kept), 1);
    ASSERT_EQ(DBOperate().InsertLinks(link), 1);

    // The same IDs in another frame are other rows.
    EXPECT_EQ(DBOperate().UpdateNode(TrickyNode(QStringLiteral("FB"), QStringLiteral("N00001"), 2)), 1);
    EXPECT_EQ(DBOperate().UpdateLinks(TrickyLink(QStringLiteral("FB"), QStringLiteral("L1"), 2)), 1);
    EXPECT_EQ(DBOperate().DeleteNode(QStringLiteral("FB"), QStringLiteral("N00001")).toInt(), 1);
    EXPECT_EQ(DBOperate().DelLinks(QStringLiteral("FB"), QStringLiteral("L1")), 1);
    EXPECT_EQ(ReadNodes(QStringLiteral("FA")), Rows{Expected(kept)});
    EXPECT_EQ(ReadLinks(QStringLiteral("FA")), Rows{Expected(link)});
    EXPECT_TRUE(ReadNodes(QStringLiteral("FB")).empty());
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_P(FlowStatementsTest, DeletingANodeLeavesItsLinksToTheModel)
{
    ASSERT_EQ(DBOperate().InsertNode(TrickyNode(QStringLiteral("FA"), QStringLiteral("N00001"), 0)), 1);
    ASSERT_EQ(DBOperate().InsertNode(TrickyNode(QStringLiteral("FA"), QStringLiteral("N00002"), 1)), 1);
    ASSERT_EQ(DBOperate().InsertLinks(
                  LinkValues{"FA", "L1", "to two", "N00002", "N00001", 0, QString(), QString(), QString()}),
              1);

    const QVariant deleted = DBOperate().DeleteNode(QStringLiteral("FA"), QStringLiteral("n00001"));
    EXPECT_EQ(deleted.toInt(), 1);
    EXPECT_EQ(count("select count(*) from Two_Node where WorkOrderFrame_ID='FA'"), 1);
    EXPECT_EQ(count("select count(*) from Two_Link where WorkOrderFrame_ID='FA'"), 1);
    EXPECT_EQ(DBOperate().DelLinks(QStringLiteral("fa"), QStringLiteral("l1")), 1);
    EXPECT_EQ(count("select count(*) from Two_Link"), 0);
}

TEST_P(FlowStatementsTest, AFrameWithoutRowsGivesOpenEmptySets)
{
    auto nodes = DBOperate().GetNodes(QStringLiteral("NONE"));
    auto links = DBOperate().GetLinks(QStringLiteral("NONE"));
    ASSERT_TRUE(nodes && links);
    EXPECT_TRUE(nodes->IsOpen() && nodes->IsEOF());
    EXPECT_TRUE(links->IsOpen() && links->IsEOF());
}

TEST_P(FlowStatementsTest, DuplicateKeysAreRefusedIgnoringCase)
{
    ASSERT_EQ(DBOperate().InsertNode(TrickyNode(QStringLiteral("FA"), QStringLiteral("N00001"), 0)), 1);
    EXPECT_EQ(DBOperate().InsertNode(TrickyNode(QStringLiteral("fa"), QStringLiteral("n00001"), 1)), -1);
    ASSERT_EQ(DBOperate().InsertLinks(TrickyLink(QStringLiteral("FA"), QStringLiteral("Lx"), 0)), 1);
    EXPECT_EQ(DBOperate().InsertLinks(TrickyLink(QStringLiteral("FA"), QStringLiteral("LX"), 1)), -1);
    ASSERT_EQ(logLines().size(), 2);
    EXPECT_TRUE(logLines().at(0).startsWith("[Korvel]-[cDBOperate]-[InsertNode]:"));
    EXPECT_TRUE(logLines().at(1).startsWith("[Korvel]-[cDBOperate]-[InsertLinks]:"));
}

TEST_P(FlowStatementsTest, MissingTablesGiveTheFailureValueAndOneLogLineEach)
{
    db().exec(QStringLiteral("drop table Two_Node"));
    db().exec(QStringLiteral("drop table Two_Link"));
    const NodeValues node = TrickyNode(QStringLiteral("FA"), QStringLiteral("N00001"), 0);
    const LinkValues link = TrickyLink(QStringLiteral("FA"), QStringLiteral("L1"), 0);

    EXPECT_EQ(DBOperate().GetNodes(QStringLiteral("FA")), nullptr);
    EXPECT_EQ(DBOperate().InsertNode(node), -1);
    EXPECT_EQ(DBOperate().UpdateNode(node), -1);
    const QVariant deleted = DBOperate().DeleteNode(QStringLiteral("FA"), QStringLiteral("N00001"));
    EXPECT_EQ(deleted.toInt(), -1);
    EXPECT_EQ(deleted.typeId(), QMetaType::Short);
    EXPECT_EQ(DBOperate().GetLinks(QStringLiteral("FA")), nullptr);
    EXPECT_EQ(DBOperate().InsertLinks(link), -1);
    EXPECT_EQ(DBOperate().UpdateLinks(link), -1);
    EXPECT_EQ(DBOperate().DelLinks(QStringLiteral("FA"), QStringLiteral("L1")), -1);

    const QStringList operations{"GetNodes", "InsertNode",  "UpdateNode",  "DeleteNode",
                                 "GetLinks", "InsertLinks", "UpdateLinks", "DelLinks"};
    ASSERT_EQ(logLines().size(), operations.size()) << logLines().join('\n').toStdString();
    for (int i = 0; i < operations.size(); ++i) {
        const QString prefix = QStringLiteral("[Korvel]-[cDBOperate]-[%1]:").arg(operations.at(i));
        EXPECT_TRUE(logLines().at(i).startsWith(prefix)) << logLines().at(i).toStdString();
        const QString table = i < 4 ? QStringLiteral("two_node") : QStringLiteral("two_link");
        EXPECT_TRUE(logLines().at(i).mid(prefix.size()).contains(table, Qt::CaseInsensitive))
            << logLines().at(i).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Db, FlowStatementsTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel::test
