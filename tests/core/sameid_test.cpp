#include "core/sameid.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

// One rule, PostgreSQL's korvel_ci: case, width, the script of digits and invisible characters do
// not make another ID; accents, blanks and other letters do. IdKey agrees with SameId both ways.
TEST(SameIdTest, EqualKeysExactlyForTheSameId)
{
    const struct {
        const char16_t* a;
        const char16_t* b;
        bool same;
    } cases[] = {
        {u"N00002", u"n00002", true},   {u"N00002", u"N00003", false}, {u"１２３", u"123", true},
        {u"١٢٣", u"123", true},         {u"N0\u200B0002", u"N00002", true}, {u"ＡＢＣ", u"abc", true},
        {u"É", u"é", true},             {u"é", u"e", false},           {u"ẞ", u"ß", true},
        {u"N00002", u"N00002 ", false}, {u"BEGIN", u"begin", true},    {u"Σ", u"ς", true},
        {u"", u"", true},               {u"a", u"", false},            {u"步骤", u"步驟", false},
        {u"Å", u"A\u030A", true},       {u"Ｎ\u034F0\u00AD0002", u"n00002", true},       {u"a\u0323\u0302", u"a\u0302\u0323", false}, {u"Straße", u"STRASSE", false},
    };
    for (const auto& c : cases) {
        const QString a = QString::fromUtf16(c.a), b = QString::fromUtf16(c.b);
        EXPECT_EQ(std::pair(SameId(a, b), IdKey(a) == IdKey(b)), std::pair(c.same, c.same)) << a.toStdString();
    }
}

} // namespace
} // namespace korvel
