// Nothing is lost when the database fails: every statement of every write is made to fail in turn,
// rows are changed behind the designer's back, and ID checks meet an unreadable database. Each time
// the database stays as it was, the user is told, and the edits stay in memory for another try.

#include "tests/designer/designerfixture.h"

#include "core/failurecause.h"
#include "dialogs/frmorder.h"
#include "dialogs/frmsaveas.h"
#include "exchange/frameexchange.h"
#include "resources/stringtable.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

namespace korvel {
namespace {

// The start of the message about a database that could not be read.
QString Unreadable() { return LoadResString(1000) + QStringLiteral("\n\n"); }

class FaultInjectionTest : public DesignerDbTest {
protected:
    // Makes the frame current and editable, taking its lock unless this user holds it already.
    void OpenEditable(const QString& id)
    {
        ClickFrame(id);
        if (Frame(id).LockFlag() != 1)
            PressButton("Lock");
        ASSERT_TRUE(Scene().EditMode());
    }

    // Unsaved changes of every kind in CMP01: a new, a modified and a deleted step (with its
    // links), a new, a modified and a deleted (re-keyed) link.
    void EditCustomerComplaint()
    {
        OpenLocked("CMP01");
        cWorder& frame = Frame("CMP01");
        NodeValues added;
        added.WorkOrderFrame_ID = "CMP01";
        added.WorkOrderNode_ID = "N90001";
        ASSERT_EQ(frame.AllNode().NewNode(added), 1);
        frame.AllNode().OneNode("N00001")->setNodeTop(999);
        frame.AllLink().DelLinkForNode("N00003");
        ASSERT_EQ(frame.AllNode().DelNode("N00003"), 1);
        ASSERT_EQ(frame.AllLink().NewMe({"CMP01", "L9", {}, "N90001", "N00004", 0, {}, {}, {}}), 1);
        frame.AllLink().AllLinks().Item("L1")->setWorkOrderLinkName("Renamed");
        ASSERT_EQ(frame.AllLink().DelMe("L6").toInt(), 1);
    }

