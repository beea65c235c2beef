// The sample library documented as the README's first command does it, in
// several page variants: an HTML checker finds no error in any page, and
// what a browser shows of the pages holds every template argument of the
// declarations.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>

#include "e2e/page_texts.h"

namespace zivrat::test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kHeaders = {"geometry.h", "shapes.h", "stack.h", "templates.h"};

// Tidy's exit status for a page (0 clean, 1 warnings, 2 errors), with its
// messages in `report`.
int tidyStatus(const std::string& page, const std::string& report) {
    const std::string command = "tidy -errors -quiet --show-warnings no '" + page + "' >'" +
                                report + "' 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool haveTidy() { return std::system("tidy -version >/dev/null 2>&1") == 0; }

// The text of a page as a browser shows it: comments dropped, inline tags
// dropped, other tags (which break the line) a blank, character references
// decoded, runs of white space one blank.
std::string visibleText(const std::string& page) {
    static const std::regex kComment("<!--[^]*?-->");
    static const std::regex kInlineTag("</?(?:b|i|em|strong|code|tt|font|a|sup|sub)\\b[^>]*>",
                                       std::regex::icase);
    static const std::regex kTag("</?[A-Za-z!][^>]*>");
    std::string text = std::regex_replace(page, kComment, " ");
    text = std::regex_replace(std::regex_replace(text, kInlineTag, ""), kTag, " ");
    // The references pages write: "&lt;" and the spaced "&lt " alike.
    static const std::vector<std::pair<std::regex, std::string>> kReferences = {
        {std::regex("&lt;?"), "<"}, {std::regex("&gt;?"), ">"}, {std::regex("&amp;?"), "&"}};
    for (const auto& [reference, character] : kReferences) {
        text = std::regex_replace(text, reference, character);
    }
    return std::regex_replace(text, std::regex("\\s+"), " ");
}

std::string withoutBlanks(const std::string& text) {
    return std::regex_replace(text, std::regex("\\s+"), "");
}

// Every "Name<arguments>" of the declarations of a source (comments and
// directives left out), one level of nesting deep, without blanks.
std::set<std::string> templateUses(const std::string& source) {
    std::string code = std::regex_replace(source, std::regex("/\\*[^]*?\\*/|//[^\n]*|#[^\n]*"), "");
    static const std::regex kUse("[A-Za-z_]\\w*\\s*<(?:[^<>;{}]|<[^<>;{}]*>)*>");
    std::set<std::string> uses;
    for (std::sregex_iterator it(code.begin(), code.end(), kUse), end; it != end; ++it) {
        uses.insert(withoutBlanks(it->str()));
    }
    return uses;
}

class PagesHtml : public ::testing::TestWithParam<std::vector<std::string>> {
protected:
    void SetUp() override {
        fs::copy(sourceDirectory() + "/examples", dir.path(), fs::copy_options::recursive);
        dir.makeDirectory("out");
        std::vector<std::string> args = GetParam();
        args.insert(args.end(), {"-C", "-lo", "out"});
        args.insert(args.end(), kHeaders.begin(), kHeaders.end());
        run = runPages(dir, args);
        ASSERT_EQ(run.status, 0) << run.out;
        ASSERT_EQ(run.out.find("parse error"), std::string::npos) << run.out;
    }

    std::vector<fs::path> pages() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(dir.file("out"))) {
            found.push_back(entry.path());
        }
        return found;
    }

    TempDir dir;
    RunResult run;
};

TEST_P(PagesHtml, CheckerFindsNoErrors) {
    ASSERT_TRUE(haveTidy()) << "tidy is missing: scripts/setup.sh installs it";
    const std::string report = dir.file("tidy.txt");
    std::size_t checked = 0;
    for (const fs::path& page : pages()) {
        EXPECT_LT(tidyStatus(page.string(), report), 2)
            << page.filename() << ":\n" << readFile(report);
        ++checked;
    }
    EXPECT_GE(checked, 17u);
}

TEST_P(PagesHtml, BrowserShowsEveryTemplateArgument) {
    std::string shown;
    for (const fs::path& page : pages()) shown += withoutBlanks(visibleText(readFile(page.string())));
    const std::set<std::string> uses = templateUses(dir.read("templates.h"));
    EXPECT_EQ(uses.size(), 7u);
    for (const std::string& use : uses) {
        // A class template's own head shows its parameters, not "List<class T...>".
        if (use.rfind("template<", 0) == 0) continue;
        EXPECT_NE(shown.find(use), std::string::npos) << use << "\nin\n" << shown;
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, PagesHtml,
                         ::testing::Values(std::vector<std::string>{},
                                           std::vector<std::string>{"-3", "-f"},
                                           std::vector<std::string>{"-S"},
                                           std::vector<std::string>{"-ld", "doc"},
                                           std::vector<std::string>{"--lenient", "-ld", "doc"}));

// The companion file of Pair mixes HTML written on purpose with C++ text.
TEST(PagesHtmlText, BrowserShowsDescriptionsAndExamplesAsWritten) {
    TempDir dir;
    fs::copy(sourceDirectory() + "/examples", dir.path(), fs::copy_options::recursive);
    dir.makeDirectory("out");
    RunResult run = runPages(dir, {"-C", "-lo", "out", "-ld", "doc", "templates.h"});
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string page = dir.read("out/Pair.html");
    EXPECT_NE(page.find("<code>operator&lt;</code>"), std::string::npos) << page;
    const std::string shown = visibleText(page);
    for (const char* text :
         {"Keys are compared with operator<, so a Pair<int, double> sorts by its int & a "
          "Pair<K, V> needs K < K.",
          "#include \"templates.h\" Pair<int, double> p; if (p.key < 2 && p.value > 1) p.key = 0;",
          "K key ; the key, compared with <", "V value ; anything copyable: a List<int, 8> too"}) {
        EXPECT_NE(shown.find(text), std::string::npos) << text << "\nin\n" << shown;
    }
}

// With --lenient the comments of today's headers read as prose on the page.
TEST(PagesHtmlText, LenientPagesShowTodaysCommentsReadably) {
    TempDir dir;
    fs::copy(sourceDirectory() + "/examples", dir.path(), fs::copy_options::recursive);
    dir.makeDirectory("out");
    RunResult run = runPages(dir, {"--lenient", "-C", "-lo", "out", "templates.h"});
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string shown = visibleText(dir.read("out/List.html"));
    for (const char* text :
         {"Description : A doubly linked list of items. Walk it with a List<T>::Iter, or copy it "
          "whole: List<int> numbers; numbers << 1 << 2;",
          "int used ; items used in the last chunk & more",
          "operator << ( const T & item) ; Appends one item. item : the item, copied return : "
          "this list, for chains like a << b << c",
          "int count ( ) const ; the number of items; 0 when empty"}) {
        EXPECT_NE(shown.find(text), std::string::npos) << text << "\nin\n" << shown;
    }
    for (const char* decoration : {"\\brief", "@param", " * ", "/**", "//!"}) {
        EXPECT_EQ(shown.find(decoration), std::string::npos) << decoration;
    }
}

}  // namespace
}  // namespace zivrat::test
