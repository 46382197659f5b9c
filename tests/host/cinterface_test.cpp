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
    // Ends the add-in's use of the host and unloads its window, before the host and the database go.
    void TearDown() override
    {
        m_entry.CloseMe();
        delete FrmMain::ExistingInstance();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Addin().StartName.clear();
    }

    // StartMe as the host calls it, with `host` as the host object.
    qint32 start(const QVariant& host, const QString& name = QStringLiteral("Korvel"))
    {
        QString startName = name;
        QVariant hostObject = host, para;
        return m_entry.StartMe(startName, hostObject, para);
    }

    cInterface m_entry;
    TestDatabase m_db;
    TestHost m_host{m_db.database(), QStringLiteral("alice")};
    QVariant m_hostObject = QVariant::fromValue<QObject*>(&m_host.host());
    ScriptedUi m_ui;
};

TEST_F(CInterfaceTest, StartMeWithoutAHostObjectFailsClearlyAndLoadsNoWindow)
{
    QObject notAHost;
    for (const QVariant& candidate : {QVariant(), QVariant(42), QVariant::fromValue<QObject*>(nullptr),
                                      QVariant::fromValue<QObject*>(&notAHost)}) {
        Addin().StartName.clear();
        try {
            start(candidate);
            ADD_FAILURE() << "StartMe accepted " << candidate.typeName();
        } catch (const KorvelError& error) {
            EXPECT_TRUE(error.description().contains("host object")) << error.description().toStdString();
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
    EXPECT_EQ(start(m_hostObject), 0);
    EXPECT_EQ(Addin().ObjInterFace.data(), &m_host.host());
    EXPECT_EQ(Addin().HostUtility.data(), m_host.host().Utility());
    EXPECT_TRUE(Addin().DBConnection.isOpen());
    FrmMain* window = FrmMain::ExistingInstance();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(QWidget::find(static_cast<WId>(static_cast<quint32>(m_entry.GetFormHwnd()))), window);
    EXPECT_TRUE(m_ui.messages().texts().isEmpty()) << m_ui.messages().texts().join(u'|').toStdString();

    EXPECT_EQ(m_entry.CloseMe(), 0);
    EXPECT_EQ(Addin().ObjInterFace.data(), nullptr);
    EXPECT_EQ(Addin().HostUtility.data(), nullptr);
    EXPECT_FALSE(Addin().DBConnection.isValid());
    EXPECT_EQ(FrmMain::ExistingInstance(), window) << "CloseMe does not unload the window";
    EXPECT_EQ(m_entry.CloseMe(), 0);
    EXPECT_TRUE(m_host.logLines().isEmpty()) << m_host.logLines().join(u'|').toStdString();
}

// Closing the window tells the host through the loader's ReleaseDll, by name, with the start name.
TEST_F(CInterfaceTest, ClosingTheWindowCallsReleaseDllWithTheStartName)
{
    ASSERT_EQ(start(m_hostObject, "KorvelDesigner"), 0);
    QStringList heard;
    QObject::connect(&m_host.loader(), &HostLoader::releaseRequested,
                     [&](const QString& name) { heard << name; });
    FrmMain::ExistingInstance()->show();
    EXPECT_TRUE(FrmMain::ExistingInstance()->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m_host.loader().releasedNames(), QStringList{"KorvelDesigner"});
    EXPECT_EQ(heard, QStringList{"KorvelDesigner"});
}

// A failure inside the add-in (the host cannot lock: its lock table is gone) reaches the installed
// host's log as one line: the operation's prefix followed directly by the error text.
TEST_F(CInterfaceTest, ErrorLinesReachTheInstalledHostsLogVerbatim)
{
    AddinSession session(m_host);
    m_db.exec("DROP TABLE Korvel_RecordLock");
    cWorder frame;
    frame.WorkOrderFrame_ID = QStringLiteral("WO1");
    EXPECT_EQ(frame.LockMe(), -1);
    EXPECT_EQ(frame.LockFlag(), 0);
    ASSERT_EQ(m_host.logLines().size(), 1);
    const QString prefix = QStringLiteral("[Korvel]-[cWOrder]-[LockMe]:"),
                  line = m_host.logLines().constFirst();
    EXPECT_TRUE(line.startsWith(prefix) && line.size() > prefix.size() && !line.at(prefix.size()).isSpace())
        << line.toStdString();
}

} // namespace
} // namespace korvel
