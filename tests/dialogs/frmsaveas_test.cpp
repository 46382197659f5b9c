#include "dialogs/frmsaveas.h"

#include "resources/stringtable.h"
#include "tests/dialogs/dialogtest.h"

#include <QLineEdit>

namespace korvel {
namespace {

using FrmSaveAsTest = DialogTest;

// The checks in their order, each with its message and focus; only a passed OK sets the tag "T".
TEST_F(FrmSaveAsTest, OkChecksIdAndNameInOrder)
{
    const QString nameMissing = LoadResString(1024);
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
        {"CMP02", "   ", nameMissing, false},
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

} // namespace
} // namespace korvel
