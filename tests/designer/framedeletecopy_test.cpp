// The frame commands of the designer window through the real dialogs: deletion and save as.

#include "tests/designer/framecommandsfixture.h"

namespace korvel {
namespace {

TEST_F(FrameCommandsTest, DeletingTheCurrentFrameRemovesItsRowsAndLeavesNothingToSave)
{
    OpenLocked(QStringLiteral("CMP01"));
    // An unsaved change that a save of the deleted frame would write back.
    Frame(QStringLiteral("CMP01")).AllNode().OneNode(QStringLiteral("N00002"))->setNodeLeft(4321);
    ASSERT_EQ(Frame(QStringLiteral("CMP01")).CheckStatus(), 1);

    Messages().planAnswer(QMessageBox::Yes);
    PressButton(QStringLiteral("Del"));
    EXPECT_EQ(Messages().texts(),
              (QStringList{LoadResString(140) + QStringLiteral("Customer complaint") + LoadResString(141),
                           LoadResString(142)}));
    for (const char* table : {"TWO_Frame", "Two_Node", "Two_Link"})
        EXPECT_EQ(FrameRows(QString::fromLatin1(table), QStringLiteral("CMP01")), 0) << table;
    EXPECT_EQ(FrameRows(QStringLiteral("Two_Node"), QStringLiteral("REP01")), 3);
    EXPECT_EQ(TreeItem(QStringLiteral("CMP01")), nullptr);
    EXPECT_EQ(Window().TrvTree().topLevelItemCount(), 2);
    EXPECT_TRUE(Window().TrvTree().selectedItems().isEmpty());

    // No frame is current, the canvas is empty, the window read-only and the lock released.
    EXPECT_TRUE(Orders().CurWOrder().isEmpty());
    EXPECT_TRUE(Canvas().Nodes().isEmpty());
    EXPECT_TRUE(Canvas().Tag().isEmpty());
    EXPECT_FALSE(Canvas().EditMode());
    for (const char* key : {"Del", "Save", "Saveas", "Unlock"})
        EXPECT_FALSE(Window().ToolbarButton(key)->isEnabled()) << key;
    EXPECT_EQ(LockState(QStringLiteral("CMP01")), 0);

    // A save now writes nothing, and switching frames asks nothing.
    Messages().clear();
    Window().SaveWorkOrder();
    EXPECT_EQ(FrameRows(QStringLiteral("Two_Node"), QStringLiteral("CMP01")), 0);
    ClickFrame(QStringLiteral("REP01"));
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("REP01"));
    EXPECT_TRUE(Messages().texts().isEmpty());
}

TEST_F(FrameCommandsTest, DeleteAsksFirstAndNeedsASelection)
{
    OpenLocked(QStringLiteral("CMP01"));
    Messages().planAnswer(QMessageBox::No);
    PressButton(QStringLiteral("Del"));
    EXPECT_EQ(Messages().texts().size(), 1);
    EXPECT_EQ(FrameRows(QStringLiteral("Two_Node"), QStringLiteral("CMP01")), 4);

    Messages().clear();
    Window().TrvTree().clearSelection();
    PressButton(QStringLiteral("Del"));
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(144)});
    EXPECT_EQ(FrameRows(QStringLiteral("TWO_Frame"), QStringLiteral("CMP01")), 1);
}

