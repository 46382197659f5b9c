#include "core/leadingnumber.h"

#include <gtest/gtest.h>
#include <limits>

namespace korvel {
namespace {

TEST(LeadingNumberTest, ReadsTheNumberAtTheStart)
{
    struct Case {
        const char16_t* text;
        double value;
    };
    const Case cases[] = {
        {u"12abc", 12}, {u" -5", -5},   {u"0.5", 0.5}, {u".5x", 0.5}, {u"+7", 7},   {u"1e3x", 1000},
        {u"1e", 1},     {u"2E-1", 0.2}, {u"abc", 0},   {u"", 0},      {u"-", 0},    {u"  ", 0},
        {u"a12", 0},    {u"12 34", 12}, {u"3.", 3},    {u"\t 8 ", 8}, {u"１２", 0}, {u"- 4", 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(LeadingNumber(QString::fromUtf16(c.text)), c.value)
            << QString::fromUtf16(c.text).toStdString();
}

TEST(LeadingNumberTest, WholeNumberRoundsHalvesAwayFromZeroAndClamps)
{
    constexpr qint32 most = std::numeric_limits<qint32>::max(), least = std::numeric_limits<qint32>::min();
    // "1e400" is not a finite number: none at all.
    for (const auto& [text, value] : {std::pair{"2.5", 3}, {"-2.5", -3}, {"2.49", 2}, {"147abc", 147}, {"", 0},
                                      {"99999999999", most}, {"-99999999999", least}, {"1e400", 0}})
        EXPECT_EQ(LeadingWholeNumber(QString::fromLatin1(text)), value) << text;
}

} // namespace
} // namespace korvel
