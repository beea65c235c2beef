// Runs that the link serves with the stand-in of stand_in.cpp playing
// zivrat: breaks and stray datagrams during a run, settings across runs,
// and Ctrl-C in the client.
#include <gtest/gtest.h>

#include <thread>

#include "common/console_texts.h"
#include "common/temp_dir.h"
#include "frontend/link_peer.h"

namespace zivrat::test {
namespace {

std::string thisProgram() {
    char path[4096];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

std::map<std::string, std::string> withStandIn(std::map<std::string, std::string> environment) {
    environment["ZIVRAT_STAND_IN"] = "1";
    environment["ZIVRAT_PROGRAM"] = thisProgram();
    return environment;
}

// A stand-in program with a connected peer that has read the banner.
struct StandInConversation {
    TempDir dir;
    LinkedProgram program;
    Peer peer{program.port()};

    explicit StandInConversation(std::map<std::string, std::string> environment = {})
        : program(dir.path(), thisProgram(), withStandIn(environment)) {
        EXPECT_TRUE(peer.connect());
        EXPECT_EQ(peer.receive(), kBannerLine);
    }

    // Receives texts until `text` has come `times` times.
    std::vector<std::string> receiveUntil(const std::string& text, int times = 1) {
        std::vector<std::string> texts;
        while (times > 0) {
            std::optional<std::string> next = peer.receive();
            if (!next) break;
            texts.push_back(*next);
            if (*next == text) --times;
        }
        return texts;
    }
};

TEST(FrontEndBreak, ABreakDuringThePagesOfTheSecondInputEndsTheRun) {
    StandInConversation talk;
    talk.peer.sendArguments({"zivrat", "a.h", "b.h", "c.h"});
    talk.peer.send("__start__");
    std::vector<std::string> texts = talk.receiveUntil("generating ...\n", 2);
    talk.peer.send("__break__");
    for (const std::string& text : talk.peer.receiveUntilEnd()) texts.push_back(text);
    EXPECT_EQ(texts, (std::vector<std::string>{"a.h\n", "generating ...\n", "b.h\n",
                                               "generating ...\n", "Zivrat stop by user break ...\n", "\n", "Ok\n",
                                               "__fin__"}));
    EXPECT_EQ(talk.peer.receive(), "");
    // A stopped run has failed.
    EXPECT_EQ(talk.peer.askResult(), "-1");

    talk.peer.send("__fin__");
    EXPECT_EQ(talk.peer.receiveUntilEnd(), (std::vector<std::string>{"\n", "Ok\n", "", "__fin__"}));
    EXPECT_EQ(talk.program.waitForExit(), 0);
}

TEST(FrontEndBreak, AnotherDatagramDuringARunIsTakenByThePollAndLost) {
    StandInConversation talk;
    talk.peer.sendArguments({"zivrat", "a.h"});
    talk.peer.send("__start__");
    talk.receiveUntil("generating ...\n");
    talk.peer.send("__fin__");
    EXPECT_EQ(joined(talk.peer.receiveUntilEnd()), "\nOk\n__fin__");
    EXPECT_EQ(talk.peer.receive(), "");
    // Had the "__fin__" been kept, the program would be closing by now.
    EXPECT_EQ(talk.peer.receive(300ms), std::nullopt);
    talk.peer.send("__start__");
    EXPECT_EQ(joined(talk.peer.receiveUntilEnd()), "a.h\ngenerating ...\n\nOk\n__fin__");
    EXPECT_EQ(talk.peer.receive(), "");
    talk.peer.send("__fin__");
    EXPECT_EQ(joined(talk.peer.receiveUntilEnd()), "\nOk\n__fin__");
    EXPECT_EQ(talk.program.waitForExit(), 0);
    EXPECT_EQ(talk.program.out(), "+argc 2\nargv zivrat\nargv a.h\n__start__\n__start__\n");
}

TEST(FrontEndRuns, EachRunResetsTheFlagsAndKeepsThePathsAndTheVerboseLevel) {
    StandInConversation talk(std::map<std::string, std::string>{{"ZIVRAT_STAND_IN_SETTINGS", "1"}});
    talk.dir.makeDirectory("out");
    talk.peer.sendArguments({"zivrat", "-v1", "-lo", "out", "-3", "-f"});
    talk.peer.send("__start__");
    EXPECT_NE(joined(talk.peer.receiveUntilEnd()).find("htmlPath out/, verboseLevel 1, frames 1\n"),
              std::string::npos);
    talk.peer.sendArguments({"zivrat", "-V"});
    talk.peer.send("__start__");
    EXPECT_NE(joined(talk.peer.receiveUntilEnd()).find("htmlPath out/, verboseLevel 1, frames 0\n"),
              std::string::npos);
    talk.peer.send("__fin__");
    EXPECT_EQ(talk.program.waitForExit(), 0);
}

// The client started on the stand-in, its output in the folder.
struct ClientOnStandIn {
    TempDir dir;
    ChildProcess client;

    ClientOnStandIn(const std::vector<std::string>& arguments,
                    std::map<std::string, std::string> environment)
        : client(frontClientCommand(dir.path(), arguments, withStandIn(environment))) {}
};

TEST(FrontEndClientStop, CtrlCAsksForABreakAndTheConversationEndsNormally) {
    ClientOnStandIn front({"a.h", "b.h", "c.h"}, {});
    ASSERT_TRUE(front.client.waitForOutput("b.h\ngenerating ...\n"));
    front.client.signal(SIGINT);
    EXPECT_EQ(front.client.waitForExit(), 130);
    EXPECT_EQ(front.client.out(),
              kBannerLine + "a.h\ngenerating ...\nb.h\ngenerating ...\n"
              "Zivrat stop by user break ...\n\nOk\n\nOk\n");
    EXPECT_EQ(front.client.err(), "");
}

TEST(FrontEndClientStop, ASecondCtrlCEndsTheProgramAtOnce) {
    // Pages that take minutes and never poll: only the client can end them.
    ClientOnStandIn front({"a.h"}, {{"ZIVRAT_STAND_IN_PAGE_MS", "600000"}, {"ZIVRAT_STAND_IN_DEAF", "1"}});
    ASSERT_TRUE(front.client.waitForOutput("generating ...\n"));
    front.client.signal(SIGINT);
    std::this_thread::sleep_for(100ms);
    front.client.signal(SIGINT);
    EXPECT_EQ(front.client.waitForExit(20s), 130);
}

}  // namespace
}  // namespace zivrat::test
