// The link commands through the real window and the real link dialog, over the demo frame "CMP01":
//   L1 BEGIN -> N00001, L2 N00001 -> N00002, L3 N00002 -> N00003 (Compensation > 500),
//   L4 N00002 -> N00004 (Compensation <= 500), L5 N00003 -> N00004, L6 N00004 -> END.

#include "tests/designer/designerfixture.h"

#include "dialogs/frmlink.h"
#include "dialogs/frmnode.h"
#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"
#include "resources/stringtable.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <functional>
#include <tuple>

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
        FlowLinkItem* arrow = Canvas().LinkByKey(QStringLiteral("L") + code);
        ASSERT_NE(arrow, nullptr) << "no arrow for " << code.toStdString();
        Canvas().SelectItem(arrow);
        PlanLink(std::move(script));
        Window().Menu_EditLink_Click();
    }

    cLink* Link(const QString& code) { return Frame(QStringLiteral("CMP01")).AllLink().OneLinks(code); }

    // The frame's rows of this link code as "name|father|son|AlwaysOpen|variable|operator|value".
    QStringList LinkRows(const QString& frame, const QString& code)
    {
        QSqlQuery query(Db().database());
        EXPECT_TRUE(
            query.exec(QStringLiteral("SELECT WorkOrderLinkName, FatherNode_ID, SonNode_ID, AlwaysOpen, "
                                      "AddinVariant, CompareType, VariantValue FROM Two_Link "
                                      "WHERE WorkOrderFrame_ID = '%1' AND WorkOrderLink_ID = '%2'")
                           .arg(frame, code)));
        QStringList rows;
        while (query.next()) {
            QStringList fields;
            for (int i = 0; i < 7; ++i)
                fields << query.value(i).toString();
            rows << fields.join(QLatin1Char('|'));
        }
        return rows;
    }

    void Save()
    {
        PressButton(QStringLiteral("Save"));
        ASSERT_EQ(Messages().texts().value(Messages().texts().size() - 1), LoadResString(126));
    }
};

TEST_F(LinkCommandsTest, AddProposesAFreshCodeAndDrawsTheArrowAtOnce)
{
    OpenLocked("CMP01");
    QStringList proposed;
    for (int i = 0; i < 2; ++i) {
        PlanLink([&](FrmLink& d) {
            proposed << d.TxtID->text();
            QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
        });
        Window().Menu_AddLink_Click();
    }
    ASSERT_EQ(proposed.size(), 2);
    EXPECT_EQ(proposed[0].size(), 6);
    EXPECT_NE(proposed[0], proposed[1]);
    EXPECT_EQ(Frame("CMP01").AllLink().AllLinks().Count(), 6); // Cancel adds nothing

    AddLink("NEW2", "Reopen", "N00004", "N00001");
    const FlowLinkItem* open = Canvas().LinkByKey("LNEW2");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->Color(), LinkColorRed);
    EXPECT_EQ(open->Org()->Key(), QStringLiteral("NN00004"));
    EXPECT_EQ(open->Dst()->Key(), QStringLiteral("NN00001"));
    EXPECT_EQ(Link("NEW2")->StateFlag(), StateNew);
}

TEST_F(LinkCommandsTest, StartAndEndItemsAreOfferedOnlyWhenFreeOrForTheEditedLink)
{
    OpenLocked("CMP01");
    // L1 already leaves the start and N00004 already leads to the end.
    PlanLink([](FrmLink& d) {
        EXPECT_FALSE(Keys(*d.CboParent).contains("BEGIN"));
        d.CboParent->SetKey("N00004");
        EXPECT_EQ(Keys(*d.CboChild), QStringList{"N00001"});
        QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
    });
    Window().Menu_AddLink_Click();

    // Editing L1: the start item is there and chosen, the ends cannot change, the code is fixed.
    EditLink("L1", [](FrmLink& d) {
        EXPECT_EQ(Keys(*d.CboParent).value(0), QStringLiteral("BEGIN"));
        EXPECT_EQ(d.CboParent->SelectedKey(), QStringLiteral("BEGIN"));
        EXPECT_FALSE(d.CboParent->isEnabled());
        EXPECT_FALSE(d.CboChild->isEnabled());
        EXPECT_FALSE(d.TxtID->isEnabled());
        QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
    });
    // Editing L6 (N00004 -> END) keeps the end item; editing L3 (N00002 -> N00003) lists its own son
    // although the pair is already joined.
    for (const auto& [code, sons, son] : {std::tuple{"L6", QStringList{"N00001", "END"}, "END"},
                                          std::tuple{"L3", QStringList{"N00003", "END"}, "N00003"}}) {
        SCOPED_TRACE(code);
        EditLink(code, [&](FrmLink& d) {
            EXPECT_EQ(Keys(*d.CboChild), sons);
            EXPECT_EQ(d.CboChild->SelectedKey(), QString::fromLatin1(son));
            QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
        });
    }
    EXPECT_EQ(Frame("CMP01").AllLink().CheckStatus(), 0);
}

