#include "addin/cinterface.h"
#include "core/addinglobals.h"
#include "core/korvelerror.h"
#include "designer/frmmain.h"
#include "tests/support/scriptedui.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QCoreApplication>
#include <QWidget>
#include <gtest/gtest.h>

namespace korvel {
namespace {

// The add-in's entry points as the host calls them, on alice's real host and database.
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

    qint32 start(QVariant host, QString name = QStringLiteral("Korvel"))
    {
        QVariant para;
        return m_entry.StartMe(name, host, para);
    }

    cInterface m_entry;
    TestDatabase m_db;
    TestHost m_host{m_db.database(), QStringLiteral("alice")};
    ScriptedUi m_ui;
};

TEST_F(CInterfaceTest, StartMeWithoutAHostObjectFailsClearlyAndLoadsNoWindow)
{
    QObject notAHost;
    for (const QVariant& candidate : {QVariant(), QVariant(42), QVariant::fromValue<QObject*>(nullptr),
                                      QVariant::fromValue<QObject*>(&notAHost)}) {
        Addin().StartName.clear();
        EXPECT_THROW(start(candidate), KorvelError) << candidate.typeName();
        EXPECT_EQ(Addin().StartName, QStringLiteral("Korvel")) << "the first step stays done";
        EXPECT_TRUE(Addin().ObjInterFace.isNull() && !FrmMain::ExistingInstance()) << "no host, no window";
    }
}

// The window loads hidden and its handle finds it; CloseMe (twice, harmless) keeps it but frees the host.
TEST_F(CInterfaceTest, StartMeLoadsTheWindowAndCloseMeReleasesTheHost)
{
    EXPECT_EQ(start(QVariant::fromValue<QObject*>(&m_host.host())), 0);
    EXPECT_EQ(Addin().ObjInterFace.data(), &m_host.host());
    EXPECT_EQ(Addin().HostUtility.data(), m_host.host().Utility());
    EXPECT_TRUE(Addin().DBConnection.isOpen());
    FrmMain* window = FrmMain::ExistingInstance();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(QWidget::find(static_cast<WId>(static_cast<quint32>(m_entry.GetFormHwnd()))), window);
    EXPECT_TRUE(m_ui.messages().texts().isEmpty()) << m_ui.messages().texts().join(u'|').toStdString();

    EXPECT_EQ(m_entry.CloseMe(), 0);
    EXPECT_TRUE(Addin().ObjInterFace.isNull() && Addin().HostUtility.isNull() &&
                !Addin().DBConnection.isValid());
    EXPECT_EQ(FrmMain::ExistingInstance(), window) << "CloseMe does not unload the window";
    EXPECT_EQ(m_entry.CloseMe(), 0);
    EXPECT_TRUE(m_host.logLines().isEmpty()) << m_host.logLines().join(u'|').toStdString();
}

// Closing the window tells the host through the loader's ReleaseDll, by name, with the start name.
TEST_F(CInterfaceTest, ClosingTheWindowCallsReleaseDllWithTheStartName)
{
    ASSERT_EQ(start(QVariant::fromValue<QObject*>(&m_host.host()), "KorvelDesigner"), 0);
    FrmMain::ExistingInstance()->show();
    EXPECT_TRUE(FrmMain::ExistingInstance()->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m_host.loader().releasedNames(), QStringList{"KorvelDesigner"});
}

} // namespace
} // namespace korvel
