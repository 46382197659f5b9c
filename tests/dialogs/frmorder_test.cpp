// The work-order dialog: loading and its lists, the switches that open and empty other controls,
// and the print and reply template fields.

#include "dialogs/frmorder.h"

#include "dialogs/frmselectdoc.h"
#include "dialogs/numerictextbox.h"
#include "resources/stringtable.h"
#include "tests/dialogs/framedialogfixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidget>

namespace korvel {
namespace {

using FrmOrderTest = FrameDialogTest;

QString TagOf(const QLineEdit* box)
{
    return box->property("Tag").toString();
}

TEST_F(FrmOrderTest, LoadsLocalisedWithItsListsAndTheDesignState)
{
    FrmOrder dialog;
    EXPECT_EQ(dialog.objectName(), QStringLiteral("FrmOrder"));
    EXPECT_EQ(dialog.windowTitle(), LoadResString(187));
    EXPECT_EQ(dialog.FraNode->title(), LoadResString(187));
    EXPECT_EQ(dialog.fraFrame->title(), LoadResString(194));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lblID"))->text(), LoadResString(188));
    EXPECT_EQ(dialog.OptWeb->text(), LoadResString(195));
    EXPECT_EQ(dialog.CmdOK->text(), LoadResString(98));
    // Controls without an id keep their design text in every language.
    EXPECT_EQ(dialog.CHKSendSkip->text(), QStringLiteral("能否跳步骤传送"));
    EXPECT_EQ(dialog.ChkTZ->text(), QStringLiteral("是否通知客户"));
    EXPECT_EQ(dialog.lblAddress->text(), QStringLiteral("传真号："));
    EXPECT_TRUE(dialog.Tag().isEmpty());
    const QRect screen = dialog.screen()->geometry();
    EXPECT_EQ(dialog.y(), screen.top() + (screen.height() - dialog.height()) / 2);

    // Lists in row order, nothing chosen; both time-unit lists get every unit.
    EXPECT_EQ(Items(*dialog.CboPriority), (QStringList{"Urgent=P1", "High=P2", "Normal=P3", "Low=P4"}));
    EXPECT_EQ(Items(*dialog.CboType).value(3), QStringLiteral("服务变更 Service change=C04"));
    const QStringList units{"Minute=M", "Hour=H", "Day=D"};
    EXPECT_EQ(Items(*dialog.CboUnit), units);
    EXPECT_EQ(Items(*dialog.CboUnit1), units);
    EXPECT_EQ(Items(*dialog.CboBuild).value(0), QStringLiteral("[F01]Customer details=F01"));
    EXPECT_EQ(Items(*dialog.CboObject),
              (QStringList{"[OB01]Satisfaction callback=OB01", "[OB02]Repair follow-up=OB02",
                           "[OB03]Retention offer=OB03"}));
    for (const SelectOnlyCombo* list : {dialog.CboPriority, dialog.CboType, dialog.CboUnit, dialog.CboUnit1,
                                        dialog.CboBuild, dialog.CboObject})
        EXPECT_EQ(list->ListIndex(), -1) << list->objectName().toStdString();

    // A new frame: dynamic-form page, no callback, no reply (fax chosen, reply group closed).
    EXPECT_TRUE(dialog.OptBuild->isChecked());
    EXPECT_TRUE(dialog.CboBuild->isEnabled());
    EXPECT_FALSE(dialog.TxtWeb->isEnabled());
    EXPECT_FALSE(dialog.CHKClose->isChecked());
    EXPECT_FALSE(dialog.TxtRate->isEnabled());
    EXPECT_FALSE(dialog.CboObject->isEnabled());
    EXPECT_FALSE(dialog.ChkTZ->isChecked());
    EXPECT_TRUE(dialog.OptFax->isChecked());
    EXPECT_FALSE(dialog.Frame2->isEnabled());
    EXPECT_TRUE(m_host.logLines().isEmpty());
}

TEST_F(FrmOrderTest, AFailingTimeUnitQueryIsLoggedAndLeavesBothListsEmpty)
{
    m_db.exec(QStringLiteral("DROP TABLE C_TimeType"));
    FrmOrder dialog;
    EXPECT_EQ(dialog.CboUnit->count(), 0);
    EXPECT_EQ(dialog.CboUnit1->count(), 0);
    const QStringList lines = LogLinesStartingWith(QStringLiteral("[Korvel]-[FrmOrder]-[LoadTime]:"));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_GT(lines.first().size(), QStringLiteral("[Korvel]-[FrmOrder]-[LoadTime]:").size());
    EXPECT_FALSE(lines.first().contains(QStringLiteral("]: ")));
    // The other lists are there.
    EXPECT_EQ(dialog.CboPriority->count(), 4);
}

TEST_F(FrmOrderTest, ClearingTheNotificationEmptiesAddressTemplateAndText)
{
    FrmOrder dialog;
    dialog.ChkTZ->setChecked(true);
    EXPECT_TRUE(dialog.Frame2->isEnabled());
    dialog.OptTel->setChecked(true);
    dialog.txtAdd->setText(QStringLiteral("+44 7700 900123"));
    dialog.TxtContent->setText(QStringLiteral("Resolved."));
    dialog.SetReplyFile(QStringLiteral("DG1"), QStringLiteral("T001"));
    ASSERT_EQ(TagOf(dialog.TxtReplyFile), QStringLiteral("DG1|-|T001"));

    dialog.ChkTZ->setChecked(false); // set in code: the click handler runs all the same
    EXPECT_FALSE(dialog.Frame2->isEnabled());
    EXPECT_TRUE(dialog.txtAdd->text().isEmpty());
    EXPECT_TRUE(dialog.TxtContent->text().isEmpty());
    EXPECT_TRUE(dialog.TxtReplyFile->text().isEmpty());
    EXPECT_TRUE(TagOf(dialog.TxtReplyFile).isEmpty());

    // SetStatus brings the group in line with the box after the caller has filled it.
    dialog.txtAdd->setText(QStringLiteral("left over"));
    dialog.SetStatus();
    EXPECT_TRUE(dialog.txtAdd->text().isEmpty());
}

TEST_F(FrmOrderTest, ReplyOptionsSetTheAddressLabelAndEmptyWhatTheyDoNotUse)
{
    FrmOrder dialog;
    Run<FrmOrder>(dialog, [&](FrmOrder& d) {
        d.ChkTZ->click();
        ASSERT_TRUE(d.ChkTZ->isChecked());

        // Telephone: a reply text, no template.
        d.SetReplyFile(QStringLiteral("DG2"), QStringLiteral("T003"));
        d.OptTel->click();
        EXPECT_EQ(d.lblAddress->text(), LoadResString(213));
        EXPECT_TRUE(d.TxtReplyFile->text().isEmpty());
        EXPECT_TRUE(TagOf(d.TxtReplyFile).isEmpty());
        EXPECT_FALSE(d.TxtReplyFile->isEnabled());
        EXPECT_FALSE(d.CmdSeleReplyFile->isEnabled());
        EXPECT_TRUE(d.TxtContent->isEnabled());

        // Fax and e-mail: a template, no reply text.
        d.TxtContent->setText(QStringLiteral("Thank you"));
        d.OptFax->click();
        EXPECT_EQ(d.lblAddress->text(), LoadResString(212));
        EXPECT_TRUE(d.TxtContent->text().isEmpty());
        EXPECT_FALSE(d.TxtContent->isEnabled());
        EXPECT_TRUE(d.TxtReplyFile->isEnabled());
        EXPECT_TRUE(d.CmdSeleReplyFile->isEnabled());

        d.OptTel->click();
        d.TxtContent->setText(QStringLiteral("Thank you"));
        d.OptEmail->setChecked(true);
        EXPECT_EQ(d.lblAddress->text(), LoadResString(211));
        EXPECT_TRUE(d.TxtContent->text().isEmpty());
        EXPECT_FALSE(d.TxtContent->isEnabled());
        EXPECT_TRUE(d.TxtReplyFile->isEnabled());
        d.CmdCancel->click();
    });
}

TEST_F(FrmOrderTest, PageOptionsAndCallbackOpenTheirFieldsAndEmptyThemWhenLeft)
{
    FrmOrder dialog;
    dialog.CboBuild->SetKey(QStringLiteral("F02"));
    dialog.OptWeb->setChecked(true);
    EXPECT_TRUE(dialog.TxtWeb->isEnabled());
    EXPECT_FALSE(dialog.CboBuild->isEnabled());
    EXPECT_EQ(dialog.CboBuild->ListIndex(), -1);
    dialog.TxtWeb->setText(QStringLiteral("https://crm.example.com"));
    dialog.OptBuild->setChecked(true);
    EXPECT_FALSE(dialog.TxtWeb->isEnabled());
    EXPECT_TRUE(dialog.TxtWeb->text().isEmpty());
    EXPECT_TRUE(dialog.CboBuild->isEnabled());

    dialog.CHKClose->setChecked(true);
    EXPECT_TRUE(dialog.TxtRate->isEnabled());
    EXPECT_TRUE(dialog.CboObject->isEnabled());
    dialog.TxtRate->setText(QStringLiteral("25"));
    dialog.CboObject->SetKey(QStringLiteral("OB02"));
    dialog.CHKClose->setChecked(false);
    EXPECT_FALSE(dialog.TxtRate->isEnabled());
    EXPECT_FALSE(dialog.CboObject->isEnabled());
    EXPECT_TRUE(dialog.TxtRate->text().isEmpty());
    EXPECT_EQ(dialog.TxtRate->WholeNumber(), 0);
    EXPECT_TRUE(dialog.CboObject->SelectedKey().isEmpty());
}

TEST_F(FrmOrderTest, TemplateFieldsKeepGroupAndTemplateInTheirTags)
{
    FrmOrder dialog;
    dialog.SetPrintfile(QStringLiteral("DG3"), QStringLiteral("T006"));
    EXPECT_EQ(TagOf(dialog.TxtFile), QStringLiteral("DG3|-|T006"));
    EXPECT_EQ(dialog.TxtFile->text(), QStringLiteral("维修单 Repair sheet"));
    EXPECT_EQ(FrmOrder::TagGroupPart(TagOf(dialog.TxtFile)), QStringLiteral("DG3"));
    EXPECT_EQ(FrmOrder::TagFilePart(TagOf(dialog.TxtFile)), QStringLiteral("T006"));

    // A template that is gone keeps its tag; its description is just empty.
    dialog.SetPrintfile(QStringLiteral("DG3"), QStringLiteral("T404"));
    EXPECT_EQ(TagOf(dialog.TxtFile), QStringLiteral("DG3|-|T404"));
    EXPECT_TRUE(dialog.TxtFile->text().isEmpty());

    // A template ID with a quote is looked up as the value it is.
    m_db.exec(
        R"(INSERT INTO DocTemplate (DocTemplate_ID, Description, DOCGROUP_ID, DocumentPath, DocumentPath2,
                 MailMerge, Status) VALUES ('T''9', 'Quoted template', 'DG1', '', '', 0, 1))");
    dialog.SetPrintfile(QStringLiteral("DG1"), QStringLiteral("T'9"));
    EXPECT_EQ(dialog.TxtFile->text(), QStringLiteral("Quoted template"));

