// Where the program's own folder is, from the name it was started as.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/temp_dir.h"
#include "support/paths.h"

namespace zivrat {
namespace {

using test::TempDir;

void writeProgram(const TempDir& dir, const std::string& name, mode_t mode = 0755) {
    ::chmod(dir.write(name, "#!/bin/sh\n").c_str(), mode);
}

TEST(ProgramFolder, ANameWithAFolderIsTakenAsItStands) {
    EXPECT_EQ(programFolder("/opt/tools/zivrat", "/usr/bin"), "/opt/tools/");
    EXPECT_EQ(programFolder("./zivrat", "/usr/bin"), "./");
    EXPECT_EQ(programFolder("build/src/zivrat", nullptr), "build/src/");
    EXPECT_EQ(programFolder("", "/usr/bin"), "");
}

TEST(ProgramFolder, ABareNameIsTheFirstExecutableOfThatNameOnPath) {
    TempDir dir;
    writeProgram(dir, "first/zivrat", 0644);  // not executable
    dir.makeDirectory("second/zivrat");       // a folder of that name
    writeProgram(dir, "third/zivrat");
    writeProgram(dir, "fourth/zivrat");
    const std::string path = "::" + dir.file("missing") + ":" + dir.file("first") + ":" +
                             dir.file("second") + ":" + dir.file("third/") + ":" + dir.file("fourth");
    EXPECT_EQ(programFolder("zivrat", path.c_str()), dir.file("third/"));
    EXPECT_EQ(programFolder("zivrat", dir.file("fourth").c_str()), dir.file("fourth/"));
}

TEST(ProgramFolder, ABareNameFoundNowhereIsTheCurrentFolder) {
    TempDir dir;
    writeProgram(dir, "bin/other");
    EXPECT_EQ(programFolder("zivrat", dir.file("bin").c_str()), "");
    EXPECT_EQ(programFolder("zivrat", ""), "");
    EXPECT_EQ(programFolder("zivrat", nullptr), "");
}

}  // namespace
}  // namespace zivrat
