#pragma once

#include "dialogs/selectonlycombo.h"
#include "tests/support/scriptedui.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace korvel {

// The node dialog and the handler editor over a fresh demo database, with the add-in globals set
// and the message and modal services scripted. Demo role groups: G01 Front desk (alice, wangf),
// G02 Complaints team (alice, bob), G03 Field service (carol, dave), G04 Billing, G05 Supervisors
// (admin, carol), G06 Hotline, G09 inactive.
class NodeDialogTestBase : public ::testing::Test {
protected:
    TestDatabase m_db;
    TestHost m_host{m_db.database()};
    AddinSession m_session{m_host};
    ScriptedUi m_ui;

    ScriptedMessages& Messages() { return m_ui.messages(); }
    ScriptedModals& Modals() { return m_ui.modals(); }

    // The log lines that begin with `prefix`.
    QStringList LogLinesStartingWith(const QString& prefix) const
    {
        QStringList found;
        for (const QString& line : m_host.logLines())
            if (line.startsWith(prefix))
                found << line;
        return found;
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
