// The work-order dialog: a failing list, and the print and reply template fields with their tags.

#include "dialogs/frmorder.h"

#include "dialogs/frmselectdoc.h"
#include "tests/dialogs/dialogtest.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

namespace korvel {
namespace {

using FrmOrderTest = DialogTest;

QString TagOf(const QLineEdit* box)
{
    return box->property("Tag").toString();
}

// A failing time-unit query is logged once and leaves both unit lists empty; the others still fill.
TEST_F(FrmOrderTest, AFailingListIsLoggedOnceAndLeftEmpty)
{
    m_db.exec(QStringLiteral("DROP TABLE C_TimeType"));
    FrmOrder dialog;
    EXPECT_EQ(dialog.CboUnit->count() + dialog.CboUnit1->count(), 0);
    EXPECT_EQ(LogLinesStartingWith(QStringLiteral("[Korvel]-[FrmOrder]-[LoadTime]:")).size(), 1);
    EXPECT_EQ(m_host.logLines().size(), 1);
    EXPECT_EQ(dialog.CboPriority->count(), 4);
}

// A template field shows the template's description and keeps "group|-|template" in its Tag.
TEST_F(FrmOrderTest, TemplateFieldsKeepGroupAndTemplateInTheirTags)
{
    FrmOrder dialog;
    dialog.SetPrintfile(QStringLiteral("DG3"), QStringLiteral("T006"));
    EXPECT_EQ(TagOf(dialog.TxtFile), QStringLiteral("DG3|-|T006"));
    EXPECT_EQ(dialog.TxtFile->text(), QStringLiteral("维修单 Repair sheet"));
    EXPECT_EQ(FrmOrder::TagGroupPart(TagOf(dialog.TxtFile)), QStringLiteral("DG3"));
    EXPECT_EQ(FrmOrder::TagFilePart(QStringLiteral("|-|T1|-|x")), QStringLiteral("T1|-|x"));
    EXPECT_TRUE(FrmOrder::TagGroupPart(QStringLiteral("DG3")).isEmpty());

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

// The picker fills the field it was opened for, preselects that field's template next time, and a
// cancelled pick changes nothing.
TEST_F(FrmOrderTest, ThePickerFillsTheFieldAndPreselectsItsTemplateNextTime)
{
    // Picks `pick` in the picker (OK, or Cancel when `cancel`), expecting `preselected` first.
    auto plan = [this](const QString& preselected, const QString& pick, bool cancel) {
        Modals().plan([=](QDialog& shown) {
            auto& picker = dynamic_cast<FrmSelectDoc&>(shown);
            EXPECT_EQ(FrmSelectDoc::ItemKey(picker.SelectedItem()), preselected);
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
}

} // namespace
} // namespace korvel
