// The designer window: the question about unsaved changes when the user leaves a frame or closes
// the window, and the window's state lines.

#include "tests/designer/designerfixture.h"

#include "core/failurecause.h"
#include "designer/findingspanel.h"
#include "designer/frmopenframe.h"
#include "designer/frmsearch.h"
#include "dialogs/frmnode.h"
#include "dialogs/frmorder.h"
#include "dialogs/frmsaveas.h"
#include "resources/stringtable.h"

#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>
#include <QWindow>

namespace korvel {
namespace {

using WindowTest = DesignerTest;

// A pending step move in frame CMP01 (locked by this user), not yet saved; the user then switches
// to REP01 (in the tree, or by opening a search hit in it), closes the window or unlocks the frame,
// and answers the question.
enum class Leave { Switch, Search, Close, Unlock };
using LeaveCase = std::tuple<Leave, QMessageBox::StandardButton>;

class SaveQuestionTest : public DesignerTest, public ::testing::WithParamInterface<LeaveCase> {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        OpenLocked("CMP01");
        Frame("CMP01").AllNode().OneNode("N00002")->setNodeLeft(4321);
        ASSERT_EQ(Frame("CMP01").CheckStatus(), 1); // a moved step is a change to save
    }
    int StoredLeft() { return Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"); }
};

// Cancel stays with the frame, its edits, its selection and its lock; No drops the edits and the
// frame is read again; Yes saves first. Closing releases the add-in and every lock, Unlock the
// frame's lock, unless cancelled; either way the frame drawn is the one read back.
TEST_P(SaveQuestionTest, AnswerDecides)
{
    const struct {
        Leave way;
        QMessageBox::StandardButton answer;
    } c{std::get<0>(GetParam()), std::get<1>(GetParam())};
    const bool stays = c.answer == QMessageBox::Cancel;
    Messages().planAnswer(c.answer);
    if (c.way == Leave::Close) {
        EXPECT_EQ(Window().close(), !stays);
    } else if (c.way == Leave::Switch) {
        ClickFrame("REP01");
    } else if (c.way == Leave::Search) {
        PlanDialog<FrmSearch>([&](FrmSearch& d) { // a Cancel keeps the search and its hits open
            Type(d.TxtFind, "Home repair visit");
            d.CmdSearch->click();
            d.LstHits->setCurrentItem(d.LstHits->findItems("(REP01)", Qt::MatchContains).value(0));
            d.CmdOpen->click();
            EXPECT_EQ(d.isVisible() && d.LstHits->topLevelItemCount() > 0, stays);
            d.setVisible(false); });
        Window().Tools().SearchWorkOrders();
    } else {
        PressButton("Unlock");
    }
    QStringList expected{LoadResString(c.way == Leave::Close ? 125 : 134) + "[Customer complaint]"};
    if (c.answer == QMessageBox::Yes)
        expected << LoadResString(126);
    EXPECT_EQ(Messages().texts(), expected);
    EXPECT_EQ(StoredLeft(), c.answer == QMessageBox::Yes ? 4321 : 3200);
    const bool closed = c.way == Leave::Close && !stays;
    EXPECT_EQ(Window().isVisible(), !closed);
    EXPECT_EQ(Host().loader().releasedNames(), closed ? QStringList{"Korvel"} : QStringList{});
    EXPECT_EQ(LockState("CMP01"), c.way >= Leave::Close && !stays ? 0 : 2);
    if (stays) {
        EXPECT_EQ(Orders().CurWOrder(), "CMP01");
        EXPECT_EQ(Window().Tree().SelectedFrame(), "CMP01");
        EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft(), 4321);
        EXPECT_EQ(Frame("CMP01").CheckStatus(), 1);
        EXPECT_TRUE(Scene().EditMode());
        return;
    }
    if (c.way == Leave::Switch || c.way == Leave::Search) {
        EXPECT_EQ(Scene().Tag(), "REP01");
        ClickFrame("CMP01"); // back without a question
        EXPECT_EQ(Messages().questions().size(), 1);
    } else if (c.way == Leave::Unlock) {
        EXPECT_FALSE(Scene().EditMode());
        EXPECT_EQ(TreeImage("CMP01"), "DynClose");
    }
    if (!closed) {
        EXPECT_EQ(Frame("CMP01").CheckStatus(), 0);
        EXPECT_EQ(CanvasNode("NN00002").Left(), StoredLeft());
    }
}

std::string LeaveCaseName(const ::testing::TestParamInfo<LeaveCase>& info)
{
    const auto [way, answer] = info.param;
    const char* const ways[] = {"Switch", "Search", "Close", "Unlock"};
    return ways[int(way)] + std::string(answer == QMessageBox::Cancel ? "Cancel" : answer == QMessageBox::No ? "No" : "Yes");
}

INSTANTIATE_TEST_SUITE_P(Answers, SaveQuestionTest,
                         ::testing::Combine(::testing::Values(Leave::Switch, Leave::Search, Leave::Close, Leave::Unlock),
                                            ::testing::Values(QMessageBox::Cancel, QMessageBox::No, QMessageBox::Yes)),
                         LeaveCaseName);

// Yes followed by a failed save never leaves the frame: switching frames, Quit, closing the window
// and Unlock all stay where they are, with the lock held and the edits in memory.
TEST_F(WindowTest, AFailedSaveKeepsTheWindowTheFrameTheLockAndTheEdits)
{
    OpenLocked("CMP01");
    Frame("CMP01").AllNode().OneNode("N00002")->setNodeLeft(4321);
    Db().exec("CREATE TRIGGER refuse BEFORE UPDATE ON Two_Node BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"switch", [&] { ClickFrame("REP01"); }}, {"Quit", [&] { PressButton("Quit"); }},
        {"close", [&] { Window().close(); }}, {"Unlock", [&] { PressButton("Unlock"); }}};
    for (const auto& [way, leave] : ways) {
        Messages().clear();
        Messages().planAnswer(QMessageBox::Yes);
        leave();
        EXPECT_EQ(Messages().texts(),
                  (QStringList{LoadResString(134) + "[Customer complaint]",
                               LoadResString(127) + "\n\n" + DescribeFailure(FailureCause::Unknown, "refused")}))
            << way;
        EXPECT_TRUE(Window().isVisible()) << way;
        EXPECT_TRUE(Host().loader().releasedNames().isEmpty()) << way;
        EXPECT_EQ(Window().Tree().SelectedFrame(), "CMP01") << way;
        EXPECT_EQ(LockState("CMP01"), 2) << way;
        EXPECT_TRUE(Scene().EditMode()) << way;
        EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft(), 4321) << way;
    }
}

