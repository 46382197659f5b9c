// The save-as dialog: fixed captions, its checks in order, and the tag.

#include "dialogs/frmsaveas.h"

#include "resources/stringtable.h"
#include "tests/dialogs/framedialogfixture.h"

#include <QLabel>
#include <QLineEdit>

namespace korvel {
namespace {

using FrmSaveAsTest = FrameDialogTest;

const QString NameMissing = QStringLiteral("请输入另存名");

TEST_F(FrmSaveAsTest, CaptionsAreTheSameInEveryLanguage)
{
    FrmSaveAs dialog;
    EXPECT_EQ(dialog.objectName(), QStringLiteral("FrmSaveAs"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("另存..."));
    EXPECT_EQ(dialog.lbl->text(), QStringLiteral("原工单名："));
    EXPECT_EQ(dialog.Label1->text(), QStringLiteral("新工单ID："));
    EXPECT_EQ(dialog.Label2->text(), QStringLiteral("新工单名："));
    EXPECT_EQ(dialog.CmdOK->text(), QStringLiteral("确定"));
    EXPECT_EQ(dialog.CmdCacel->text(), QStringLiteral("取消"));
    EXPECT_TRUE(dialog.TxtOldWO->isReadOnly());
    EXPECT_TRUE(dialog.Tag().isEmpty());
}

TEST_F(FrmSaveAsTest, ChecksRunInOrderAndStopAtTheFirstFailure)
{
    FrmSaveAs dialog;
    dialog.TxtOldWO->setText(QStringLiteral("Customer complaint"));
    Run<FrmSaveAs>(dialog, [&](FrmSaveAs& shown) {
        auto press = [&] { return PressOK(Messages(), *shown.CmdOK, *shown.TxtNewName); };

        // An ID of 7 bytes, or 4 double-byte characters (8 bytes), is too long; the name is not
        // looked at yet.
        shown.TxtNewID->setText(QStringLiteral("ABCDEFG"));
        EXPECT_EQ(press(), QStringList{LoadResString(202)});
        EXPECT_EQ(shown.focusWidget(), shown.TxtNewID);
        shown.TxtNewID->setText(QStringLiteral("工单复制"));
        EXPECT_EQ(press(), QStringList{LoadResString(202)});

        // An existing frame's ID, blanks around it, is taken; the focus is not moved to the ID.
        shown.TxtNewID->setText(QStringLiteral("  CMP01 "));
        EXPECT_EQ(press(), QStringList{LoadResString(203)});
        EXPECT_NE(shown.focusWidget(), shown.TxtNewID);

        // A free ID with a name of blanks only.
        shown.TxtNewID->setText(QStringLiteral("CMP02"));
        shown.TxtNewName->setText(QStringLiteral("   "));
        EXPECT_EQ(press(), QStringList{NameMissing});

        // An empty ID would make a frame without a key.
        shown.TxtNewID->setText(QStringLiteral("  "));
        shown.TxtNewName->setText(QStringLiteral("Copy"));
        EXPECT_EQ(press(), QStringList{LoadResString(201)});
        EXPECT_EQ(shown.focusWidget(), shown.TxtNewID);
        EXPECT_TRUE(shown.isVisible());
        EXPECT_TRUE(shown.Tag().isEmpty());

        // Six characters (and a double-byte pair taking 4 bytes) are fine.
        shown.TxtNewID->setText(QStringLiteral("复制"));
        EXPECT_TRUE(press().isEmpty());
    });
    EXPECT_EQ(dialog.Tag(), QStringLiteral("T"));
    EXPECT_FALSE(dialog.isVisible());
    // The dialog writes nothing.
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM TWO_Frame")).toInt(), 3);
}

TEST_F(FrmSaveAsTest, AProposedSixCharacterIdPassesUnchanged)
{
    FrmSaveAs dialog;
    Run<FrmSaveAs>(dialog, [&](FrmSaveAs& shown) {
        shown.TxtNewID->setText(QStringLiteral("A1B2C3"));
        shown.TxtNewName->setText(QStringLiteral("Copy of complaint"));
        EXPECT_TRUE(PressOK(Messages(), *shown.CmdOK, *shown.TxtNewName).isEmpty());
    });
    EXPECT_EQ(dialog.Tag(), QStringLiteral("T"));
    EXPECT_EQ(dialog.TxtNewID->text(), QStringLiteral("A1B2C3"));
}

TEST_F(FrmSaveAsTest, CancelAfterEditingLeavesTheTagEmpty)
{
    FrmSaveAs dialog;
    Run<FrmSaveAs>(dialog, [&](FrmSaveAs& shown) {
        shown.TxtNewID->setText(QStringLiteral("NEW01"));
        shown.TxtNewName->setText(QStringLiteral("Copy"));
        QTest::mouseClick(shown.CmdCacel, Qt::LeftButton);
    });
    EXPECT_TRUE(dialog.Tag().isEmpty());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(Messages().texts().isEmpty());
}

TEST_F(FrmSaveAsTest, AFailingDuplicateQueryLetsTheIdPass)
{
    // The lookup fails and is logged; the ID is then taken as free.
    m_db.exec(QStringLiteral("ALTER TABLE TWO_Frame RENAME TO TWO_Frame_gone"));
    FrmSaveAs dialog;
    Run<FrmSaveAs>(dialog, [&](FrmSaveAs& shown) {
        shown.TxtNewID->setText(QStringLiteral("CMP01"));
        shown.TxtNewName->setText(QStringLiteral("Copy"));
        EXPECT_TRUE(PressOK(Messages(), *shown.CmdOK, *shown.TxtNewName).isEmpty());
    });
    EXPECT_EQ(dialog.Tag(), QStringLiteral("T"));
    EXPECT_EQ(LogLinesStartingWith(QStringLiteral("[Korvel]-[cDBOperate]-[GetWorkOrderIDExists]:")).size(),
              1);
}

} // namespace
} // namespace korvel
