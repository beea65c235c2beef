// End-to-end runs of the binary: banner, usage, option failures, statuses.
#include <gtest/gtest.h>

#include "common/run_zivrat.h"
#include "common/temp_dir.h"

namespace zivrat::test {
namespace {

const char* const kBanner = "Zivrat Version 1.0.2\n";
const char* const kNoIni = "Zivrat Warning : no zivrat.ini file found, default language : English\n";

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
    EXPECT_EQ(run.out, std::string(kBanner) + kNoIni + kUsage + "zivrat: No input files\n\nOk\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

}  // namespace
}  // namespace zivrat::test
