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
    const struct {
        const char* raw;
        FailureCause cause;
    } cases[] = {
        {"database is locked", C::Busy},
        {"database table is locked: Two_Node", C::Busy},
        {"canceling statement due to lock timeout", C::Busy},
        {"could not obtain lock on row in relation \"two_frame\"", C::Busy},
        {"could not serialize access due to concurrent update", C::Conflict},
        {"deadlock detected", C::Conflict},
        {"attempt to write a readonly database", C::ReadOnly},
        {"cannot execute UPDATE in a read-only transaction", C::ReadOnly},
        {"database or disk is full", C::DiskFull},
        {"could not extend file \"base/16384/2619\": No space left on device", C::DiskFull},
        {"UNIQUE constraint failed: TWO_Frame.WorkOrderFrame_ID", C::Constraint},
        {"duplicate key value violates unique constraint \"two_frame_pkey\"", C::Constraint},
        {"null value in column \"workordernode_id\" violates not-null constraint", C::Constraint},
        {"server closed the connection unexpectedly", C::ConnectionLost},
        {"The database connection is not open", C::ConnectionLost},
        {"unable to open database file", C::ConnectionLost},
        {"canceling statement due to statement timeout", C::TimedOut},
        {"permission denied for table two_frame", C::PermissionDenied},
        {"database disk image is malformed", C::Damaged},
        {"file is not a database", C::Damaged},
        {"Injected fault at statement 3", C::Unknown},
        {"", C::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyFailure(QString::fromUtf8(c.raw)), c.cause) << c.raw;

    // Korvel's own texts, in either language.
    for (const Language language : {Language::English, Language::Chinese}) {
        EXPECT_EQ(ClassifyFailure(LoadResString(1920, language).arg(30)), C::TimedOut);
        EXPECT_EQ(ClassifyFailure(LoadResString(1902, language).arg("/tmp/a.png")), C::FileUnwritable);
        EXPECT_EQ(ClassifyFailure(LoadResString(1437, language).arg("/x/a.json", "Permission denied")),
                  C::PermissionDenied);
    }

    for (const C cause : {C::Conflict, C::Constraint})
        EXPECT_TRUE(UserCanAct(cause));
    for (const C cause : {C::Unknown, C::Busy, C::ReadOnly, C::DiskFull, C::ConnectionLost, C::FileUnwritable})
        EXPECT_FALSE(UserCanAct(cause));
    EXPECT_EQ(DescribeFailure(C::Busy, " database is locked "),
              "The database is busy: another program holds it (database is locked).");
}

} // namespace
} // namespace korvel
