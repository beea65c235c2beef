// End-to-end incremental runs: after any sequence of edits, additions,
// removals and renames of headers, the output folder of an incremental run
// holds exactly what a full run over the same files writes; a damaged or
// foreign state file only makes the run full.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "common/run_zivrat.h"
#include "common/temp_dir.h"

namespace zivrat::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStateName = "zivrat.incremental";

// Every file of a folder by name, the state file left out.
std::map<std::string, std::string> folderContent(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string name = fs::relative(entry.path(), folder).string();
        if (entry.is_regular_file() && name != kStateName) files[name] = readFile(entry.path());
    }
    return files;
}

// The file names on both sides, and the first page whose content differs.
void expectSameFolders(const std::string& incremental, const std::string& full,
                       const std::string& step) {
    const auto got = folderContent(incremental);
    const auto want = folderContent(full);
    std::vector<std::string> gotNames, wantNames;
    for (const auto& [name, text] : got) gotNames.push_back(name);
    for (const auto& [name, text] : want) wantNames.push_back(name);
    ASSERT_EQ(gotNames, wantNames) << step;
    for (const auto& [name, text] : want) EXPECT_EQ(got.at(name), text) << step << ": " << name;
}

class IncrementalRun : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.makeDirectory("out");
        dir_.write("common.h",
                   "#ifndef COMMON_H\n#define COMMON_H\n"
                   "class Base { public: int x; };\n"
                   "#ifdef WIDE\nclass Wide { int w; };\n#endif\n#endif\n");
        // a.h sees another common.h than the other inputs do: its page is
        // the one of the last input that includes it.
        dir_.write("a.h",
                   "#define WIDE\n#include \"common.h\"\n"
                   "/*{\n  AUTHORS: ann\n  VERSION: 1.0\n}*/\n"
                   "class A : public Base { int a; };\n");
        dir_.write("b.h", "#include \"common.h\"\nclass B : public Base { int b; };\n");
        // Two headers named x.h: their pages are x.h and x.h(1) in the order
        // the run meets them.
        dir_.write("sub/x.h", "struct InSub { int s; };\n");
        dir_.write("x.h", "struct AtTop { int t; };\n");
        dir_.write("c.h", "#include \"sub/x.h\"\nclass C { int c; };\n");
        dir_.write("d.h", "#include \"x.h\"\n#include \"common.h\"\nclass D { int d; };\n");
        dir_.write("e.h", "typedef int Count;\nstruct E { Count e; };\n");
    }

    RunResult runIncremental(const std::vector<std::string>& inputs) {
        std::vector<std::string> args = options_;
        args.insert(args.begin(), {"--lenient", "--incremental", "-C", "-lo", "out"});
        args.insert(args.end(), inputs.begin(), inputs.end());
        return runZivrat(dir_.path(), args, reproducibleEnvironment());
    }

    // Runs incrementally into out/ and fully into a fresh folder, and
    // compares the two.
    void step(const std::string& name, const std::vector<std::string>& inputs) {
        RunResult incremental = runIncremental(inputs);
        ASSERT_EQ(incremental.status, 0) << name << "\n" << incremental.out << incremental.err;
        const std::string full = "full" + std::to_string(++steps_);
        dir_.makeDirectory(full);
        std::vector<std::string> args = options_;
        args.insert(args.begin(), {"--lenient", "-C", "-lo", full});
        args.insert(args.end(), inputs.begin(), inputs.end());
        RunResult reference = runZivrat(dir_.path(), args, reproducibleEnvironment());
        ASSERT_EQ(reference.status, 0) << name;
        expectSameFolders(dir_.file("out"), dir_.file(full), name);
        last_ = incremental.out;
    }

    int documentedAgain() const {
        int count = 0;
        for (std::size_t at = last_.find("parsing ..."); at != std::string::npos;
             at = last_.find("parsing ...", at + 1)) {
            ++count;
        }
        return count;
    }

    // The whole sequence twice: without and with short page names and frames,
    // where page names count on from input to input.
    void editAddRemoveRename() {
        const TempDir& dir = dir_;
        step("first run", {"a.h", "b.h", "c.h", "d.h", "e.h"});
        EXPECT_EQ(documentedAgain(), 5);
        step("unchanged", {"a.h", "b.h", "c.h", "d.h", "e.h"});
        EXPECT_EQ(documentedAgain(), 0);

        dir.write("e.h", "typedef int Count;\nstruct E { Count e; Count f; };\n");
        step("the last input edited", {"a.h", "b.h", "c.h", "d.h", "e.h"});
        EXPECT_EQ(documentedAgain(), 1);

        // New authors carry into every later input's class pages.
        dir.write("a.h",
                  "#define WIDE\n#include \"common.h\"\n"
                  "/*{\n  AUTHORS: bob\n  VERSION: 1.1\n}*/\n"
                  "class A : public Base { int a; };\n");
        step("the first input's authors", {"a.h", "b.h", "c.h", "d.h", "e.h"});

        dir.write("common.h",
                  "#ifndef COMMON_H\n#define COMMON_H\n"
                  "class Base { public: int x; int y; };\n"
                  "#ifdef WIDE\nclass Wide { int w; };\n#endif\n#endif\n");
        step("a shared header edited", {"a.h", "b.h", "c.h", "d.h", "e.h"});

        // Without b.h and d.h, a.h writes common.h's page last, with Wide on it.
        step("inputs removed", {"a.h", "c.h", "e.h"});
        step("an input added in front", {"d.h", "a.h", "c.h", "e.h"});

        // f.h meets x.h before c.h meets sub/x.h: the names x.h and x.h(1) change hands.
        dir.write("f.h", "#include \"x.h\"\nstruct F { int f; };\n");
        step("a new input with a duplicate name", {"f.h", "c.h", "a.h", "e.h"});

        std::rename(dir.file("e.h").c_str(), dir.file("g.h").c_str());
        step("an input renamed", {"f.h", "c.h", "a.h", "g.h"});

        dir.write("sub/x.h", "struct InSub { int s; };\nstruct Another { int n; };\n");
        step("an included header edited", {"f.h", "c.h", "a.h", "g.h"});

        std::remove(dir.file("sub/x.h").c_str());
        step("an included header deleted", {"f.h", "c.h", "a.h", "g.h"});
        dir.write("sub/x.h", "struct Back { int b; };\n");
        step("a missing header appears", {"f.h", "c.h", "a.h", "g.h"});
        // With short names, the inputs after it count on from its pages.
        if (options_.empty()) {
            EXPECT_EQ(documentedAgain(), 1);
        }
        step("unchanged at the end", {"f.h", "c.h", "a.h", "g.h"});
        EXPECT_EQ(documentedAgain(), 0);
    }

    TempDir dir_;
    std::vector<std::string> options_;
    std::string last_;  // the console output of the last incremental run
    int steps_ = 0;
};