// The title, the status bar and the tree's bold mark follow the current frame, its lock and its
// unsaved changes (another user's lock: LockAndUnlockSwitchTheWindowTheIconAndTheHostLock).
TEST_F(WindowTest, TitleStatusBarAndTreeFollowTheCurrentFrame)
{
    struct Step {
        const char* name;
        std::function<void()> act;
        const char* title;
        const char* lock; // the start of the lock line, which ends with the time
        const char* unsaved;
        const char* counts;
    };
    const char *cmp = "Customer complaint (CMP01) - WorkOrder configuration", *mine = "Locked by you since ",
               *four = "Steps: 4, links: 6";
    const Step steps[] = {
        {"read-only", [&] { ClickFrame("REP01"); }, "Home repair visit (REP01) - WorkOrder configuration",
         "Read-only", "", "Steps: 3, links: 5"},
        {"locked by me", [&] { OpenLocked("CMP01"); }, cmp, mine, "", four},
        {"unsaved", [&] { Drag(ViewportCentre(CanvasNode("NN00002")), QPoint(20, 0)); },
         "Customer complaint (CMP01)* - WorkOrder configuration", mine, "Unsaved changes", four},
        {"saved before Save as, so shown while its dialog is open", [&] {
             Drag(ViewportCentre(CanvasNode("NN00002")), QPoint(20, 0));
             Messages().planAnswer(QMessageBox::Yes);
             PlanDialog<FrmSaveAs>([&](FrmSaveAs& d) { // title, then the status bar's "Unsaved changes"
                 EXPECT_EQ(Window().windowHandle()->title() + Window().Status().SaveState().text(), cmp);
                 d.CmdCacel->click(); });
             PressButton("Saveas"); }, cmp, mine, "", four},
        {"saved", [&] { QTest::keyClick(&Window(), Qt::Key_S, Qt::ControlModifier); }, cmp, mine, "", four},
    };
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        Messages().clear();
        step.act();
        EXPECT_EQ(Window().windowHandle()->title(), QString::fromUtf8(step.title));
        EXPECT_TRUE(Window().Status().LockState().text().startsWith(step.lock))
            << Window().Status().LockState().text().toStdString();
        EXPECT_EQ(Window().Status().SaveState().text(), QString::fromLatin1(step.unsaved));
        EXPECT_EQ(Window().Status().FlowCounts().text(), QString::fromLatin1(step.counts));
        EXPECT_EQ(TreeRow("CMP01").data(Qt::FontRole).value<QFont>().bold(), *step.unsaved != '\0');
        EXPECT_EQ(TreeRow("CMP01").data().toString(), QStringLiteral("Customer complaint (CMP01)"));
    }
    EXPECT_EQ(Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"), 3800);
}

