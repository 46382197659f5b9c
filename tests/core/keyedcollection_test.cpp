#include "core/keyedcollection.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

// Enumeration (by iteration and by Keys) keeps insertion order across removals, replacements in place
// and re-additions; a duplicate or empty Add is refused and keeps the first object; keys match exactly.
TEST(KeyedCollectionTest, EnumeratesInInsertionOrderAcrossRemovalsAndReplacements)
{
    KeyedCollection<int> collection;
    for (const char* key : {"N3", "N1", "N2", "END"})
        ASSERT_TRUE(collection.Add(QString::fromLatin1(key), std::make_unique<int>(collection.Count())));
    EXPECT_FALSE(collection.Add(QStringLiteral("N2"), std::make_unique<int>(99)));
    EXPECT_FALSE(collection.Add(QStringLiteral("L2"), nullptr));

    auto taken = collection.Take(QStringLiteral("N1"));
    ASSERT_TRUE(taken);
    EXPECT_EQ(*taken, 1);
    collection.Put(QStringLiteral("N3"), std::make_unique<int>(30)); // replaced in place
    collection.Put(QStringLiteral("N9"), std::make_unique<int>(9));  // new: at the end
    collection.Add(QStringLiteral("N1"), std::make_unique<int>(11)); // back, now last

    const std::vector<QString> expected{QStringLiteral("N3"), QStringLiteral("N2"), QStringLiteral("END"),
                                        QStringLiteral("N9"), QStringLiteral("N1")};
    std::vector<QString> iterated;
    for (const auto& [key, value] : collection)
        iterated.push_back(key);
    EXPECT_EQ(iterated, expected);
    EXPECT_EQ(collection.Keys(), expected);
    EXPECT_EQ(*collection.Item(QStringLiteral("N3")), 30);
    // Keys differing only in letter case are different keys.
    EXPECT_TRUE(collection.Add(QStringLiteral("n2"), std::make_unique<int>(20)));
    EXPECT_FALSE(collection.Exists(QStringLiteral("n3")));
    EXPECT_EQ(collection.Take(QStringLiteral("end")), nullptr);
}

} // namespace
} // namespace korvel