    bool EditsKept()
    {
        cWorder* frame = Orders().OneWorkOrder("CMP01");
        return frame && frame->CheckStatus() == 1 && frame->AllNode().OneNode("N90001") &&
               frame->AllNode().OneNode("N00001")->NodeTop() == 999;
    }
};

// Save (new, modified and deleted steps and links), Save as and Delete frame, each run with a fault
// at statement k = 1, 2, … until it succeeds: every failure leaves every Korvel table as it was,
// shows a failure and keeps the edits; the run that succeeds is a retry after all of them.
TEST_P(FaultInjectionTest, EveryStatementOfEveryWriteCanFailWithoutLosingAnything)
{
    struct Operation {
        const char* name;
        std::function<void()> prepare, run;
        QString success;
        std::function<bool(const QString& message)> isFailure;
        std::function<bool()> kept, done;
    };
    const Operation operations[] = {
        {"Save", [&] { EditCustomerComplaint(); }, [&] { PressButton("Save"); }, LoadResString(126),
         [](const QString& m) { return m.startsWith(LoadResString(127) + "\n\n"); }, [&] { return EditsKept(); },
         [&] {
             return Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderNode_ID IN ('N90001','N00003')") == 1 &&
                    Count("SELECT COUNT(*) FROM Two_Link WHERE WorkOrderFrame_ID='CMP01'") == 4 &&
                    Versions("CMP01") == "found,save"; }},
        {"Save as", [&] { OpenEditable("CMP01"); Frame("CMP01").AllNode().OneNode("N00001")->setNodeTop(999); },
         [&] {
             Messages().planAnswer(QMessageBox::No); // copy what is on the screen
             PlanDialog<FrmSaveAs>([](FrmSaveAs& d) {
                 d.TxtNewID->setText("CPY01");
                 d.TxtNewName->setText("Complaint copy");
                 d.CmdOK->click();
                 if (d.isVisible()) // its ID check met the fault
                     d.CmdCacel->click(); });
             PressButton("Saveas"); },
         LoadResString(1026),
         [](const QString& m) { return m.startsWith(LoadResString(1025) + "\n\n") || m.startsWith(Unreadable()); },
         [&] { return Frame("CMP01").AllNode().OneNode("N00001")->NodeTop() == 999; },
         [&] {
             return Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderFrame_ID='CPY01'") == 4 &&
                    Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderFrame_ID='CPY01' AND NodeTop=999") == 1 &&
                    Count("SELECT COUNT(*) FROM Two_Link WHERE WorkOrderFrame_ID='CPY01'") == 4 &&
                    Versions("CPY01") == "copy"; }},
        {"Delete frame", [&] { OpenEditable("CPY01"); },
         [&] { Messages().planAnswer(QMessageBox::Yes); PressButton("Del"); },
         LoadResString(142), [](const QString& m) { return m.startsWith(LoadResString(143) + "\n\n"); },
         [&] { return TreeRow("CPY01").isValid(); },
         [&] {
             return Count("SELECT (SELECT COUNT(*) FROM TWO_Frame WHERE WorkOrderFrame_ID='CPY01') + "
                          "(SELECT COUNT(*) FROM Two_Node WHERE WorkOrderFrame_ID='CPY01') + "
                          "(SELECT COUNT(*) FROM Two_Link WHERE WorkOrderFrame_ID='CPY01')") == 0 &&
                    Versions("CPY01") == "copy,delete"; }},
    };

    for (const Operation& op : operations) {
        OpenWindow(); // a window fresh from the database, as after a restart
        op.prepare();
        int failures = 0;
        for (qint64 k = 1;; ++k) {
            const QStringList before = DumpTables();
            Messages().clear();
            StatementMonitor::FailAt(k);
            op.run();
            const bool fired = StatementMonitor::FaultFired();
            StatementMonitor::FailAt(0);
            if (Messages().texts().contains(op.success)) {
                // Past the commit: a fault there can only hit a read of what was just written.
                EXPECT_TRUE(op.done()) << op.name << " at statement " << k;
                break;
            }
            ASSERT_TRUE(fired) << op.name << " failed without a fault at statement " << k << ": "
                               << Messages().texts().join(" / ").toStdString();
            ++failures;
            EXPECT_TRUE(!Messages().texts().isEmpty() && op.isFailure(Messages().texts().last()) &&
                        Messages().lastIcon() == QMessageBox::Critical)
                << op.name << " at statement " << k << ": " << Messages().texts().join(" / ").toStdString();
            EXPECT_EQ(DumpTables(), before) << op.name << " at statement " << k;
            EXPECT_TRUE(op.kept()) << op.name << " at statement " << k;
        }
        EXPECT_GE(failures, 3) << op.name;
    }
}

// Rows changed or deleted by someone else meanwhile: the save rolls back, says that the frame
// changed in the database, and keeps every edit; nothing is written for a frame that is gone.
TEST_P(FaultInjectionTest, ASaveMeetingRowsGoneElsewhereRollsBackAndSaysSo)
{
    const char* const elsewhere[] = {
        "DELETE FROM TWO_Frame WHERE WorkOrderFrame_ID='CMP01'", // new rows would be orphans
        "DELETE FROM Two_Node WHERE WorkOrderNode_ID='N00001'",  // a modified step
        "DELETE FROM Two_Node WHERE WorkOrderNode_ID='N00003'",  // a deleted step
        "DELETE FROM Two_Link WHERE WorkOrderFrame_ID='CMP01' AND WorkOrderLink_ID='L1'", // a modified link
        "DELETE FROM Two_Link WHERE WorkOrderFrame_ID='CMP01' AND WorkOrderLink_ID='L6'", // a re-keyed deletion
    };
    for (const char* statement : elsewhere) {
        TearDown(); // a fresh database and window each time
        SetUp();
        EditCustomerComplaint();
        Db().exec(QString::fromLatin1(statement));
        const QStringList before = DumpTables();
        PressButton("Save");
        EXPECT_EQ(Messages().texts(), QStringList{LoadResString(127) + "\r\n" + LoadResString(1001)}) << statement;
        EXPECT_EQ(DumpTables(), before) << statement;
        EXPECT_TRUE(EditsKept()) << statement;
    }
    // The header of a frame that is gone cannot be updated either.
    Db().exec("DELETE FROM TWO_Frame WHERE WorkOrderFrame_ID='CMP01'");
    Messages().clear();
    PlanDialog<FrmOrder>([](FrmOrder& d) { d.CmdOK->click(); });
    Window().TrvTree_DblClick();
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(146) + "\r\n" + LoadResString(1001)});
}

