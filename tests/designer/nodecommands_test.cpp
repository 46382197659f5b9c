// The node commands through the real window, the real node dialog and a real database. Demo frames:
//   CMP01: L1 BEGIN -> N00001, L2 N00001 -> N00002, L3 N00002 -> N00003, L4 N00002 -> N00004,
//          L5 N00003 -> N00004, L6 N00004 -> END; N00004 returns to N00001.
//   REP01: R1 BEGIN -> N00005, R2 N00005 -> N00006, R3 N00006 -> N00007, R4 N00007 -> N00005 (a cycle),
//          R5 N00007 -> END.

#include "tests/designer/designerfixture.h"

#include "dialogs/editablegrid.h"
#include "dialogs/frmedit.h"
#include "dialogs/frmnode.h"
#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"
#include "resources/stringtable.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <functional>

namespace korvel {
namespace {

class NodeCommandsTest : public DesignerTest {
protected:
    using Script = std::function<void(FrmNode&)>;

    void PlanNode(Script script) { PlanDialog<FrmNode>(std::move(script)); }

    void Trigger(const char* item)
    {
        QAction* action = Window().MenuItem(QString::fromLatin1(item));
        ASSERT_NE(action, nullptr);
        action->trigger();
    }

    void EditNode(const QString& id, Script script)
    {
        Canvas().SelectItem(&CanvasNode(QStringLiteral("N") + id));
        PlanNode(std::move(script));
        Trigger("Menu_EditNode");
    }

    // The node's 33 columns from the database, in value-list order, as text.
    QStringList StoredRow(const QString& id)
    {
        const QString columns = QStringLiteral(
            "WorkOrderFrame_ID, WorkOrderNode_ID, WorkOrderNodeName, ExpiredPeriod, ExpiredPeriodType_ID, "
            "CanSendBack, CanSendSelf, CanSkip, EmailNotify, SMSNotify, AddinType, WEBLink, Group_IDA, "
            "CanFullScreen, HandleBy_ID, HandleGroup_ID, ExpiredHandleBy_ID, ExpiredHandleGroup_ID, NodeTop, "
            "NodeLeft, Priority_ID, RefuseReply, CanClose, ContactCust, NextBeginTime, TickOffFlag, "
            "ReturnOldStep, CanModify, CanBackToBy, ToHandleby, ReturnGroupFlag, ForecastUnit, ForecastLen");
        QSqlQuery q(Db().database());
        EXPECT_TRUE(
            q.exec(QStringLiteral("SELECT %1 FROM Two_Node WHERE WorkOrderNode_ID = '%2'").arg(columns, id)));
        QStringList row;
        if (q.next()) {
            for (int i = 0; i < 33; ++i)
                row << q.value(i).toString();
        }
        return row;
    }

