// The link commands through the real window and the real link dialog, over the demo frame "CMP01":
//   L1 BEGIN -> N00001, L2 N00001 -> N00002, L3 N00002 -> N00003 (Compensation > 500),
//   L4 N00002 -> N00004 (Compensation <= 500), L5 N00003 -> N00004, L6 N00004 -> END.

#include "tests/designer/designerfixture.h"

#include "dialogs/frmlink.h"
#include "dialogs/frmnode.h"
#include "dialogs/numerictextbox.h"
#include "resources/stringtable.h"

#include <QComboBox>
#include <QRadioButton>

namespace korvel {
namespace {

void ChooseOperator(FrmLink& d, const QString& op)
{
    d.CboRelation->setCurrentIndex(d.CboRelation->findText(op));
}

class LinkCommandsTest : public DesignerTest {
protected:
    using Script = std::function<void(FrmLink&)>;

    void PlanLink(Script script) { PlanDialog<FrmLink>(std::move(script)); }

    // Adds a link through the command, filling the dialog like a user and pressing OK.
    void AddLink(const QString& code, const QString& name, const QString& father, const QString& son,
                 const QString& variable = {}, const QString& op = {}, const QString& value = {})
    {
        PlanLink([=](FrmLink& d) {
            Type(d.TxtID, code);
            Type(d.Txtdesc, name);
            d.CboParent->SetKey(father);
            d.CboChild->SetKey(son);
            if (!variable.isEmpty()) {
                QTest::mouseClick(d.OptFilter, Qt::LeftButton);
                Type(d.TxtFilter, variable);
                ChooseOperator(d, op);
                Type(d.TxtValue, value);
            }
            QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        });
        Window().Menu_AddLink_Click();
    }

    // Selects the arrow of the link and runs the edit command with `script` on the dialog.
    void EditLink(const QString& code, Script script)
    {
        FlowLinkItem* arrow = Scene().LinkByKey("L" + code);
        ASSERT_NE(arrow, nullptr) << "no arrow for " << code.toStdString();
        Scene().SelectItem(arrow);
        PlanLink(std::move(script));
        Window().Menu_EditLink_Click();
    }

    cLink* Link(const QString& code) { return Frame("CMP01").AllLink().OneLinks(code); }

    // The frame's rows of this link code as "name|father|son|AlwaysOpen|variable|operator|value".
    QStringList LinkRows(const QString& frame, const QString& code)
    {
        return Db().rows(QStringLiteral("SELECT WorkOrderLinkName, FatherNode_ID, SonNode_ID, AlwaysOpen, "
                                        "AddinVariant, CompareType, VariantValue FROM Two_Link "
                                        "WHERE WorkOrderFrame_ID = '%1' AND WorkOrderLink_ID = '%2'")
                             .arg(frame, code));
    }

    void Save()
    {
        PressButton("Save");
        ASSERT_EQ(Messages().texts().value(Messages().texts().size() - 1), LoadResString(126));
    }
};

// A new link is proposed a fresh code; a code of seven bytes or one the frame has (in any letter
// case, or deleted but not yet saved) is refused, but an edited link's own code is not. The arrow
// is drawn at once from the chosen source to the chosen target, and saved so; then edits.
TEST_F(LinkCommandsTest, AddAndEditCheckWhatIsEnteredDrawItAtOnceAndSaveIt)
{
    OpenLocked("CMP01");
    PlanLink([](FrmLink& d) {
        EXPECT_EQ(d.TxtID->text().size(), 6); // a fresh code is proposed
        Type(d.Txtdesc, "Escalate");
        d.CboParent->SetKey("N00004");
        d.CboChild->SetKey("N00001");
        Type(d.TxtID, "ABCDEFG");
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        Type(d.TxtID, "l2");
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        Type(d.TxtID, "  ABCDEF "); // six bytes between the blanks; the blanks must not reach the row
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    Window().Menu_AddLink_Click();
    EXPECT_EQ(Messages().texts(), (QStringList{LoadResString(116), LoadResString(115)}));
    const FlowLinkItem* added = Scene().LinkByKey("LABCDEF");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Color(), LinkColorRed);
    EXPECT_EQ(QStringList({added->Org()->Key(), added->Dst()->Key()}), QStringList({"NN00004", "NN00001"}));
    EXPECT_EQ(Frame("CMP01").AllLink().OneLinks("ABCDEF")->StateFlag(), StateNew);

    EditLink("L2", [](FrmLink& d) { QTest::mouseClick(d.CmdOK, Qt::LeftButton); }); // own code: no clash
    EXPECT_EQ(Link("L2")->StateFlag(), StateUnchanged);

    // Deleting asks first and removes only the arrow; the code is free again only after the save.
    Scene().SelectItem(Scene().LinkByKey("LL5"));
    Messages().planAnswer(QMessageBox::No);
    Window().Menu_DelLink_Click();
    EXPECT_EQ(Messages().questions(), QStringList{LoadResString(132) + "Approved" + LoadResString(133)});
    EXPECT_EQ(Link("L5")->StateFlag(), StateUnchanged);
    Scene().SelectItem(Scene().LinkByKey("LL5"));
    Messages().planAnswer(QMessageBox::Yes);
    Window().Menu_DelLink_Click();
    EXPECT_EQ(Scene().LinkByKey("LL5"), nullptr);
    EXPECT_EQ(Link("L5")->StateFlag(), StateDeleted);
    Messages().clear();
    PlanLink([](FrmLink& d) {
        Type(d.TxtID, "L5");
        Type(d.Txtdesc, "Review again");
        d.CboParent->SetKey("N00003");
        d.CboChild->SetKey("N00001");
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
    });
    Window().Menu_AddLink_Click();
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(115)});
    Save();
    EXPECT_EQ(LinkRows("CMP01", "ABCDEF"), QStringList{"Escalate|N00004|N00001|0|||"});
    EXPECT_TRUE(LinkRows("CMP01", "L5").isEmpty());
    AddLink("L5", "Review again", "N00003", "N00001");
    Save();
    EXPECT_EQ(LinkRows("CMP01", "L5"), QStringList{"Review again|N00003|N00001|0|||"});

