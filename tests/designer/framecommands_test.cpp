// The frame commands of the designer window through the real dialogs: a new frame and the header
// edit by double click.

#include "tests/designer/framecommandsfixture.h"

namespace korvel {
namespace {

TEST_F(FrameCommandsTest, NewFrameWritesEveryHeaderValueAndJoinsTheTreeLockedButNotSelected)
{
    QString id;
    Plan<FrmOrder>([&](FrmOrder& d) {
        id = d.TxtID->text(); // the proposed ID: six characters of a fresh key
        EXPECT_EQ(id.size(), 6);
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
        PlanPick(QStringLiteral("DT005"));
        d.CmdSelectFile->click();
        d.ChkTZ->click();
        d.OptEmail->click();
        d.txtAdd->setText(QStringLiteral(" night@example.com "));
        PlanPick(QStringLiteral("DT003"));
        d.CmdSeleReplyFile->click();
        d.CmdOK->click();
    });
    PressButton(QStringLiteral("New"));
    ASSERT_FALSE(id.isEmpty());
    EXPECT_TRUE(Messages().texts().isEmpty());

    QVariantMap row = FrameRow(id);
    EXPECT_TRUE(IsTimestamp(row.take("createddate")));
    EXPECT_TRUE(IsTimestamp(row.take("modifieddate")));
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
    EXPECT_EQ(LockState(id), 2);
    EXPECT_EQ(Frame(id).LockFlag(), 1);
}

TEST_F(FrameCommandsTest, ANewFrameWithPhoneReplyAndCallbackSwitchedOffStoresNoTemplatesNorCampaign)
{
    Plan<FrmOrder>([&](FrmOrder& d) {
        d.TxtID->setText(QStringLiteral(" TEL01 "));
        d.TxtName->setText(QStringLiteral("Phone reply"));
        d.CboPriority->SetKey(QStringLiteral("P4"));
        d.CboType->SetKey(QStringLiteral("C02"));
        d.CboUnit->SetKey(QStringLiteral("H"));
        d.TxtLen->setText(QStringLiteral("0.5"));
        d.CboBuild->SetKey(QStringLiteral("F03"));
        d.CHKClose->click();
        d.TxtRate->setText(QStringLiteral("80"));
        d.CboObject->SetKey(QStringLiteral("OB01"));
        d.CHKClose->click();
        d.ChkTZ->click();
        PlanPick(QStringLiteral("DT001")); // a fax template, dropped by the phone option
        d.CmdSeleReplyFile->click();
        d.OptTel->click();
        d.txtAdd->setText(QStringLiteral("+44 7700 900555"));
        d.TxtContent->setText(QStringLiteral(" We will call you back. "));
        d.CmdOK->click();
    });
    PressButton(QStringLiteral("New"));
    const QVariantMap row = FrameRow(QStringLiteral("TEL01"));
    QVariantMap stored;
    for (const char* column :
         {"expiredperiod", "addintype", "group_ida", "weblink", "cangenerateob", "generaterate", "group_ida2",
          "replyflag", "replymode", "replyfile", "replygroup", "printformat", "printgroup", "replycontent"})
        stored.insert(column, row.value(column));
    EXPECT_EQ(stored, (QVariantMap{{"expiredperiod", "1"},
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
    Plan<FrmOrder>([](FrmOrder& d) { d.CmdCancel->click(); });
    PressButton(QStringLiteral("New"));
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM TWO_Frame")), 3);
    EXPECT_TRUE(Messages().texts().isEmpty());

    // The database refuses the row: "Add new failed", nothing in the list or the tree, no lock.
    Db().exec(QStringLiteral("CREATE TRIGGER refuse_frames BEFORE INSERT ON TWO_Frame "
                             "BEGIN SELECT RAISE(ABORT, 'frames are closed'); END"));
    Plan<FrmOrder>([](FrmOrder& d) {
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
    const QVariantMap before =
        FrameRow(QStringLiteral("REP01"), {"workorderframename", "modifiedby", "modifieddate"});
    Plan<FrmOrder>([](FrmOrder& d) {
        // The stored header, filled in, the ID fixed.
        EXPECT_FALSE(d.TxtID->isEnabled());
        const QStringList shown{d.TxtID->text(),
                                d.TxtName->text(),
                                d.CboPriority->SelectedKey(),
                                d.CboType->SelectedKey(),
                                d.CboUnit->SelectedKey(),
                                d.TxtLen->text(),
                                d.CboBuild->SelectedKey(),
                                d.TxtRate->text(),
                                d.CboObject->SelectedKey(),
                                d.TxtFile->text(),
                                d.TxtFile->property("Tag").toString(),
                                d.txtAdd->text(),
                                d.TxtReplyFile->text(),
                                d.TxtReplyFile->property("Tag").toString(),
                                d.CboUnit1->SelectedKey(),
                                d.TxtLen1->text()};
        EXPECT_EQ(shown, (QStringList{"REP01", "Home repair visit", "P3", "C02", "D", "5", "F02", "50",
                                      "OB02", "维修单 Repair sheet", "DG3|-|T006", "+44 20 7946 0958",
                                      "Repair appointment (fax)", "DG1|-|T002", "H", "12"}));
        for (const QAbstractButton* on : std::initializer_list<const QAbstractButton*>{
                 d.CHKSendSkip, d.OptBuild, d.ChkFull, d.CHKClose, d.ChkTZ, d.OptFax})
            EXPECT_TRUE(on->isChecked()) << on->objectName().toStdString();
        EXPECT_TRUE(d.Frame2->isEnabled());
        d.TxtName->setText(QStringLiteral("Home repair (revised)"));
        d.CmdOK->click();
    });
    DoubleClickFrame(QStringLiteral("REP01"));
    EXPECT_EQ(Modals().shown(), QStringList{"FrmOrder"});
    EXPECT_TRUE(Messages().texts().isEmpty());

    // Only the name and the modification columns changed.
    QVariantMap after = FrameRow(QStringLiteral("REP01"));
    EXPECT_EQ(after.take("workorderframename"), QStringLiteral("Home repair (revised)"));
    EXPECT_EQ(after.take("modifiedby"), QStringLiteral("alice"));
    EXPECT_TRUE(IsTimestamp(after.take("modifieddate")));
    EXPECT_EQ(after, before);
    EXPECT_EQ(TreeItem(QStringLiteral("REP01"))->text(0), QStringLiteral("Home repair (revised)"));
    EXPECT_EQ(Frame(QStringLiteral("REP01")).WorkOrderFrameName, QStringLiteral("Home repair (revised)"));

    // A web-page frame with a phone reply is shown as such and written back unchanged.
    const QVariantMap billing = FrameRow(QStringLiteral("BIL01"), {"modifieddate"});
    Plan<FrmOrder>([](FrmOrder& d) {
        EXPECT_TRUE(d.OptWeb->isChecked());
        EXPECT_EQ(d.TxtWeb->text(), QStringLiteral("https://crm.example.com/billing/dispute"));
        EXPECT_TRUE(d.OptTel->isChecked());
        EXPECT_TRUE(d.TxtContent->isEnabled());
        EXPECT_FALSE(d.CHKClose->isChecked());
        d.CmdOK->click();
    });
    DoubleClickFrame(QStringLiteral("BIL01"));
    EXPECT_EQ(FrameRow(QStringLiteral("BIL01"), {"modifieddate"}), billing);
}

TEST_F(FrameCommandsTest, AFrameOnlyListedIsEditedFromItsFullStoredHeader)
{
    // The tree selection moves without a click: REP01 is a bare list entry.
    ClickFrame(QStringLiteral("BIL01"));
    Window().TrvTree().setCurrentItem(TreeItem(QStringLiteral("REP01")));
    ASSERT_EQ(Frame(QStringLiteral("REP01")).LoadFlag, 0);
    const QVariantMap before =
        FrameRow(QStringLiteral("REP01"), {"workorderframename", "modifiedby", "modifieddate"});
    Plan<FrmOrder>([](FrmOrder& d) {
        EXPECT_EQ(d.CboPriority->SelectedKey(), QStringLiteral("P3"));
        d.TxtName->setText(QStringLiteral("Renamed"));
        d.CmdOK->click();
    });
    Window().TrvTree_DblClick();
    EXPECT_EQ(FrameRow(QStringLiteral("REP01")).value("workorderframename"), QStringLiteral("Renamed"));
    EXPECT_EQ(FrameRow(QStringLiteral("REP01"), {"workorderframename", "modifiedby", "modifieddate"}),
              before);
    // Its flow was read with the header, so it draws in full when it becomes current.
    ClickFrame(QStringLiteral("REP01"));
    EXPECT_EQ(Canvas().Nodes().size(), 5);
}

TEST_F(FrameCommandsTest, ACancelledOrFailedHeaderEditLeavesRowAndTreeAlone)
{
    const QVariantMap before = FrameRow(QStringLiteral("CMP01"));
    Plan<FrmOrder>([](FrmOrder& d) {
        d.TxtName->setText(QStringLiteral("Not kept"));
        d.CmdCancel->click();
    });
    DoubleClickFrame(QStringLiteral("CMP01"));
    EXPECT_EQ(FrameRow(QStringLiteral("CMP01")), before);
    EXPECT_EQ(TreeItem(QStringLiteral("CMP01"))->text(0), QStringLiteral("Customer complaint"));
    EXPECT_TRUE(Messages().texts().isEmpty());

    Db().exec(QStringLiteral("CREATE TRIGGER refuse_updates BEFORE UPDATE ON TWO_Frame "
                             "BEGIN SELECT RAISE(ABORT, 'read only'); END"));
    Plan<FrmOrder>([](FrmOrder& d) {
        d.TxtName->setText(QStringLiteral("Refused"));
        d.CmdOK->click();
    });
    DoubleClickFrame(QStringLiteral("CMP01"));
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(146)});
    EXPECT_EQ(TreeItem(QStringLiteral("CMP01"))->text(0), QStringLiteral("Customer complaint"));
    EXPECT_EQ(Frame(QStringLiteral("CMP01")).WorkOrderFrameName, QStringLiteral("Customer complaint"));
}

// The header is edited under the frame's lock: refused with the holder while another user has it,
// taken for the edit and given back when free, kept when the user held it already.
TEST_F(FrameCommandsTest, HeaderEditsRespectTheLock)
{
    auto bob = Host().otherUser(QStringLiteral("bob"));
    ASSERT_EQ(
        bob->services().LockRecord(QStringLiteral("Korvel"), QStringLiteral("REP01"), QStringLiteral("bob")),
        1);
    const QVariantMap before = FrameRow(QStringLiteral("REP01"));
    DoubleClickFrame(QStringLiteral("REP01"));
    EXPECT_TRUE(
        Messages().texts().value(0).startsWith("Lock failed\r\nit is locked by [Bob Novak], ID [bob]\r\n"))
        << Messages().texts().join(" / ").toStdString();
    EXPECT_TRUE(Modals().shown().isEmpty());
    EXPECT_EQ(FrameRow(QStringLiteral("REP01")), before);

    for (const bool heldBefore : {false, true}) {
        if (heldBefore)
            OpenLocked(QStringLiteral("BIL01"));
        Plan<FrmOrder>([this](FrmOrder& d) {
            EXPECT_EQ(LockState(QStringLiteral("BIL01")), 2); // held while the dialog is open
            d.TxtName->setText(QStringLiteral("Billing (renamed)"));
            d.CmdOK->click();
        });
        DoubleClickFrame(QStringLiteral("BIL01"));
        EXPECT_EQ(FrameRow(QStringLiteral("BIL01")).value("workorderframename"),
                  QStringLiteral("Billing (renamed)"));
        EXPECT_EQ(LockState(QStringLiteral("BIL01")), heldBefore ? 2 : 0) << heldBefore;
    }
}

} // namespace
} // namespace korvel