// An ID check that cannot read the database never passes: the user is told why and nothing is
// proposed or stored.
TEST_P(FaultInjectionTest, AnUnreadableDatabaseNeverPassesAnIdCheck)
{
    OpenLocked("CMP01");
    const QStringList before = DumpTables();
    const auto toldUnreadable = [&] {
        return Messages().texts().size() == 1 && Messages().texts().first().startsWith(Unreadable()) &&
               Messages().texts().first().contains("Injected fault");
    };

    // A new frame's ID and a copy's ID: the dialog stays open.
    const auto confirmUnderFault = [](QDialog& d, QLineEdit* id, QLineEdit* name, QAbstractButton* ok) {
        id->setText("ZZ9");
        name->setText("Unchecked");
        StatementMonitor::FailAt(1);
        ok->click();
        EXPECT_TRUE(d.isVisible());
        d.reject();
    };
    PlanDialog<FrmOrder>([&](FrmOrder& d) { confirmUnderFault(d, d.TxtID, d.TxtName, d.CmdOK); });
    PlanDialog<FrmSaveAs>([&](FrmSaveAs& d) { confirmUnderFault(d, d.TxtNewID, d.TxtNewName, d.CmdOK); });
    for (const char* command : {"New", "Saveas"}) {
        Messages().clear();
        PressButton(command);
        EXPECT_TRUE(toldUnreadable()) << command << ": " << Messages().texts().join(" / ").toStdString();
    }
    EXPECT_EQ(DumpTables(), before);
}

