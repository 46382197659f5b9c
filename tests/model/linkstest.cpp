#include "tests/model/modelfixture.h"

namespace korvel {
namespace {

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
    EXPECT_TRUE(!links.Del(u"NOSUCH"_s) && links.Del(u"L3"_s)); // the caller tells the user
}

INSTANTIATE_TEST_SUITE_P(Db, LinkSave, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
