// Patterns with many closures against long texts: the search ends quickly
// and finds exactly what plain backtracking finds.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "support/pattern.h"

namespace zivrat {
namespace {

// Plain backtracking over the pattern text, for patterns made of "a", "b",
// "." and the three closures only: the leftmost match end at pos, or npos.
std::size_t referenceMatch(const std::string& pattern, std::size_t p, const std::string& text,
                           std::size_t pos) {
    if (p == pattern.size()) return pos;
    auto one = [&](std::size_t at) {
        return at < text.size() && (pattern[p] == '.' ? text[at] != '\n' : text[at] == pattern[p]);
    };
    char closure = p + 1 < pattern.size() ? pattern[p + 1] : '\0';
    if (closure != '*' && closure != '+' && closure != '?') {
        return one(pos) ? referenceMatch(pattern, p + 1, text, pos + 1) : std::string::npos;
    }
    std::size_t count = 0;
    while ((closure != '?' || count < 1) && one(pos + count)) ++count;
    std::size_t minimum = closure == '+' ? 1 : 0;
    for (std::size_t taken = count + 1; taken-- > minimum && count >= minimum;) {
        std::size_t end = referenceMatch(pattern, p + 2, text, pos + taken);
        if (end != std::string::npos) return end;
    }
    return std::string::npos;
}

Pattern::Match referenceFind(const std::string& pattern, const std::string& text) {
    Pattern::Match match;
    for (std::size_t pos = 0; pos <= text.size(); ++pos) {
        std::size_t end = referenceMatch(pattern, 0, text, pos);
        if (end != std::string::npos) return {pos, end - pos};
    }
    return match;
}

double secondsFor(const Pattern& pattern, const std::string& text, bool& found) {
    auto start = std::chrono::steady_clock::now();
    found = pattern.matches(text);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(PatternManyClosures, LongNamesEndQuickly) {
    // Plain backtracking needs hours for 48 characters here.
    bool found = true;
    EXPECT_LT(secondsFor(Pattern(".*.*.*.*.*.*.*.*x"), std::string(2000, 'a'), found), 5.0);
    EXPECT_FALSE(found);
    EXPECT_LT(secondsFor(Pattern("a*a*a*a*a*a*a*a*a*a*a*b"), std::string(2000, 'a'), found), 5.0);
    EXPECT_FALSE(found);
    EXPECT_LT(secondsFor(Pattern("^.+.+.+.+.+.+y$"), std::string(1000, 'y') + "z", found), 5.0);
    EXPECT_FALSE(found);

    Pattern::Match match = Pattern(".*.*.*.*.*.*.*.*x").find(std::string(500, 'a') + "xa", 0);
    EXPECT_EQ(match.position, 0u);
    EXPECT_EQ(match.length, 501u);
    match = Pattern("b+a?a?a?a?a?a?a?a?c").find(std::string(300, 'b') + "aaaac", 0);
    EXPECT_EQ(match.position, 0u);
    EXPECT_EQ(match.length, 305u);
}

TEST(PatternManyClosures, ResultsEqualPlainBacktracking) {
    std::mt19937 random(16);
    const std::string elements = "ab.";
    const std::string closures = "*+?";
    for (int round = 0; round < 4000; ++round) {
        std::string pattern;
        int count = 1 + static_cast<int>(random() % 7);
        for (int i = 0; i < count; ++i) {
            pattern += elements[random() % elements.size()];
            if (random() % 3 != 0) pattern += closures[random() % closures.size()];
        }
        std::string text;
        int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) text += "aab\n"[random() % 4];
        Pattern::Match expected = referenceFind(pattern, text);
        Pattern::Match actual = Pattern(pattern).find(text, 0);
        ASSERT_EQ(actual.position, expected.position) << pattern << " in " << text;
        ASSERT_EQ(actual.length, expected.length) << pattern << " in " << text;
    }
}

}  // namespace
}  // namespace zivrat
