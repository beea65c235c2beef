// Runs the built zivrat binary in a folder and captures what it writes.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace zivrat::test {

struct RunResult {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs zivrat with argv[0] "zivrat" and without PATH (so zivrat.ini is read
// from the folder) and the given arguments, in the folder, with TZ=UTC and
// without GUIZIVRAT, TMP, YYDEBUG and YYDEBUG2 unless `environment` sets them.
// Kills the program after `timeoutSeconds`.
RunResult runZivrat(const std::string& folder, const std::vector<std::string>& args,
                    const std::map<std::string, std::string>& environment = {},
                    int timeoutSeconds = 120);

// The path of the built binary.
std::string zivratBinary();
// The root of the source tree (for the examples and sample configuration).
std::string sourceDirectory();

// The environment of reproducible page dates.
std::map<std::string, std::string> reproducibleEnvironment();

}  // namespace zivrat::test
