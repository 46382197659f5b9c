// The one main of every test program: GoogleTest on a QCoreApplication, or for windows on a QApplication
// that draws on the offscreen platform, so nothing needs a display and nothing waits for a person.

#ifdef KORVEL_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif
#include <QLocale>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // English texts unless a test switches the locale itself (and restores it).
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // Anything that asks for the user's data folder gets a throw-away one, never the real one.
    QStandardPaths::setTestModeEnabled(true);

    ::testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