// Every failure names its cause in the user's language: a warning when the user can act on it (a
// lock someone holds, an ID in use, frames that clash), critical when not (the database failing or
// held by another connection, a file that cannot be written), the database's own text as the
// detail; success stays information. The rows run in order on one window.
TEST_P(FaultInjectionTest, EveryFailureSaysWhyWithTheFittingIcon)
{
    const bool sqlite = Db().kind() == TestDatabase::Kind::SQLite;
    QTemporaryDir folder;
    const QString readOnly = folder.filePath("readonly.json"), frames = folder.filePath("frames.json");
    ExportFramesToFile({"CMP01", "REP01"}, frames);
    ExportFramesToFile({"CMP01"}, folder.filePath("one.json"));
    QFile(readOnly).open(QIODevice::WriteOnly);
    QFile::setPermissions(readOnly, QFile::ReadOwner);
    const auto chooseFile = [&](const QString& path) {
        Modals().plan([path](QDialog& files) { files.findChild<QLineEdit*>("fileNameEdit")->setText(path); files.accept(); });
    };
    auto bob = Host().otherUser("bob");
    QSqlQuery other(bob->database());
    using Icon = QMessageBox::Icon;
    const struct {
        const char* name;
        std::function<void()> run;
        QString text; // the message, or its start when there is no cause
        Icon icon;
        std::optional<FailureCause> cause; // then the text is `text`, the cause and the detail
        QString detail;                    // what the detail holds
    } cases[] = {
        {"lock held by another user", [&] { bob->services().LockRecord("Korvel", "REP01", "bob"); ClickFrame("REP01");
             PressButton("Lock"); }, "Lock failed\r\nit is locked by [Bob Novak], ID [bob]", Icon::Warning, {}, {}},
        {"delete under a fault", [&] { OpenLocked("CMP01"); Messages().planAnswer(QMessageBox::Yes);
             StatementMonitor::FailAt(1); PressButton("Del"); }, LoadResString(143), Icon::Critical,
         FailureCause::Unknown, "Injected fault"},
        {"copy under an ID in use", [&] { PlanDialog<FrmSaveAs>([](FrmSaveAs& d) { d.TxtNewID->setText("REP01");
             d.TxtNewName->setText("Copy"); d.CmdOK->click(); d.CmdCacel->click(); }); PressButton("Saveas"); },
         LoadResString(203), Icon::Warning, {}, {}},
        {"export to a read-only file", [&] { Modals().plan([](QDialog& d) { d.accept(); }); chooseFile(readOnly);
             Messages().planAnswer(QMessageBox::Yes); Window().Tools().ExportWorkOrders(); },
         LoadResString(1902).arg(readOnly), Icon::Critical, {}, {}},
        {"picture at the proposed scale", [&] { chooseFile(folder.filePath("flow.png"));
             Modals().plan([](QDialog& d) { d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); });
             Window().Tools().ExportPicture(); }, FormatMessage(1472, {folder.filePath("flow.png")}), Icon::Information, {}, {}},
        {"import of frames that clash", [&] { chooseFile(frames); Window().Tools().ImportWorkOrders(); },
         FormatMessage(1833, {"CMP01"}), Icon::Warning, {}, {}},
        {"save under a fault", [&] { Frame("CMP01").AllNode().OneNode("N00001")->setNodeTop(999);
             StatementMonitor::FailAt(1); PressButton("Save"); }, LoadResString(127), Icon::Critical,
         FailureCause::Unknown, "Injected fault"},
        {"save while another connection holds the database", [&] {
             Db().exec(sqlite ? "PRAGMA busy_timeout = 100" : "SET lock_timeout = '100ms'");
             for (const char* sql : {sqlite ? "BEGIN EXCLUSIVE" : "BEGIN", sqlite ? "SELECT 1" : "LOCK TABLE Two_Node"})
                 other.exec(sql);
             PressButton("Save");
             other.exec("ROLLBACK"); }, LoadResString(127), Icon::Critical, FailureCause::Busy,
         sqlite ? "database is locked" : "lock timeout"},
        {"save once the database is free", [&] { PressButton("Save"); }, LoadResString(126), Icon::Information, {}, {}},
        {"unlock once the lock was broken", [&] { bob->services().BreakLock("Korvel", "CMP01");
             Window().Toolbar1_ButtonClick("Unlock"); }, // before the window hears of it
         LoadResString(135) + "\r\n" + LoadResString(2270), Icon::Warning, {}, {}},
        {"import under a new ID", [&] { chooseFile(folder.filePath("one.json")); PlanDialog<FrmSaveAs>([](FrmSaveAs& d) {
             EXPECT_EQ(d.LblExplain->isVisible() ? d.LblExplain->text() : "", FormatMessage(2271, {"CMP01"}));
             d.TxtNewID->setText("CMP09"); d.CmdOK->click(); }); Window().Tools().ImportWorkOrders(); },
         FormatMessage(1471, {"CMP09"}), Icon::Information, {}, {}},
    };
    for (const auto& c : cases) {
        Messages().clear();
        c.run();
        ASSERT_FALSE(Messages().texts().isEmpty()) << c.name;
        const QString text = Messages().texts().last(), detail = Messages().lastDetail();
        EXPECT_EQ(Messages().lastIcon(), c.icon) << c.name << ": " << text.toStdString();
        EXPECT_TRUE(c.cause ? text == c.text + "\n\n" + DescribeFailure(*c.cause, detail) : text.startsWith(c.text))
            << c.name << ": " << text.toStdString();
        EXPECT_TRUE(c.detail.isEmpty() ? detail.isEmpty() : detail.contains(c.detail)) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Db, FaultInjectionTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