TEST_F(IncrementalRun, AnySequenceLeavesTheFolderOfAFullRun) { editAddRemoveRename(); }

TEST_F(IncrementalRun, ShortNamesAndFramesFollowTheRunWideCounter) {
    options_ = {"-3", "-f", "-S"};
    editAddRemoveRename();
}

TEST_F(IncrementalRun, CompanionFilesCountAsWhatTheInputRead) {
    dir_.makeDirectory("docs");
    options_ = {"-ld", "docs"};
    step("first run", {"b.h", "e.h"});
    dir_.write("docs/E.doc", "VERSION{0.2}\nAUTHORS{eve}\nCOMMENT{\nThe e of all things.\n}\n");
    step("a .doc file appears", {"b.h", "e.h"});
    EXPECT_EQ(documentedAgain(), 1);
    EXPECT_NE(readFile(dir_.file("out/E.html")).find("The e of all things."), std::string::npos);
}

TEST_F(IncrementalRun, UnchangedIndexPagesKeepTheirFiles) {
    step("first run", {"a.h", "b.h"});
    dir_.touch("out/index.html", 1000);
    const auto before = fs::last_write_time(dir_.file("out/index.html"));
    dir_.write("b.h", "#include \"common.h\"\nclass B : public Base { int b; int c; };\n");
    step("an edit that leaves the index alone", {"a.h", "b.h"});
    EXPECT_EQ(fs::last_write_time(dir_.file("out/index.html")), before);
}

TEST_F(IncrementalRun, ChangedOptionsMakeAFullRun) {
    step("first run", {"a.h", "e.h"});
    options_ = {"-DEXTRA"};
    step("another definition", {"a.h", "e.h"});
    EXPECT_NE(last_.find("Incremental : other options or configuration than the last run: full run"),
              std::string::npos);
    EXPECT_EQ(documentedAgain(), 2);
}

TEST_F(IncrementalRun, DamagedOrForeignStateIsReportedAndTheRunIsFull) {
    const std::vector<std::string> inputs = {"a.h", "b.h", "e.h"};
    step("first run", inputs);
    const std::string state = readFile(dir_.file(std::string("out/") + kStateName));
    ASSERT_FALSE(state.empty());

    std::string flipped = state;
    flipped[flipped.size() / 2] ^= 0x01;
    const std::vector<std::pair<std::string, std::string>> damages = {
        {"one byte changed", flipped},
        {"cut short", state.substr(0, state.size() / 3)},
        {"empty", ""},
        {"foreign", "<HTML>\nnot ours\n</HTML>\n"},
        {"binary", std::string("\0\xff\x01zivrat-incremental\t1\n", 25)},
    };
    for (const auto& [name, text] : damages) {
        writeFile(dir_.file(std::string("out/") + kStateName), text);
        dir_.write("e.h", "struct E { int " + std::string(name.size() % 2 ? "x" : "y") + "; };\n");
        step(name, inputs);
        EXPECT_NE(last_.find("Zivrat Warning : incremental state 'out/zivrat.incremental' is "),
                  std::string::npos)
            << name;
        EXPECT_EQ(documentedAgain(), 3) << name;
        // The next run trusts the state the full run left.
        step(name + ", then unchanged", inputs);
        EXPECT_EQ(documentedAgain(), 0) << name;
    }
}

TEST(IncrementalOption, IsRefusedWithoutLenientMode) {
    TempDir dir;
    dir.write("a.h", "class A { int a; };\n");
    dir.makeDirectory("out");
    RunResult run = runZivrat(dir.path(), {"--incremental", "-lo", "out", "a.h"});
    EXPECT_EQ(run.status, 255);
    EXPECT_NE(run.out.find("zivrat: --incremental works only with --lenient\n"), std::string::npos);
    EXPECT_EQ(run.out.find("parsing"), std::string::npos);
    EXPECT_FALSE(dir.exists("out/index.html"));
}

TEST(IncrementalOption, WithTheClassDatabaseTheRunIsFullAndKeepsNoState) {
    TempDir dir;
    dir.write("a.h", "class A { int a; };\n");
    dir.makeDirectory("out");
    RunResult run =
        runZivrat(dir.path(), {"--lenient", "--incremental", "-b", "-lo", "out", "a.h"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("--incremental does not apply with -a, -b, -d, -g or -i: full run"),
              std::string::npos);
    EXPECT_FALSE(dir.exists(std::string("out/") + kStateName));
}

}  // namespace
}  // namespace zivrat::test
