// Lenient mode: comments as today's headers write them reach the model
// without their decoration, trailing comments describe the member before
// them, and the common tags become HTML.
#include <gtest/gtest.h>

#include "ground/settings.h"
#include "parse_fixture.h"
#include "parser/comment_text.h"

namespace zivrat::test {
namespace {

using LenientComments = RunStateTest;

// Parses with lenient mode on (and -C), leaving it off afterwards.
class LenientParse {
public:
    explicit LenientParse(const std::string& text) : parsed_((runSettings().lenient = true, text), true) {
        runSettings().lenient = false;
    }
    const ClassTag& classNamed(const std::string& name) const { return parsed_.classNamed(name); }
    const ParsedText& parsed() const { return parsed_; }

private:
    ParsedText parsed_;
};

TEST_F(LenientComments, BlockDecorationGoes) {
    EXPECT_EQ(cleanComment("*\n * First line.\n *\n * Second, with a * inside.\n ", true, false).text,
              "First line.\n\nSecond, with a * inside.");
    EXPECT_EQ(cleanComment("! Marked.\n    * indented column\n", true, false).text,
              " Marked.\nindented column");
    EXPECT_EQ(cleanComment("* one line ", true, false).text, " one line ");
    // A plain comment keeps its text; only the column of its lines goes.
    EXPECT_EQ(cleanComment(" plain\n * listed", true, false).text, " plain\nlisted");
    EXPECT_EQ(cleanComment("! line", false, false).text, " line");
    EXPECT_EQ(cleanComment(" 2 * 3", false, false).text, " 2 * 3");
}

TEST_F(LenientComments, TrailingMarkers) {
    for (auto [captured, block, triple] :
         {std::tuple<const char*, bool, bool>{"< after", false, true}, {"!< after", false, false},
          {"*< after ", true, false}, {"!< after ", true, false}}) {
        CleanComment comment = cleanComment(captured, block, triple);
        EXPECT_TRUE(comment.describesPrevious) << captured;
        EXPECT_EQ(comment.text.substr(0, 6), " after") << captured;
    }
    // "<" is text in a plain comment.
    EXPECT_FALSE(cleanComment("< not a marker", false, false).describesPrevious);
    EXPECT_FALSE(cleanComment("< not a marker", true, false).describesPrevious);
}

TEST_F(LenientComments, TagsBecomeHtml) {
    EXPECT_EQ(cleanComment("\\brief Adds.\n@param[in] item the item\n\\param n count\n"
                           "@return the list\n\\returns it",
                           false, true)
                  .text,
              "Adds.\n<b>item</b> : the item\n<b>n</b> : count\n<b>return</b> : the list\n"
              "<b>return</b> : it");
    EXPECT_EQ(cleanComment("use \\c List<T>::Iter or @c a&b, mail x@c.org", false, true).text,
              "use <code>List&lt;T&gt;::Iter</code> or <code>a&amp;b</code>, mail x@c.org");
    EXPECT_EQ(cleanComment("*\n * Example:\n * \\code\n * List<int> l;\n * l << 1;\n * \\endcode\n"
                           " * done",
                           true, false)
                  .text,
              "Example:\n<code>List&lt;int&gt; l;\nl &lt;&lt; 1;</code>\ndone");
    // Unknown tags and an unclosed code block.
    EXPECT_EQ(cleanComment("\\todo x \\code a<b", false, true).text, "\\todo x <code>a&lt;b</code>");
}

TEST_F(LenientComments, RealHeaderCommentsReachTheirMembers) {
    LenientParse parse("/**\n"
                       " * \\brief A list.\n"
                       " */\n"
                       "class A {\n"
                       "public:\n"
                       "  int io_ok; ///< did an IO error occur?\n"
                       "  int used;  //!< items used\n"
                       "  /// Counts.\n"
                       "  /// Twice.\n"
                       "  int count() const; /**< and returns it */\n"
                       "  void run(); /*!< runs */\n"
                       "  //! Stops.\n"
                       "  void stop();\n"
                       "  int plain; // not trailing\n"
                       "  int next;\n"
                       "  ///< on its own line\n"
                       "  int last;\n"
                       "};");
    const ClassTag& a = parse.classNamed("A");
    EXPECT_EQ(a.description, "A list.");
    ASSERT_EQ(a.data.size(), 5u);
    EXPECT_EQ(a.data[0].description, " did an IO error occur?");
    EXPECT_EQ(a.data[1].description, " items used");
    EXPECT_EQ(a.data[2].description, "");
    EXPECT_EQ(a.data[3].description, " not trailing");
    EXPECT_EQ(a.data[4].description, " on its own line");
    ASSERT_EQ(a.functions.size(), 3u);
    EXPECT_EQ(a.functions[0].description, " Counts.\n Twice.\n and returns it ");
    EXPECT_EQ(a.functions[1].description, " runs ");
    EXPECT_EQ(a.functions[2].description, " Stops.");
}

TEST_F(LenientComments, DefaultModeKeepsCommentsAsWritten) {
    ParsedText parsed("class A {\n  int io_ok; ///< flag\n  /// one\n  /// two\n  int b;\n"
                      "  /** doc */\n  int c;\n};",
                      true);
    const ClassTag& a = parsed.classNamed("A");
    EXPECT_EQ(a.data[0].description, "");
    EXPECT_EQ(a.data[1].description, " two");
    EXPECT_EQ(a.data[2].description, "* doc ");
}

}  // namespace
}  // namespace zivrat::test
