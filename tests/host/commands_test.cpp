#include "tests/host/programrun.h"

#include <QSysInfo>
#include <sys/stat.h>

namespace korvel {
namespace {

// The commands on frames: their exit status, what they print and write; bad command lines: the usage.
TEST_F(ProgramTest, FrameCommandsReportTheirOutcomeInTheExitStatus)
{
    const QString db = initialised("frames.sqlite");
    // A frame whose only step Start cannot reach, far out to the right.
    valueIn(db,
            "INSERT INTO TWO_Frame (WorkOrderFrame_ID, WorkOrderFrameName, ExpiredPeriod) VALUES ('BAD1', "
            "'Broken', 1)");
    valueIn(db,
            "INSERT INTO Two_Node (WorkOrderFrame_ID, WorkOrderNode_ID, WorkOrderNodeName, ExpiredPeriod, "
            "HandleBy_ID, NodeLeft) VALUES ('BAD1', 'Z1', 'Lonely step', 1, 'S0001', 2147483000)");
    const QString svg = path("flow.svg"), exported = path("frames.json"), broken = path("broken.json");
    writeFile(broken, "{\n  \"format\": \"korvel-frames\",\n  \"version\": 1,,\n}");
    const qint32 frames = valueIn(db, "SELECT COUNT(*) FROM TWO_Frame").toInt();
    // CMP02's lock, held by a session that runs (this process), keeps it from being replaced.
    valueIn(db, QStringLiteral("INSERT INTO Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt, SessionID) "
                               "VALUES ('Korvel', 'CMP02', 'bob', '2024-01-01 08:00:00', '%1/%2/1')")
                    .arg(QSysInfo::machineHostName()).arg(QCoreApplication::applicationPid()));

    // The output: a part of standard output (exit 0 or 1 from check) or of standard error.
    const struct { Args arguments; int exitCode; const char* output; const char* locale = nullptr; } cases[] = {
        {{"list"}, 0, "CMP01\tCustomer complaint"},
        {{"--user", QString(40, u'u'), "list"}, 0, "CMP01"}, // the longest staff ID
        {{"show", "CMP01"}, 0, "Customer complaint"},
        {{"check", "CMP01", "REP01", "BIL01"}, 0, "BIL01"}, // the demo flows have no errors
        {{"check", "BAD1", "CMP01"}, 1, "Lonely step (Z1)"}, // an error in any frame checked counts
        {{"check", "--json"}, 1, "\"messageId\": "},
        {{"check", "CMP01", "--json"}, 0, "[\n    {\n        \"findings\": [\n        ],\n        \"frame\": \"CMP01\"\n    }\n]\n"},
        {{"check", "BAD1", "CMP01", "--json"}, 1, "\"frame\": \"BAD1\"\n    },\n    {\n        \"findings\": [\n        ],\n        \"frame\": \"CMP01\""},
        {{"search", " \t"}, 2, "korvel search: the text to find is empty"},
        {{"check", "NOPE"}, 1, "NOPE does not exist"},
        {{"search", "lonely"}, 0, "BAD1\tstep\tZ1"},
        {{"render", "CMP01", "-o", svg}, 0, "flow.svg"},
        {{"render", "BAD1", "-o", path("far.png"), "--scale", "20"}, 1, "at most 32767 pixels wide"},
        {{"export", "CMP01", "-o", exported}, 0, "frames.json"},
        {{"import", exported}, 1, "CMP01 already exists"},
        {{"import", exported, "--as", "CMP02"}, 0, "CMP02"},
        {{"import", exported, "--as", "CMP02", "--replace"}, 1, "CMP02 is locked by Bob Novak (bob) since 2024"},
        {{"render", "CMP02", "--compare", "1", "-o", path("compare.png")}, 0, "compare.png"},
        {{"render", "CMP02", "--compare", "1", "1", "-o", path("compare.svg")}, 0, "compare.svg"},
        {{"render", "CMP02", "--compare", "9", "-o", path("none.png")}, 1, "version 9"},
        {{"render", "CMP01", "2", "-o", svg}, 2, "unexpected argument 2"},
        {{"render", "CMP01", "-o", path("walk.png"), "--walk", "Compensation=600", "Other=x"}, 0, "walk.png"},
        {{"render", "CMP01", "-o", path("plain.png")}, 0, "plain.png"},
        {{"render", "CMP01", "--walk", "Compensation=1", "--compare", "1", "-o", svg}, 2, "--walk and --compare"},
        {{"render", "CMP01", "--walk", "600", "-o", svg}, 2, "render --walk: \"600\" is not NAME=VALUE"},
        {{"render", "CMP01", "--compare", "0", "-o", svg}, 2, "not 0"},
        {{"import", broken}, 1, "line 3, column"},
        {{"import", path("missing.json")}, 1, "missing.json"},
        {{"show"}, 2, "help show"},
        {{"render", "CMP01"}, 2, "-o"},
        {{"frobnicate"}, 2, "Unknown command"},
        {{"--frobnicate"}, 2, "Usage:"},
        {{"--user="}, 2, "Usage:"},
        {{"--db-timeout", "0"}, 2, "Usage:"},
        {{"--db-timeout", "soon"}, 2, "Usage:"},
        {{"--unlock", " "}, 2, "Usage:"},
        {{"--check-db", "--unlock", "CMP01"}, 2, "Usage:"},
        {{"history", "CMP02"}, 0, "1\timport\ttester\t"},
        {{"history", "CMP02", "--json"}, 0, "\"kind\": \"import\""},
        {{"history", "--deleted"}, 0, "No deleted work orders."},
        {{"history"}, 2, "help history"},
        {{"diff", "CMP01", "1"}, 0, "no change"}, // its version 1: the frame as found
        {{"diff", "CMP01", "1", "one"}, 2, "\"one\" is not a whole number"},
        {{"diff", "CMP01", "7"}, 2, "CMP01 has no version 7"},
        {{"diff", "NOPE", "1"}, 2, "no work order NOPE"},
        {{"diff", "CMP01"}, 2, "help diff"},
        {{"restore", "CMP02", "1"}, 1, "Bob Novak"},
        {{"layout", "CMP02"}, 1, "Bob Novak"},
        {{"layout", "BAD1"}, 0, "Laid out BAD1 (1 step), stored as its version 2."},
        {{"layout", "BAD1"}, 0, "BAD1 is laid out already"},
        {{"layout", "NOPE"}, 2, "NOPE does not exist"},
        {{"layout"}, 2, "help layout"},
        {{"prune", "--keep", "0"}, 2, "at least 1"},
        {{"prune"}, 2, "at least 1"},
        {{"walk", "CMP01", "Compensation=600"}, 0, "N00002 Investigate\nL3 Compensation over 500 → N00003"},
        {{"walk", "CMP01", "compensation= 500.0 "}, 0, "→ End\nNever reached: N00003 Supervisor review\n"},
        {{"walk", "REP01", "Satisfied=0"}, 1, "→ N00005 Book appointment  (loop back to step N00005"},
        {{"walk", "CMP01"}, 1, "Investigate  (stops here: no open way on)\nNever reached: N00003"},
        {{"walk", "BAD1"}, 1, "Start  (stops here"},
        {{"walk", "CMP01", "Amount=a=b", "Compensation=1"}, 0, "no link of CMP01 tests Amount"},
        {{"walk", "CMP01", "Compensation=1", "--json"}, 0, "\"reachesEnd\": true"},
        {{"walk", "CMP01", "600"}, 2, "\"600\" is not NAME=VALUE"},
        {{"walk", "CMP01", " =600"}, 2, "no variable name"},
        {{"walk"}, 2, "help walk"},
        {{"walk", "NOPE", "a=1"}, 1, "NOPE does not exist"},
        // Under a Chinese locale the help and the messages are Chinese; what programs read is not.
        {{"--help"}, 0, "要使用的数据库", "zh_CN.UTF-8"},
        {{"help", "search"}, 0, "korvel search 文本\n\n在所有工单的 ID", "zh_CN.UTF-8"},
        {{"walk", "CMP01", "Compensation=1"}, 0, "→ 结束\n从未到达：N00003 Supervisor review\n到达结束。\n", "zh_CN.UTF-8"},
        {{"check", "CMP01", "--json"}, 0, "\"findings\": [\n        ],", "zh_CN.UTF-8"},
    };
    for (const auto& c : cases) {
        m_locale = c.locale;
        const ProgramRun result = run(Args{"--db", db} + c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments.join(u' ').toStdString() << "\n"
                                               << result.err.toStdString();
        EXPECT_TRUE((result.out + result.err).contains(QString::fromUtf8(c.output)))
            << c.arguments.join(u' ').toStdString() << ":\n"
            << result.out.toStdString() << result.err.toStdString();
    }
    m_locale.clear();
    EXPECT_EQ(valueIn(db, "SELECT COUNT(*) FROM TWO_Frame").toInt(), frames + 1); // CMP02 only
    // The step far out laid out right of Start, below the canvas's top.
    EXPECT_EQ(valueIn(db, "SELECT NodeLeft || ',' || NodeTop FROM Two_Node WHERE WorkOrderNode_ID='Z1'"), "2700,400");
    // Replaced: the flow written anew from the file, under a lock given back, the change logged.
    valueIn(db, "UPDATE Two_Node SET WorkOrderNodeName='stale' WHERE WorkOrderFrame_ID='CMP01'");
    EXPECT_EQ(run({"--db", db, "import", exported, "--replace"}).exitCode, 0);
    EXPECT_EQ(valueIn(db, "SELECT COUNT(*) FROM Two_Node WHERE WorkOrderNodeName='stale'").toInt(), 0);
    EXPECT_EQ(valueIn(db, "SELECT group_concat(RecordID) FROM Korvel_RecordLock").toString(), "CMP02");
    EXPECT_EQ(valueIn(db, "SELECT Kind FROM Korvel_FrameChange WHERE FrameID='CMP01' AND Kind='import'"), "import");
    EXPECT_TRUE(run({"--db", db, "show", "CMP01"}).out.contains("\nModified by tester on 20"));
    // Its history: a new name differs from the version before; that version restored, they are equal.
    writeFile(path("renamed.json"), filesUnder(m_home.path()).value(exported).first.replace(
                                        "\"Customer complaint\"", "\"Customer claims\""));
    EXPECT_EQ(run({"--db", db, "import", path("renamed.json"), "--replace"}).exitCode, 0);
    ProgramRun history = run({"--db", db, "diff", "CMP01", "2"});
    EXPECT_EQ(history.exitCode, 1);
    EXPECT_TRUE(history.out.startsWith("WorkOrder Customer complaint → Customer claims\n"))
        << history.out.toStdString();
    EXPECT_EQ(run({"--db", db, "restore", "CMP01", "2"}).out, "Restored version 2 of CMP01 as its version 4.\n");
    EXPECT_EQ(run({"--db", db, "diff", "CMP01", "2", "--json"}).exitCode, 0);
    EXPECT_TRUE(run({"--db", db, "history", "CMP01"}).out.startsWith("4\trestore\ttester\t"));
    EXPECT_EQ(run({"--db", db, "prune", "--keep", "1"}).out, "Dropped 4 versions.\n"); // BAD1: as found, laid out
    history = run({"--db", db, "history", "CMP01"});
    EXPECT_EQ(history.out.count(u'\n'), 1) << history.out.toStdString();
    EXPECT_FALSE(QFile::exists(path("far.png")) || QFile::exists(path("none.png")));
    // The path's marks are drawn into the picture.
    EXPECT_FALSE(QImage(path("walk.png")).isNull());
    EXPECT_NE(QImage(path("walk.png")), QImage(path("plain.png")));
    EXPECT_EQ(run({"--db", path("none.sqlite"), "list"}).exitCode, 1);
    EXPECT_EQ(run({"--db", path("none.sqlite"), "search", " "}).exitCode, 2); // wrong, whatever the database
    EXPECT_FALSE(QFile::exists(path("none.sqlite")));
}

// Output files are replaced whole and only when regular: a failed write (past the file size limit, as on
// a full disk) says why and leaves the old file and no other; a pipe, folder or read-only file is refused.
TEST_F(ProgramTest, OutputFilesAreReplacedWholeOrNotAtAll)
{
    const QString db = initialised("files.sqlite"), out = path("out");
    ASSERT_TRUE(QDir().mkpath(out + "/folder.svg") && mkfifo(QFile::encodeName(out + "/pipe.json"), 0644) == 0);
    for (const char* name : {"frames.json", "flow.svg", "flow.png", "flow.pdf", "readonly.pdf"})
        writeFile(out + '/' + name, QByteArray("old ") + name);
    ASSERT_TRUE(QFile::setPermissions(out + "/readonly.pdf", QFile::ReadOwner | QFile::ReadGroup));
    const Args toJson{"export", "CMP01", "REP01", "BIL01", "-o"}, render{"render", "CMP01", "-o"};
    const struct { Args command; const char* file; rlim_t limit; const char* error; } cases[] = {
        {toJson, "frames.json", 0, "File too large"},    {toJson, "frames.json", 4096, "File too large"},
        {render, "flow.svg", 0, "File too large"},       {render, "flow.svg", 4096, "File too large"},
        {render, "flow.png", 0, "File too large"},       {render, "flow.png", 4096, "File too large"},
        {render, "flow.pdf", 0, "File too large"},       {render, "flow.pdf", 4096, "File too large"},
        {{"--screenshot"}, "flow.png", 4096, "File too large"}, {toJson, "pipe.json", RLIM_INFINITY, "not a regular"},
        {render, "folder.svg", RLIM_INFINITY, "is a folder"}, {render, "readonly.pdf", RLIM_INFINITY, "is read-only"},
    };
    const auto before = filesUnder(out);
    for (const auto& c : cases) {
        const ProgramRun result = run(Args{"--db", db} + c.command + Args{out + '/' + c.file}, false, 60000,
                                      c.limit);
        EXPECT_TRUE(result.exitCode == 1 && result.err.contains("cannot be written: ") && result.err.contains(c.error))
            << c.file << ' ' << c.limit << ": " << result.err.toStdString();
        EXPECT_TRUE(filesUnder(out) == before) << c.file << ' ' << c.limit << ": a file was changed or left behind";
    }
    // Whole: replaced, keeping the permission bits; through a link, the file it names.
    ASSERT_TRUE(QFile::setPermissions(out + "/frames.json", QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::link(out + "/flow.svg", out + "/link.svg"));
    EXPECT_EQ(run(Args{"--db", db} + toJson + Args{out + "/frames.json"}).exitCode, 0);
    EXPECT_EQ(run(Args{"--db", db} + render + Args{out + "/link.svg"}).exitCode, 0);
    const auto after = filesUnder(out);
    EXPECT_TRUE(after.value(out + "/frames.json").first.startsWith('{') &&
                after.value(out + "/flow.svg").first.contains("<svg") && QFileInfo(out + "/link.svg").isSymLink() &&
                (QFile::permissions(out + "/frames.json") & 0x7077) == (QFile::ReadOwner | QFile::WriteOwner));
}

} // namespace
} // namespace korvel
