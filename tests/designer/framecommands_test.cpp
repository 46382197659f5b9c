// The frame commands of the designer window through the real dialogs: a new frame and the header
// edit by double click.

#include "tests/designer/framecommandsfixture.h"

namespace korvel {
namespace {

TEST_F(FrameCommandsTest, NewFrameWritesEveryHeaderValueAndJoinsTheTreeLockedButNotSelected)
{
    QString id;
    PlanOrder([&](FrmOrder& d) {
        // The proposed ID: six characters of a fresh key, editable.
        id = d.TxtID->text();
        EXPECT_EQ(id.size(), 6);
        EXPECT_TRUE(d.TxtID->isEnabled());
        d.TxtName->setText(QStringLiteral("  Night callback "));
        d.CboPriority->SetKey(QStringLiteral("P2"));
        d.CboType->SetKey(QStringLiteral("C04"));
        d.CboUnit->SetKey(QStringLiteral("D"));
        d.TxtLen->setText(QStringLiteral("7"));
        d.CHKSendSkip->click();
        d.CboUnit1->SetKey(QStringLiteral("H"));
        d.TxtLen1->setText(QStringLiteral("6"));
        d.OptWeb->click();
        d.TxtWeb->setText(QStringLiteral(" https://crm.example.com/night "));
        d.ChkFull->click();
        d.CHKClose->click();
        d.TxtRate->setText(QStringLiteral("30"));
        d.CboObject->SetKey(QStringLiteral("OB03"));
        Modals().plan(PickTemplate(QStringLiteral("DT005")));
        d.CmdSelectFile->click();
        d.ChkTZ->click();
        d.OptEmail->click();
        d.txtAdd->setText(QStringLiteral(" night@example.com "));
        Modals().plan(PickTemplate(QStringLiteral("DT003")));
        d.CmdSeleReplyFile->click();
        d.CmdOK->click();
    });
    PressButton(QStringLiteral("New"));
    ASSERT_FALSE(id.isEmpty());
    EXPECT_TRUE(Messages().texts().isEmpty());

    QVariantMap row = FrameRow(DbConnection(), id);
    EXPECT_TRUE(Timestamp.match(row.take("createddate").toString()).hasMatch());
    EXPECT_TRUE(Timestamp.match(row.take("modifieddate").toString()).hasMatch());
    const QVariantMap expected{
        {"workorderframe_id", id},
        {"workorderframename", "Night callback"},
        {"category", "C04"},
        {"priority_id", "P2"},
        {"expiredperiod", "7"},
        {"expiredperiodtype_id", "D"},
        {"canskip", "1"},
        {"addintype", "1"},
        {"weblink", " https://crm.example.com/night "},
        {"group_ida", ""},
        {"canfullscreen", "1"},
        {"printformat", "T005"},
        {"cangenerateob", "1"},
        {"generaterate", "30"},
        {"group_ida2", "OB03"},
        {"createdby", "alice"},
        {"modifiedby", "alice"},
        {"replyflag", "1"},
        {"replymode", "1"},
        {"replyaddress", "night@example.com"},
        {"replyfile", "T003"},
        {"printgroup", "DG3"},
        {"replygroup", "DG2"},
        {"replycontent", ""},
        {"forecastunit", "H"},
        {"forecastlen", "6"},
    };
    EXPECT_EQ(row, expected);

    // Added last to the tree, open (this user holds its lock), but the current frame stays.
    QTreeWidget& tree = Window().TrvTree();
    ASSERT_EQ(tree.topLevelItemCount(), 4);
    QTreeWidgetItem* item = tree.topLevelItem(3);
    EXPECT_EQ(item->data(0, TreeKeyRole).toString(), QStringLiteral("N") + id);
    EXPECT_EQ(item->text(0), QStringLiteral("Night callback"));
    EXPECT_EQ(item->data(0, TreeImageRole).toString(), QStringLiteral("DynOpen"));
    EXPECT_FALSE(item->isSelected());
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("CMP01"));
    EXPECT_EQ(Canvas().Tag(), QStringLiteral("CMP01"));
    EXPECT_FALSE(Canvas().EditMode());
    EXPECT_EQ(LockState(id), 2);
    EXPECT_EQ(Frame(id).LockFlag(), 1);
}

TEST_F(FrameCommandsTest, ANewDynamicFormFrameWithPhoneReplyAndNoCallbackStoresNoTemplates)
{
    PlanOrder([&](FrmOrder& d) {
        d.TxtID->setText(QStringLiteral(" TEL01 "));
        d.TxtName->setText(QStringLiteral("Phone reply"));
        d.CboPriority->SetKey(QStringLiteral("P4"));
        d.CboType->SetKey(QStringLiteral("C02"));
        d.CboUnit->SetKey(QStringLiteral("H"));
        d.TxtLen->setText(QStringLiteral("0.5"));
        d.CboBuild->SetKey(QStringLiteral("F03"));
        // A callback switched on, filled, and switched off again leaves rate 0 and no campaign.
        d.CHKClose->click();
        d.TxtRate->setText(QStringLiteral("80"));
        d.CboObject->SetKey(QStringLiteral("OB01"));
        d.CHKClose->click();
        // A reply template chosen for fax is dropped by the phone option.
        d.ChkTZ->click();
        Modals().plan(PickTemplate(QStringLiteral("DT001")));
        d.CmdSeleReplyFile->click();
        d.OptTel->click();
        d.txtAdd->setText(QStringLiteral("+44 7700 900555"));
        d.TxtContent->setText(QStringLiteral(" We will call you back. "));
        d.CmdOK->click();
    });
    PressButton(QStringLiteral("New"));
    QVariantMap row = FrameRow(DbConnection(), QStringLiteral("TEL01"));
    QVariantMap stored;
    for (const char* column : {"workorderframe_id", "expiredperiod", "addintype", "group_ida", "weblink",
                               "cangenerateob", "generaterate", "group_ida2", "replyflag", "replymode",
                               "replyfile", "replygroup", "printformat", "printgroup", "replycontent"})
        stored.insert(column, row.value(column));
    EXPECT_EQ(stored, (QVariantMap{{"workorderframe_id", "TEL01"},
                                   {"expiredperiod", "1"},
                                   {"addintype", "2"},
                                   {"group_ida", "F03"},
                                   {"weblink", ""},
                                   {"cangenerateob", "0"},
                                   {"generaterate", "0"},
                                   {"group_ida2", ""},
                                   {"replyflag", "1"},
                                   {"replymode", "2"},
                                   {"replyfile", ""},
                                   {"replygroup", ""},
                                   {"printformat", ""},
                                   {"printgroup", ""},
                                   {"replycontent", "We will call you back."}}));
    EXPECT_NE(TreeItem(QStringLiteral("TEL01")), nullptr);
}

TEST_F(FrameCommandsTest, ACancelledOrRefusedNewFrameAddsNothing)
{
    PlanOrder([](FrmOrder& d) {
        d.TxtName->setText(QStringLiteral("Never stored"));
        d.CmdCancel->click();
    });
    PressButton(QStringLiteral("New"));
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM TWO_Frame")), 3);
    EXPECT_EQ(Window().TrvTree().topLevelItemCount(), 3);
    EXPECT_TRUE(Messages().texts().isEmpty());

    // The database refuses the row: "Add new failed", nothing in the list or the tree.
    Db().exec(QStringLiteral("CREATE TRIGGER refuse_frames BEFORE INSERT ON TWO_Frame "
                             "BEGIN SELECT RAISE(ABORT, 'frames are closed'); END"));
    PlanOrder([](FrmOrder& d) {
        d.TxtID->setText(QStringLiteral("NEW01"));
        d.TxtName->setText(QStringLiteral("Refused"));
        d.CboPriority->SetKey(QStringLiteral("P1"));
        d.CboType->SetKey(QStringLiteral("C01"));
        d.CboUnit->SetKey(QStringLiteral("H"));
        d.TxtLen->setText(QStringLiteral("1"));
        d.CboBuild->SetKey(QStringLiteral("F01"));
        d.CmdOK->click();
    });
    PressButton(QStringLiteral("New"));
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(145)});
    EXPECT_EQ(Orders().OneWorkOrder(QStringLiteral("NEW01")), nullptr);
    EXPECT_EQ(Window().TrvTree().topLevelItemCount(), 3);
    EXPECT_EQ(LockState(QStringLiteral("NEW01")), 0);
}

