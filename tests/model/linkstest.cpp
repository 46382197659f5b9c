#include "tests/model/modelfixture.h"

#include "tests/support/scriptedui.h"

namespace korvel {
namespace {

using namespace Qt::StringLiterals;

using LinkQuestions = ModelTestSQLite;

TEST_P(LinkQuestions, OnlyLiveLinksCount)
{
    ScriptedUi ui;
    auto frame = LoadFrame(u"CMP01"_s);
    cLinks& links = frame->AllLink();
    const QString n1 = u"N00001"_s, n2 = u"N00002"_s, n4 = u"N00004"_s;

    EXPECT_FALSE(links.BPD(n1, n1));
    EXPECT_FALSE(links.BPD(n1, n2)); // L2 joins them ...
    EXPECT_FALSE(links.BPD(n2, n1)); // ... in either direction
    EXPECT_TRUE(links.BPD(n1, n4));
    EXPECT_TRUE(links.BPD(u"n00001"_s, n2)); // IDs compare exactly
    EXPECT_TRUE(links.GetBeginFlowExists());
    EXPECT_TRUE(links.GetEndNodeFlowExists(n4));
    EXPECT_FALSE(links.GetEndNodeFlowExists(u"N00003"_s));

    links.Del(u"L2"_s);
    links.Del(u"L1"_s);
    links.Del(u"L6"_s);
    EXPECT_TRUE(links.BPD(n1, n2));
    EXPECT_TRUE(links.BPD(n2, n1));
    EXPECT_FALSE(links.GetBeginFlowExists());
    EXPECT_FALSE(links.GetEndNodeFlowExists(n4));

    // Codes: letter case ignored, deleted links included, also re-keyed ones.
    EXPECT_TRUE(links.LinkIDExists(u"l2"_s));
    EXPECT_FALSE(links.LinkIDExists(u"L9"_s));
    ASSERT_EQ(links.DelMe(u"L3"_s).toInt(), 1);
    EXPECT_TRUE(links.LinkIDExists(u"L3"_s));

    // An unknown code: Del tells the user, DelMe only answers -1 (keys are exact).
    EXPECT_TRUE(ui.messages().texts().isEmpty());
    links.Del(u"L9"_s);
    EXPECT_EQ(links.DelMe(u"l4"_s).toInt(), -1);
    EXPECT_EQ(ui.messages().texts(), QStringList{u"Delete failed"_s});
}

INSTANTIATE_TEST_SUITE_P(Db, LinkQuestions, ::testing::Values(TestDatabase::Kind::SQLite),
                         KorvelDatabaseKindName());

using LinkSave = ModelTest;

TEST_P(LinkSave, ReKeyedDeletionIsWrittenBeforeTheLinkTakingItsCode)
{
    auto frame = LoadFrame(u"CMP01"_s);
    cLinks& links = frame->AllLink();

    ASSERT_EQ(links.DelMe(u"L3"_s).toInt(), 1);
    EXPECT_EQ(links.OneLinks(u"L3"_s), nullptr);
    int deletedUnderNewKey = 0;
    for (const auto& [key, link] : links.AllLinks())
        if (key.startsWith(u"#DEL#"_s) && link->WorkOrderLink_ID() == u"L3"_s &&
            link->StateFlag() == StateDeleted)
            ++deletedUnderNewKey;
    EXPECT_EQ(deletedUnderNewKey, 1);

    LinkValues v;
    v.WorkOrderFrame_ID = u"CMP01"_s;
    v.WorkOrderLink_ID = u"L3"_s;
    v.WorkOrderLinkName = u"Straight to reply"_s;
    v.FatherNode_ID = u"N00001"_s;
    v.SonNode_ID = u"N00004"_s;
    ASSERT_EQ(links.NewMe(v), 1);
    EXPECT_EQ(links.NewMe(v), -1);
    // The row key (frame, code) is unique: an insert before the delete would fail, a delete after
    // the insert would remove the new row.
    EXPECT_EQ(frame->SaveMe(), 1);
    EXPECT_EQ(Rows(u"select WorkOrderLink_ID, WorkOrderLinkName, FatherNode_ID, SonNode_ID from Two_Link "
                   "where WorkOrderFrame_ID='CMP01' and WorkOrderLink_ID='L3'"_s),
              QStringList{u"L3|Straight to reply|N00001|N00004"_s});
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Db, LinkSave, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
