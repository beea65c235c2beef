// End-to-end companion files: a class's .doc merged into its page with the
// messages of its entries, and a skeleton written with -d, filled in by hand
// and read back by the next run.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/page_texts.h"

namespace zivrat::test {
namespace {

// The table of a class declared in `file`, and the rule below it.
std::string classTable(const std::string& name, const std::string& file,
                       const std::string& authors, const std::string& version) {
    return "<table>\n"
           "<th align=left><font size=5>Class</font><th>: <font size=5>" + name + "</font>\n" +
           classTableRows(file, authors, version) + "<hr><p>\n";
}

const char* const kCounterSource =
    "class Counter {\n"
    "public:\n"
    "    Counter();\n"
    "    int value() const;\n"
    "    void add(int step);\n"
    "    void add(const Counter& other);\n"
    "    int count;\n"
    "private:\n"
    "    char* name;\n"
    "};\n";

// Matched entries with other spacing, an entry left as the skeleton wrote
// it, a body too short for a function, and two entries for no member.
const char* const kCounterDoc =
    "VERSION{2.0}\n"
    "COMMENT{Counts things.}\n"
    "\n"
    "[data]\n"
    "\n"
    "int count{\n"
    "How many.\n"
    "}\n"
    "\n"
    "char * name{<br>\n"
    "}\n"
    "\n"
    "long missing{\n"
    "Not a member.\n"
    "}\n"
    "\n"
    "[function]\n"
    "\n"
    "int value ( ) const {\n"
    "The current value.\n"
    "}\n"
    "\n"
    "void add(int) {ab}\n"
    "\n"
    "void add(const Counter &) {\n"
    "Adds the other counter.\n"
    "}\n"
    "\n"
    "void remove(int) {\n"
    "No such function.\n"
    "}\n";

TEST(PagesDoc, ClassCompanionFileFillsThePageAndReportsItsEntries) {
    TempDir dir;
    writeSources(dir, {{"counter.h", kCounterSource}});
    dir.write("doc/Counter.doc", kCounterDoc);
    dir.makeDirectory("out");
    RunResult run = runPages(dir, {"-v0", "-lo", "out", "-ld", "doc", "counter.h"});
    EXPECT_EQ(run.status, 0);
    // Functions are read before data.
    EXPECT_EQ(run.out, kConsoleHead +
                           "counter.h\nparsing ...\nClass Counter\n\ngenerating ...\nlib : misc\n"
                           "Doc file for File counter.h in Dir doc/ not found\n"
                           "Doc file for Lib misc in Dir doc/ not found\n"
                           "."
                           "add def is less than 3 cars, in [function] of file Counter.doc\n"
                           "Unmatch function 'voidremove(int)' in file Counter.doc\n"
                           "name def is empty, in [data] of file Counter.doc\n"
                           "Unmatch data 'longmissing' in file Counter.doc\n"
                           "\nOk\n");
    // Without AUTHORS the authors are emptied.
    EXPECT_EQ(dir.read("out/Counter.html"),
              classPageHead("Class : Counter") + "</HEAD>\n<BODY>\n" +
                  classTable("Counter", "counter.h", "", "2.0") +
                  "<i>Counts things.</i>"
                  "<font size=4><b>Public Data :</b></font><p>\n<ul>\n"
                  "<li><font size=4>int count ;</font>\n<i><br>How many.<br></i>"
                  "</ul>\n"
                  "<font size=4><b>Private Data :</b></font><p>\n<ul>\n"
                  "<li><font size=4>char* name ;</font>\n"
                  "</ul>\n"
                  "<font size=4><b>Constructors :</b></font><p>\n<ul>\n"
                  "<li><font size=4><i>public</i>  <b>Counter</b> ( ) ;</font>\n"
                  "</ul>\n"
                  "<font size=4><b>Public Function :</b></font><p>\n<ul>\n"
                  "<li><font size=4>int <b>value</b> ( ) const ;</font>\n"
                  "<i><br>The current value.<br></i>"
                  "<li><font size=4>void <b>add</b> ( int step) ;</font>\n"
                  "<li><font size=4>void <b>add</b> ( const Counter & other) ;</font>\n"
                  "<i><br>Adds the other counter.<br></i>"
                  "</ul>\n" +
                  kPageEnd);

    // The default threshold shows none of these messages.
    RunResult quiet = runPages(dir, {"-lo", "out", "-ld", "doc", "counter.h"});
    EXPECT_EQ(quiet.out, kConsoleHead +
                             "counter.h\nparsing ...\nClass Counter\n\ngenerating ...\n"
                             "lib : misc\n.\nOk\n");
}

const char* const kNodeSource =
    "class Node {\n"
    "public:\n"
    "    Node(int v);\n"
    "    virtual ~Node();\n"
    "    int value() const;\n"
    "    Node* next;\n"
    "private:\n"
    "    int data;\n"
    "};\n";

const char* const kNodeSkeleton =
    "//\n"
    "//File description for class Node\n"
    "//\n"
    "//\n"
    "\n"
    "VERSION{0.1}\n"
    "AUTHORS{unknow}\n"
    "COMMENT{\n"
    "}\n"
    "\n"
    "\n"
    "[data]\n"
    "\n"
    "Node* next{<br>\n"
    "}\n"
    "\n"
    "int data{<br>\n"
    "}\n"
    "\n"
    "\n"
    "[function]\n"
    "\n"
    "Node(int) {<br>\n"
    "}\n"
    "\n"
    "virtual  ~ Node() {<br>\n"
    "}\n"
    "\n"
    "int value() const {<br>\n"
    "}\n"
    "\n";

// Replaces the one occurrence of `from`, as a user editing the file would.
void edit(std::string& text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

TEST(PagesDoc, SkeletonIsWrittenAfterThePagesAndReadBackWhenFilledIn) {
    TempDir dir;
    writeSources(dir, {{"node.h", kNodeSource}});
    dir.makeDirectory("out");
    dir.makeDirectory("doc");
    RunResult run = runPages(dir, {"-d", "-lo", "out", "-ld", "doc", "node.h"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kConsoleHead +
                           "node.h\nparsing ...\nClass Node\n\ngenerating ...\nlib : misc\n"
                           "doc :\n\nOk\n");
    std::string skeleton = dir.read("doc/Node.doc");
    EXPECT_EQ(skeleton, kNodeSkeleton);
    // The page of the run that wrote the skeleton has none of its texts.
    EXPECT_NE(dir.read("out/Node.html").find("<b>: nobody</b>"), std::string::npos);

    edit(skeleton, "AUTHORS{unknow}", "AUTHORS{eve}");
    edit(skeleton, "COMMENT{\n}", "COMMENT{\nOne node of a list.\n}");
    edit(skeleton, "Node* next{<br>\n}", "Node* next{\nThe following node.\n}");
    edit(skeleton, "int value() const {<br>\n}", "int value() const {\nThe stored value.\n}");
    dir.write("doc/Node.doc", skeleton);

    // Every entry matches its member: the untouched ones are reported
    // empty, none unmatched.
    RunResult second = runPages(dir, {"-v0", "-lo", "out", "-ld", "doc", "node.h"});
    EXPECT_EQ(second.status, 0);
    EXPECT_NE(second.out.find(".Node def is empty, in [function] of file Node.doc\n"
                              "Node def is empty, in [function] of file Node.doc\n"
                              "data def is empty, in [data] of file Node.doc\n\nOk\n"),
              std::string::npos)
        << second.out;
    EXPECT_EQ(second.out.find("Unmatch"), std::string::npos);
    EXPECT_EQ(dir.read("out/Node.html"),
              classPageHead("Class : Node") + "</HEAD>\n<BODY>\n" +
                  classTable("Node", "node.h", "eve", "0.1") +
                  "<font size=4><b>Description :</b></font>\n"
                  "<i><br>One node of a list.<br></i>"
                  "<font size=4><b>Public Data :</b></font><p>\n<ul>\n"
                  "<li><font size=4>Node* next ;</font>\n<i><br>The following node.<br></i>"
                  "</ul>\n"
                  "<font size=4><b>Private Data :</b></font><p>\n<ul>\n"
                  "<li><font size=4>int data ;</font>\n"
                  "</ul>\n"
                  "<font size=4><b>Constructors :</b></font><p>\n<ul>\n"
                  "<li><font size=4><i>public</i>  <b>Node</b> ( int v) ;</font>\n"
                  "</ul>\n"
                  "<font size=4><b>Destructors :</b></font><p>\n<ul>\n"
                  "<li><font size=4><i>public</i> virtual  ~ <b>Node</b> ( ) ;</font>\n"
                  "</ul>\n"
                  "<font size=4><b>Public Function :</b></font><p>\n<ul>\n"
                  "<li><font size=4>int <b>value</b> ( ) const ;</font>\n"
                  "<i><br>The stored value.<br></i>"
                  "</ul>\n" +
                  kPageEnd);
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Operators, function pointers, pure and template members: each skeleton
// entry matches the member it was written for.
TEST(PagesDoc, SkeletonsOfTheSampleLibraryMatchEveryMember) {
    TempDir dir;
    std::filesystem::copy(sourceDirectory() + "/examples", dir.path(),
                          std::filesystem::copy_options::recursive);
    dir.makeDirectory("out");
    dir.makeDirectory("skeletons");
    RunResult first = runPages(dir, {"-C", "-d", "-lo", "out", "-ld", "skeletons", "stack.h"});
    EXPECT_EQ(first.status, 0);
    RunResult second = runPages(dir, {"-v0", "-C", "-lo", "out", "-ld", "skeletons", "stack.h"});
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(countOf(second.out, "Unmatch"), 0u) << second.out;
    // 15 data members and 20 functions in the eight classes.
    EXPECT_EQ(countOf(second.out, " def is empty, in [data]"), 15u) << second.out;
    EXPECT_EQ(countOf(second.out, " def is empty, in [function]"), 20u) << second.out;
}

}  // namespace
}  // namespace zivrat::test
