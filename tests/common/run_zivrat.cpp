#include "common/run_zivrat.h"

#include "common/child_process.h"

namespace zivrat::test {

std::string zivratBinary() { return ZIVRAT_BINARY; }
std::string sourceDirectory() { return ZIVRAT_SOURCE_DIR; }

std::map<std::string, std::string> reproducibleEnvironment() {
    return {{"SOURCE_DATE_EPOCH", "883990987"}};  // Mon Jan  5 09:03:07 1998 UTC
}

RunResult runZivrat(const std::string& folder, const std::vector<std::string>& args,
                    const std::map<std::string, std::string>& environment, int timeoutSeconds) {
    std::vector<std::string> argv{"zivrat"};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess child({ZIVRAT_BINARY, argv, environment, folder});
    std::optional<Ending> ending = child.waitForEnd(std::chrono::seconds(timeoutSeconds));
    child.kill();
    RunResult result;
    result.status = ending ? ending->exitCode : -1;
    result.out = child.out();
    result.err = child.err();
    return result;
}

}  // namespace zivrat::test