TEST_F(FrameCommandsTest, DoubleClickEditsTheHeaderWhichIsWrittenAtOnce)
{
    const QVariantMap before = FrameRow(DbConnection(), QStringLiteral("REP01"));
    PlanOrder([](FrmOrder& d) {
        // The stored header, filled in.
        EXPECT_EQ(d.TxtID->text(), QStringLiteral("REP01"));
        EXPECT_FALSE(d.TxtID->isEnabled());
        EXPECT_EQ(d.TxtName->text(), QStringLiteral("Home repair visit"));
        EXPECT_EQ(d.CboPriority->SelectedKey(), QStringLiteral("P3"));
        EXPECT_EQ(d.CboType->SelectedKey(), QStringLiteral("C02"));
        EXPECT_EQ(d.CboUnit->SelectedKey(), QStringLiteral("D"));
        EXPECT_EQ(d.TxtLen->text(), QStringLiteral("5"));
        EXPECT_TRUE(d.CHKSendSkip->isChecked());
        EXPECT_TRUE(d.OptBuild->isChecked());
        EXPECT_EQ(d.CboBuild->SelectedKey(), QStringLiteral("F02"));
        EXPECT_TRUE(d.ChkFull->isChecked());
        EXPECT_TRUE(d.CHKClose->isChecked());
        EXPECT_EQ(d.TxtRate->text(), QStringLiteral("50"));
        EXPECT_EQ(d.CboObject->SelectedKey(), QStringLiteral("OB02"));
        EXPECT_EQ(d.TxtFile->text(), QStringLiteral("维修单 Repair sheet"));
        EXPECT_EQ(d.TxtFile->property("Tag").toString(), QStringLiteral("DG3|-|T006"));
        EXPECT_TRUE(d.ChkTZ->isChecked());
        EXPECT_TRUE(d.Frame2->isEnabled());
        EXPECT_TRUE(d.OptFax->isChecked());
        EXPECT_EQ(d.txtAdd->text(), QStringLiteral("+44 20 7946 0958"));
        EXPECT_EQ(d.TxtReplyFile->text(), QStringLiteral("Repair appointment (fax)"));
        EXPECT_EQ(d.TxtReplyFile->property("Tag").toString(), QStringLiteral("DG1|-|T002"));
        EXPECT_EQ(d.CboUnit1->SelectedKey(), QStringLiteral("H"));
        EXPECT_EQ(d.TxtLen1->text(), QStringLiteral("12"));
        d.TxtName->setText(QStringLiteral("Home repair (revised)"));
        d.CmdOK->click();
    });
    DoubleClickFrame(QStringLiteral("REP01"));
    EXPECT_EQ(Modals().shown(), QStringList{"FrmOrder"});
    EXPECT_TRUE(Messages().texts().isEmpty());

    // Only the name and the modification columns changed.
    QVariantMap after = FrameRow(DbConnection(), QStringLiteral("REP01"));
    EXPECT_EQ(after.take("workorderframename"), QStringLiteral("Home repair (revised)"));
    EXPECT_EQ(after.take("modifiedby"), QStringLiteral("alice"));
    EXPECT_TRUE(Timestamp.match(after.take("modifieddate").toString()).hasMatch());
    QVariantMap unchanged = before;
    unchanged.remove("workorderframename");
    unchanged.remove("modifiedby");
    unchanged.remove("modifieddate");
    EXPECT_EQ(after, unchanged);
    EXPECT_EQ(TreeItem(QStringLiteral("REP01"))->text(0), QStringLiteral("Home repair (revised)"));
    EXPECT_EQ(Frame(QStringLiteral("REP01")).WorkOrderFrameName, QStringLiteral("Home repair (revised)"));
}

