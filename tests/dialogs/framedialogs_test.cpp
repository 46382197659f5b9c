// The frame dialogs: the work-order dialog, the document-template picker and save-as. Picking a
// template for a work order is done through the designer window.

#include "dialogs/frmorder.h"
#include "dialogs/frmsaveas.h"
#include "dialogs/frmselectdoc.h"

#include "dialogs/numerictextbox.h"
#include "resources/stringtable.h"
#include "tests/dialogs/dialogtest.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>

namespace korvel {
namespace {

using FrmOrderChecksTest = DialogTest;
using FrmOrderTest = DialogTest;
using FrmSaveAsTest = DialogTest;
using FrmSelectDocTest = DialogTest;

using Change = std::function<void(FrmOrder&)>;

Change Id(const char* text)
{
    return [text](FrmOrder& d) { d.TxtID->setText(QString::fromUtf8(text)); };
}
Change Len(const char* text)
{
    return [text](FrmOrder& d) { d.TxtLen->setText(QString::fromLatin1(text)); };
}
Change Web(const char* address)
{
    return [address](FrmOrder& d) {
        d.OptWeb->setChecked(true);
        d.TxtWeb->setText(QString::fromLatin1(address));
    };
}

TEST_F(FrmOrderChecksTest, OkChecksEveryFieldInOrderWithItsMessageAndFocus)
{
    // The required fields of a new frame, in the order OK checks them.
    const Change fill[] = {
        Id("NEW01"),
        [](FrmOrder& d) { d.TxtName->setText(QStringLiteral("New frame")); },
        [](FrmOrder& d) { d.CboPriority->SetKey(QStringLiteral("P1")); },
        [](FrmOrder& d) { d.CboType->SetKey(QStringLiteral("C01")); },
        [](FrmOrder& d) { d.CboUnit->SetKey(QStringLiteral("H")); },
        Len("4"),
        [](FrmOrder& d) { d.CboBuild->SetKey(QStringLiteral("F01")); },
    };
    const Change none = [](FrmOrder&) {};
    struct Case {
        const char* what;
        int filled; // leading required fields filled before `change`
        Change change;
        qint32 message; // 0: accepted
        const char* focus;
    };
    const Case cases[] = {
        {"no ID", 0, none, 201, "TxtID"},
        {"no name", 1, none, 204, "TxtName"},
        {"no priority", 2, none, 205, "CboPriority"},
        {"no type", 3, none, 206, "CboType"},
        {"no unit", 4, none, 207, "CboUnit"},
        {"no length", 5, none, 208, "TxtLen"},
        {"no dynamic form", 6, none, 210, "CboBuild"},
        {"web page without address", 7, Web(" "), 209, "TxtWeb"},
        {"web page with address", 7, Web("https://crm.example.com/new"), 0, nullptr},
        {"blank ID", 7, Id("   "), 201, "TxtID"},
        {"7 bytes", 7, Id("ABCDEFG"), 202, "TxtID"},
        {"length before existence", 0, Id("CMP01XX"), 202, "TxtID"},
        {"existing ID with blanks", 7, Id(" REP01 "), 203, "TxtID"},
        {"existing ID of the frame being edited", 7,
         [](FrmOrder& d) {
             d.TxtID->setText(QStringLiteral("REP01"));
             d.TxtID->setEnabled(false);
         },
         0, nullptr},
        {"time limit 0", 7, Len("0"), 208, "TxtLen"},
        {"time limit 0.4", 7, Len("0.4"), 208, "TxtLen"},
        {"time limit 0.5", 7, Len("0.5"), 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FrmOrder dialog;
        Run<FrmOrder>(dialog, [&](FrmOrder& d) {
            for (int i = 0; i < c.filled; ++i)
                fill[i](d);
            c.change(d);
            const QStringList shown = PressOK(*d.CmdOK, *d.ChkFull);
            if (c.message == 0) {
                EXPECT_TRUE(shown.isEmpty());
                EXPECT_FALSE(d.isVisible());
                return;
            }
            EXPECT_EQ(shown, QStringList{LoadResString(c.message)});
            ASSERT_NE(d.focusWidget(), nullptr);
            EXPECT_EQ(d.focusWidget()->objectName(), QString::fromLatin1(c.focus));
            EXPECT_TRUE(d.isVisible());
            d.CmdCancel->click();
        });
        EXPECT_EQ(dialog.Tag(), c.message == 0 ? QStringLiteral("T") : QString());
    }
}

QString TagOf(const QLineEdit* box)
{
    return box->property("Tag").toString();
}

// A template field shows the template's description and keeps "group|-|template" in its Tag; a list
// whose query fails is logged and left empty.
TEST_F(FrmOrderTest, TemplateFieldsKeepGroupAndTemplateInTheirTagsAndAFailingListIsLogged)
{
    FrmOrder dialog;
    EXPECT_TRUE(dialog.font().families().contains(QStringLiteral("WenQuanYi Micro Hei"))); // the host's style
    dialog.SetPrintfile(QStringLiteral("DG3"), QStringLiteral("T006"));
    EXPECT_EQ(TagOf(dialog.TxtFile), QStringLiteral("DG3|-|T006"));
    EXPECT_EQ(dialog.TxtFile->text(), QStringLiteral("维修单 Repair sheet"));
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

    // A failing time-unit query is logged once and leaves both unit lists empty; the others still fill.
    m_db.exec(QStringLiteral("DROP TABLE C_TimeType"));
    FrmOrder broken;
    EXPECT_EQ(broken.CboUnit->count() + broken.CboUnit1->count(), 0);
    EXPECT_EQ(m_host.logLines().filter(QStringLiteral("[Korvel]-[FrmOrder]-[LoadTime]:")).size(), 1);
    EXPECT_EQ(m_host.logLines().size(), 1);
    EXPECT_EQ(broken.CboPriority->count(), 4);
}

// The checks in their order, each with its message and focus; only a passed OK sets the tag "T".
TEST_F(FrmSaveAsTest, OkChecksIdAndNameInOrder)
{
    struct Case {
        const char* id;
        const char* name;
        QString message; // empty: accepted
        bool focusOnId;
    };
    const Case cases[] = {
        {"ABCDEFG", "", LoadResString(202), true},       // 7 bytes; the name is not looked at yet
        {"工单复制", "Copy", LoadResString(202), true},  // 4 double-byte characters
        {"  CMP01 ", "Copy", LoadResString(203), false}, // an existing ID, blanks around
        {"CMP02", "   ", LoadResString(1024), false},
        {"  ", "Copy", LoadResString(201), true},
        {"复制", "Copy", QString(), false},
        {" A1B2C3 ", " Copy ", QString(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        FrmSaveAs dialog;
        dialog.TxtOldWO->setText(QStringLiteral("Customer complaint"));
        Run<FrmSaveAs>(dialog, [&](FrmSaveAs& shown) {
            shown.TxtNewID->setText(QString::fromUtf8(c.id));
            shown.TxtNewName->setText(QString::fromUtf8(c.name));
            const QStringList messages = PressOK(*shown.CmdOK, *shown.TxtNewName);
            if (c.message.isEmpty()) {
                EXPECT_TRUE(messages.isEmpty());
                return;
            }
            EXPECT_EQ(messages, QStringList{c.message});
            EXPECT_EQ(shown.focusWidget() == shown.TxtNewID, c.focusOnId);
            EXPECT_TRUE(shown.isVisible());
            QTest::mouseClick(shown.CmdCacel, Qt::LeftButton);
        });
        EXPECT_EQ(dialog.Tag(), c.message.isEmpty() ? QStringLiteral("T") : QString());
        EXPECT_FALSE(dialog.isVisible());
    }
    // The dialog itself writes nothing.
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM TWO_Frame")).toInt(), 3);
}

// The tree as "key text" lines, children indented under their group.
QStringList Outline(const QTreeWidget& tree)
{
    QStringList lines;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* group = tree.topLevelItem(i);
        lines << FrmSelectDoc::ItemKey(group) + QLatin1Char(' ') + group->text(0);
        for (int c = 0; c < group->childCount(); ++c)
            lines << QStringLiteral("  ") + FrmSelectDoc::ItemKey(group->child(c)) + QLatin1Char(' ') +
                         group->child(c)->text(0);
    }
    return lines;
}

// Groups with their active templates only; missing tables leave the tree as far as it got, silently.
TEST_F(FrmSelectDocTest, ShowsGroupsWithTheirActiveTemplatesOnly)
{
    // T007 and T008 are inactive; a template of an unknown group is left out without a word.
    m_db.exec(
        R"(INSERT INTO DocTemplate (DocTemplate_ID, Description, DOCGROUP_ID, DocumentPath, DocumentPath2,
                 MailMerge, Status) VALUES ('T009', 'Orphan', 'DG9', '', '', 0, 1))");
    FrmSelectDoc picker;
    EXPECT_EQ(Outline(*picker.TreeView1),
              (QStringList{"GDG1 Fax replies", "  DT001 Complaint acknowledgement (fax)",
                           "  DT002 Repair appointment (fax)", "GDG2 E-mail replies",
                           "  DT003 Complaint resolved (e-mail)", "  DT004 Credit note issued (e-mail)",
                           "GDG3 Printed forms", "  DT005 Work order sheet", "  DT006 维修单 Repair sheet",
                           "GDG4 Archive"}));
    EXPECT_EQ(picker.SelectedItem(), nullptr);
    picker.SelectKey(QStringLiteral("DT007")); // an inactive template cannot be preselected
    EXPECT_EQ(picker.SelectedItem(), nullptr);
    EXPECT_TRUE(m_host.logLines().isEmpty());

    // Without the template table the groups still show; without the group table the tree is empty.
    m_db.exec(QStringLiteral("DROP TABLE DocTemplate"));
    EXPECT_EQ(Outline(*FrmSelectDoc().TreeView1).size(), 4);
    m_db.exec(QStringLiteral("DROP TABLE DocGroup"));
    EXPECT_EQ(FrmSelectDoc().TreeView1->topLevelItemCount(), 0);
    EXPECT_TRUE(Messages().texts().isEmpty());
}

// OK refuses nothing chosen and a group and takes a template picked with the mouse; next time that
// template is preselected and OK alone confirms it, while closing the window counts as Cancel.
TEST_F(FrmSelectDocTest, OkNeedsATemplateAndClosingClearsTheTag)
{
    FrmSelectDoc picker;
    Run<FrmSelectDoc>(picker, [&](FrmSelectDoc& shown) {
        EXPECT_EQ(PressOK(*shown.CmdOK, *shown.TreeView1), QStringList{LoadResString(215)});
        shown.SelectKey(QStringLiteral("GDG4"));
        EXPECT_EQ(PressOK(*shown.CmdOK, *shown.TreeView1), QStringList{LoadResString(215)});
        EXPECT_TRUE(shown.isVisible());
        EXPECT_TRUE(shown.Tag().isEmpty());
        QTreeWidgetItem* item = shown.ItemByKey(QStringLiteral("DT006"));
        ASSERT_NE(item, nullptr);
        shown.TreeView1->scrollToItem(item);
        QTest::mouseClick(shown.TreeView1->viewport(), Qt::LeftButton, {},
                          shown.TreeView1->visualItemRect(item).center());
        EXPECT_TRUE(PressOK(*shown.CmdOK, *shown.TreeView1).isEmpty());
    });
    EXPECT_EQ(picker.Tag(), QStringLiteral("T"));
    EXPECT_FALSE(picker.isVisible());

    Run<FrmSelectDoc>(picker, [&](FrmSelectDoc& shown) {
        EXPECT_TRUE(PressOK(*shown.CmdOK, *shown.TreeView1).isEmpty());
        EXPECT_EQ(FrmSelectDoc::ItemKey(shown.SelectedItem()), QStringLiteral("DT006"));
        ASSERT_EQ(shown.Tag(), QStringLiteral("T"));
        shown.show();
        shown.close();
    });
    EXPECT_TRUE(picker.Tag().isEmpty());
}

} // namespace
} // namespace korvel