    // Editing: the description must not be blank and keeps its blanks; a condition needs a variable;
    // a stored condition is shown, and switching to always open empties it and turns the arrow red;
    // the save writes them so.
    Messages().clear();
    EditLink("L2", [](FrmLink& d) {
        Type(d.Txtdesc, "   ");
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        EXPECT_EQ(d.focusWidget(), d.Txtdesc);
        Type(d.Txtdesc, "  Registered twice  ");
        QTest::mouseClick(d.OptFilter, Qt::LeftButton);
        ChooseOperator(d, "<");
        Type(d.TxtValue, "3");
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        EXPECT_EQ(d.focusWidget(), d.TxtFilter);
        Type(d.TxtFilter, "Attempts");
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(Messages().texts(), (QStringList{LoadResString(114), LoadResString(109)}));
    EXPECT_EQ(Link("L2")->StateFlag(), StateModified);
    EXPECT_EQ(Scene().LinkByKey("LL2")->Text(), "  Registered twice  ");
    EXPECT_EQ(Scene().LinkByKey("LL2")->Color(), LinkColorConditional);
    EditLink("L3", [](FrmLink& d) {
        EXPECT_TRUE(d.OptFilter->isChecked()); // the stored condition is shown
        EXPECT_EQ(QStringList({d.TxtFilter->text(), d.CboRelation->currentText(), d.TxtValue->text()}),
                  QStringList({"Compensation", ">", "500"}));
        QTest::mouseClick(d.OptAll, Qt::LeftButton);
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    const cLink* l3 = Link("L3");
    EXPECT_EQ(QStringList({l3->AddinVariant(), l3->CompareType(), l3->VariantValue()}),
              QStringList({"", "", ""}));
    EXPECT_EQ(Scene().LinkByKey("LL3")->Color(), LinkColorRed);
    Save();
    EXPECT_EQ(LinkRows("CMP01", "L2"), QStringList{"  Registered twice  |N00001|N00002|1|Attempts|<|3"});
    EXPECT_EQ(LinkRows("CMP01", "L3"), QStringList{"Compensation over 500|N00002|N00003|0|||"});
}

// An empty frame built through the dialogs: Start is offered only until a link leaves it, a step
// with every target taken offers none, and the save writes the steps and the links as entered.
TEST_F(LinkCommandsTest, AFlowBuiltThroughTheDialogsIsSavedAsBuilt)
{
    Db().exec("DELETE FROM Two_Link WHERE WorkOrderFrame_ID = 'BIL01'");
    Db().exec("DELETE FROM Two_Node WHERE WorkOrderFrame_ID = 'BIL01'");
    OpenWindow();
    OpenLocked("BIL01");
    for (const char* id : {"NODEA", "NODEB"}) {
        PlanDialog<FrmNode>([id](FrmNode& node) {
            Type(node.TxtID, id);
            Type(node.TxtName, QStringLiteral("Step ") + id);
            node.CboPriority->setListIndex(0);
            node.CboUnit->setListIndex(0);
            Type(node.TxtLen, "2");
            node.CboStaffGroup->SetKey("G04");
            QTest::mouseClick(node.CmdOK, Qt::LeftButton);
        });
        Window().Menu_AddNode_Click();
    }
    PlanLink([](FrmLink& d) {
        EXPECT_EQ(Keys(*d.CboParent), (QStringList{"BEGIN", "NODEA", "NODEB"}));
        d.CboParent->SetKey("BEGIN");
        EXPECT_EQ(Keys(*d.CboChild), (QStringList{"NODEA", "NODEB", "END"}));
        QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
    });
    Window().Menu_AddLink_Click();
    AddLink("F1", "Dispute raised", "BEGIN", "NODEA");
    AddLink("F2", "Credit due", "NODEA", "NODEB", "CreditAmount", ">", "0");
    AddLink("F3", "Credit issued", "NODEB", "END");
    PlanLink([](FrmLink& d) {
        EXPECT_EQ(Keys(*d.CboParent), (QStringList{"NODEA", "NODEB"}));
        d.CboParent->SetKey("NODEB");
        EXPECT_TRUE(Keys(*d.CboChild).isEmpty());
        QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
    });
    Window().Menu_AddLink_Click();
    EXPECT_TRUE(Messages().texts().isEmpty()) << Messages().texts().join(" / ").toStdString();

    Save();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderFrame_ID = 'BIL01'"), 2);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Link WHERE WorkOrderFrame_ID = 'BIL01'"), 3);
    EXPECT_EQ(LinkRows("BIL01", "F1"), QStringList{"Dispute raised|BEGIN|NODEA|0|||"});
    EXPECT_EQ(LinkRows("BIL01", "F2"), QStringList{"Credit due|NODEA|NODEB|1|CreditAmount|>|0"});
    EXPECT_EQ(LinkRows("BIL01", "F3"), QStringList{"Credit issued|NODEB|END|0|||"});
}

} // namespace
} // namespace korvel