TEST_F(FrameCommandsTest, EditingAWebPageFrameWithPhoneReplyKeepsItsReplyText)
{
    const QVariantMap before = FrameRow(DbConnection(), QStringLiteral("BIL01"));
    PlanOrder([](FrmOrder& d) {
        EXPECT_TRUE(d.OptWeb->isChecked());
        EXPECT_EQ(d.TxtWeb->text(), QStringLiteral("https://crm.example.com/billing/dispute"));
        EXPECT_EQ(d.CboBuild->ListIndex(), -1);
        EXPECT_TRUE(d.OptTel->isChecked());
        EXPECT_EQ(d.lblAddress->text(), LoadResString(213));
        EXPECT_TRUE(d.TxtContent->isEnabled());
        EXPECT_FALSE(d.CHKClose->isChecked());
        EXPECT_FALSE(d.TxtRate->isEnabled());
        d.CmdOK->click();
    });
    DoubleClickFrame(QStringLiteral("BIL01"));
    QVariantMap after = FrameRow(DbConnection(), QStringLiteral("BIL01"));
    QVariantMap unchanged = before;
    for (const char* column : {"modifieddate"}) {
        after.remove(column);
        unchanged.remove(column);
    }
    EXPECT_EQ(after, unchanged);
}

TEST_F(FrameCommandsTest, AFrameNotYetReadIsEditedFromItsStoredHeader)
{
    // The tree selection moves to CMP01's neighbour without a click: REP01 is a bare list entry.
    QTreeWidget& tree = Window().TrvTree();
    ClickFrame(QStringLiteral("BIL01"));
    tree.setCurrentItem(TreeItem(QStringLiteral("REP01")));
    ASSERT_EQ(Frame(QStringLiteral("REP01")).LoadFlag, 0);
    const QVariantMap before = FrameRow(DbConnection(), QStringLiteral("REP01"));
    PlanOrder([](FrmOrder& d) {
        EXPECT_EQ(d.CboPriority->SelectedKey(), QStringLiteral("P3"));
        d.TxtName->setText(QStringLiteral("Renamed"));
        d.CmdOK->click();
    });
    Window().TrvTree_DblClick();
    QVariantMap after = FrameRow(DbConnection(), QStringLiteral("REP01"));
    EXPECT_EQ(after.take("workorderframename"), QStringLiteral("Renamed"));
    QVariantMap unchanged = before;
    for (const char* column : {"workorderframename", "modifiedby", "modifieddate"}) {
        after.remove(column);
        unchanged.remove(column);
    }
    EXPECT_EQ(after, unchanged);
    // Its flow was read with the header, so it draws in full when it becomes current.
    ClickFrame(QStringLiteral("REP01"));
    EXPECT_EQ(Canvas().Nodes().size(), 5);
}

