// End-to-end runs of zivrat driven over loopback: breaks during the pages
// and during preprocessing, and the paths that one run leaves to the next.
//
// The breaks are made certain to land where they are meant to by a named
// pipe: a pipe in place of a page or an input holds the program at that
// page or input until the test, having sent its break, opens the other end.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "common/console_texts.h"
#include "common/run_zivrat.h"
#include "common/temp_dir.h"
#include "database/btree_on_disk.h"
#include "frontend/link_peer.h"

namespace zivrat::test {
namespace {

using Texts = std::vector<std::string>;


constexpr int kClasses = 1000;
constexpr int kHeldPage = 500;  // the class whose companion file holds the program

std::string className(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "C%04d", number);
    return name;
}

std::string manyClasses() {
    std::string text;
    for (int i = 0; i < kClasses; ++i) {
        text += "class " + className(i) + " {\npublic:\n  int size();\n};\n";
    }
    return text;
}

// The end of a named pipe, opened without waiting for the other side;
// closed when it goes away.
class PipeEnd {
public:
    PipeEnd(const std::string& path, int flags)
        : fd_(::open(path.c_str(), flags | O_NONBLOCK)), error_(fd_ < 0 ? errno : 0) {}
    ~PipeEnd() {
        if (fd_ >= 0) ::close(fd_);
    }
    PipeEnd(const PipeEnd&) = delete;
    PipeEnd& operator=(const PipeEnd&) = delete;
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Why it could not be opened (ENXIO: nobody reads the pipe yet).
    int error() const { return error_; }

private:
    int fd_;
    int error_;
};

// Opens the writing end once the program has opened the pipe for reading.
std::unique_ptr<PipeEnd> openWriterWhenRead(const std::string& path,
                                            ChildClock::duration patience = 10s) {
    std::unique_ptr<PipeEnd> end;
    waitUntil(
        [&] {
            end = std::make_unique<PipeEnd>(path, O_WRONLY);
            return end->isOpen() || end->error() != ENXIO;
        },
        patience, 2ms);
    return end;
}

// Receives texts until `text` has come after `after`.
Texts receiveUntilAfter(Peer& peer, const std::string& after, const std::string& text) {
    Texts texts;
    bool seen = false;
    while (std::optional<std::string> next = peer.receive()) {
        texts.push_back(*next);
        if (seen && *next == text) break;
        seen = seen || *next == after;
    }
    return texts;
}

// Waits until the program has written the file.
bool waitForFile(const TempDir& dir, const std::string& name, ChildClock::duration patience = 10s) {
    return waitUntil([&] { return dir.exists(name); }, patience, 2ms);
}

bool temporaryFileLeft(const TempDir& dir) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().filename().string().rfind("zvpp", 0) == 0) return true;
    }
    return false;
}

// Three inputs whose second has many classes; the break is sent once the
// second input's pages are being written, when `writtenPage` is there if
// one is named. The program is held reading the companion file of one
// class, just before that class's page; its pages stop at the latest after
// that page, and the third input is not begun.
void breakDuringThePagesOfTheSecondInput(const std::string& writtenPage) {
    Conversation talk({{"a.h", "int a;\n"}, {"b.h", manyClasses()}, {"c.h", "class Late {};\n"}});
    const std::string held = className(kHeldPage) + ".doc";
    ASSERT_EQ(::mkfifo(talk.dir.file(held).c_str(), 0644), 0);
    // Open at both ends: the program's read waits until this end is closed,
    // which then ends the (empty) file.
    auto holder = std::make_unique<PipeEnd>(talk.dir.file(held), O_RDWR);
    ASSERT_TRUE(holder->isOpen());
    talk.open();
    talk.peer->sendArguments({"zivrat", "a.h", "b.h", "c.h"});
    talk.peer->send("__start__");
    Texts texts = receiveUntilAfter(*talk.peer, "b.h\n", "generating ...\n");
    ASSERT_EQ(texts.back(), "generating ...\n");
    if (!writtenPage.empty()) {
        ASSERT_TRUE(waitForFile(talk.dir, writtenPage));
    }
    talk.peer->send("__break__");
    holder.reset();
    {
        std::string rest = joined(talk.finishRun());
        // The index page may have listed the library, and the held companion
        // file may have been read, before the poll that took the break.
        const std::string listed = "lib : misc\n";
        if (rest.rfind(listed, 0) == 0) rest.erase(0, listed.size());
        if (rest.rfind('.', 0) == 0) rest.erase(0, 1);
        EXPECT_EQ(rest, "Zivrat stop by user break ...\n\nOk\n__fin__");
    }
    EXPECT_FALSE(talk.dir.exists(className(kHeldPage + 1) + ".html"));
    EXPECT_FALSE(talk.dir.exists(className(kClasses - 1) + ".html"));
    EXPECT_FALSE(talk.dir.exists("Late.html"));
    EXPECT_FALSE(temporaryFileLeft(talk.dir));

    // The program is ready for the next run.
    std::remove(talk.dir.file(held).c_str());
    EXPECT_EQ(joined(talk.run({"zivrat", "-1", "c.h"})),
              kNoIniWarning + "c.h\nparsing ...\nClass Late\n\nOk\n__fin__");
    talk.close();
}

