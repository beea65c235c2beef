// Pieces of the run driver: the option scanner, the preprocessor items of
// the configuration, temporary names, and the message object.
#include <gtest/gtest.h>

#include <sstream>

#include "common/temp_dir.h"
#include "driver/option_scanner.h"
#include "driver/run.h"
#include "ground/failures.h"
#include "ground/messages.h"
#include "ground/settings.h"

namespace zivrat {
namespace {

std::string scanAll(const std::vector<std::string>& args, std::size_t* firstOperand = nullptr) {
    OptionScanner scanner;
    scanner.reset();
    std::string seen;
    int letter;
    while ((letter = scanner.next(args, kOptionString)) != OptionScanner::kEnd) {
        seen += static_cast<char>(letter);
        if (!scanner.value().empty()) seen += "[" + scanner.value() + "]";
    }
    if (firstOperand != nullptr) *firstOperand = scanner.nextIndex();
    return seen;
}

TEST(OptionScanner, GroupsValuesAndTheEndOfOptions) {
    std::size_t first = 0;
    EXPECT_EQ(scanAll({"z", "-KP", "-v3", "-v", "4", "-Idir", "a.h", "-K"}, &first),
              "KPv[3]v[4]I[dir]");
    EXPECT_EQ(first, 6u);  // no permutation: -K after a.h is an input file
    EXPECT_EQ(scanAll({"z", "-K", "--", "-P"}, &first), "K");
    EXPECT_EQ(first, 3u);
    EXPECT_EQ(scanAll({"z", "-K", "-", "-P"}, &first), "K");
    EXPECT_EQ(first, 2u);
    EXPECT_EQ(scanAll({"z", "-KIinc", "-lo"}, &first), "KI[inc]l[o]");
    EXPECT_EQ(first, 3u);
}

TEST(OptionScanner, IllegalLettersAndMissingValues) {
    testing::internal::CaptureStderr();
    std::size_t first = 0;
    EXPECT_EQ(scanAll({"prog", "-j:K", "-D"}, &first), "??K?");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "prog: illegal option -- j\nprog: illegal option -- :\n"
              "prog: option requires an argument -- D\n");
    EXPECT_EQ(first, 3u);
}

TEST(RunDriver, ConfigurationItemsAreCutAtEveryDash) {
    EXPECT_EQ(preprocessorItemsOf("-DWIN32 -DNDEBUG"),
              (std::vector<std::string>{"-DWIN32", "-DNDEBUG"}));
    EXPECT_EQ(preprocessorItemsOf("-DA=1 - DB"), (std::vector<std::string>{"-DA=1", "-DB"}));
    EXPECT_EQ(preprocessorItemsOf("-DX=a-b"), (std::vector<std::string>{"-DX=a", "-b"}));
    EXPECT_TRUE(preprocessorItemsOf("").empty());
}

TEST(RunDriver, TemporaryNamesTakeTheFirstFreeNumber) {
    test::TempDir dir;
    setenv("TMP", dir.path().c_str(), 1);
    EXPECT_EQ(temporaryFileName(), dir.path() + "/zvpp0.$$$");
    dir.write("zvpp0.$$$", "");
    EXPECT_EQ(temporaryFileName(), dir.path() + "/zvpp1.$$$");
    setenv("TMP", (dir.path() + "/").c_str(), 1);
    EXPECT_EQ(temporaryFileName(), dir.path() + "/zvpp1.$$$");
    unsetenv("TMP");
    EXPECT_EQ(temporaryFileName().rfind("./zvpp", 0), 0u);
}

TEST(RunDriver, OutputDirectoriesMustBeDirectories) {
    test::TempDir dir;
    EXPECT_EQ(checkOutputDirectory(dir.path(), "head "), dir.path() + "/");
    dir.write("file", "");
    try {
        checkOutputDirectory(dir.file("file"), "in option -lo dir ' ");
        FAIL();
    } catch (const yError& error) {
        EXPECT_EQ(error.level(), kSystem);
        EXPECT_EQ(std::string(error), "in option -lo dir ' " + dir.file("file") +
                                          " ' bad or not create \n");
    }
}

TEST(Messages, ReporterFormsAndVerboseThreshold) {
    std::ostringstream out;
    out << yError("x", 2) << "|" << yError("x", 3) << "|" << yError("x", 1) << "|"
        << yError("x", 0) << "|" << yError("x", 7);
    EXPECT_EQ(out.str(), "SYSTEM Error : x|FATAL Error : x|WARNING : x|INFO : x|unknow : x");

    int threshold = 2;
    yError message(threshold, "shown\n", 1);
    testing::internal::CaptureStdout();
    message.print();
    threshold = 1;  // read when printed
    message.print();
    threshold = 5;
    message.print();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "shown\n");
}

TEST(Messages, BufferedOutputIsDeliveredAtLineEnds) {
    std::vector<std::string> delivered;
    useBufferedOutput([&](const std::string& text) { delivered.push_back(text); });
    currentOutput() << "plain" << std::endl;
    EXPECT_TRUE(delivered.empty());
    currentOutput() << "line" << endLine;
    deliverBufferedOutput();
    useStandardOutput();
    EXPECT_EQ(delivered, (std::vector<std::string>{"plain\nline\n", ""}));
}

}  // namespace
}  // namespace zivrat
