// The node commands through the real window, the real node dialog and a real database. Demo frame
// CMP01: L1 BEGIN -> N00001, L2 N00001 -> N00002, L3 N00002 -> N00003, L4 N00002 -> N00004,
//        L5 N00003 -> N00004, L6 N00004 -> END; N00004 returns to N00001.

#include "tests/designer/designerfixture.h"

#include "dialogs/frmedit.h"
#include "dialogs/frmnode.h"
#include "dialogs/numerictextbox.h"
#include "resources/stringtable.h"

#include <QCheckBox>
#include <QRadioButton>

namespace korvel {
namespace {

class NodeCommandsTest : public DesignerTest {
protected:
    void Trigger(const char* item)
    {
        QCoreApplication::processEvents();
        QAction* action = Window().MenuItem(QString::fromLatin1(item));
        ASSERT_NE(action, nullptr);
        action->trigger();
    }

    void EditNode(const QString& id, std::function<void(FrmNode&)> script)
    {
        Scene().SelectItem(&CanvasNode(QStringLiteral("N") + id));
        PlanDialog<FrmNode>(std::move(script));
        Trigger("Menu_EditNode");
    }

    // The node's 33 columns from the database, in value-list order, joined by "|".
    QString StoredRow(const QString& id)
    {
        return Db()
            .rows(QStringLiteral(
                      "SELECT WorkOrderFrame_ID, WorkOrderNode_ID, WorkOrderNodeName, ExpiredPeriod, "
                      "ExpiredPeriodType_ID, CanSendBack, CanSendSelf, CanSkip, EmailNotify, SMSNotify, "
                      "AddinType, WEBLink, Group_IDA, CanFullScreen, HandleBy_ID, HandleGroup_ID, "
                      "ExpiredHandleBy_ID, ExpiredHandleGroup_ID, NodeTop, NodeLeft, Priority_ID, RefuseReply, "
                      "CanClose, ContactCust, NextBeginTime, TickOffFlag, ReturnOldStep, CanModify, "
                      "CanBackToBy, ToHandleby, ReturnGroupFlag, ForecastUnit, ForecastLen "
                      "FROM Two_Node WHERE WorkOrderNode_ID = '%1'")
                      .arg(id))
            .value(0);
    }
};

TEST_F(NodeCommandsTest, NewNodeAddedEditedMovedAndSavedKeepsEveryColumn)
{
    OpenLocked("CMP01");
    PlanDialog<FrmNode>([](FrmNode& d) {
        EXPECT_EQ(d.TxtID->text(), "N00010"); // the first free generated ID
        EXPECT_TRUE(d.TxtID->isEnabled());
        EXPECT_EQ(d.CboStep->count(), 0);
        Type(d.TxtID, " NW01 ");
        Type(d.TxtName, "Double check");
        d.CboPriority->SetKey("P4");
        d.CboUnit->SetKey("D");
        Type(d.TxtLen, "3");
        Type(d.TxtNextTime, "6");
        d.CboUnit1->SetKey("M");
        Type(d.TxtLen1, "45");
        for (QCheckBox* box : {d.ChkBack, d.Check2, d.CHKSendOwner, d.ChkSendLoginGrp, d.CHKSendSkip, d.CHKSMS,
                               d.ChkRefuseReply, d.Check1, d.ChkTickOff, d.ChkTickCLOSE, d.ChkModi1, d.ChkModi2})
            Click(box); // in this order: Check2 needs ChkBack, ChkTickCLOSE ChkTickOff; ChkModi2 clears ChkModi1
        d.CboStaffGroup->SetKey("G03");
        d.CboStaff->SetKey("dave");
        d.CboExpirGroup->SetKey("G05");
        d.CboExpirStaff->SetKey("admin");
        Click(d.OptBuild);
        d.CboBuild->SetKey("F03");
        Click(d.ChkFull);
        Click(d.OptMulti);
        QTest::mouseClick(d.CmdSetUp, Qt::LeftButton); // runs the handler editor planned below
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    Modals().plan([](QDialog& shown) {
        auto& e = dynamic_cast<FrmEdit&>(shown);
        for (const auto& [group, by] : {std::pair{"G02", "bob"}, {"G05", ""}}) {
            e.CboGroup->SetKey(group);
            e.CboBy->SetKey(by);
            QTest::mouseClick(e.CmdAdd, Qt::LeftButton);
        }
        QTest::mouseClick(e.CmdOK, Qt::LeftButton);
    });
    Trigger("Menu_AddNode");
    EXPECT_TRUE(Messages().texts().isEmpty()) << Messages().texts().join(u'|').toStdString();

    cNode* node = Frame("CMP01").AllNode().OneNode("NW01");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->StateFlag(), StateNew);
    // Added from the menu without a right click: in the middle of the view.
    FlowNodeItem& box = CanvasNode("NNW01");
    EXPECT_EQ(QRectF(box.Left(), box.Top(), box.Width(), box.Height()).center(), Window().View().ViewCentre());
    const int left = qRound(box.Left()), top = qRound(box.Top());
    EXPECT_EQ(box.Text(), "Double check");
    EXPECT_EQ(box.Picture(), "By"); // a handler, no return step

    // Edit: the dialog shows what was entered; change the name, the length and the e-mail flag.
    EditNode("NW01", [](FrmNode& d) {
        EXPECT_FALSE(d.TxtID->isEnabled());
        EXPECT_EQ(d.SendSelf(), 101);
        EXPECT_EQ(d.MultiHandleBy(), "G02,bob|G05,");
        EXPECT_EQ(d.CboStaff->SelectedKey(), "dave");
        EXPECT_TRUE(d.ChkModi2->isChecked());
        EXPECT_FALSE(d.ChkModi1->isChecked());
        Type(d.TxtName, "Double check twice");
        Type(d.TxtLen, "7");
        Click(d.ChkEmail);
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(node->StateFlag(), StateNew); // a new node stays new
    EXPECT_EQ(box.Text(), "Double check twice");

    // Move it, then save.
    Drag(ViewportCentre(box), QPoint(40, 30));
    EXPECT_EQ(node->NodeLeft(), left + 600);
    EXPECT_EQ(node->NodeTop(), top + 450);
    PressButton("Save");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(126)});

    EXPECT_EQ(StoredRow("NW01"),
              QStringList({"CMP01", "NW01", "Double check twice", "7", "D", "1", "101", "1", "1", "1", "1", "",
                           "F03", "1", "dave", "G03", "admin", "G05", QString::number(top + 450),
                           QString::number(left + 600), "P4", "1", "0", "1", "6", "2", "", "2", "1",
                           "G02,bob|G05,", "0", "M", "45"})
                  .join(u'|'));
}

// OK on an unchanged dialog marks nothing and changes no value, for every step of every frame;
// a change sets only what changed and redraws the box; Cancel changes nothing.
TEST_F(NodeCommandsTest, EditingWithoutChangeMarksNothing)
{
    for (const char* frameId : {"REP01", "BIL01", "CMP01"}) {
        OpenLocked(frameId);
        cWorder& frame = Frame(frameId);
        for (const auto& [nodeId, node] : frame.AllNode().AllNode()) {
            const NodeValues before = node->Values();
            EditNode(nodeId, [](FrmNode& d) { QTest::mouseClick(d.CmdOK, Qt::LeftButton); });
            EXPECT_EQ(node->StateFlag(), StateUnchanged) << nodeId.toStdString();
            EXPECT_TRUE(node->Values() == before) << nodeId.toStdString();
        }
        EXPECT_EQ(frame.CheckStatus(), 0) << frameId;
        EXPECT_TRUE(Messages().texts().isEmpty()) << Messages().texts().join(u'|').toStdString();
    }

    cNode* node = Frame("CMP01").AllNode().OneNode("N00003");
    NodeValues expected = node->Values();
    EditNode("N00003", [](FrmNode& d) {
        EXPECT_TRUE(d.OptOther->isChecked());
        EXPECT_EQ(Keys(*d.CboStep), (QStringList{"N00002", "N00001"})); // every upstream step, once
        EXPECT_EQ(d.CboStep->itemText(1), "Register complaint (N00001)");
        Click(d.OptOld);
        d.CboStep->SetKey("N00001");
        Click(d.chkReturnGroup);
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    expected.ReturnOldStep = "N00001";
    expected.ReturnGroupFlag = 1;
    EXPECT_TRUE(node->Values() == expected);
    EXPECT_EQ(node->StateFlag(), StateModified);
    EXPECT_EQ(CanvasNode("NN00003").Picture(), "Return");
    EditNode("N00003", [](FrmNode& d) {
        Type(d.TxtName, "Not kept");
        QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
    });
    EXPECT_TRUE(node->Values() == expected);
    EXPECT_EQ(CanvasNode("NN00003").Text(), "Supervisor review");
}

// Save with nothing to save says nothing. Start and End cannot be deleted; a step is deleted after
// a Yes, with every link into and out of it, off the canvas at once and from the database on save.
TEST_F(NodeCommandsTest, DeletingANodeMarksItsLinksAndTakesItOffTheCanvas)
{
    OpenLocked("CMP01");
    PressButton("Save"); // nothing to save: nothing said
    for (const char* key : {"NBEGIN", "NEND"}) {
        Scene().SelectItem(&CanvasNode(key));
        Trigger("Menu_Del");
    }
    EXPECT_EQ(Messages().texts(), (QStringList{LoadResString(129), LoadResString(129)}));
    cWorder& frame = Frame("CMP01");
    Scene().SelectItem(&CanvasNode("NN00002"));
    Messages().clear();
    Messages().planAnswer(QMessageBox::No);
    Trigger("Menu_Del");
    EXPECT_EQ(Messages().questions(), QStringList{LoadResString(130) + "Investigate" + LoadResString(131)});
    EXPECT_EQ(frame.CheckStatus(), 0);

    Messages().planAnswer(QMessageBox::Yes);
    Trigger("Menu_Del");
    EXPECT_EQ(frame.AllNode().OneNode("N00002")->StateFlag(), StateDeleted);
    for (const char* link : {"L2", "L3", "L4"}) {
        EXPECT_EQ(frame.AllLink().OneLinks(link)->StateFlag(), StateDeleted) << link;
        EXPECT_EQ(Scene().LinkByKey(QStringLiteral("L") + link), nullptr) << link;
    }
    for (const char* link : {"L1", "L5", "L6"})
        EXPECT_EQ(frame.AllLink().OneLinks(link)->StateFlag(), StateUnchanged) << link;
    EXPECT_EQ(Scene().NodeByKey("NN00002"), nullptr);

    Messages().clear();
    PressButton("Save");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(126)});
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Link WHERE WorkOrderFrame_ID = 'CMP01'"), 3);
}

} // namespace
} // namespace korvel
