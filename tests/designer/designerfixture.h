#pragma once

#include "canvas/flowview.h"
#include "designer/flowtools.h"
#include "designer/framecommands.h"
#include "designer/frametree.h"
#include "designer/frmmain.h"
#include "designer/selectioncommands.h"
#include "designer/viewcommands.h"
#include "designer/windowstatus.h"
#include "dialogs/selectonlycombo.h"
#include "model/cworders.h"
#include "persistence/statementmonitor.h"
#include "tests/support/scriptedui.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace korvel {

// The keys of a select-only combo, in list order.
inline QStringList Keys(const SelectOnlyCombo& combo)
{
    QStringList keys;
    for (int i = 0; i < combo.count(); ++i)
        keys << combo.KeyAt(i);
    return keys;
}

// Replaces the box's text by typing, as a user does.
inline void Type(QLineEdit* box, const QString& text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

// Clicks a check box or option button on its indicator (a wide box ignores clicks beside its caption).
inline void Click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// A designer window over a fresh demo database, as a user sees it after start-up:
//     TestDatabase (demo data) + TestHost (staff "alice") + AddinSession + ScriptedUi + FrmMain, shown.
// Tests drive the real widgets (tree clicks, toolbar buttons, mouse on the canvas) and read the
// model and the database afterwards. Demo frames: "CMP01" (4 nodes, 6 links), "REP01", "BIL01".
class DesignerTest : public ::testing::Test {
protected:
    static constexpr const char* StaffId = "alice";

    // The kind of database the window works on; DesignerDbTest runs a test on both.
    virtual TestDatabase::Kind DatabaseKind() const { return TestDatabase::Kind::SQLite; }

    void SetUp() override
    {
        KORVEL_SKIP_UNLESS_AVAILABLE(DatabaseKind());
        m_db = std::make_unique<TestDatabase>(DatabaseKind());
        m_host = std::make_unique<TestHost>(m_db->database(), QString::fromLatin1(StaffId));
        m_session = std::make_unique<AddinSession>(*m_host);
        m_ui = std::make_unique<ScriptedUi>();
        OpenWindow();
    }

    void TearDown() override
    {
        StatementMonitor::FailAt(0); // a fault a failed test left armed must not hit the next one
        m_window.reset();
        m_ui.reset();
        m_session.reset();
        m_host.reset();
        m_db.reset();
    }

    // Creates and shows a new window (the previous one, if any, is destroyed first).
    void OpenWindow()
    {
        m_window.reset();
        m_window = std::make_unique<FrmMain>();
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }

    FrmMain& Window() { return *m_window; }
    FlowView& Canvas() { return m_window->AFFlow(); }
    FlowScene& Scene() { return Canvas().Scene(); }
    cWOrders& Orders() { return m_window->WorkOrders(); }
    TestDatabase& Db() { return *m_db; }
    TestHost& Host() { return *m_host; }
    ScriptedMessages& Messages() { return m_ui->messages(); }
    ScriptedModals& Modals() { return m_ui->modals(); }
    // The frame with this ID in the window's list (fails the test when it is missing).
    cWorder& Frame(const QString& id)
    {
        cWorder* frame = Orders().OneWorkOrder(id);
        EXPECT_NE(frame, nullptr) << "no frame " << id.toStdString();
        return *frame;
    }
    // The current frame, nullptr when none.
    cWorder* Current() { return Orders().OneWorkOrder(Orders().CurWOrder()); }
    // The frame's row in the tree, invalid when it has none.
    QModelIndex TreeRow(const QString& frameId) { return Window().Tree().FrameIndex(frameId); }
    // Where the frame's row is on the tree's viewport.
    QPoint TreePoint(const QString& frameId)
    {
        Window().TrvTree().scrollTo(TreeRow(frameId));
        return Window().TrvTree().visualRect(TreeRow(frameId)).center();
    }

    // Clicks the frame's tree row with the mouse.
    void ClickFrame(const QString& frameId)
    {
        ASSERT_TRUE(TreeRow(frameId).isValid()) << "no tree row for " << frameId.toStdString();
        QTest::mouseClick(Window().TrvTree().viewport(), Qt::LeftButton, {}, TreePoint(frameId));
    }

    // A toolbar button as the user sees it: the window settles its commands' states once the events
    // at hand are handled, and every click comes after that.
    QAction* Button(const QString& key)
    {
        QCoreApplication::processEvents();
        return Window().ToolbarButton(key);
    }

    // Presses a toolbar button by key, as a click would.
    void PressButton(const QString& key)
    {
        QAction* button = Button(key);
        ASSERT_NE(button, nullptr) << "no toolbar button " << key.toStdString();
        ASSERT_TRUE(button->isEnabled()) << "toolbar button " << key.toStdString() << " is disabled";
        button->trigger();
    }

    // The host's record lock of the frame as this user sees it: 0 free, 2 held by this session.
    int LockState(const QString& frameId)
    {
        return Host().services().GetLockState(QStringLiteral("Korvel"), frameId,
                                              QString::fromLatin1(StaffId));
    }
    // The icon key of the frame's tree row ("DynOpen" while this user holds the lock, else "DynClose").
    QString TreeImage(const QString& frameId)
    {
        const QModelIndex row = TreeRow(frameId);
        return row.isValid() ? row.data(TreeImageRole).toString() : QStringLiteral("<no row>");
    }

    // Makes the frame current and takes its lock through the "Lock" button.
    void OpenLocked(const QString& frameId)
    {
        ClickFrame(frameId);
        PressButton(QStringLiteral("Lock"));
        ASSERT_EQ(Frame(frameId).LockFlag(), 1);
    }

    // The canvas node with this key; fails the test when there is none.
    FlowNodeItem& CanvasNode(const QString& key)
    {
        FlowNodeItem* node = Scene().NodeByKey(key);
        EXPECT_NE(node, nullptr) << "no canvas node " << key.toStdString();
        return *node;
    }

    // The node's centre in the canvas viewport's pixels.
    QPoint ViewportCentre(const FlowNodeItem& node) { return Canvas().mapFromScene(node.Centre()); }

    // Drags with the left button on the canvas viewport from `from` by `delta` pixels, in steps.
    void Drag(QPoint from, QPoint delta, bool release = true)
    {
        QWidget* viewport = Canvas().viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        constexpr int steps = 4;
        for (int i = 1; i <= steps; ++i)
            SendMove(viewport, from + delta * i / steps, Qt::LeftButton);
        if (release)
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + delta);
    }

    // A mouse move with buttons held, delivered straight to the widget.
    static void SendMove(QWidget* widget, QPoint pos, Qt::MouseButtons buttons)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(widget->mapToGlobal(pos)), Qt::NoButton,
                         buttons, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    // Plans the next modal dialog, which must be a `Dialog`, and runs `script` on it.
    template <class Dialog> void PlanDialog(std::function<void(Dialog&)> script)
    {
        Modals().plan([script = std::move(script)](QDialog& shown) {
            auto* dialog = dynamic_cast<Dialog*>(&shown);
            ASSERT_NE(dialog, nullptr) << "unexpected dialog " << shown.objectName().toStdString();
            script(*dialog);
        });
    }

    // A number the test database gives for a query (a row count, a coordinate).
    int Count(const QString& sql) { return Db().scalar(sql).toInt(); }

    // The kinds of the frame's stored versions, oldest first: "found,save".
    QString Versions(const QString& frameId)
    {
        return Db().rows(QStringLiteral("SELECT Kind FROM Korvel_FrameVersion WHERE FrameID = '%1' ORDER BY Version")
                             .arg(frameId))
            .join(u',');
    }

    // Every row of every Korvel table (frames, nodes, links, record locks, versions) as "table|value|…",
    // sorted: equal dumps mean equal databases.
    QStringList DumpTables()
    {
        QStringList rows;
        for (const char* table : {"TWO_Frame", "Two_Node", "Two_Link", "Korvel_RecordLock"})
            rows += Db().rows(QStringLiteral("SELECT '%1', * FROM %1").arg(QLatin1String(table)));
        rows += Db().rows(QStringLiteral("SELECT FrameID, Version, Kind, Summary FROM Korvel_FrameVersion"));
        rows.sort();
        return rows;
    }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<AddinSession> m_session;
    std::unique_ptr<ScriptedUi> m_ui;
    std::unique_ptr<FrmMain> m_window;
};

// DesignerTest on SQLite and on PostgreSQL:
//     TEST_P(MyTest, Something) { ... }
//     INSTANTIATE_TEST_SUITE_P(Db, MyTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());
class DesignerDbTest : public DesignerTest, public ::testing::WithParamInterface<TestDatabase::Kind> {
protected:
    TestDatabase::Kind DatabaseKind() const override { return GetParam(); }
};

} // namespace korvel
