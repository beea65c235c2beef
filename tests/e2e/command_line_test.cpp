// End-to-end runs of the binary: banner, usage, option failures, statuses.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/console_texts.h"
#include "common/run_zivrat.h"
#include "common/temp_dir.h"

namespace zivrat::test {
namespace {

const char* const kUsage =
    "usage : zivrat [flags] [files...]\n"
    " flags:\t\t\t\t\t*[default]\n"
    " -1         No HTML source generate         -I dir   Include files directory\n"
    " -2       * Generate HTML+                  -j       Reserved\n"
    " -3         Generate HTML 3.2               -K       Keep preprocessed tmp file\n"
    " -a         Add in current DataBase         -lo dir  Output HTML path [.]\n"
    " -b         Generate DataBase               -ld Dir  Output DOC path [.]\n"
    " -C         Insert C/C++ comments           -lb Dir  Output DataBase path [.]\n"
    " -d         Generate DOC skeleton           -p       Generate with Pictures\n"
    " -D def     Define macro 'def' as 1         -P       No preprocessing step\n"
    " -D def=val Define macro 'def' as 'val'     -R       Allow macro recursion\n"
    " -f         Generate with HTML 3.2 Frames   -S       Generate short 8.3 files\n"
    " -g         Groupware On                    -U def   Undefine macro 'def'\n"
    " -h file    Insert HTML header file         -vx      Set verbose level (x=0..5)\n"
    " -i         Rebuild indexes from DataBase   -V       Display version Number\n"
    "\n";

TEST(CommandLine, NoArgumentsPrintsUsageAndEndsOk) {
    TempDir dir;
    RunResult run = runZivrat(dir.path(), {});
    EXPECT_EQ(run.out, kBannerLine + kNoIniWarning + kUsage + "zivrat: No input files\n\nOk\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

}  // namespace
}  // namespace zivrat::test

namespace zivrat::test {
namespace {

std::string startOfRun() { return kBannerLine + kNoIniWarning; }

TEST(CommandLine, VersionAloneGoesOnToTheEnd) {
    TempDir dir;
    RunResult run = runZivrat(dir.path(), {"-V"});
    EXPECT_EQ(run.out, startOfRun() + kVersionText + "\nzivrat: No input files\n\nOk\n");
    EXPECT_EQ(run.status, 0);
}

TEST(CommandLine, FramesNeedHtml32First) {
    TempDir dir;
    RunResult accepted = runZivrat(dir.path(), {"-3", "-f"});
    EXPECT_EQ(accepted.out, startOfRun() + "zivrat: No input files\n\nOk\n");
    EXPECT_EQ(accepted.status, 0);

    RunResult refused = runZivrat(dir.path(), {"-f", "-3", "a.h"});
    EXPECT_EQ(refused.out, startOfRun() +
                               "SYSTEM Error : invalid option : -f must be set with -3 or -j option\n");
    EXPECT_EQ(refused.err, "");
    EXPECT_EQ(refused.status, 255);

    RunResult two = runZivrat(dir.path(), {"-3", "-f", "-2"});
    EXPECT_EQ(two.out, startOfRun() + "SYSTEM Error : invalid option : -2 can't run with -f option\n");
    EXPECT_EQ(two.status, 255);
}

TEST(CommandLine, ScannerMessagesGoToTheErrorStream) {
    TempDir dir;
    RunResult illegal = runZivrat(dir.path(), {"-j", "-v9", "-xs"});
    EXPECT_EQ(illegal.err,
              "zivrat: illegal option -- j\n"
              "WARNING : range for option -vx is [0,5]\n"
              "zivrat: illegal option -- x\n");
    EXPECT_EQ(illegal.out, startOfRun() + "zivrat: No input files\n\nOk\n");
    EXPECT_EQ(illegal.status, 0);

    RunResult last = runZivrat(dir.path(), {"-K", "-I"});
    EXPECT_EQ(last.err, "zivrat: option requires an argument -- I\n");
    EXPECT_EQ(last.out, startOfRun() + "zivrat: No input files\n\nOk\n");
}

TEST(CommandLine, ValuesThatLookLikeOptionsAreRefused) {
    TempDir dir;
    for (const char* letter : {"I", "D", "U"}) {
        RunResult run = runZivrat(dir.path(), {std::string("-") + letter, "-DX", "a.h"});
        EXPECT_EQ(run.out, startOfRun() + "zivrat: missing argument in -" + letter + " option\n\n");
        EXPECT_EQ(run.status, 255);
    }
    RunResult grouped = runZivrat(dir.path(), {"-KI-x"});
    EXPECT_EQ(grouped.out, startOfRun() + "zivrat: missing argument in -I option\n\n");
}

TEST(CommandLine, OutputDirectories) {
    TempDir dir;
    dir.makeDirectory("out");
    dir.write("plain", "x");
    EXPECT_EQ(runZivrat(dir.path(), {"-lo", "out"}).status, 0);
    EXPECT_EQ(runZivrat(dir.path(), {"-loout", "-ldout", "-lbout"}).status, 0);
    // Any other letter does nothing; its operand is then an input file.
    RunResult other = runZivrat(dir.path(), {"-lq", "-P", "-1"});
    EXPECT_EQ(other.status, 0);

    RunResult missing = runZivrat(dir.path(), {"-lo", "nowhere", "a.h"});
    EXPECT_EQ(missing.out,
              startOfRun() + "SYSTEM Error : in option -lo dir ' nowhere ' bad or not create \n\n");
    EXPECT_EQ(missing.status, 255);
    EXPECT_EQ(missing.out.find("a.h"), std::string::npos);  // no file is processed

    // A plain file is no directory: refused the same way.
    RunResult file = runZivrat(dir.path(), {"-ldplain"});
    EXPECT_EQ(file.out, startOfRun() + "SYSTEM Error : in option -ld dir ' plain ' bad or not create \n\n");

    RunResult noValue = runZivrat(dir.path(), {"-lb"});
    EXPECT_EQ(noValue.out, startOfRun() + "zivrat: missing argument in -lb option\n\n");
    EXPECT_EQ(noValue.status, 255);
}

TEST(CommandLine, MissingInputFailsThatFileOnly) {
    TempDir dir;
    dir.write("y.h", "");
    RunResult run = runZivrat(dir.path(), {"-P", "-1", "x.h", "y.h"});
    EXPECT_EQ(run.err, "Zivrat Erreur : SYSTEM Impossible de trouver le fichier 'x.h'");
    EXPECT_EQ(run.out.rfind(startOfRun() + "x.h\ny.h\nparsing ...\n", 0), 0u) << run.out;
    EXPECT_EQ(run.status, 0);  // the result of the last file

    RunResult last = runZivrat(dir.path(), {"-P", "-1", "y.h", "x.h"});
    EXPECT_EQ(last.status, 255);
    EXPECT_EQ(last.out.find("Ok"), std::string::npos);
}

TEST(CommandLine, BadConfigurationEndsTheProgram) {
    TempDir dir;
    dir.write("zivrat.ini", "[Common]\ngenerator.html.version = \"4\"\n");
    RunResult version = runZivrat(dir.path(), {});
    EXPECT_EQ(version.out.rfind(kBannerLine, 0), 0u);
    EXPECT_EQ(version.out.find("Ok"), std::string::npos);
    EXPECT_EQ(version.err,
              "Zivrat Error : INI generator.html.version must be 1,2 or 3 in file zivrat.ini\n");
    EXPECT_EQ(version.status, 255);

    dir.write("zivrat.ini",
              "[Common]\ngenerator.language.default = \"a[\"\ngenerator.html.version = \"2\"\n");
    RunResult pattern = runZivrat(dir.path(), {});
    EXPECT_EQ(pattern.err, "[BADRE] Attempt to use invalid regular expression\n");
    EXPECT_EQ(pattern.status, 255);
}

// An invalid pattern met while an input is processed ends that input and
// the whole run: the next input is not processed and the status is -1.
TEST(CommandLine, InvalidExclusionPatternEndsTheRun) {
    TempDir dir;
    std::string ini = readFile(sourceDirectory() + "/config/zivrat.ini");
    std::string key = "generator.classes.exclude = \"\"";
    ini.replace(ini.find(key), key.size(), "generator.classes.exclude = \"[abc\"");
    dir.write("zivrat.ini", ini);
    dir.write("a.h", "class A { int x; };\n");
    dir.write("b.h", "class B { int y; };\n");
    RunResult run = runZivrat(dir.path(), {"-1", "a.h", "b.h"});
    EXPECT_EQ(run.err, "Non-catched error\n[BADRE] Attempt to use invalid regular expression\n");
    EXPECT_EQ(run.out.find("b.h"), std::string::npos);
    EXPECT_EQ(run.out.find("Ok"), std::string::npos);
    EXPECT_EQ(run.status, 255);
}

TEST(CommandLine, ConfigurationBesideTheProgram) {
    TempDir dir;
    dir.write("zivrat.ini", readFile(sourceDirectory() + "/config/zivrat.ini"));
    RunResult run = runZivrat(dir.path(), {"-V"});
    EXPECT_EQ(run.out, kBannerLine + kVersionText + "\nzivrat: No input files\n\nOk\n");
}

// Started by its name alone, as a shell starts an installed program, zivrat
// reads the zivrat.ini beside the program that PATH names.
TEST(CommandLine, ConfigurationBesideTheProgramFoundOnPath) {
    TempDir dir;
    dir.write("zivrat.ini", "[Common]\ngenerator.html.version = \"4\"\n");
    ::chmod(dir.write("tool/zivrat", "").c_str(), 0755);
    dir.write("tool/zivrat.ini", readFile(sourceDirectory() + "/config/zivrat.ini"));
    const std::string quiet = kBannerLine + kVersionText + "\nzivrat: No input files\n\nOk\n";
    RunResult onPath = runZivrat(dir.path(), {"-V"}, {{"PATH", dir.file("none") + ":" + dir.file("tool")}});
    EXPECT_EQ(onPath.out, quiet);
    EXPECT_EQ(onPath.status, 0);

    // The build puts the sample beside the built program.
    const std::string built = zivratBinary().substr(0, zivratBinary().rfind('/'));
    EXPECT_EQ(runZivrat(dir.path(), {"-V"}, {{"PATH", built}}).out, quiet);

    // Found nowhere on PATH, the name leaves the current folder's file.
    EXPECT_EQ(runZivrat(dir.path(), {"-V"}, {{"PATH", dir.file("none")}}).status, 255);
}

}  // namespace
}  // namespace zivrat::test