TEST_F(FrameCommandsTest, SaveAsCopiesTheWholeFlowAndOpensTheCopyLocked)
{
    OpenLocked(QStringLiteral("CMP01"));
    Plan<FrmSaveAs>([](FrmSaveAs& d) {
        EXPECT_EQ(d.TxtOldWO->text(), QStringLiteral("Customer complaint"));
        EXPECT_EQ(d.TxtNewID->text().size(), 6);
        d.TxtNewID->setText(QStringLiteral(" CMP02 "));
        d.TxtNewName->setText(QStringLiteral("Complaint copy"));
        d.CmdOK->click();
    });
    PressButton(QStringLiteral("Saveas"));
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(1026)});

    // The header is the original's with the new ID and name.
    EXPECT_EQ(FrameRow(QStringLiteral("CMP02")).value("workorderframename"),
              QStringLiteral("Complaint copy"));
    const auto header = {"workorderframe_id", "workorderframename", "createdby",
                         "createddate",       "modifiedby",         "modifieddate"};
    EXPECT_EQ(FrameRow(QStringLiteral("CMP02"), header), FrameRow(QStringLiteral("CMP01"), header));

    // Every node under a fresh ID, every other value kept; the return step points at the copy.
    const QString byName =
        QStringLiteral("SELECT * FROM Two_Node WHERE WorkOrderFrame_ID='%1' ORDER BY WorkOrderNodeName");
    const QList<QVariantMap> oldNodes = Rows(byName.arg("CMP01"));
    const QList<QVariantMap> newNodes = Rows(byName.arg("CMP02"));
    ASSERT_EQ(oldNodes.size(), 4);
    ASSERT_EQ(newNodes.size(), 4);
    QHash<QString, QString> newIdOf{{"BEGIN", "BEGIN"}, {"END", "END"}};
    for (int i = 0; i < 4; ++i)
        newIdOf.insert(oldNodes[i].value("workordernode_id").toString(),
                       newNodes[i].value("workordernode_id").toString());
    for (int i = 0; i < 4; ++i) {
        QVariantMap expected = oldNodes[i];
        const QString oldId = expected.value("workordernode_id").toString();
        const QString newId = newIdOf.value(oldId);
        EXPECT_NE(newId, oldId);
        EXPECT_EQ(
            Count(QStringLiteral("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderNode_ID='%1'").arg(newId)), 1);
        const QString oldReturn = expected.value("returnoldstep").toString();
        expected["workordernode_id"] = newId;
        expected["workorderframe_id"] = QStringLiteral("CMP02");
        expected["returnoldstep"] = oldReturn.isEmpty() ? QString() : newIdOf.value(oldReturn);
        EXPECT_EQ(newNodes[i], expected) << oldId.toStdString();
    }

    // Every link under its own code, both ends mapped, conditions kept.
    const QString byCode =
        QStringLiteral("SELECT * FROM Two_Link WHERE WorkOrderFrame_ID='%1' ORDER BY WorkOrderLink_ID");
    const QList<QVariantMap> oldLinks = Rows(byCode.arg("CMP01"));
    const QList<QVariantMap> newLinks = Rows(byCode.arg("CMP02"));
    ASSERT_EQ(newLinks.size(), 6);
    for (int i = 0; i < 6; ++i) {
        QVariantMap expected = oldLinks[i];
        expected["workorderframe_id"] = QStringLiteral("CMP02");
        expected["fathernode_id"] = newIdOf.value(expected["fathernode_id"].toString());
        expected["sonnode_id"] = newIdOf.value(expected["sonnode_id"].toString());
        EXPECT_EQ(newLinks[i], expected);
    }

    // The list is read again and the copy is selected, current, drawn and editable.
    EXPECT_EQ(Window().TrvTree().topLevelItemCount(), 4);
    EXPECT_EQ(Window().TrvTree().selectedItems().value(0), TreeItem(QStringLiteral("CMP02")));
    EXPECT_EQ(TreeItem(QStringLiteral("CMP02"))->data(0, TreeImageRole).toString(),
              QStringLiteral("DynOpen"));
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("CMP02"));
    EXPECT_EQ(Canvas().Tag(), QStringLiteral("CMP02"));
    EXPECT_EQ(Canvas().Nodes().size(), 6);
    EXPECT_EQ(Canvas().Links().size(), 6);
    ASSERT_NE(Canvas().LinkByKey(QStringLiteral("LL3")), nullptr);
    EXPECT_EQ(Canvas().LinkByKey(QStringLiteral("LL3"))->Color(), LinkColorConditional);
    ASSERT_NE(Canvas().LinkByKey(QStringLiteral("LL1")), nullptr);
    EXPECT_EQ(Canvas().LinkByKey(QStringLiteral("LL1"))->Color(), LinkColorRed);
    const FlowNodeItem* returnStep = Canvas().NodeByKey(QStringLiteral("N") + newIdOf.value("N00004"));
    ASSERT_NE(returnStep, nullptr);
    EXPECT_EQ(returnStep->Picture(), QStringLiteral("Return"));
    EXPECT_TRUE(Canvas().EditMode());
    EXPECT_EQ(LockState(QStringLiteral("CMP02")), 2);
    EXPECT_EQ(Frame(QStringLiteral("CMP02")).LockFlag(), 1);
}

