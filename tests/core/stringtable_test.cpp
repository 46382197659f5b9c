#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/qttranslation.h"
#include "resources/stringtable.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvel {
namespace {

// Switches the user-interface language for one test and puts English back.
class LocaleGuard final {
public:
    explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

// Every id has both texts, kept exactly as the table file has them, blanks around included.
TEST(StringTableTest, EveryIdHasBothTextsKeptExactly)
{
    for (qint32 id : StringTableIds()) {
        EXPECT_FALSE(LoadResString(id, Language::English).isEmpty()) << id;
        EXPECT_FALSE(LoadResString(id, Language::Chinese).isEmpty()) << id;
    }
    EXPECT_EQ(LoadResString(128, Language::English), QStringLiteral("Duplicated ID "));
    EXPECT_EQ(LoadResString(141, Language::Chinese), QStringLiteral(" ］工单"));
}

// Chinese (simplified or traditional) interfaces get the Chinese texts, every other language English.
TEST(StringTableTest, ChineseInterfaceGetsChineseOtherLanguagesEnglish)
{
    const struct {
        QLocale locale;
        bool chinese;
    } cases[] = {{QLocale(QLocale::English, QLocale::UnitedStates), false},
                 {QLocale(QLocale::Chinese, QLocale::China), true},
                 {QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan), true},
                 {QLocale(QLocale::French, QLocale::France), false}};
    for (const auto& c : cases) {
        LocaleGuard guard(c.locale);
        EXPECT_EQ(IsChineseInterface(), c.chinese) << c.locale.name().toStdString();
        EXPECT_EQ(LoadResString(118),
                  c.chinese ? QStringLiteral("工单配置") : QStringLiteral("WorkOrder configuration"));
    }
}

// Qt's own texts (here the Yes button of a message box) follow the interface language; a missing
// translation is logged and leaves them English.
TEST(StringTableTest, QtTextsFollowTheInterfaceLanguageAndSurviveAMissingTranslation)
{
    const QTemporaryDir empty;
    const struct {
        QLocale locale;
        QString folder;
        bool translated;
    } cases[] = {{QLocale(QLocale::English, QLocale::UnitedStates), QString(), false},
                 {QLocale(QLocale::Chinese, QLocale::China), QString(), true},
                 {QLocale(QLocale::Chinese, QLocale::China), empty.path(), false}};
    for (const auto& c : cases) {
        LocaleGuard guard(c.locale);
        const QtTranslation translation(c.folder);
        EXPECT_EQ(translation.isInstalled(), c.translated) << c.locale.name().toStdString();
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes") != QLatin1String("&Yes"),
                  c.translated);
    }
    EXPECT_TRUE(LastLoggedError().contains(QDir(empty.path()).filePath(QStringLiteral("qtbase_zh_CN.qm"))));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QLatin1String("&Yes"));
}

// An id not in the table (the gaps included) throws an error that names it.
TEST(StringTableTest, UnknownIdThrowsNamingTheId)
{
    for (qint32 id : {0, -1, 79, 82, 232, 9999}) {
        try {
            LoadResString(id);
            ADD_FAILURE() << "no error for " << id;
        } catch (const KorvelError& error) {
            EXPECT_TRUE(error.description().contains(QString::number(id)))
                << error.description().toStdString();
        }
    }
}

} // namespace
} // namespace korvel
