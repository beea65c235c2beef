// The pattern dialect: compilation status, escapes, classes, anchors,
// greedy closures with give-back, and replaceAll.
#include "support/pattern.h"

#include <gtest/gtest.h>

namespace zivrat {
namespace {

struct Found {
    std::size_t position;
    std::size_t length;
};

Found search(const std::string& pattern, const std::string& text, std::size_t start = 0) {
    Pattern::Match match = Pattern(pattern).find(text, start);
    return {match.position, match.length};
}

void expectMatch(const std::string& pattern, const std::string& text, std::size_t position,
                 std::size_t length, std::size_t start = 0) {
    Found found = search(pattern, text, start);
    EXPECT_EQ(found.position, position) << "pattern " << pattern << " in " << text;
    EXPECT_EQ(found.length, length) << "pattern " << pattern << " in " << text;
}

void expectNoMatch(const std::string& pattern, const std::string& text, std::size_t start = 0) {
    EXPECT_EQ(search(pattern, text, start).position, Pattern::npos)
        << "pattern " << pattern << " in " << text;
}

TEST(Pattern, ClosuresAreGreedyAndGiveBack) {
    expectMatch("ab*c", "xxabbbcxx", 2, 5);
    expectMatch("ab*c", "xxacxx", 2, 2);
    expectMatch("a.*b", "a1b2b3", 0, 5);   // takes all, gives back to the last b
    expectMatch("a+", "baaa", 1, 3);
    expectMatch("a+a", "aaa", 0, 3);       // + gives back all but its first
    expectNoMatch("a+a", "a");             // + never gives back its first
    expectMatch("ab?c", "abc ac", 0, 3);
    expectMatch("ab?c", "ac", 0, 2);
    expectMatch("x*", "abc", 0, 0);        // an empty match at the start
    expectMatch("[0-9]+$", "ab12", 2, 2);
}

TEST(Pattern, AnyAndClassesAndLineFeeds) {
    expectNoMatch("a.c", "a\nc");
    expectMatch("a[^x]c", "a\nc", 0, 3);
    expectMatch("[^\"]*", "\"value\"", 0, 0);  // right before a quote: empty
    expectMatch("[^\"]*", "one\ntwo\"x", 0, 7);  // runs over line ends
    expectMatch("[z-a]+", "0mq9", 1, 2);       // a range in either order
    expectMatch("[a-]+", "x-a-y", 1, 3);       // a trailing hyphen is literal
    expectMatch("[-a]+", "x-a-y", 1, 3);       // so is a leading one
    expectMatch("[\\]]", "a]b", 1, 1);         // an escaped bracket is an item
    expectMatch("[^]", "\n", 0, 1);            // [^] matches every byte
}

TEST(Pattern, AnchorsHoldAtTheSearchStartAndTheTextEnd) {
    expectMatch("x$", "axbx", 3, 1);
    expectNoMatch("x$", "x\ny");
    expectMatch("$x", "a$x", 1, 2);         // $ not last is a literal
    expectMatch("^abc", "0123abc", 4, 3, 4);
    expectNoMatch("^abc", "0123abc", 3);
    expectMatch("a^", "a^", 0, 2);          // ^ not first is a literal
    expectNoMatch("a", "abc", 4);           // a start beyond the text
    expectMatch("c*$", "abc", 2, 1);
    expectMatch("x*$", "abc", 3, 0);        // the empty match at the very end
}

TEST(Pattern, Escapes) {
    expectMatch("\\S", "a b", 1, 1);
    expectMatch("\\s", "a b", 1, 1);
    expectNoMatch("\\s", "a\tb");           // one space, not a class
    expectMatch("\\x41", "zA", 1, 1);
    expectMatch("\\101", "zA", 1, 1);
    expectMatch("\\q", "pq", 1, 1);
    expectMatch("\\xg", "axg", 1, 2);       // \x without a digit is the letter
    expectMatch("\\^A", std::string("a\x01"), 1, 1);
    expectMatch("\\t\\n\\r\\f\\b\\e", std::string("\t\n\r\f\b\x1b"), 0, 6);
    expectMatch("a\\", "ba\\", 1, 2);       // a final backslash is a backslash
    expectMatch("\\.\\*", "a.*", 1, 2);
}

TEST(Pattern, InvalidPatternsFailWhenUsed) {
    for (const char* text : {"", "*a", "+a", "?a", "[]", "[abc", "a**", "a*?", "^*"}) {
        Pattern pattern(text);
        EXPECT_FALSE(pattern.valid()) << text;
        EXPECT_THROW(pattern.find("abc", 0), PatternFailure) << text;
    }
    EXPECT_EQ(Pattern("*a").status(), 1);
    EXPECT_EQ(Pattern("a**").status(), 3);
    try {
        Pattern("[").find("x", 0);
        FAIL();
    } catch (const PatternFailure& failure) {
        EXPECT_STREQ(failure.what(), "[BADRE] Attempt to use invalid regular expression");
    }
}

TEST(Pattern, CompiledSizeIsLimited) {
    EXPECT_TRUE(Pattern(std::string(255, 'a')).valid());
    EXPECT_EQ(Pattern(std::string(256, 'a')).status(), 3);
    std::string classes;
    for (int i = 0; i < 15; ++i) classes += "[ab]";
    EXPECT_TRUE(Pattern(classes).valid());  // 15 * 17 cells and the end marker
    EXPECT_EQ(Pattern(classes + "[ab]").status(), 3);
}

TEST(Pattern, MatchTextAndReplaceAll) {
    EXPECT_EQ(Pattern("b+").matchText("abbbc", 0), "bbb");
    EXPECT_EQ(Pattern("z").matchText("abc", 0), "");
    EXPECT_EQ(replaceAll("a b  c", " ", ""), "abc");
    EXPECT_EQ(replaceAll("int  size ( )\n const", "[ \t\n\r]+", ""), "intsize()const");
    EXPECT_EQ(replaceAll("a\nb\n", "[\n]", "<br>"), "a<br>b<br>");
    // The search resumes after the inserted text, which is never searched.
    EXPECT_EQ(replaceAll("aa", "a", "aa"), "aaaa");
    // An empty match with an empty replacement still ends.
    EXPECT_EQ(replaceAll("abc", "x*", ""), "abc");
}

TEST(Pattern, UnanchoredKeyPatternsMatchInsideLongerKeys) {
    Pattern key("file.author[ \t]+=[ \t]*\"");
    EXPECT_EQ(key.find("cppfile.author = \"x\"", 0).position, 3u);
    EXPECT_TRUE(Pattern("file.author").matches("fileXauthor"));  // dots match anything
}

}  // namespace
}  // namespace zivrat