// Save as of a frame with an unsaved change asks first. Cancel: nothing. Yes with a refused save:
// nothing is copied and the change stays. No: the copy has the change, the original stays as
// stored. Yes: the change is saved, then copied.
TEST_F(FrameCommandsTest, SaveAsWithUnsavedChangesAsksFirst)
{
    const QString question = LoadResString(134) + QStringLiteral("[Customer complaint]");
    const auto moved = [&](const char* frame) {
        return Count(
            QStringLiteral("SELECT COUNT(*) FROM Two_Node WHERE NodeTop=4444 AND WorkOrderFrame_ID='%1'")
                .arg(QLatin1String(frame)));
    };
    const auto planCopy = [&](const QString& id) {
        Plan<FrmSaveAs>([id](FrmSaveAs& d) {
            d.TxtNewID->setText(id);
            d.TxtNewName->setText(QStringLiteral("Copy ") + id);
            d.CmdOK->click();
        });
    };
    OpenLocked(QStringLiteral("CMP01"));
    Frame(QStringLiteral("CMP01")).AllNode().OneNode(QStringLiteral("N00002"))->setNodeTop(4444);

    Messages().planAnswer(QMessageBox::Cancel);
    PressButton(QStringLiteral("Saveas"));
    EXPECT_EQ(Messages().texts(), QStringList{question});

    Db().exec(QStringLiteral(
        "CREATE TRIGGER refuse BEFORE UPDATE ON Two_Node BEGIN SELECT RAISE(ABORT, 'no'); END"));
    Messages().clear();
    Messages().planAnswer(QMessageBox::Yes);
    PressButton(QStringLiteral("Saveas"));
    EXPECT_EQ(Messages().texts(), (QStringList{question, LoadResString(127)}));
    EXPECT_TRUE(Modals().shown().isEmpty());
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM TWO_Frame")), 3);
    EXPECT_EQ(Frame(QStringLiteral("CMP01")).CheckStatus(), 1);
    Db().exec(QStringLiteral("DROP TRIGGER refuse"));

    Messages().clear();
    Messages().planAnswer(QMessageBox::No);
    planCopy(QStringLiteral("CPN"));
    PressButton(QStringLiteral("Saveas"));
    EXPECT_EQ(Messages().texts(), (QStringList{question, LoadResString(1026)}));
    EXPECT_EQ(moved("CPN"), 1);
    EXPECT_EQ(moved("CMP01"), 0);
    ClickFrame(QStringLiteral("CMP01")); // the original, as stored: nothing to ask about
    EXPECT_EQ(Frame(QStringLiteral("CMP01")).CheckStatus(), 0);

    Frame(QStringLiteral("CMP01")).AllNode().OneNode(QStringLiteral("N00002"))->setNodeTop(4444);
    Messages().clear();
    Messages().planAnswer(QMessageBox::Yes);
    planCopy(QStringLiteral("CPY"));
    PressButton(QStringLiteral("Saveas"));
    EXPECT_EQ(Messages().texts(), (QStringList{question, LoadResString(126), LoadResString(1026)}));
    EXPECT_EQ(moved("CMP01"), 1);
    EXPECT_EQ(moved("CPY"), 1);
}

} // namespace
} // namespace korvel