TEST_F(LinkCommandsTest, CodeChecksRefuseLongAndDuplicateCodesButNotWhileEditing)
{
    OpenLocked("CMP01");
    PlanLink([](FrmLink& d) {
        Type(d.Txtdesc, "Escalate");
        d.CboParent->SetKey("N00001");
        d.CboChild->SetKey("N00003");
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
    EXPECT_NE(Canvas().LinkByKey("LABCDEF"), nullptr);

    // OK on an unchanged link: its own code is not a duplicate, and nothing is marked changed.
    Messages().clear();
    EditLink("L2", [](FrmLink& d) { QTest::mouseClick(d.CmdOK, Qt::LeftButton); });
    EXPECT_TRUE(Messages().texts().isEmpty());
    EXPECT_EQ(Link("L2")->StateFlag(), StateUnchanged);
    Save();
    EXPECT_EQ(LinkRows("CMP01", "ABCDEF"), QStringList{"Escalate|N00001|N00003|0|||"});
}

TEST_F(LinkCommandsTest, DescriptionMustNotBeBlankAndKeepsItsBlanks)
{
    OpenLocked("CMP01");
    EditLink("L2", [](FrmLink& d) {
        Type(d.Txtdesc, "   ");
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        EXPECT_EQ(d.focusWidget(), d.Txtdesc);
        Type(d.Txtdesc, "  Registered twice  ");
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(114)});
    EXPECT_EQ(Link("L2")->WorkOrderLinkName(), QStringLiteral("  Registered twice  "));
    EXPECT_EQ(Link("L2")->StateFlag(), StateModified);
    EXPECT_EQ(Canvas().LinkByKey("LL2")->Text(), QStringLiteral("  Registered twice  "));
    Save();
    EXPECT_EQ(LinkRows("CMP01", "L2"), QStringList{"  Registered twice  |N00001|N00002|0|||"});
}

TEST_F(LinkCommandsTest, ConditionNeedsAVariableAndSurvivesSaveAndReload)
{
    OpenLocked("CMP01");
    EditLink("L2", [](FrmLink& d) {
        QTest::mouseClick(d.OptFilter, Qt::LeftButton);
        ChooseOperator(d, "<");
        Type(d.TxtValue, "3");
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        EXPECT_EQ(d.focusWidget(), d.TxtFilter);
        Type(d.TxtFilter, "Attempts");
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(109)});
    EXPECT_EQ(Canvas().LinkByKey("LL2")->Color(), LinkColorConditional);
    Save();
    EXPECT_EQ(LinkRows("CMP01", "L2"), QStringList{"Registered|N00001|N00002|1|Attempts|<|3"});

    // A new window reads the frame from the database again; the lock is still this user's.
    OpenWindow();
    ASSERT_EQ(Frame("CMP01").LockFlag(), 1);
    EditLink("L2", [](FrmLink& d) {
        EXPECT_TRUE(d.OptFilter->isChecked());
        EXPECT_EQ(d.TxtFilter->text(), QStringLiteral("Attempts"));
        EXPECT_EQ(d.CboRelation->currentText(), QStringLiteral("<"));
        EXPECT_EQ(d.TxtValue->text(), QStringLiteral("3"));
        QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
    });
}

TEST_F(LinkCommandsTest, SwitchingToAlwaysOpenEmptiesTheConditionAndTurnsTheArrowRed)
{
    OpenLocked("CMP01");
    ASSERT_EQ(Canvas().LinkByKey("LL3")->Color(), LinkColorConditional);
    EditLink("L3", [](FrmLink& d) {
        QTest::mouseClick(d.OptAll, Qt::LeftButton);
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    const cLink* link = Link("L3");
    EXPECT_EQ(link->AlwaysOpen(), 0);
    EXPECT_TRUE(link->AddinVariant().isEmpty());
    EXPECT_TRUE(link->CompareType().isEmpty());
    EXPECT_TRUE(link->VariantValue().isEmpty());
    EXPECT_EQ(Canvas().LinkByKey("LL3")->Color(), LinkColorRed);
    Save();
    EXPECT_EQ(LinkRows("CMP01", "L3"), QStringList{"Compensation over 500|N00002|N00003|0|||"});
}

// Deleting asks first and removes only the arrow; the code is free again only after the save.
TEST_F(LinkCommandsTest, DeleteThenAddAgainUnderTheSameCode)
{
    OpenLocked("CMP01");
    Canvas().SelectItem(Canvas().LinkByKey("LL5"));
    Messages().planAnswer(QMessageBox::No);
    Window().Menu_DelLink_Click();
    EXPECT_EQ(Messages().questions(), QStringList{LoadResString(132) + "Approved" + LoadResString(133)});
    EXPECT_EQ(Link("L5")->StateFlag(), StateUnchanged);

    Canvas().SelectItem(Canvas().LinkByKey("LL5"));
    Messages().planAnswer(QMessageBox::Yes);
    Window().Menu_DelLink_Click();
    EXPECT_EQ(Canvas().LinkByKey("LL5"), nullptr);
    EXPECT_NE(Canvas().NodeByKey("NN00003"), nullptr);
    EXPECT_EQ(Canvas().Nodes().size(), 6);
    EXPECT_EQ(Link("L5")->StateFlag(), StateDeleted);
    Canvas().SelectItem(nullptr); // without a selected arrow nothing is asked
    Window().Menu_DelLink_Click();
    EXPECT_EQ(Messages().questions().size(), 2);

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
    Messages().clear();

    Save();
    EXPECT_TRUE(LinkRows("CMP01", "L5").isEmpty());
    AddLink("L5", "Review again", "N00003", "N00001");
    ASSERT_NE(Canvas().LinkByKey("LL5"), nullptr);
    Save();
    EXPECT_EQ(LinkRows("CMP01", "L5"), QStringList{"Review again|N00003|N00001|0|||"});
}

TEST_F(LinkCommandsTest, AFlowBuiltThroughTheDialogsIsSavedAsBuilt)
{
    // BIL01 without nodes and links: an empty flow to build.
    Db().exec("DELETE FROM Two_Link WHERE WorkOrderFrame_ID = 'BIL01'");
    Db().exec("DELETE FROM Two_Node WHERE WorkOrderFrame_ID = 'BIL01'");
    OpenWindow();
    OpenLocked("BIL01");
    ASSERT_EQ(Canvas().Nodes().size(), 2);

    for (const auto& [id, name] :
         {std::pair{"NODEA", "Check invoice"}, std::pair{"NODEB", "Approve credit"}}) {
        Modals().plan([id = QString::fromLatin1(id), name = QString::fromLatin1(name)](QDialog& shown) {
            auto& node = dynamic_cast<FrmNode&>(shown);
            Type(node.TxtID, id);
            Type(node.TxtName, name);
            node.CboPriority->setListIndex(0);
            node.CboUnit->setListIndex(0);
            Type(node.TxtLen, "2");
            node.CboStaffGroup->SetKey(QStringLiteral("G04"));
            QTest::mouseClick(node.CmdOK, Qt::LeftButton);
        });
        Window().Menu_AddNode_Click();
    }
    ASSERT_TRUE(Messages().texts().isEmpty()) << Messages().texts().join(" / ").toStdString();
    // New boxes start in the middle of the view, one over the other; the user drags them apart.
    Drag(ViewportCentre(CanvasNode("NNODEB")), QPoint(250, 100));
    Drag(ViewportCentre(CanvasNode("NNODEA")), QPoint(100, 100));
    const QPointF placeA(CanvasNode("NNODEA").Left(), CanvasNode("NNODEA").Top());
    const QPointF placeB(CanvasNode("NNODEB").Left(), CanvasNode("NNODEB").Top());
    ASSERT_GT(placeB.x(), placeA.x() + 1400);

    // Start is offered only until the first link leaves it.
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
    EXPECT_TRUE(Messages().texts().isEmpty());

    EXPECT_EQ(Canvas().LinkByKey("LF2")->Color(), LinkColorConditional);

    Save();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderFrame_ID = 'BIL01' AND "
                    "((WorkOrderNode_ID = 'NODEA' AND WorkOrderNodeName = 'Check invoice') OR "
                    "(WorkOrderNode_ID = 'NODEB' AND WorkOrderNodeName = 'Approve credit'))"),
              2);
    EXPECT_EQ(Count(QStringLiteral("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'NODEB'")),
              qRound(placeB.x()));
    EXPECT_EQ(Count(QStringLiteral("SELECT NodeTop FROM Two_Node WHERE WorkOrderNode_ID = 'NODEA'")),
              qRound(placeA.y()));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Link WHERE WorkOrderFrame_ID = 'BIL01'"), 3);
    EXPECT_EQ(LinkRows("BIL01", "F1"), QStringList{"Dispute raised|BEGIN|NODEA|0|||"});
    EXPECT_EQ(LinkRows("BIL01", "F2"), QStringList{"Credit due|NODEA|NODEB|1|CreditAmount|>|0"});
    EXPECT_EQ(LinkRows("BIL01", "F3"), QStringList{"Credit issued|NODEB|END|0|||"});
}

} // namespace
} // namespace korvel
