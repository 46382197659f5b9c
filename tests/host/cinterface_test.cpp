#include "core/addinglobals.h"
#include "core/cinterface.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "designer/frmmain.h"
#include "model/cworder.h"
#include "tests/support/scriptedui.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QCoreApplication>
#include <QWidget>
#include <gtest/gtest.h>

namespace korvel {
namespace {

class CInterfaceTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        unloadWindow();
        Addin().StartName.clear();
    }

    // Ends the add-in's use of the host and unloads its window, before the host and the database go.
    void unloadWindow()
    {
        m_entry.CloseMe();
        delete FrmMain::ExistingInstance();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    cInterface m_entry;
};

TEST_F(CInterfaceTest, StartMeWithoutAHostObjectFailsClearlyAndLoadsNoWindow)
{
    QObject notAHost;
    for (QVariant candidate : {QVariant(), QVariant(42), QVariant::fromValue<QObject*>(nullptr),
                               QVariant::fromValue<QObject*>(&notAHost)}) {
        Addin().StartName.clear();
        QString startName = QStringLiteral("Korvel");
        QVariant para;
        try {
            m_entry.StartMe(startName, candidate, para);
            ADD_FAILURE() << "StartMe accepted " << candidate.typeName();
        } catch (const KorvelError& error) {
            EXPECT_TRUE(error.description().contains(QStringLiteral("host object")))
                << error.description().toStdString();
        }
        EXPECT_EQ(Addin().StartName, QStringLiteral("Korvel")) << "the first step stays done";
        EXPECT_EQ(Addin().ObjInterFace.data(), nullptr);
        EXPECT_EQ(FrmMain::ExistingInstance(), nullptr) << "the window is not loaded";
    }
}

// A full start on the real host and database: the window loads without showing, its handle leads
// back to it, and CloseMe releases the host objects (twice without harm) but keeps the window.
TEST_F(CInterfaceTest, StartMeLoadsTheWindowAndCloseMeReleasesTheHost)
{
    TestDatabase db;
    TestHost host(db.database(), QStringLiteral("alice"));
    ScriptedUi ui;
    QString startName = QStringLiteral("Korvel");
    QVariant hostObject = QVariant::fromValue<QObject*>(&host.host());
    QVariant para;

    EXPECT_EQ(m_entry.StartMe(startName, hostObject, para), 0);
    EXPECT_EQ(Addin().ObjInterFace.data(), &host.host());
    EXPECT_EQ(Addin().HostUtility.data(), host.host().Utility());
    EXPECT_TRUE(Addin().DBConnection.isOpen());
    FrmMain* window = FrmMain::ExistingInstance();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(QWidget::find(static_cast<WId>(static_cast<quint32>(m_entry.GetFormHwnd()))), window);
    EXPECT_TRUE(ui.messages().texts().isEmpty()) << ui.messages().texts().join(u'|').toStdString();

    EXPECT_EQ(m_entry.CloseMe(), 0);
    EXPECT_EQ(Addin().ObjInterFace.data(), nullptr);
    EXPECT_EQ(Addin().HostUtility.data(), nullptr);
    EXPECT_FALSE(Addin().DBConnection.isValid());
    EXPECT_EQ(Addin().StartName, QStringLiteral("Korvel"));
    EXPECT_EQ(FrmMain::ExistingInstance(), window) << "CloseMe does not unload the window";
    EXPECT_EQ(m_entry.CloseMe(), 0);
    EXPECT_TRUE(host.logLines().isEmpty()) << host.logLines().join(u'|').toStdString();
    unloadWindow();
}

// Closing the window tells the host through the loader's ReleaseDll, by name, with the start name.
TEST_F(CInterfaceTest, ClosingTheWindowCallsReleaseDllWithTheStartName)
{
    TestDatabase db;
    TestHost host(db.database(), QStringLiteral("alice"));
    ScriptedUi ui;
    QString startName = QStringLiteral("KorvelDesigner");
    QVariant hostObject = QVariant::fromValue<QObject*>(&host.host());
    QVariant para;
    ASSERT_EQ(m_entry.StartMe(startName, hostObject, para), 0);
    FrmMain* window = FrmMain::ExistingInstance();
    ASSERT_NE(window, nullptr);
    QStringList heard;
    QObject::connect(&host.loader(), &HostLoader::releaseRequested,
                     [&](const QString& name) { heard << name; });

    window->show();
    EXPECT_TRUE(window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(host.loader().releasedNames(), QStringList{QStringLiteral("KorvelDesigner")});
    EXPECT_EQ(heard, QStringList{QStringLiteral("KorvelDesigner")});
    unloadWindow();
}

TEST_F(CInterfaceTest, ShowMeAndToOtherRaiseDoNothing)
{
    TestDatabase db;
    TestHost host(db.database());
    AddinSession session(host, QStringLiteral("Korvel"));
    QString name = QStringLiteral("anything");
    QVariant para = QVariant::fromValue<QObject*>(nullptr);
    QVariant other(QStringLiteral("x"));

    EXPECT_EQ(m_entry.ShowMe(name, para), 0);
    EXPECT_EQ(m_entry.ToOtherRaise(name, other), 0);
    EXPECT_EQ(name, QStringLiteral("anything"));
    EXPECT_EQ(other, QVariant(QStringLiteral("x")));
    EXPECT_EQ(Addin().StartName, QStringLiteral("Korvel"));
    EXPECT_EQ(Addin().ObjInterFace.data(), &host.host());
    EXPECT_EQ(FrmMain::ExistingInstance(), nullptr);
}

// An operation's error handler writes its prefix followed directly by the error text, as one
// line, through the log of the host that is installed.
TEST_F(CInterfaceTest, ErrorLinesReachTheInstalledHostsLogVerbatim)
{
    TestDatabase db;
    TestHost host(db.database(), QStringLiteral("alice"));
    AddinSession session(host);

    LogError(QStringLiteral("[Korvel]-[cWOrder]-[LockMe]:"), KorvelError(QStringLiteral("boom")));
    ASSERT_EQ(host.logLines(), QStringList{QStringLiteral("[Korvel]-[cWOrder]-[LockMe]:boom")});

    // A real failure inside the add-in: the host cannot lock because its lock table is gone.
    host.log().clear();
    db.exec(QStringLiteral("DROP TABLE Korvel_RecordLock"));
    cWorder frame;
    frame.WorkOrderFrame_ID = QStringLiteral("WO1");
    EXPECT_EQ(frame.LockMe(), -1);
    EXPECT_EQ(frame.LockFlag(), 0);
    ASSERT_EQ(host.logLines().size(), 1);
    const QString prefix = QStringLiteral("[Korvel]-[cWOrder]-[LockMe]:");
    const QString line = host.logLines().constFirst();
    EXPECT_TRUE(line.startsWith(prefix)) << line.toStdString();
    EXPECT_GT(line.size(), prefix.size());
    EXPECT_FALSE(line.at(prefix.size()).isSpace()) << "no blank after the colon: " << line.toStdString();
}

} // namespace
} // namespace korvel