    // Delete in the print-template box removes the template, not just its description.
    dialog.SetPrintfile(QStringLiteral("DG3"), QStringLiteral("T005"));
    QTest::keyClick(dialog.TxtFile, Qt::Key_Delete);
    EXPECT_TRUE(dialog.TxtFile->text().isEmpty());
    EXPECT_TRUE(TagOf(dialog.TxtFile).isEmpty());

    // Parts of tags without a separator are empty.
    EXPECT_TRUE(FrmOrder::TagGroupPart(QStringLiteral("DG3")).isEmpty());
    EXPECT_TRUE(FrmOrder::TagFilePart(QString()).isEmpty());
    EXPECT_EQ(FrmOrder::TagFilePart(QStringLiteral("|-|T1|-|x")), QStringLiteral("T1|-|x"));
    EXPECT_TRUE(m_host.logLines().isEmpty());
}

TEST_F(FrmOrderTest, ThePickerFillsTheFieldAndPreselectsItsTemplateNextTime)
{
    FrmOrder dialog;
    Run<FrmOrder>(dialog, [&](FrmOrder& d) {
        // Print template: nothing chosen yet, so nothing preselected.
        Modals().plan([](QDialog& shown) {
            auto& picker = dynamic_cast<FrmSelectDoc&>(shown);
            EXPECT_EQ(picker.SelectedItem(), nullptr);
            picker.SelectKey(QStringLiteral("DT005"));
            QTest::mouseClick(picker.CmdOK, Qt::LeftButton);
        });
        QTest::mouseClick(d.CmdSelectFile, Qt::LeftButton);
        EXPECT_EQ(d.TxtFile->text(), QStringLiteral("Work order sheet"));
        EXPECT_EQ(TagOf(d.TxtFile), QStringLiteral("DG3|-|T005"));

        // Opened again: the chosen template is preselected; Cancel changes nothing.
        Modals().plan([](QDialog& shown) {
            auto& picker = dynamic_cast<FrmSelectDoc&>(shown);
            EXPECT_EQ(FrmSelectDoc::ItemKey(picker.SelectedItem()), QStringLiteral("DT005"));
            picker.SelectKey(QStringLiteral("DT001"));
            QTest::mouseClick(picker.CmdCancel, Qt::LeftButton);
        });
        QTest::mouseClick(d.CmdSelectFile, Qt::LeftButton);
        EXPECT_EQ(TagOf(d.TxtFile), QStringLiteral("DG3|-|T005"));

        // Reply template, through its own button.
        d.ChkTZ->click();
        d.OptEmail->click();
        Modals().plan([](QDialog& shown) {
            auto& picker = dynamic_cast<FrmSelectDoc&>(shown);
            picker.SelectKey(QStringLiteral("DT004"));
            QTest::mouseClick(picker.CmdOK, Qt::LeftButton);
        });
        QTest::mouseClick(d.CmdSeleReplyFile, Qt::LeftButton);
        EXPECT_EQ(d.TxtReplyFile->text(), QStringLiteral("Credit note issued (e-mail)"));
        EXPECT_EQ(TagOf(d.TxtReplyFile), QStringLiteral("DG2|-|T004"));
        EXPECT_EQ(TagOf(d.TxtFile), QStringLiteral("DG3|-|T005"));
        d.CmdCancel->click();
    });
    EXPECT_EQ(Modals().shown(), (QStringList{"FrmOrder", "FrmSelectDoc", "FrmSelectDoc", "FrmSelectDoc"}));
    EXPECT_TRUE(Messages().texts().isEmpty());
}

} // namespace
} // namespace korvel
