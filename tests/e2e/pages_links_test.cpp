// The sample library in examples/ documented as scripts/document-examples.sh
// does it, with several page options: it parses, every class gets its page,
// and every link of every page names a page of the output folder, apart from
// the links that lead outside it (sources through the server prefix, the
// pictures of -p and the applet of -g).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>

#include "e2e/page_texts.h"

namespace zivrat::test {
namespace {

namespace fs = std::filesystem;

const std::string kServer = "http://localhost/";

// The classes of the sample library with the title words of their pages.
const std::vector<std::pair<std::string, std::string>> kExampleClasses = {
    {"Point", "Struct"},   {"Size", "Struct"},          {"Value", "Union"},
    {"Shape", "Class"},    {"Circle", "Class"},         {"Rectangle", "Class"},
    {"Stack", "template Class"}, {"Drawing", "Class"}};

// Every href, src and code value of a page.
std::vector<std::string> linksOf(const std::string& page) {
    static const std::regex kLink("(?:href|src|code)=(?:\"([^\"]*)\"|([^ >\"]+))",
                                  std::regex::icase);
    std::vector<std::string> links;
    for (std::sregex_iterator it(page.begin(), page.end(), kLink), end; it != end; ++it) {
        links.push_back((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
    }
    return links;
}

bool leadsOutside(const std::string& link) {
    return link == "i1.jpg" || link == "i2.jpg" || link == "Kwt.class";
}

class PagesLinks : public ::testing::TestWithParam<std::vector<std::string>> {
protected:
    void SetUp() override {
        fs::copy(sourceDirectory() + "/examples", dir.path(), fs::copy_options::recursive);
        dir.makeDirectory("out");
        std::vector<std::string> args = GetParam();
        args.insert(args.end(),
                    {"-C", "-lo", "out", "-ld", "doc", "geometry.h", "shapes.h", "stack.h"});
        run = runPages(dir, args);
    }

    bool hasOption(const std::string& option) const {
        const std::vector<std::string>& options = GetParam();
        return std::find(options.begin(), options.end(), option) != options.end();
    }

    std::string page(const std::string& name) const { return dir.read("out/" + name); }

    // The page that the library page lists for a class, or "".
    std::string listedPage(const std::string& className) const {
        std::smatch found;
        const std::string library = page("misc.html");
        std::regex entry("<a href=\"([^\"]+)\">" + className + "</a>");
        return std::regex_search(library, found, entry) ? found[1].str() : std::string();
    }

    TempDir dir;
    RunResult run;
};

TEST_P(PagesLinks, ExamplesParseAndEveryClassHasItsPage) {
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find("parse error"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "");
    for (const auto& [name, kind] : kExampleClasses) {
        const std::string pageName = listedPage(name);
        ASSERT_FALSE(pageName.empty()) << name;
        EXPECT_NE(page(pageName).find("<TITLE>" + kind + " : " + name + "</TITLE>"),
                  std::string::npos)
            << name << " in " << pageName;
    }
}

TEST_P(PagesLinks, EveryLocalLinkNamesAPageOfTheOutputFolder) {
    std::set<std::string> checked;
    int pages = 0;
    for (const auto& entry : fs::directory_iterator(dir.file("out"))) {
        ++pages;
        const std::string name = entry.path().filename().string();
        for (const std::string& link : linksOf(readFile(entry.path().string()))) {
            if (link.compare(0, kServer.size(), kServer) == 0) {
                // The source itself, by its path from where the run was made.
                EXPECT_TRUE(dir.exists(link.substr(kServer.size()))) << link << " in " << name;
            } else if (!leadsOutside(link)) {
                EXPECT_TRUE(dir.exists("out/" + link)) << link << " in " << name;
            }
            checked.insert(link);
        }
    }
    // Index, two file lists, three file pages, one library, eight classes.
    EXPECT_GE(pages, 15);
    EXPECT_TRUE(checked.count("hpp.html"));
    EXPECT_TRUE(checked.count("misc.html"));
    EXPECT_EQ(checked.count("Circle_u.html"), hasOption("-f") && !hasOption("-S") ? 1u : 0u);
    EXPECT_EQ(checked.count("i1.jpg"), hasOption("-p") ? 1u : 0u);
    EXPECT_EQ(checked.count("Kwt.class"), hasOption("-g") ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Options, PagesLinks,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"-3", "-f"},
                      std::vector<std::string>{"-S"},
                      std::vector<std::string>{"-3", "-f", "-S", "-p", "-a", "-g"}));

}  // namespace
}  // namespace zivrat::test
