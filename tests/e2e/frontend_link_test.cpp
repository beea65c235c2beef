// End-to-end conversations with zivrat in front-end mode over loopback.
#include <gtest/gtest.h>

#include "common/console_texts.h"
#include "common/run_zivrat.h"
#include "common/temp_dir.h"
#include "frontend/link_peer.h"

namespace zivrat::test {
namespace {

using Texts = std::vector<std::string>;

const std::map<std::string, std::string> kInputs = {{"a.h", "int a;\n"}, {"b.h", "int b;\n"}};

TEST(FrontEndLink, OneRunSendsEachLineAsOneTextAndEndsWithOkAndFin) {
    Conversation talk(kInputs);
    talk.open();
    Texts texts = talk.run({"zivrat", "-1", "-P", "a.h"});
    EXPECT_EQ(texts, (Texts{"", kNoIniWarning, "a.h\n", "parsing ...\n", "", "\n", "Ok\n", "__fin__"}));
    talk.close();
    // The scanner's newline at the end of the input goes to standard output.
    EXPECT_EQ(talk.program->out(), "+argc 4\nargv zivrat\nargv -1\nargv -P\nargv a.h\n__start__\n\n");
    EXPECT_EQ(talk.program->err(), "");
}

TEST(FrontEndLink, EachRunReloadsTheConfigurationAndTheVectorSurvives) {
    Conversation talk(kInputs);
    talk.open();
    // generator.html.version 3 lets -f stand without -3.
    std::string ini = readFile(sourceDirectory() + "/config/zivrat.ini");
    std::string version = "generator.html.version = \"2\"";
    ASSERT_NE(ini.find(version), std::string::npos);
    ini.replace(ini.find(version), version.size(), "generator.html.version = \"3\"");
    talk.dir.write("zivrat.ini", ini);

    EXPECT_EQ(joined(talk.run({"zivrat", "-f", "-1", "-P", "a.h"})), "a.h\nparsing ...\n\nOk\n__fin__");
    // Without the file the flags are back to their defaults: -f needs -3 again.
    std::remove(talk.dir.file("zivrat.ini").c_str());
    EXPECT_EQ(joined(talk.start()),
              kNoIniWarning +
                  "SYSTEM Error : invalid option : -f must be set with -3 or -j option\nOk\n__fin__");
    // A new count starts a new vector.
    EXPECT_EQ(joined(talk.run({"zivrat", "-1", "-P", "b.h"})), kNoIniWarning + "b.h\nparsing ...\n\nOk\n__fin__");
    talk.close();
}

TEST(FrontEndLink, ClosesWithLineEndOkEmptyTextAndFinAfterTheFrontEndsFin) {
    Conversation talk(kInputs);
    talk.open();
    talk.close();
    EXPECT_EQ(talk.program->out(), "+");
}

TEST(FrontEndLink, ADatagramFollowedAtOnceByAnotherIsDropped) {
    Conversation talk(kInputs);
    ASSERT_TRUE(talk.program->waitUntilBound());
    // Held still, the program finds both datagrams waiting when it looks.
    talk.program->signal(SIGSTOP);
    talk.peer->send("__start_cnx__");
    talk.peer->send("hello");
    talk.program->signal(SIGCONT);
    EXPECT_EQ(talk.peer->receive(300ms), std::nullopt);
    ASSERT_TRUE(talk.program->waitForOutput("++"));

    talk.program->signal(SIGSTOP);
    talk.peer->send("__start_cnx__");
    talk.peer->send("__start_cnx__");
    talk.program->signal(SIGCONT);
    EXPECT_EQ(talk.peer->receive(), "__start_ok__");
    EXPECT_EQ(talk.peer->receive(), kBannerLine);
    talk.close();
    EXPECT_EQ(talk.program->out(), "++++");
}

TEST(FrontEndLink, ArgumentsBeforeAnyCountAndBeyondTheCountAreKept) {
    Conversation talk(kInputs);
    talk.open();
    talk.peer->send("__argv__");
    talk.peer->send("zivrat");
    talk.peer->send("__argv__");
    talk.peer->send("-P");
    EXPECT_EQ(joined(talk.start()), kNoIniWarning + "zivrat: No input files\n\nOk\n__fin__");

    talk.peer->send("__argc__");
    talk.peer->send("1");
    for (const char* argument : {"zivrat", "-1", "-P", "a.h", "b.h"}) {
        talk.peer->send("__argv__");
        talk.peer->send(argument);
    }
    EXPECT_EQ(joined(talk.start()),
              kNoIniWarning + "a.h\nparsing ...\nb.h\nparsing ...\n\nOk\n__fin__");
    talk.close();
    EXPECT_NE(talk.program->out().find("argc 1\nargv zivrat\nargv -1\nargv -P\nargv a.h\nargv b.h\n"),
              std::string::npos);
}

TEST(FrontEndLink, AStartWithoutArgumentsIsRefusedAndTheConversationGoesOn) {
    Conversation talk(kInputs);
    talk.open();
    EXPECT_EQ(talk.start(), (Texts{"Zivrat Error : __start__ without arguments, nothing to run\n", "__fin__"}));
    talk.peer->send("__argc__");
    talk.peer->send("0");
    EXPECT_EQ(talk.start(), (Texts{"Zivrat Error : __start__ without arguments, nothing to run\n", "__fin__"}));
    EXPECT_EQ(joined(talk.run({"zivrat", "-1", "-P", "a.h"})), kNoIniWarning + "a.h\nparsing ...\n\nOk\n__fin__");
    talk.close();
}

TEST(FrontEndLink, OddCountsAndLongOrUnterminatedDatagramsAreTakenSafely) {
    Conversation talk(kInputs);
    talk.open();
    for (const char* count : {"many", "-4", "99999999999999999999"}) {
        talk.peer->send("__argc__");
        talk.peer->send(count);
    }
    // A datagram without its zero byte ends where the datagram ends.
    talk.peer->send("__argv__");
    talk.peer->sendBytes("zivrat");
    // An argument far longer than 512 bytes arrives whole.
    std::string longName = std::string(3000, 'x') + ".h";
    talk.peer->send("__argv__");
    talk.peer->send("-P");
    talk.peer->send("__argv__");
    talk.peer->send(longName);
    EXPECT_EQ(joined(talk.start()), kNoIniWarning + longName + "\n\nOk\n__fin__");
    talk.close();
    EXPECT_NE(talk.program->out().find("argc 0\nargc -4\nargc 2147483647\nargv zivrat\nargv -P\nargv " +
                                       longName + "\n__start__\n"),
              std::string::npos);
    EXPECT_NE(talk.program->err().find("Impossible de trouver le fichier '" + longName + "'"),
              std::string::npos);
}

// Asked for after a run, the result of the run comes back: 0, -1 after a
// failed input or a start with nothing to run, or the parser's result.
TEST(FrontEndLink, TheResultOfTheLastRunIsSentWhenAskedFor) {
    Conversation talk({{"a.h", "int a;\n"}, {"bad.h", "class A { int x; };\n}}}\n"}});
    talk.open();
    EXPECT_EQ(talk.peer->askResult(), "0");
    talk.run({"zivrat", "-1", "-P", "missing.h"});
    EXPECT_EQ(talk.peer->askResult(), "-1");
    // Asked again, the same answer; the run before does not linger.
    EXPECT_EQ(talk.peer->askResult(), "-1");
    talk.run({"zivrat", "-1", "-P", "missing.h", "a.h"});
    EXPECT_EQ(talk.peer->askResult(), "0");
    talk.run({"zivrat", "-1", "bad.h"});
    EXPECT_EQ(talk.peer->askResult(), "1");
    talk.peer->send("__argc__");
    talk.peer->send("0");
    talk.start();
    EXPECT_EQ(talk.peer->askResult(), "-1");
    EXPECT_EQ(talk.peer->receive(300ms), std::nullopt);
    talk.close();
}

TEST(FrontEndLink, AnUnusablePortIsASocketErrorWithStatusOne) {
    TempDir dir;
    LinkedProgram first(dir.path(), zivratBinary());
    ASSERT_TRUE(first.waitUntilBound());
    TempDir other;
    LinkedProgram second(other.path(), zivratBinary(), {}, first.port());
    EXPECT_EQ(second.waitForExit(), 1);
    EXPECT_EQ(second.out(), "Socket error Enable to bind\n");

    for (const char* port : {"none", "0", "70000"}) {
        RunResult run = runZivrat(other.path(), {}, {{"GUIZIVRAT", port}}, 20);
        EXPECT_EQ(run.out, "Socket error Enable to bind\n") << port;
        EXPECT_EQ(run.status, 1) << port;
    }
}

}  // namespace
}  // namespace zivrat::test
