// End-to-end runs of zivrat-front, the front-end client, driving zivrat.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/console_texts.h"
#include "common/run_zivrat.h"
#include "common/temp_dir.h"
#include "frontend/link_peer.h"

namespace zivrat::test {
namespace {

TEST(FrontEndClient, FindsZivratBesideItselfAndPrintsTheOutputAsItComes) {
    TempDir dir;
    dir.write("a.h", "int a;\n");
    ChildProcess client(frontClientCommand(dir.path(), {"-1", "-P", "a.h", "missing.h"}));
    // The run's result is that of its last input, which failed.
    EXPECT_EQ(client.waitForExit(), 255);
    // The configuration is read beside zivrat: the build puts the sample there.
    EXPECT_EQ(client.out(), kBannerLine + "a.h\nparsing ...\nmissing.h\n\nOk\n\nOk\n");
    // What zivrat writes on its error stream is the user's to see.
    EXPECT_EQ(client.err(), "Zivrat Erreur : SYSTEM Impossible de trouver le fichier 'missing.h'");
}

TEST(FrontEndClient, ReadsTheConfigurationBesideTheZivratItIsGiven) {
    TempDir dir;
    dir.write("a.h", "int a;\n");
    dir.makeDirectory("tool");
    std::filesystem::copy_file(zivratBinary(), dir.file("tool/zivrat"));
    dir.write("tool/zivrat.ini", readFile(sourceDirectory() + "/config/zivrat.ini"));
    ChildProcess client(
        frontClientCommand(dir.path(), {"--zivrat", "tool/zivrat", "--trace", "-1", "-P", "a.h"}));
    EXPECT_EQ(client.waitForExit(), 0);
    EXPECT_EQ(client.out(), kBannerLine + "a.h\nparsing ...\n\nOk\n\nOk\n");
    // --trace shows the link's traces from zivrat's standard output.
    EXPECT_NE(client.err().find("argc 4\nargv tool/zivrat\nargv -1\nargv -P\nargv a.h\n__start__\n"),
              std::string::npos);
}

TEST(FrontEndClient, EndsWithTheStatusThatZivratsOwnRunEndsWith) {
    TempDir dir;
    dir.write("a.h", "int a;\n");
    dir.write("bad.h", "class A { int x; };\n}}}\n");
    const std::vector<std::vector<std::string>> runs = {
        {"-1", "-P", "a.h"}, {"-1", "bad.h"}, {"-1", "-P", "missing.h"}, {"-f", "a.h"}, {"-V"}};
    const int expected[] = {0, 1, 255, 255, 0};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        ChildProcess client(frontClientCommand(dir.path(), runs[i]));
        EXPECT_EQ(client.waitForExit(), expected[i]) << i;
        EXPECT_EQ(runZivrat(dir.path(), runs[i]).status, expected[i]) << i;
    }
}

TEST(FrontEndClient, RefusesAMissingProgramAndUnknownOptions) {
    TempDir dir;
    ChildProcess missing(
        frontClientCommand(dir.path(), {"a.h"}, {{"ZIVRAT_PROGRAM", dir.file("nowhere")}}));
    EXPECT_EQ(missing.waitForExit(), 1);
    EXPECT_NE(missing.err().find("cannot run " + dir.file("nowhere")), std::string::npos);

    ChildProcess unknown(frontClientCommand(dir.path(), {"--zivrat-path", "x", "a.h"}));
    EXPECT_EQ(unknown.waitForExit(), 2);
    EXPECT_NE(unknown.err().find("unknown option --zivrat-path"), std::string::npos);
}

}  // namespace
}  // namespace zivrat::test
