#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/qttranslation.h"
#include "resources/stringtable.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace korvel {
namespace {

// Switches the user-interface language for one test and puts English back.
class LocaleGuard final {
public:
    explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

TEST(StringTableTest, HasTheHundredAndThirtyFiveIdsAndTheAddedOnesEachWithBothTexts)
{
    const QList<qint32> ids = StringTableIds();
    const auto original = std::count_if(ids.begin(), ids.end(), [](qint32 id) { return id < 1000; });
    ASSERT_EQ(original, 135);
    EXPECT_EQ(ids.first(), 80);
    EXPECT_EQ(ids.at(original - 1), 231);
    // Spot checks of the gaps: the table is not contiguous.
    EXPECT_FALSE(ids.contains(82));
    EXPECT_FALSE(ids.contains(100));
    EXPECT_TRUE(ids.contains(98));
    EXPECT_TRUE(ids.contains(101));
    for (qint32 id : ids) {
        EXPECT_FALSE(LoadResString(id, Language::English).isEmpty()) << id;
        EXPECT_FALSE(LoadResString(id, Language::Chinese).isEmpty()) << id;
    }
}

// Texts kept exactly, blanks and full-width brackets included.
TEST(StringTableTest, TrickyTextsAreExact)
{
    EXPECT_EQ(LoadResString(128, Language::English), QStringLiteral("Duplicated ID "));
    EXPECT_EQ(LoadResString(128, Language::Chinese), QStringLiteral("ID号重复"));
    EXPECT_EQ(LoadResString(140, Language::English), QStringLiteral("Make sure to delete WorkOrder ["));
    EXPECT_EQ(LoadResString(140, Language::Chinese), QStringLiteral("是否要删除［"));
    EXPECT_EQ(LoadResString(141, Language::English), QStringLiteral("]"));
    EXPECT_EQ(LoadResString(141, Language::Chinese), QStringLiteral(" ］工单"));
    EXPECT_EQ(LoadResString(146, Language::English), QStringLiteral("Update failed "));
    EXPECT_EQ(LoadResString(168, Language::Chinese), QStringLiteral("全屏显示 "));
    EXPECT_EQ(LoadResString(198, Language::English),
              QStringLiteral("Create a callback todolist when closed "));
    EXPECT_EQ(LoadResString(164, Language::English), QStringLiteral("Can be taken ove in the same group"));
    EXPECT_EQ(LoadResString(98, Language::Chinese), QStringLiteral("确定(&O)"));
    EXPECT_EQ(LoadResString(202, Language::Chinese), QStringLiteral("工单ID太长，不能超过6个字符"));
    EXPECT_EQ(LoadResString(211, Language::Chinese), QStringLiteral("Email地址："));
    // The two English texts whose wording is ours: present, and about what the Chinese says.
    EXPECT_TRUE(LoadResString(202, Language::English).contains(u'6'))
        << LoadResString(202, Language::English).toStdString();
    EXPECT_TRUE(LoadResString(211, Language::English).contains(QStringLiteral("mail"), Qt::CaseInsensitive));
}

TEST(StringTableTest, ChineseInterfaceGetsChineseOtherLanguagesEnglish)
{
    EXPECT_EQ(LoadResString(118), QStringLiteral("WorkOrder configuration"));
    {
        LocaleGuard chinese(QLocale(QLocale::Chinese, QLocale::China));
        EXPECT_TRUE(IsChineseInterface());
        EXPECT_EQ(LoadResString(118), QStringLiteral("工单配置"));
        EXPECT_EQ(LoadResString(141), QStringLiteral(" ］工单"));
    }
    {
        LocaleGuard taiwan(QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan));
        EXPECT_EQ(LoadResString(80), QStringLiteral("结束"));
    }
    {
        LocaleGuard french(QLocale(QLocale::French, QLocale::France));
        EXPECT_FALSE(IsChineseInterface());
        EXPECT_EQ(LoadResString(118), QStringLiteral("WorkOrder configuration"));
    }
    EXPECT_EQ(LoadResString(81), QStringLiteral("Start"));
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

TEST(StringTableTest, UnknownIdThrows)
{
    for (qint32 id : {0, -1, 79, 82, 232, 65536})
        EXPECT_THROW(LoadResString(id), KorvelError) << id;
    try {
        LoadResString(9999);
        FAIL() << "no error for an unknown id";
    } catch (const KorvelError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("9999")))
            << error.description().toStdString();
    }
}

} // namespace
} // namespace korvel
