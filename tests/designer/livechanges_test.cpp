// Changes made by other processes reach an open designer window: through PostgreSQL's notification
// or, on SQLite, the poll of the file's data version; View > Refresh reads them on demand.

#include "designer/livechanges.h"
#include "designerfixture.h"
#include "persistence/framechanges.h"
#include "tests/stress/stresschild.h"

#include <QScrollBar>

namespace korvel {
namespace {

using namespace Qt::StringLiterals;

class LiveChangesTest : public DesignerDbTest {
protected:
    // Waits a few seconds at most, letting the window handle its events meanwhile.
    static bool Soon(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 5000); }
    static std::string Say(QProcess& child, const char* line)
    {
        child.write(line);
        child.waitForBytesWritten();
        return NextLine(child).toStdString();
    }
    QString Note() { return Window().Live().Note().text(); }
    // The text of the canvas's nodes, joined.
    QString Drawn()
    {
        QStringList texts;
        for (const FlowNodeItem* node : Scene().Nodes())
            texts << node->Text();
        return texts.join(u'|');
    }
};

TEST_P(LiveChangesTest, AnotherProcessesLockSaveAndCopyReachTheWindow)
{
    ClickFrame(u"CMP01"_s);
    ASSERT_EQ(Scene().Tag(), u"CMP01"_s);
    Canvas().setZoom(1.5);
    const QString chosen = Scene().Nodes().last()->Key();
    Scene().SelectItem(Scene().NodeByKey(chosen));
    Canvas().horizontalScrollBar()->setValue(40);
    const int scrolled = Canvas().horizontalScrollBar()->value();

    auto bob = StartChild({u"edit"_s, ChildLocation(Db()), u"CMP01"_s, u"bob"_s});
    ASSERT_EQ(NextLine(*bob).toStdString(), "ready");
    ASSERT_EQ(Say(*bob, "open\n"), "open read-only");
    ASSERT_EQ(Say(*bob, "lock\n"), "locked 1");
    EXPECT_TRUE(Soon([&] { return Window().Status().LockState().text().contains(u"Bob Novak"_s); }))
        << Window().Status().LockState().text().toStdString();

    const QString before = Drawn();
    ASSERT_FALSE(before.contains(u'+'));
    ASSERT_EQ(Say(*bob, "save\n"), "saved 1");
    EXPECT_TRUE(Soon([&] { return Drawn().contains(u'+'); })) << Drawn().toStdString();
    // Read again and drawn in place: the same frame, read-only, its selection and view as they were.
    EXPECT_EQ(Drawn().count(u'+'), 1);
    EXPECT_EQ(Scene().Tag(), u"CMP01"_s);
    EXPECT_FALSE(Scene().EditMode());
    EXPECT_DOUBLE_EQ(Canvas().Zoom(), 1.5);
    EXPECT_EQ(Canvas().horizontalScrollBar()->value(), scrolled);
    ASSERT_NE(Scene().SelectedNode(), nullptr);
    EXPECT_EQ(Scene().SelectedNode()->Key(), chosen);

    QTemporaryDir folder;
    auto writer = StartChild({u"write"_s, ChildLocation(Db()), u"REP01"_s, folder.filePath(u"none.json"_s)});
    ASSERT_EQ(Say(*writer, "copy LIVE7\n"), "done LIVE7");
    EXPECT_TRUE(Soon([&] { return TreeRow(u"LIVE7"_s).isValid(); }));
    EXPECT_EQ(TreeRow(u"LIVE7"_s).data().toString().contains(u"LIVE7"_s), true);
    EXPECT_EQ(Orders().RowOf(u"LIVE7"_s), Orders().Count() - 1);
    for (QProcess* child : {bob.get(), writer.get()}) {
        child->closeWriteChannel();
        EXPECT_TRUE(child->waitForFinished());
    }
}

// Refresh reads what the poll or the notification would bring: here written on the window's own
// connection, which SQLite's data version never reports to itself.
TEST_P(LiveChangesTest, RefreshRenamesRemovesAndKeepsWhatIsEditedHere)
{
    const QSqlDatabase db = Db().database();
    Window().activateWindow(); // F5 is a shortcut of the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    OpenLocked(u"REP01"_s);
    Db().exec(u"UPDATE TWO_Frame SET WorkOrderFrameName = 'Renamed' WHERE WorkOrderFrame_ID IN ('CMP01', 'REP01')"_s);
    FrameChanges::Record(db, u"CMP01"_s, FrameChangeKind::HeaderEdited, u"carol"_s);
    FrameChanges::Record(db, u"REP01"_s, FrameChangeKind::HeaderEdited, u"carol"_s);
    QTest::keyClick(&Window(), Qt::Key_F5);
    EXPECT_EQ(Orders().AllWOrder()[Orders().RowOf(u"CMP01"_s)].Name(), u"Renamed"_s);
    // Edited here: not replaced, and the note says by whom.
    EXPECT_NE(Frame(u"REP01"_s).WorkOrderFrameName, u"Renamed"_s);
    EXPECT_EQ(Frame(u"REP01"_s).LockFlag(), 1);
    EXPECT_TRUE(Note().contains(u"carol"_s)) << Note().toStdString();

    ClickFrame(u"BIL01"_s);
    ASSERT_EQ(Scene().Tag(), u"BIL01"_s);
    Db().exec(u"DELETE FROM TWO_Frame WHERE WorkOrderFrame_ID = 'BIL01'"_s);
    FrameChanges::Record(db, u"BIL01"_s, FrameChangeKind::Deleted, u"carol"_s);
    Window().MenuBarAction(u"Refresh"_s)->trigger();
    EXPECT_FALSE(TreeRow(u"BIL01"_s).isValid());
    EXPECT_TRUE(Scene().Nodes().isEmpty());
    EXPECT_TRUE(Orders().CurWOrder().isEmpty());
    EXPECT_TRUE(Note().contains(u"BIL01"_s) && Note().contains(u"carol"_s)) << Note().toStdString();

    // A lock this session held, broken elsewhere: the window follows on Refresh.
    Db().exec(u"DELETE FROM Korvel_RecordLock"_s);
    ClickFrame(u"REP01"_s);
    QTest::keyClick(&Window(), Qt::Key_F5);
    EXPECT_EQ(Frame(u"REP01"_s).LockFlag(), 0);
    EXPECT_EQ(TreeImage(u"REP01"_s), u"DynClose"_s);
    EXPECT_FALSE(Scene().EditMode());
}

INSTANTIATE_TEST_SUITE_P(Db, LiveChangesTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
