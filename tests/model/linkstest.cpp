#include "tests/model/modelfixture.h"

#include "tests/support/scriptedui.h"

namespace korvel {
namespace {

using LinkQuestions = ModelTestSQLite;

TEST_P(LinkQuestions, OnlyLiveLinksJoinButDeletedOnesKeepTheirCodes)
{
    ScriptedUi ui;
    auto frame = LoadFrame(u"CMP01"_s);
    cLinks& links = frame->AllLink();
    const QString n1 = u"N00001"_s, n2 = u"N00002"_s, n4 = u"N00004"_s;

    // BPD answers "may these two be joined": not to itself, not twice in either direction; node
    // IDs compare exactly. Deleted links join nothing but keep their codes taken.
    EXPECT_EQ(QList<bool>({links.BPD(n1, n1), links.BPD(n1, n2), links.BPD(n2, n1), links.BPD(n1, n4),
                           links.BPD(u"n00001"_s, n2), links.GetBeginFlowExists(), links.GetEndNodeFlowExists(n4)}),
              QList<bool>({false, false, false, true, true, true, true}));
    for (const QString& code : {u"L2"_s, u"L1"_s, u"L6"_s})
        links.Del(code);
    ASSERT_EQ(links.DelMe(u"L3"_s).toInt(), 1);
    EXPECT_EQ(QList<bool>({links.BPD(n1, n2), links.BPD(n2, n1), links.GetBeginFlowExists(),
                           links.GetEndNodeFlowExists(n4), links.LinkIDExists(u"l2"_s), links.LinkIDExists(u"L3"_s),
                           links.LinkIDExists(u"L9"_s)}),
              QList<bool>({true, true, false, false, true, true, false}));

    // An unknown code: Del tells the user, DelMe only answers -1 (keys are exact).
    links.Del(u"L9"_s);
    EXPECT_EQ(links.DelMe(u"l4"_s).toInt(), -1);
    EXPECT_EQ(ui.messages().texts(), QStringList{u"Delete failed"_s});
}

INSTANTIATE_TEST_SUITE_P(Db, LinkQuestions, ::testing::Values(TestDatabase::Kind::SQLite),
                         KorvelDatabaseKindName());

using LinkSave = ModelTest;

TEST_P(LinkSave, DeletionIsWrittenBeforeTheNewLinkTakingItsCode)
{
    auto frame = LoadFrame(u"CMP01"_s);
    cLinks& links = frame->AllLink();
    ASSERT_EQ(links.DelMe(u"L3"_s).toInt(), 1);
    EXPECT_EQ(links.OneLinks(u"L3"_s), nullptr);

    LinkValues v{u"CMP01"_s, u"L3"_s, u"Straight to reply"_s, u"N00004"_s, u"N00001"_s, 0, {}, {}, {}};
    ASSERT_EQ(links.NewMe(v), 1);
    EXPECT_EQ(links.NewMe(v), -1);
    // The row key (frame, code) is unique: an insert before the delete would fail, a delete after
    // the insert would remove the new row.
    EXPECT_EQ(frame->SaveMe(), 1);
    EXPECT_EQ(Rows(u"select WorkOrderLink_ID, WorkOrderLinkName, FatherNode_ID, SonNode_ID from Two_Link "
                   "where WorkOrderFrame_ID='CMP01' and WorkOrderLink_ID='L3'"_s),
              QStringList{u"L3|Straight to reply|N00001|N00004"_s});
    EXPECT_TRUE(logLines().isEmpty()) << log();
}

INSTANTIATE_TEST_SUITE_P(Db, LinkSave, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
