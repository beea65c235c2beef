#include "preprocessor_helpers.h"

#include <unistd.h>

#include <stdexcept>

#include "common/run_state.h"
#include "preprocessor/preprocessor.h"

namespace zivrat::test {

PreprocessorRun preprocessIn(const TempDir& dir, const std::string& source,
                             const std::vector<std::string>& options) {
    char previous[4096];
    if (::getcwd(previous, sizeof previous) == nullptr || ::chdir(dir.path().c_str()) != 0) {
        throw std::runtime_error("cannot enter the test folder");
    }
    PreprocessorRun run;
    std::vector<std::string> args{"zivrat"};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {"-o", "out.i", source});
    {
        ConsoleCapture capture(run.messages);
        run.errors = preprocess(args);
    }
    if (::chdir(previous) != 0) throw std::runtime_error("cannot leave the test folder");
    run.output = readFile(dir.file("out.i"));
    return run;
}

PreprocessorRun preprocessText(const std::string& text, const std::vector<std::string>& options) {
    TempDir dir;
    dir.write("f.c", text);
    return preprocessIn(dir, "f.c", options);
}

}  // namespace zivrat::test
