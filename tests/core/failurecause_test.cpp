#include "core/failurecause.h"

#include "resources/stringtable.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

// The texts SQLite, PostgreSQL, Korvel and the system give for one trouble come to one cause, and
// only the causes the user can mend from the window are warnings.
TEST(FailureCauseTest, EachDatabasesWordingComesToOneCause)
{
    using C = FailureCause;
    const std::pair<const char*, FailureCause> cases[] = {
        {"database is locked", C::Busy}, {"canceling statement due to lock timeout", C::Busy},
        {"could not serialize access due to concurrent update", C::Conflict}, {"deadlock detected", C::Conflict},
        {"attempt to write a readonly database", C::ReadOnly}, {"cannot execute UPDATE in a read-only transaction", C::ReadOnly},
        {"database or disk is full", C::DiskFull}, {"could not extend file \"base/1/2\": No space left on device", C::DiskFull},
        {"UNIQUE constraint failed: TWO_Frame.WorkOrderFrame_ID", C::Constraint},
        {"duplicate key value violates unique constraint \"two_frame_pkey\"", C::Constraint},
        {"server closed the connection unexpectedly", C::ConnectionLost}, {"The database connection is not open", C::ConnectionLost},
        {"canceling statement due to statement timeout", C::TimedOut}, {"permission denied for table two_frame", C::PermissionDenied},
        {"database disk image is malformed", C::Damaged}, {"Injected fault at statement 3", C::Unknown}, {"", C::Unknown},
    };
    for (const auto& [raw, cause] : cases)
        EXPECT_EQ(ClassifyFailure(QString::fromUtf8(raw)), cause) << raw;
    for (const Language language : {Language::English, Language::Chinese}) { // Korvel's own texts
        EXPECT_EQ(ClassifyFailure(LoadResString(1920, language).arg(30)), C::TimedOut);
        EXPECT_EQ(ClassifyFailure(LoadResString(1902, language).arg("/tmp/a.png")), C::FileUnwritable);
    }
    EXPECT_EQ(std::vector({UserCanAct(C::Conflict), UserCanAct(C::Constraint), UserCanAct(C::Busy), UserCanAct(C::Unknown)}),
              std::vector({true, true, false, false}));
    EXPECT_EQ(DescribeFailure(C::Busy, " database is locked "),
              "The database is busy: another program holds it (database is locked).");
}

} // namespace
} // namespace korvel