    // A valid new node in CMP01: handled by group G02 with the no-selection handler.
    static void FillMinimal(FrmNode& d, const QString& id, const QString& name)
    {
        Type(d.TxtID, id);
        Type(d.TxtName, name);
        d.CboPriority->SetKey(QStringLiteral("P3"));
        d.CboUnit->SetKey(QStringLiteral("H"));
        Type(d.TxtLen, QStringLiteral("2"));
        d.CboStaffGroup->SetKey(QStringLiteral("G02"));
        d.CboStaff->SetKey(QString());
    }
};

TEST_F(NodeCommandsTest, NewNodeAddedEditedMovedAndSavedKeepsEveryColumn)
{
    OpenLocked(QStringLiteral("CMP01"));
    PlanNode([](FrmNode& d) {
        EXPECT_EQ(d.TxtID->text(), QStringLiteral("N00010")); // the first free generated ID
        EXPECT_TRUE(d.TxtID->isEnabled());
        EXPECT_EQ(d.CboStep->count(), 0);
        Type(d.TxtID, QStringLiteral(" NW01 "));
        Type(d.TxtName, QStringLiteral("Double check"));
        d.CboPriority->SetKey(QStringLiteral("P4"));
        d.CboUnit->SetKey(QStringLiteral("D"));
        Type(d.TxtLen, QStringLiteral("3"));
        Type(d.TxtNextTime, QStringLiteral("6"));
        d.CboUnit1->SetKey(QStringLiteral("M"));
        Type(d.TxtLen1, QStringLiteral("45"));
        Click(d.ChkBack);
        Click(d.Check2);
        Click(d.CHKSendOwner);
        Click(d.ChkSendLoginGrp);
        Click(d.CHKSendSkip);
        Click(d.CHKSMS);
        Click(d.ChkRefuseReply);
        Click(d.Check1);
        Click(d.ChkTickOff);
        Click(d.ChkTickCLOSE);
        Click(d.ChkModi1);
        Click(d.ChkModi2);
        d.CboStaffGroup->SetKey(QStringLiteral("G03"));
        d.CboStaff->SetKey(QStringLiteral("dave"));
        d.CboExpirGroup->SetKey(QStringLiteral("G05"));
        d.CboExpirStaff->SetKey(QStringLiteral("admin"));
        Click(d.OptBuild);
        d.CboBuild->SetKey(QStringLiteral("F03"));
        Click(d.ChkFull);
        Click(d.OptMulti);
        QTest::mouseClick(d.CmdSetUp, Qt::LeftButton); // runs the handler editor planned below
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    Modals().plan([](QDialog& shown) {
        auto& e = dynamic_cast<FrmEdit&>(shown);
        e.CboGroup->SetKey(QStringLiteral("G02"));
        e.CboBy->SetKey(QStringLiteral("bob"));
        QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
        e.CboGroup->SetKey(QStringLiteral("G05"));
        e.CboBy->SetKey(QString());
        QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
        QTest::mouseClick(e.CmdOK, Qt::LeftButton);
    });
    Trigger("Menu_AddNode");
    EXPECT_TRUE(Messages().texts().isEmpty()) << Messages().texts().join(u'|').toStdString();

    cNode* node = Frame(QStringLiteral("CMP01")).AllNode().OneNode(QStringLiteral("NW01"));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->StateFlag(), StateNew);
    // Added from the menu without a right click: in the middle of the view.
    FlowNodeItem& box = CanvasNode(QStringLiteral("NNW01"));
    EXPECT_EQ(QRectF(box.Left(), box.Top(), box.Width(), box.Height()).center(), Window().ViewCentre());
    const int left = qRound(box.Left());
    const int top = qRound(box.Top());
    EXPECT_EQ(box.Text(), QStringLiteral("Double check"));
    EXPECT_EQ(box.Picture(), QStringLiteral("By")); // a handler, no return step
    EXPECT_EQ(box.Shape(), ShapeHandler);

    // Edit: the dialog shows what was entered; change the name, the length and the e-mail flag.
    EditNode(QStringLiteral("NW01"), [](FrmNode& d) {
        EXPECT_EQ(d.TxtID->text(), QStringLiteral("NW01"));
        EXPECT_FALSE(d.TxtID->isEnabled());
        EXPECT_EQ(d.SendSelf(), 101);
        EXPECT_TRUE(d.OptMulti->isChecked());
        EXPECT_EQ(d.MultiHandleBy(), QStringLiteral("G02,bob|G05,"));
        EXPECT_TRUE(d.OptBuild->isChecked());
        EXPECT_EQ(d.CboBuild->SelectedKey(), QStringLiteral("F03"));
        EXPECT_EQ(d.CboStaff->SelectedKey(), QStringLiteral("dave"));
        EXPECT_EQ(d.CboExpirStaff->SelectedKey(), QStringLiteral("admin"));
        EXPECT_TRUE(d.ChkTickCLOSE->isChecked());
        EXPECT_TRUE(d.ChkModi2->isChecked());
        EXPECT_FALSE(d.ChkModi1->isChecked());
        Type(d.TxtName, QStringLiteral("Double check twice"));
        Type(d.TxtLen, QStringLiteral("7"));
        Click(d.ChkEmail);
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(node->StateFlag(), StateNew); // a new node stays new
    EXPECT_EQ(box.Text(), QStringLiteral("Double check twice"));

    // Move it, then save.
    Drag(ViewportCentre(box), QPoint(40, 30));
    EXPECT_EQ(node->NodeLeft(), left + 600);
    EXPECT_EQ(node->NodeTop(), top + 450);
    PressButton(QStringLiteral("Save"));
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(126)});

    // clang-format off
    EXPECT_EQ(StoredRow(QStringLiteral("NW01")),
              (QStringList{"CMP01", "NW01", "Double check twice", "7", "D", "1", "101", "1", "1", "1", "1", "",
                           "F03", "1", "dave", "G03", "admin", "G05", QString::number(top + 450),
                           QString::number(left + 600), "P4", "1", "0", "1", "6",
                           "2", "", "2", "1", "G02,bob|G05,", "0", "M", "45"}));
    // clang-format on
}

TEST_F(NodeCommandsTest, ATakenIdReopensTheDialogWithTheEntriesKept)
{
    OpenLocked(QStringLiteral("CMP01"));
    PlanNode([](FrmNode& d) {
        FillMinimal(d, QStringLiteral("n00007"), QStringLiteral("Late step")); // N00007 of REP01, other case
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    PlanNode([](FrmNode& d) {
        EXPECT_EQ(d.TxtID->text(), QStringLiteral("n00007"));
        EXPECT_EQ(d.TxtName->text(), QStringLiteral("Late step"));
        EXPECT_EQ(d.CboStaffGroup->SelectedKey(), QStringLiteral("G02"));
        Type(d.TxtID, QStringLiteral("LATE1"));
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    Trigger("Menu_AddNode");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(128)});
    EXPECT_EQ(Modals().shown(), (QStringList{"FrmNode", "FrmNode"}));

    // The accepted group with the no-selection handler stores an empty handler.
    const cNode* node = Frame(QStringLiteral("CMP01")).AllNode().OneNode(QStringLiteral("LATE1"));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->HandleGroup_ID(), QStringLiteral("G02"));
    EXPECT_EQ(node->HandleBy_ID(), QString());
    EXPECT_EQ(CanvasNode(QStringLiteral("NLATE1")).Picture(), QStringLiteral("Group"));
    EXPECT_EQ(CanvasNode(QStringLiteral("NLATE1")).Shape(), ShapeGroup);
    EXPECT_EQ(Frame(QStringLiteral("CMP01")).AllNode().OneNode(QStringLiteral("n00007")), nullptr);

    // Cancelling the second round adds nothing.
    Messages().clear();
    PlanNode([](FrmNode& d) {
        FillMinimal(d, QStringLiteral("LATE1"), QStringLiteral("Again"));
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    PlanNode([](FrmNode& d) { QTest::mouseClick(d.CmdCancel, Qt::LeftButton); });
    const int nodes = Canvas().Nodes().size();
    Trigger("Menu_AddNode");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(128)});
    EXPECT_EQ(Canvas().Nodes().size(), nodes);
    EXPECT_EQ(Frame(QStringLiteral("CMP01")).AllNode().OneNode(QStringLiteral("LATE1"))->WorkOrderNodeName(),
              QStringLiteral("Late step"));
}

TEST_F(NodeCommandsTest, EditingWithoutChangeMarksNothing)
{
    for (const char* frameId : {"CMP01", "REP01", "BIL01"}) {
        const QString id = QString::fromLatin1(frameId);
        OpenLocked(id);
        cWorder& frame = Frame(id);
        for (const auto& [nodeId, node] : frame.AllNode().AllNode()) {
            const NodeValues before = node->Values();
            EditNode(nodeId, [](FrmNode& d) { QTest::mouseClick(d.CmdOK, Qt::LeftButton); });
            EXPECT_EQ(node->StateFlag(), StateUnchanged) << nodeId.toStdString();
            EXPECT_TRUE(node->Values() == before) << nodeId.toStdString();
        }
        EXPECT_EQ(frame.CheckStatus(), 0) << frameId;
        EXPECT_TRUE(Messages().texts().isEmpty()) << Messages().texts().join(u'|').toStdString();
    }
}

TEST_F(NodeCommandsTest, EditingSetsOnlyWhatChangedAndRedrawsTheBox)
{
    OpenLocked(QStringLiteral("CMP01"));
    cNode* node = Frame(QStringLiteral("CMP01")).AllNode().OneNode(QStringLiteral("N00003"));
    NodeValues expected = node->Values();
    EditNode(QStringLiteral("N00003"), [](FrmNode& d) {
        EXPECT_TRUE(d.OptOther->isChecked());
        EXPECT_EQ(Keys(*d.CboStep), (QStringList{"N00002", "N00001"}));
        Click(d.OptOld);
        d.CboStep->SetKey(QStringLiteral("N00001"));
        Click(d.chkReturnGroup);
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    expected.ReturnOldStep = QStringLiteral("N00001");
    expected.ReturnGroupFlag = 1;
    EXPECT_TRUE(node->Values() == expected);
    EXPECT_EQ(node->StateFlag(), StateModified);
    FlowNodeItem& box = CanvasNode(QStringLiteral("NN00003"));
    EXPECT_EQ(box.Picture(), QStringLiteral("Return"));
    EXPECT_EQ(box.Shape(), ShapeReturn);

    // Cancel changes nothing.
    EditNode(QStringLiteral("N00003"), [](FrmNode& d) {
        Type(d.TxtName, QStringLiteral("Not kept"));
        QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
    });
    EXPECT_TRUE(node->Values() == expected);
    EXPECT_EQ(box.Text(), QStringLiteral("Supervisor review"));
}

TEST_F(NodeCommandsTest, StepListHoldsEveryUpstreamStepOnceButNeverTheNode)
{
    OpenLocked(QStringLiteral("CMP01"));
    SelectOnlyCombo combo;
    Window().FillStepCombo(QStringLiteral("N00004"), combo); // reached along two paths
    EXPECT_EQ(Keys(combo), (QStringList{"N00002", "N00001", "N00003"}));
    EXPECT_EQ(combo.itemText(0), QStringLiteral("Investigate"));
    EXPECT_EQ(combo.ListIndex(), -1);
    Window().FillStepCombo(QStringLiteral("N00001"), combo); // only the start above it
    EXPECT_EQ(combo.count(), 0);

    // On a cycle every node is upstream of itself; it is still left out, in the dialog too.
    OpenLocked(QStringLiteral("REP01"));
    EditNode(QStringLiteral("N00007"), [](FrmNode& d) {
        EXPECT_EQ(Keys(*d.CboStep), (QStringList{"N00006", "N00005"}));
        QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
    });
    Window().FillStepCombo(QStringLiteral("N00006"), combo);
    EXPECT_EQ(Keys(combo), (QStringList{"N00005", "N00007"}));
    Window().FillStepCombo(QStringLiteral("N00005"), combo);
    EXPECT_EQ(Keys(combo), (QStringList{"N00007", "N00006"}));

    // Deleted links are not followed.
    ASSERT_EQ(Frame(QStringLiteral("REP01")).AllLink().DelMe(QStringLiteral("R4")).toInt(), 1);
    Window().FillStepCombo(QStringLiteral("N00006"), combo);
    EXPECT_EQ(Keys(combo), QStringList{"N00005"});
}

TEST_F(NodeCommandsTest, DeletingANodeMarksItsLinksAndTakesItOffTheCanvas)
{
    OpenLocked(QStringLiteral("CMP01"));
    cWorder& frame = Frame(QStringLiteral("CMP01"));
    Canvas().SelectItem(&CanvasNode(QStringLiteral("NN00002")));

    Messages().planAnswer(QMessageBox::No);
    Trigger("Menu_Del");
    EXPECT_EQ(Messages().questions(), QStringList{LoadResString(130) + "Investigate" + LoadResString(131)});
    EXPECT_EQ(frame.CheckStatus(), 0);
    EXPECT_NE(Canvas().NodeByKey(QStringLiteral("NN00002")), nullptr);

    Messages().planAnswer(QMessageBox::Yes);
    Trigger("Menu_Del");
    EXPECT_EQ(frame.AllNode().OneNode(QStringLiteral("N00002"))->StateFlag(), StateDeleted);
    for (const char* link : {"L2", "L3", "L4"}) {
        EXPECT_EQ(frame.AllLink().OneLinks(QString::fromLatin1(link))->StateFlag(), StateDeleted) << link;
        EXPECT_EQ(Canvas().LinkByKey(QStringLiteral("L") + link), nullptr) << link;
    }
    for (const char* link : {"L1", "L5", "L6"})
        EXPECT_EQ(frame.AllLink().OneLinks(QString::fromLatin1(link))->StateFlag(), StateUnchanged) << link;
    EXPECT_EQ(Canvas().NodeByKey(QStringLiteral("NN00002")), nullptr);
    EXPECT_EQ(Canvas().Nodes().size(), 5);

    Messages().clear();
    PressButton(QStringLiteral("Save"));
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(126)});
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'")), 0);
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM Two_Link WHERE WorkOrderFrame_ID = 'CMP01'")), 3);
}

TEST_F(NodeCommandsTest, DeleteRefusesStartEndAndNoSelection)
{
    OpenLocked(QStringLiteral("CMP01"));
    for (const char* key : {"NBEGIN", "NEND"}) {
        Canvas().SelectItem(&CanvasNode(QString::fromLatin1(key)));
        Trigger("Menu_Del");
    }
    // Without a selection the item is disabled; the command itself still refuses.
    Canvas().SelectItem(nullptr);
    EXPECT_FALSE(Window().MenuItem(QStringLiteral("Menu_Del"))->isEnabled());
    Window().Menu_Del_Click();
    EXPECT_EQ(Messages().texts(), (QStringList{LoadResString(129), LoadResString(129), LoadResString(129)}));
    EXPECT_TRUE(Messages().questions().isEmpty());
    EXPECT_EQ(Frame(QStringLiteral("CMP01")).CheckStatus(), 0);
    // Editing Start or End opens nothing.
    Canvas().SelectItem(&CanvasNode(QStringLiteral("NBEGIN")));
    Trigger("Menu_EditNode");
    EXPECT_TRUE(Modals().shown().isEmpty());
}

// Each new step is proposed an ID that neither the database nor the frame's unsaved steps use; an
// ID the database could not confirm free is neither proposed nor accepted.
TEST_F(NodeCommandsTest, ProposalsSkipUnsavedStepsAndNeedAReadableDatabase)
{
    OpenLocked(QStringLiteral("CMP01"));
    QStringList proposed;
    for (int i = 0; i < 2; ++i) {
        PlanNode([&](FrmNode& d) {
            proposed << d.TxtID->text();
            FillMinimal(d, d.TxtID->text(), QStringLiteral("Step"));
            QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        });
        Trigger("Menu_AddNode");
    }
    EXPECT_EQ(proposed, (QStringList{"N00010", "N00011"}));

    const QString unreadable = LoadResString(1000) + QStringLiteral("\r\n");
    StatementMonitor::FailAt(1);
    Trigger("Menu_AddNode");
    EXPECT_EQ(Modals().shown().size(), 2); // no dialog without a proposal
    PlanNode([](FrmNode& d) {
        FillMinimal(d, QStringLiteral("N77777"), QStringLiteral("Unchecked"));
        StatementMonitor::FailAt(1);
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    PlanNode([](FrmNode& d) { QTest::mouseClick(d.CmdCancel, Qt::LeftButton); });
    Trigger("Menu_AddNode");
    ASSERT_EQ(Messages().texts().size(), 2);
    for (const QString& text : Messages().texts())
        EXPECT_TRUE(text.startsWith(unreadable) && text.contains(QStringLiteral("Injected fault")))
            << text.toStdString();
    EXPECT_EQ(Frame(QStringLiteral("CMP01")).AllNode().OneNode(QStringLiteral("N77777")), nullptr);
}

} // namespace
} // namespace korvel
