#pragma once

#include "dialogs/selectonlycombo.h"
#include "tests/support/scriptedui.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"
#include "widgets/uiservices.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace korvel {

// A dialog over a fresh demo database with the add-in globals set and messages and modal dialogs
// scripted. Demo data used here: role groups G02 Complaints team (alice, bob), G05 Supervisors (admin,
// carol), G09 inactive; document groups DG1..DG4 (T007 and T008 inactive); frames CMP01, REP01, BIL01.
class DialogTest : public ::testing::Test {
protected:
    TestDatabase m_db;
    TestHost m_host{m_db.database()};
    AddinSession m_session{m_host};
    ScriptedUi m_ui;

    ScriptedMessages& Messages() { return m_ui.messages(); }

    // Shows `dialog` modally through the scripted service and runs `script` while it is open.
    template <typename Dialog> void Run(Dialog& dialog, const std::function<void(Dialog&)>& script)
    {
        m_ui.modals().plan([&](QDialog& shown) { script(dynamic_cast<Dialog&>(shown)); });
        korvel::Modals().showModal(dialog);
    }

    // Presses OK with the focus parked on `parkFocus`; returns the messages shown.
    QStringList PressOK(QPushButton& ok, QWidget& parkFocus)
    {
        Messages().clear();
        parkFocus.setFocus();
        QTest::mouseClick(&ok, Qt::LeftButton);
        return Messages().texts();
    }

    // The items of a select-only combo as "text=key", in list order.
    static QStringList Items(const SelectOnlyCombo& combo)
    {
        QStringList items;
        for (int i = 0; i < combo.count(); ++i)
            items << combo.itemText(i) + QLatin1Char('=') + combo.KeyAt(i);
        return items;
    }

    static QString NoSelection() { return QStringLiteral("<Null>="); }
};

} // namespace korvel
