// The configuration reader: sections, key patterns and their quirks, lists,
// the version check, and the shipped sample file.
#include "driver/config.h"

#include <gtest/gtest.h>

#include <optional>

#include "common/console_texts.h"
#include "common/run_state.h"
#include "common/run_zivrat.h"
#include "common/temp_dir.h"
#include "ground/failures.h"
#include "ground/messages.h"
#include "ground/page_words.h"
#include "ground/settings.h"

namespace zivrat {
namespace {

// Loads a configuration text from a fresh state and keeps the console lines.
class ConfigTest : public test::RunStateTest {
protected:
    void SetUp() override {
        RunStateTest::SetUp();
        capture.emplace(console);
    }

    bool load(const std::string& text) {
        std::string path = dir.write("zivrat.ini", text);
        bool loaded = loadConfiguration(path);
        deliverBufferedOutput();
        return loaded;
    }

    test::TempDir dir;
    std::string console;
    std::optional<test::ConsoleCapture> capture;
};

const char* const kMinimal =
    "[Common]\n"
    "generator.lexer.keyword.ignore = \"__far,__near\"\n"
    "generator.preprocessor.define = \"-DWIN32 -DNDEBUG\"\n"
    "generator.preprocessor.include = \"\"\n"
    "generator.language.default = \"English\"\n"
    "generator.url.server = \"http://host/\"\n"
    "generator.firstpage = \"main.html\"\n"
    "generator.html.version = \"3\"\n"
    "generator.html.frame.header.bgcolor = \"#FFFFFF\"\n"
    "generator.html.frame.body.bgcolor = \"\"\n"
    "generator.html.noframe.bgcolor = \"\"\n"
    "[English]\n";

TEST_F(ConfigTest, MissingFileKeepsTheBuiltInWordsAndResetsTheFlags) {
    runSettings().frames = true;
    runSettings().preprocess = false;
    runSettings().htmlVersion = 3;
    runSettings().verboseLevel = 4;
    EXPECT_FALSE(loadConfiguration(dir.file("none.ini")));
    deliverBufferedOutput();
    EXPECT_EQ(console, test::kNoIniWarning);
    EXPECT_FALSE(runSettings().frames);
    EXPECT_TRUE(runSettings().preprocess);
    EXPECT_EQ(runSettings().htmlVersion, 2);
    EXPECT_EQ(runSettings().verboseLevel, 4);  // not a flag: kept
    const PageWords& words = configuration().words;
    EXPECT_EQ(words.generatorFirstpage, "index.html");
    EXPECT_EQ(words.funtionPrivate, "Private Function :");
    EXPECT_EQ(words.footerBy, " by ");
    EXPECT_EQ(words.generatorHtmlFrameHeaderBgcolor, "#E0E0A0");
}

TEST_F(ConfigTest, CommonSectionAndMissingLanguageKeys) {
    ASSERT_TRUE(load(kMinimal));
    const PageWords& words = configuration().words;
    EXPECT_EQ(words.generatorUrlServer, "http://host/");
    EXPECT_EQ(words.generatorFirstpage, "main.html");
    EXPECT_EQ(runSettings().htmlVersion, 3);
    EXPECT_EQ(configuration().keywordIgnoreList, (std::vector<std::string>{"__far", "__near"}));
    // A language section without keys reports each key and empties it.
    EXPECT_NE(console.find("zivrat.ini : item generator.lib.default.name not found\n"),
              std::string::npos);
    EXPECT_NE(console.find("zivrat.ini : item funtion.private not found\n"), std::string::npos);
    EXPECT_EQ(words.generatorLibDefaultName, "");
    EXPECT_EQ(words.classAbstract, "");
}

TEST_F(ConfigTest, WithoutCommonSectionTheFrenchSectionIsRead) {
    ASSERT_TRUE(load("[Francais]\nclass.abstract = \"abstraite\"\n"));
    EXPECT_EQ(configuration().words.classAbstract, "abstraite");
    EXPECT_EQ(configuration().words.generatorFirstpage, "index.html");  // common keys untouched
    EXPECT_EQ(console.find("generator.firstpage"), std::string::npos);
}

TEST_F(ConfigTest, MissingLanguageSectionIsReported) {
    std::string text = kMinimal;
    text.replace(text.find("[English]"), 9, "[German]");
    ASSERT_TRUE(load(text));
    EXPECT_EQ(console,
              "Zivrat error : generator.language.default not found or mismatch in section "
              "[Common] config file '" + dir.file("zivrat.ini") + "'\n");
    EXPECT_EQ(configuration().words.classAbstract, "abstract");
}

TEST_F(ConfigTest, KeyPatternQuirks) {
    std::string text = kMinimal;
    text.replace(text.find("generator.firstpage = "), 22, "generator.firstpage= ");
    text +=
        "cppfile.author = \"from cpp\"\n"
        "file.author = \"from file\"\n"
        "footer.name = \"see http://x//y\" // a comment with \"quotes\"\n"
        "comment.example = \"two\nlines\"\n";
    ASSERT_TRUE(load(text));
    const PageWords& words = configuration().words;
    // No blank before "=": not found, and the text becomes empty.
    EXPECT_NE(console.find("zivrat.ini : item generator.firstpage not found\n"), std::string::npos);
    EXPECT_EQ(words.generatorFirstpage, "");
    // The first match from the section start wins, inside a longer key too.
    EXPECT_EQ(words.fileAuthor, "from cpp");
    EXPECT_EQ(words.footerName, "see http://x//y");
    EXPECT_EQ(words.commentExample, "two\nlines");
}

TEST_F(ConfigTest, LibraryPairsAndExclusions) {
    std::string text = kMinimal;
    text +=
        "generator.lib.type = \"^Gui,^Db\"\n"
        "generator.lib.name = \"gui\"\n"
        "generator.classes.exclude = \"^Tmp|Private$\"\n";
    ASSERT_TRUE(load(text));
    const auto& pairs = configuration().libraryTypeList;
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_TRUE(pairs[0].pattern.matches("GuiButton"));
    EXPECT_EQ(pairs[0].name, "gui");
    EXPECT_TRUE(pairs[1].pattern.matches("DbTable"));
    EXPECT_EQ(pairs[1].name, "");
    const auto& excluded = configuration().classExcludeList;
    ASSERT_EQ(excluded.size(), 2u);
    EXPECT_TRUE(excluded[0].matches("TmpX"));
    EXPECT_TRUE(excluded[1].matches("ImplPrivate"));
    // A second load appends to the lists.
    ASSERT_TRUE(load(text));
    EXPECT_EQ(configuration().libraryTypeList.size(), 4u);
    EXPECT_EQ(configuration().classExcludeList.size(), 4u);
}

TEST_F(ConfigTest, VersionMustBeOneTwoOrThree) {
    std::string text = kMinimal;
    std::size_t at = text.find("\"3\"");
    text.replace(at, 3, "\"4\"");
    try {
        load(text);
        FAIL() << "no failure";
    } catch (const TextFailure& failure) {
        EXPECT_EQ(failure.text,
                  "Zivrat Error : INI generator.html.version must be 1,2 or 3 in file zivrat.ini");
    }
    text.replace(at, 3, "\"3x\"");
    ASSERT_TRUE(load(text));
    EXPECT_EQ(runSettings().htmlVersion, 3);
}

TEST_F(ConfigTest, BinaryBytesAndUnclosedQuotesAreHarmless) {
    std::string text = kMinimal;
    text += std::string("\0\xff\xfe junk [", 7);
    text += "class.abstract = \"no end";
    ASSERT_TRUE(load(text));
    EXPECT_EQ(configuration().words.classAbstract, "no end");
}

TEST(ConfigText, StripCommentsSplitFields) {
    std::string text = "a = \"x//y\" // gone\n// all gone\nb = \"1\"";
    stripConfigComments(text);
    EXPECT_EQ(text, "a = \"x//y\" \n\nb = \"1\"");
    EXPECT_EQ(splitFields("a,,b", ','), (std::vector<std::string>{"a"}));
    EXPECT_EQ(splitFields("a b,c ", ','), (std::vector<std::string>{"a b", "c "}));
    EXPECT_TRUE(splitFields("", ',').empty());
    auto field = splitField(2, '|', "ab|cd|");
    EXPECT_EQ(field.first, "");
    EXPECT_EQ(field.second, 2u);
}

TEST_F(ConfigTest, SampleFileHoldsEveryKeyWithItsDefault) {
    std::string sample = test::readFile(test::sourceDirectory() + "/config/zivrat.ini");
    ASSERT_FALSE(sample.empty());
    ASSERT_TRUE(load(sample));
    EXPECT_EQ(console, "");  // every key found
    PageWords defaults;
    PageWords& words = configuration().words;
    words.generatorLanguageDefault = defaults.generatorLanguageDefault;
    EXPECT_EQ(words.generatorUrlServer, defaults.generatorUrlServer);
    EXPECT_EQ(words.fileAuthor, defaults.fileAuthor);
    EXPECT_EQ(words.funtionPrivate, defaults.funtionPrivate);
    EXPECT_EQ(words.libfileCountname, defaults.libfileCountname);
    EXPECT_EQ(words.hppfileTitle, defaults.hppfileTitle);
    EXPECT_EQ(runSettings().htmlVersion, 2);

    std::string french = sample;
    french.replace(french.find("= \"English\""), 11, "= \"Francais\"");
    ASSERT_TRUE(load(french));
    EXPECT_EQ(console, "");
    EXPECT_EQ(configuration().words.generatorLibDefaultName, "divers");
    EXPECT_EQ(configuration().words.fileAuthor, "Auteur :");
}

}  // namespace
}  // namespace zivrat