// The menu bar, a row per item: its menu, key (also in the toolbar's tool tip), whether it is on for
// a read-only frame, a locked one and three steps selected, and what it does, run in the table's order.
TEST_F(WindowTest, MenuItemsRunTheirCommandsShowTheirKeysAndFollowTheEditState)
{
    const auto along = [&](double (*edge)(const FlowNodeItem&)) {
        QList<double> at{edge(CanvasNode("NN00001")), edge(CanvasNode("NN00002")), edge(CanvasNode("NN00003"))};
        std::sort(at.begin(), at.end());
        return at;
    };
    const auto lined = [&](const char* change, double (*edge)(const FlowNodeItem&)) {
        EXPECT_EQ(along(edge).constFirst(), along(edge).constLast()) << change;
        EXPECT_EQ(Button("Undo")->text(), QStringLiteral("Undo ") + QLatin1String(change));
        PressButton("Undo");
    };
    const struct {
        const char *menu, *action, *key, *enabled;
        std::function<void()> effect;
    } rows[] = {
        {"MenuEdit", "DistributeVertically", "", "--+",
         [&] { EXPECT_EQ(along([](auto& n) { return n.Top(); }), (QList<double>{300, 1000, 1700})); }},
        {"MenuEdit", "AlignRight", "", "--+",
         [&] { lined("Align right", [](auto& n) { return n.Left() + n.Width(); }); }},
        {"MenuEdit", "AlignBottom", "", "--+",
         [&] { lined("Align bottom", [](auto& n) { return n.Top() + n.Height(); }); }},
        {"MenuEdit", "AlignMiddle", "", "--+",
         [&] { lined("Align middles", [](auto& n) { return n.Top() + n.Height() / 2; }); }},
        {"MenuFile", "Save", "Ctrl+S", "-++",
         [&] { EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Node WHERE NodeTop = 1000"), 1); }},
        {"MenuEdit", "EditItem", "Enter", "--+", [] {}},
        {"MenuFile", "FrameProperties", "", "+++", [] {}},
        {"MenuFile", "Saveas", "", "-++", [] {}},
        {"MenuFile", "Unlock", "Ctrl+Shift+L", "-++", [&] { EXPECT_EQ(LockState("CMP01"), 0); }},
        {"MenuFile", "Lock", "Ctrl+L", "+--", [&] { EXPECT_EQ(LockState("CMP01"), 2); }},
        {"MenuTools", "Check", "F7", "+++", [&] { EXPECT_TRUE(Window().Tools().Findings().isVisible()); }},
        {"MenuFile", "New", "Ctrl+N", "+++", [] {}},
        {"MenuFile", "OpenFrame", "Ctrl+O", "+++", [&] { EXPECT_EQ(Orders().CurWOrder(), "REP01"); }},
        {"MenuFile", "Quit", "Ctrl+Q", "+++", [&] { EXPECT_FALSE(Window().isVisible()); }},
    };
    const std::function<void()> situations[] = {[&] { ClickFrame("CMP01"); }, [&] { PressButton("Lock"); }, [&] {
        Scene().SelectAllSteps();
        CanvasNode("NN00004").setSelected(false); }};
    for (int situation = 0; situation < 3; ++situation) {
        situations[situation]();
        QCoreApplication::processEvents();
        for (const auto& row : rows)
            EXPECT_EQ(Window().MenuBarAction(row.action)->isEnabled(), row.enabled[situation] == '+')
                << row.action << " in situation " << situation;
    }
    PlanDialog<FrmNode>([](FrmNode& d) { d.reject(); });
    const auto planHeader = [&](const char* name) { // the header dialog, showing the frame's name
        PlanDialog<FrmOrder>([=](FrmOrder& d) { EXPECT_EQ(d.TxtName->text(), name); d.reject(); });
    };
    planHeader("Customer complaint");
    PlanDialog<FrmSaveAs>([](FrmSaveAs& d) { d.reject(); });
    planHeader(""); // a new frame
    PlanDialog<FrmOpenFrame>([](FrmOpenFrame& d) {
        for (const char* part : {"omplain", "REP0"}) { // a name, an ID
            Type(d.TxtFrameFilter, part);
            EXPECT_EQ(d.LstFrames->model()->rowCount(), 1) << part;
        }
        d.CmdOK->click();
    });
    for (const auto& row : rows) {
        SCOPED_TRACE(row.action);
        QAction* action = Window().MenuBarAction(row.action);
        EXPECT_TRUE(Window().menuBar()->findChild<QMenu*>(row.menu)->actions().contains(action));
        EXPECT_EQ(action->shortcut().toString(QKeySequence::NativeText), row.key);
        EXPECT_TRUE(!*row.key || !Window().ToolbarButton(row.action) ||
                    action->toolTip().endsWith(QStringLiteral(" (%1)").arg(row.key)));
        QCoreApplication::processEvents();
        action->trigger();
        row.effect();
    }
}

// The tree's popup makes the row's frame current and offers the frame commands as the File menu does.
TEST_F(WindowTest, TreePopupActsOnTheFrameOfTheRow)
{
    for (const bool locked : {false, true}) {
        emit Window().TrvTree().customContextMenuRequested(TreePoint("REP01"));
        QMenu& popup = Window().Tree().Popup();
        EXPECT_TRUE(popup.isVisible());
        EXPECT_EQ(Orders().CurWOrder(), "REP01");
        QStringList items;
        for (const QAction* item : popup.actions())
            items << item->objectName() + (item->isEnabled() ? "+" : "-");
        EXPECT_EQ(items.join(u' '),
                  locked ? "New+ FrameProperties+ TreeCopy+ Del+" : "New+ FrameProperties+ TreeCopy- Del-");
        popup.close();
        if (!locked)
            PressButton("Lock");
    }
    Modals().plan([](QDialog& d) { d.reject(); });
    Window().Tree().PopupItem("TreeCopy")->trigger();
    EXPECT_EQ(Modals().shown(), QStringList{"FrmSaveAs"});
}

} // namespace
} // namespace korvel
