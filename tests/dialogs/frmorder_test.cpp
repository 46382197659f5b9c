// The work-order dialog: its lists, the switches that open and empty other controls, and the print
// and reply template fields.

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

namespace korvel {
namespace {

using FrmOrderTest = FrameDialogTest;

QString TagOf(const QLineEdit* box)
{
    return box->property("Tag").toString();
}

TEST_F(FrmOrderTest, ListsAreFilledInRowOrderWithNothingChosen)
{
    FrmOrder dialog;
    EXPECT_EQ(Items(*dialog.CboPriority), (QStringList{"Urgent=P1", "High=P2", "Normal=P3", "Low=P4"}));
    EXPECT_EQ(Items(*dialog.CboType).value(3), QStringLiteral("服务变更 Service change=C04"));
    const QStringList units{"Minute=M", "Hour=H", "Day=D"};
    EXPECT_EQ(Items(*dialog.CboUnit), units);
    EXPECT_EQ(Items(*dialog.CboUnit1), units);
    EXPECT_EQ(Items(*dialog.CboBuild).value(0), QStringLiteral("[F01]Customer details=F01"));
    EXPECT_EQ(Items(*dialog.CboObject).value(2), QStringLiteral("[OB03]Retention offer=OB03"));
    for (const SelectOnlyCombo* list : {dialog.CboPriority, dialog.CboType, dialog.CboUnit, dialog.CboUnit1,
                                        dialog.CboBuild, dialog.CboObject})
        EXPECT_EQ(list->ListIndex(), -1) << list->objectName().toStdString();
    EXPECT_TRUE(m_host.logLines().isEmpty());

    // A failing time-unit query is logged once and leaves both unit lists empty.
    m_db.exec(QStringLiteral("DROP TABLE C_TimeType"));
    FrmOrder broken;
    EXPECT_EQ(broken.CboUnit->count() + broken.CboUnit1->count(), 0);
    EXPECT_EQ(LogLinesStartingWith(QStringLiteral("[Korvel]-[FrmOrder]-[LoadTime]:")).size(), 1);
    EXPECT_EQ(broken.CboPriority->count(), 4);
}

TEST_F(FrmOrderTest, SwitchesOpenTheirFieldsAndEmptyThemWhenLeft)
{
    FrmOrder dialog;
    Run<FrmOrder>(dialog, [&](FrmOrder& d) {
        // Clearing the notification empties address, template and text.
        d.ChkTZ->click();
        EXPECT_TRUE(d.Frame2->isEnabled());
        d.OptTel->click();
        d.txtAdd->setText(QStringLiteral("+44 7700 900123"));
        d.TxtContent->setText(QStringLiteral("Resolved."));
        d.SetReplyFile(QStringLiteral("DG1"), QStringLiteral("T001"));
        ASSERT_EQ(TagOf(d.TxtReplyFile), QStringLiteral("DG1|-|T001"));
        d.ChkTZ->setChecked(false); // set in code: the click handler runs all the same
        EXPECT_FALSE(d.Frame2->isEnabled());
        EXPECT_EQ(d.txtAdd->text() + d.TxtContent->text() + d.TxtReplyFile->text(), QString());
        EXPECT_TRUE(TagOf(d.TxtReplyFile).isEmpty());

        // Telephone: a reply text and no template; fax and e-mail: a template and no text.
        d.ChkTZ->click();
        d.OptFax->click();
        d.SetReplyFile(QStringLiteral("DG2"), QStringLiteral("T003"));
        d.OptTel->click();
        EXPECT_EQ(d.lblAddress->text(), LoadResString(213));
        EXPECT_TRUE(TagOf(d.TxtReplyFile).isEmpty());
        EXPECT_TRUE(d.TxtReplyFile->text().isEmpty());
        EXPECT_FALSE(d.CmdSeleReplyFile->isEnabled());
        EXPECT_TRUE(d.TxtContent->isEnabled());
        for (QRadioButton* option : {d.OptFax, d.OptEmail}) {
            d.OptTel->click();
            d.TxtContent->setText(QStringLiteral("Thank you"));
            option->setChecked(true);
            EXPECT_EQ(d.lblAddress->text(), LoadResString(option == d.OptFax ? 212 : 211));
            EXPECT_TRUE(d.TxtContent->text().isEmpty());
            EXPECT_FALSE(d.TxtContent->isEnabled());
            EXPECT_TRUE(d.CmdSeleReplyFile->isEnabled());
        }

        // SetStatus brings the group in line with the box after the caller has filled it.
        d.ChkTZ->setChecked(false);
        d.txtAdd->setText(QStringLiteral("left over"));
        d.SetStatus();
        EXPECT_TRUE(d.txtAdd->text().isEmpty());

        // Web page and dynamic form empty each other's field.
        d.CboBuild->SetKey(QStringLiteral("F02"));
        d.OptWeb->setChecked(true);
        EXPECT_FALSE(d.CboBuild->isEnabled());
        EXPECT_EQ(d.CboBuild->ListIndex(), -1);
        d.TxtWeb->setText(QStringLiteral("https://crm.example.com"));
        d.OptBuild->setChecked(true);
        EXPECT_FALSE(d.TxtWeb->isEnabled());
        EXPECT_TRUE(d.TxtWeb->text().isEmpty());

        // Clearing the callback leaves rate 0 and no campaign.
        d.CHKClose->setChecked(true);
        EXPECT_TRUE(d.TxtRate->isEnabled() && d.CboObject->isEnabled());
        d.TxtRate->setText(QStringLiteral("25"));
        d.CboObject->SetKey(QStringLiteral("OB02"));
        d.CHKClose->setChecked(false);
        EXPECT_FALSE(d.TxtRate->isEnabled() || d.CboObject->isEnabled());
        EXPECT_EQ(d.TxtRate->WholeNumber(), 0);
        EXPECT_TRUE(d.CboObject->SelectedKey().isEmpty());
        d.CmdCancel->click();
    });
}

TEST_F(FrmOrderTest, TemplateFieldsKeepGroupAndTemplateInTheirTags)
{
    FrmOrder dialog;
    dialog.SetPrintfile(QStringLiteral("DG3"), QStringLiteral("T006"));
    EXPECT_EQ(TagOf(dialog.TxtFile), QStringLiteral("DG3|-|T006"));
    EXPECT_EQ(dialog.TxtFile->text(), QStringLiteral("维修单 Repair sheet"));
    EXPECT_EQ(FrmOrder::TagGroupPart(TagOf(dialog.TxtFile)), QStringLiteral("DG3"));
    EXPECT_EQ(FrmOrder::TagFilePart(TagOf(dialog.TxtFile)), QStringLiteral("T006"));
    EXPECT_TRUE(FrmOrder::TagGroupPart(QStringLiteral("DG3")).isEmpty());
    EXPECT_EQ(FrmOrder::TagFilePart(QStringLiteral("|-|T1|-|x")), QStringLiteral("T1|-|x"));

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
    QTest::keyClick(dialog.TxtFile, Qt::Key_Delete);
    EXPECT_TRUE(dialog.TxtFile->text().isEmpty());
    EXPECT_TRUE(TagOf(dialog.TxtFile).isEmpty());
    EXPECT_TRUE(m_host.logLines().isEmpty());
}

TEST_F(FrmOrderTest, ThePickerFillsTheFieldAndPreselectsItsTemplateNextTime)
{
    // Picks `pick` in the picker (OK, or Cancel when `cancel`), expecting `preselected` first.
    auto plan = [this](const QString& preselected, const QString& pick, bool cancel) {
        Modals().plan([=](QDialog& shown) {
            auto& picker = dynamic_cast<FrmSelectDoc&>(shown);
            EXPECT_EQ(FrmSelectDoc::ItemKey(picker.SelectedItem()), preselected);
            EXPECT_EQ(picker.SelectedItem() == nullptr, preselected.isEmpty());
            picker.SelectKey(pick);
            QTest::mouseClick(cancel ? picker.CmdCancel : picker.CmdOK, Qt::LeftButton);
        });
    };
    FrmOrder dialog;
    Run<FrmOrder>(dialog, [&](FrmOrder& d) {
        plan(QString(), QStringLiteral("DT005"), false);
        QTest::mouseClick(d.CmdSelectFile, Qt::LeftButton);
        EXPECT_EQ(d.TxtFile->text(), QStringLiteral("Work order sheet"));
        EXPECT_EQ(TagOf(d.TxtFile), QStringLiteral("DG3|-|T005"));

        plan(QStringLiteral("DT005"), QStringLiteral("DT001"), true);
        QTest::mouseClick(d.CmdSelectFile, Qt::LeftButton);
        EXPECT_EQ(TagOf(d.TxtFile), QStringLiteral("DG3|-|T005"));

        d.ChkTZ->click();
        d.OptEmail->click();
        plan(QString(), QStringLiteral("DT004"), false);
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