TEST(FrontEndRuns, ABreakAtTheSecondInputsGeneratingLineEndsTheRun) {
    breakDuringThePagesOfTheSecondInput("");
}

TEST(FrontEndRuns, ABreakDuringTheClassPagesOfTheSecondInputEndsTheRun) {
    breakDuringThePagesOfTheSecondInput(className(kHeldPage - 1) + ".html");
}

TEST(FrontEndRuns, ABreakAtADefineEndsThePreprocessingOfThatInputOnly) {
    Conversation talk({{"a.h", "int a;\n"}, {"c.h", "class Late {};\n"}});
    ASSERT_EQ(::mkfifo(talk.dir.file("b.h").c_str(), 0644), 0);
    talk.open();
    talk.peer->sendArguments({"zivrat", "a.h", "b.h", "c.h"});
    talk.peer->send("__start__");
    Texts texts = receiveUntilAfter(*talk.peer, "a.h\n", "b.h\n");
    ASSERT_EQ(texts.back(), "b.h\n");
    talk.peer->send("__break__");
    {
        std::unique_ptr<PipeEnd> writer = openWriterWhenRead(talk.dir.file("b.h"));
        ASSERT_TRUE(writer->isOpen());
        const std::string source = "#define SIZE 4\nclass Early {\n  int cells[SIZE];\n};\n";
        ASSERT_EQ(::write(writer->fd(), source.data(), source.size()),
                  static_cast<ssize_t>(source.size()));
    }
    // The break counts as an error of b.h, which is therefore not parsed;
    // the run goes on with c.h and ends normally.
    EXPECT_EQ(joined(talk.finishRun()),
              "c.h\nparsing ...\nClass Late\ngenerating ...\nlib : misc\n\nOk\n__fin__");
    EXPECT_TRUE(talk.dir.exists("Late.html"));
    EXPECT_FALSE(talk.dir.exists("Early.html"));
    EXPECT_FALSE(talk.dir.exists("b.h.html"));
    EXPECT_FALSE(temporaryFileLeft(talk.dir));
    talk.close();
}

TEST(FrontEndRuns, TheOutputAndDatabasePathsOfOneRunServeTheNext) {
    Conversation talk({{"a.h", "class First {};\n"}, {"b.h", "class Second {};\n"}});
    talk.dir.makeDirectory("out");
    talk.dir.makeDirectory("db");
    talk.open();
    EXPECT_EQ(talk.run({"zivrat", "-lo", "out", "-lb", "db", "-a", "a.h"}).back(), "__fin__");
    EXPECT_EQ(talk.run({"zivrat", "-a", "b.h"}).back(), "__fin__");
    talk.close();

    for (const char* page : {"index.html", "hpp.html", "misc.html", "b.h.html", "Second.html"}) {
        EXPECT_TRUE(talk.dir.exists(std::string("out/") + page)) << page;
        EXPECT_FALSE(talk.dir.exists(page)) << page;
    }
    EXPECT_FALSE(talk.dir.exists("dico.dat"));
    std::vector<std::string> keys;
    yBTreeOnDisk database;
    ASSERT_TRUE(database.open(talk.dir.file("db/dico.dat")));
    database.visitAll([&](const std::string& key, const VarDB&) { keys.push_back(key); });
    database.close();
    EXPECT_EQ(keys, (std::vector<std::string>{"First", "Second"}));
}

}  // namespace
}  // namespace zivrat::test