TEST_F(FrameCommandsTest, ACancelledOrFailedHeaderEditLeavesRowAndTreeAlone)
{
    const QVariantMap before = FrameRow(DbConnection(), QStringLiteral("CMP01"));
    PlanOrder([](FrmOrder& d) {
        d.TxtName->setText(QStringLiteral("Not kept"));
        d.CmdCancel->click();
    });
    DoubleClickFrame(QStringLiteral("CMP01"));
    EXPECT_EQ(FrameRow(DbConnection(), QStringLiteral("CMP01")), before);
    EXPECT_EQ(TreeItem(QStringLiteral("CMP01"))->text(0), QStringLiteral("Customer complaint"));
    EXPECT_TRUE(Messages().texts().isEmpty());

    Db().exec(QStringLiteral("CREATE TRIGGER refuse_updates BEFORE UPDATE ON TWO_Frame "
                             "BEGIN SELECT RAISE(ABORT, 'read only'); END"));
    PlanOrder([](FrmOrder& d) {
        d.TxtName->setText(QStringLiteral("Refused"));
        d.CmdOK->click();
    });
    DoubleClickFrame(QStringLiteral("CMP01"));
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(146)});
    EXPECT_EQ(TreeItem(QStringLiteral("CMP01"))->text(0), QStringLiteral("Customer complaint"));
    EXPECT_EQ(Frame(QStringLiteral("CMP01")).WorkOrderFrameName, QStringLiteral("Customer complaint"));
}

} // namespace
} // namespace korvel
