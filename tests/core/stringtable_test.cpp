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

// Every id has both texts, kept exactly as the table file has them, blanks around included; an id not
// in the table (the gaps included) throws an error that names it.
TEST(StringTableTest, EveryIdHasBothTextsAndUnknownIdsThrow)
{
    for (qint32 id : StringTableIds())
        EXPECT_FALSE(LoadResString(id, Language::English).isEmpty() || LoadResString(id, Language::Chinese).isEmpty())
            << id;
    EXPECT_EQ(LoadResString(128, Language::English), QStringLiteral("Duplicated ID "));
    EXPECT_EQ(LoadResString(141, Language::Chinese), QStringLiteral(" ］工单"));
    for (qint32 id : {0, -1, 79, 82, 232, 9999})
        EXPECT_THROW(LoadResString(id), KorvelError) << id;
    try {
        LoadResString(9999);
    } catch (const KorvelError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("9999"))) << error.description().toStdString();
    }
}

// Chinese (simplified or traditional) interfaces get the Chinese texts and Qt's own (here the Yes
// button of a message box), every other language English; a missing Qt translation is logged and
// leaves Qt's texts English.
TEST(StringTableTest, TextsFollowTheInterfaceLanguageAndSurviveAMissingQtTranslation)
{
    const QTemporaryDir empty;
    const struct {
        QLocale locale;
        QString folder;
        bool chinese;
        bool translated;
    } cases[] = {{QLocale(QLocale::English, QLocale::UnitedStates), QString(), false, false},
                 {QLocale(QLocale::French, QLocale::France), QString(), false, false},
                 {QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan), QString(), true, true},
                 {QLocale(QLocale::Chinese, QLocale::China), empty.path(), true, false}};
    for (const auto& c : cases) {
        LocaleGuard guard(c.locale);
        const QtTranslation translation(c.folder);
        EXPECT_EQ(IsChineseInterface(), c.chinese) << c.locale.name().toStdString();
        EXPECT_EQ(LoadResString(118),
                  c.chinese ? QStringLiteral("工单配置") : QStringLiteral("WorkOrder configuration"));
        EXPECT_EQ(translation.isInstalled(), c.translated);
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes") != QLatin1String("&Yes"),
                  c.translated);
    }
    EXPECT_TRUE(LastLoggedError().contains(QDir(empty.path()).filePath(QStringLiteral("qtbase_zh_CN.qm"))));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QLatin1String("&Yes"));
}

} // namespace
} // namespace korvel
