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
    EXPECT_EQ(client.waitForExit(), 0);
    // The configuration is looked for beside zivrat, in the build folder.
    EXPECT_EQ(client.out(), kBannerLine + kNoIniWarning +
                                "a.h\nparsing ...\nmissing.h\n\nOk\n\nOk\n");
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
