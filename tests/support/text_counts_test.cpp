// The text counts against a map doing the same, over adds and removals
// that wrap around the table and leave gaps in runs of probes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <unordered_map>

#include "support/text_counts.h"

namespace zivrat::test {
namespace {

TEST(TextCounts, AgreesWithAMapThroughAddsRemovalsAndGrowth) {
    TextCounts counts;
    std::unordered_map<std::string, int> expected;
    std::mt19937 random(7);
    // Few distinct texts, some longer than a short string holds: every
    // text is added and removed many times over.
    auto text = [](unsigned n) {
        return (n % 3 == 0 ? "a_rather_long_type_name_" : "T") + std::to_string(n);
    };
    for (int step = 0; step < 200000; ++step) {
        const std::string name = text(random() % (step < 100000 ? 40 : 3000));
        if (random() % 3 == 0) {
            counts.remove(name);
            auto found = expected.find(name);
            if (found != expected.end() && --found->second == 0) expected.erase(found);
        } else {
            counts.add(name);
            ++expected[name];
        }
        if (step % 97 == 0) {
            for (unsigned n = 0; n < 3000; n += 7) {
                ASSERT_EQ(counts.contains(text(n)), expected.count(text(n)) != 0) << step << " " << n;
            }
        }
    }
    EXPECT_EQ(counts.empty(), expected.empty());
    counts.clear();
    EXPECT_TRUE(counts.empty());
    EXPECT_FALSE(counts.contains("T1"));
    counts.add("T1");
    EXPECT_TRUE(counts.contains("T1"));
    EXPECT_FALSE(counts.contains("T"));  // a part of a text held
}

TEST(TextCounts, ATextHeldTwiceStaysUntilRemovedTwice) {
    TextCounts counts;
    counts.remove("size_t");  // not held: nothing happens
    counts.add("size_t");
    counts.add("size_t");
    counts.remove("size_t");
    EXPECT_TRUE(counts.contains("size_t"));
    counts.remove("size_t");
    EXPECT_FALSE(counts.contains("size_t"));
    EXPECT_TRUE(counts.empty());
}

}  // namespace
}  // namespace zivrat::test
