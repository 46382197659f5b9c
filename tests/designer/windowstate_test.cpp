// The window's state (title, status bar, tree marks), the keys of its commands, and where a new
// step lands.

#include "tests/designer/designerfixture.h"

#include "dialogs/frmnode.h"
#include "dialogs/numerictextbox.h"
#include "resources/stringtable.h"

#include <QMenu>
#include <QWindow>

namespace korvel {
namespace {

using WindowStateTest = DesignerTest;

TEST_F(WindowStateTest, TitleStatusBarAndTreeFollowTheCurrentFrame)
{
    auto bob = Host().otherUser("bob");
    ASSERT_EQ(bob->services().LockRecord("Korvel", "BIL01", "bob"), 1);
    const QString bobSince =
        Db().scalar("SELECT LockedAt FROM Korvel_RecordLock WHERE RecordID='BIL01'").toString();
    struct Step {
        const char* name;
        std::function<void()> act;
        const char* title;
        QString lock; // the lock line, or its start when it ends with the time
        const char* unsaved;
        const char* counts;
    };
    const Step steps[] = {
        {"read-only", [&] { ClickFrame("REP01"); }, "Home repair visit (REP01) - WorkOrder configuration", "Read-only",
         "", "Steps: 3, links: 5"},
        {"locked by me", [&] { OpenLocked("CMP01"); }, "Customer complaint (CMP01) - WorkOrder configuration",
         "Locked by you since ", "", "Steps: 4, links: 6"},
        {"unsaved", [&] { Drag(ViewportCentre(CanvasNode("NN00002")), QPoint(20, 0)); },
         "Customer complaint (CMP01)* - WorkOrder configuration", "Locked by you since ", "Unsaved changes",
         "Steps: 4, links: 6"},
        {"saved", [&] { QTest::keyClick(&Window(), Qt::Key_S, Qt::ControlModifier); },
         "Customer complaint (CMP01) - WorkOrder configuration", "Locked by you since ", "", "Steps: 4, links: 6"},
        {"locked by another", [&] { ClickFrame("BIL01"); },
         "账单争议 Billing dispute (BIL01) - WorkOrder configuration", "Locked by Bob Novak (bob) since " + bobSince,
         "", "Steps: 2, links: 4"},
    };
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        Messages().clear();
        step.act();
        EXPECT_EQ(Window().windowHandle()->title(), QString::fromUtf8(step.title));
        EXPECT_TRUE(Window().LockState().text().startsWith(step.lock)) << Window().LockState().text().toStdString();
        EXPECT_EQ(Window().SaveState().text(), QString::fromLatin1(step.unsaved));
        EXPECT_EQ(Window().FlowCounts().text(), QString::fromLatin1(step.counts));
        EXPECT_EQ(TreeItem("CMP01")->font(0).bold(), *step.unsaved != '\0');
        EXPECT_EQ(TreeItem("CMP01")->text(0), QStringLiteral("Customer complaint"));
    }
    EXPECT_EQ(Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"), 3500);
}

// Each key runs its command exactly when the command is enabled: CMP01 read-only or locked by this
// user, step N00002 selected; the keys for the selection go to the canvas, the others to the tree.
class KeyTest;
struct KeyCase {
    const char* name;
    bool locked;
    QKeyCombination key; // the standard keys as they are on Linux
    bool onCanvas;
    bool enabled;
    // Plans what the command asks when it runs (only when enabled: an unplanned dialog or question
    // fails the test) and tells whether it ran.
    void (KeyTest::*arrange)();
    bool (KeyTest::*ran)();
};

class KeyTest : public DesignerTest, public ::testing::WithParamInterface<KeyCase> {
public:
    void None() {}
    void MoveN00002() { Frame("CMP01").AllNode().OneNode("N00002")->setNodeLeft(4321); }
    bool Saved() { return Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'") == 4321; }
    void PlanCancelledDialog() { Modals().plan([](QDialog& d) { d.hide(); }); }
    bool DialogShown() { return !Modals().shown().isEmpty(); }
    void AnswerNo() { Messages().planAnswer(QMessageBox::No); }
    bool Asked() { return !Messages().questions().isEmpty(); }
    // Locking and unlocking read the frame again and draw it afresh, without the selection.
    bool Redrawn() { return !CanvasNode("NN00002").isSelected(); }
    void Zoom200() { Canvas().setZoom(2); }
    template <int Percent> bool ZoomedTo()
    {
        return qRound(Canvas().Zoom() * 100) == Percent &&
               Window().ZoomLevel().text() == QStringLiteral("Zoom: %1%").arg(Percent);
    }
    bool Helped() { return Messages().texts().value(0).startsWith(LoadResString(1240)); }
};

// clang-format off
const KeyCase KeyCases[] = {
    {"SaveLocked",       true,  Qt::CTRL | Qt::Key_S, false, true,  &KeyTest::MoveN00002, &KeyTest::Saved},
    {"SaveReadOnly",     false, Qt::CTRL | Qt::Key_S, false, false, &KeyTest::MoveN00002, &KeyTest::Saved},
    {"NewFrame",         false, Qt::CTRL | Qt::Key_N, false, true, &KeyTest::PlanCancelledDialog, &KeyTest::DialogShown},
    {"DeleteLocked",     true,  QKeyCombination(Qt::Key_Delete), true, true, &KeyTest::AnswerNo, &KeyTest::Asked},
    {"DeleteReadOnly",   false, QKeyCombination(Qt::Key_Delete), true, false, &KeyTest::None, &KeyTest::Asked},
    {"F2Locked",         true,  QKeyCombination(Qt::Key_F2), true, true, &KeyTest::PlanCancelledDialog, &KeyTest::DialogShown},
    {"F2ReadOnly",       false, QKeyCombination(Qt::Key_F2), true, false, &KeyTest::None, &KeyTest::DialogShown},
    {"EnterLocked",      true,  QKeyCombination(Qt::Key_Return), true, true, &KeyTest::PlanCancelledDialog, &KeyTest::DialogShown},
    {"EnterReadOnly",    false, QKeyCombination(Qt::Key_Return), true, false, &KeyTest::None, &KeyTest::DialogShown},
    {"LockReadOnly",     false, Qt::CTRL | Qt::Key_L, false, true, &KeyTest::None, &KeyTest::Redrawn},
    {"LockLocked",       true,  Qt::CTRL | Qt::Key_L, false, false, &KeyTest::None, &KeyTest::Redrawn},
    {"UnlockLocked",     true,  Qt::CTRL | Qt::SHIFT | Qt::Key_L, false, true, &KeyTest::None, &KeyTest::Redrawn},
    {"UnlockReadOnly",   false, Qt::CTRL | Qt::SHIFT | Qt::Key_L, false, false, &KeyTest::None, &KeyTest::Redrawn},
    {"ZoomIn",           false, Qt::CTRL | Qt::Key_Equal, false, true, &KeyTest::None, &KeyTest::ZoomedTo<125>},
    {"ZoomOut",          true,  Qt::CTRL | Qt::Key_Minus, false, true, &KeyTest::None, &KeyTest::ZoomedTo<80>},
    {"ZoomFit",          false, Qt::CTRL | Qt::Key_0, false, true, &KeyTest::Zoom200, &KeyTest::ZoomedTo<100>},
    {"Help",             false, QKeyCombination(Qt::Key_F1), false, true, &KeyTest::None, &KeyTest::Helped},
};
// clang-format on

TEST_P(KeyTest, KeyRunsItsCommandExactlyWhenEnabled)
{
    const KeyCase& c = GetParam();
    if (c.locked)
        OpenLocked("CMP01");
    Canvas().SelectItem(Canvas().NodeByKey("NN00002"));
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    QWidget* target = c.onCanvas ? static_cast<QWidget*>(&Canvas()) : &Window().TrvTree();
    target->setFocus();
    (this->*c.arrange)();
    QTest::keyClick(target, c.key.key(), c.key.keyboardModifiers());
    EXPECT_EQ((this->*c.ran)(), c.enabled);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyTest, ::testing::ValuesIn(KeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A new step lands where the user asked for it, never on Start or End, and is stored there.
TEST_F(WindowStateTest, NewStepLandsWhereAsked)
{
    OpenLocked("CMP01");
    const struct {
        const char* how;
        QPoint click; // viewport pixels; none for the toolbar button
        bool clearOfStart;
    } places[] = {{"right click on free canvas", QPoint(200, 200), false},
                  {"right click on Start", QPoint(30, 40), true},
                  {"toolbar button", QPoint(), false}};
    int added = 0;
    for (const auto& place : places) {
        SCOPED_TRACE(place.how);
        const QString id = QStringLiteral("NEW%1").arg(++added);
        PlanDialog<FrmNode>([id](FrmNode& d) {
            Type(d.TxtID, id);
            Type(d.TxtName, QStringLiteral("Call back"));
            d.CboPriority->SetKey("P3"), d.CboUnit->SetKey("H"), d.CboStaffGroup->SetKey("G02");
            Type(d.TxtLen, QStringLiteral("2"));
            QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        });
        QPointF asked = Window().ViewCentre();
        if (place.click.isNull()) {
            PressButton("AddNode");
        } else {
            QTest::mouseClick(Canvas().viewport(), Qt::RightButton, {}, place.click);
            ASSERT_TRUE(Window().MenuNode().isVisible());
            Window().MenuNode().hide();
            Window().MenuItem("Menu_AddNode")->trigger();
            asked = Canvas().mapToScene(place.click);
        }
        const FlowNodeItem& box = CanvasNode("N" + id);
        if (place.clearOfStart)
            EXPECT_FALSE(box.SceneBox().intersects(CanvasNode("NBEGIN").SceneBox()));
        else
            EXPECT_LE(QLineF(box.Centre(), asked).length(), 1.0);
        const cNode* node = Frame("CMP01").AllNode().OneNode(id);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(QPointF(node->NodeLeft(), node->NodeTop()), QPointF(box.Left(), box.Top()));
        EXPECT_EQ(Window().FlowCounts().text(), QStringLiteral("Steps: %1, links: 6").arg(4 + added));
    }

    // On a narrow window End still ends the flow, right of its rightmost step.
    Messages().planAnswer(QMessageBox::No);
    ClickFrame("REP01");
    Window().resize(500, 600);
    ClickFrame("CMP01");
    double right = 0;
    for (const FlowNodeItem* node : Canvas().Nodes())
        if (node->Key() != "NEND")
            right = std::max(right, node->Left() + node->Width());
    EXPECT_GT(CanvasNode("NEND").Left(), right);
}

} // namespace
} // namespace korvel
