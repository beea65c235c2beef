// The texts that every page of a reproducible run shares, and a run in a
// test folder whose sources carry a fixed modification time.
#pragma once

#include <string>
#include <vector>

#include "common/run_zivrat.h"
#include "common/temp_dir.h"

namespace zivrat::test {

// The modification time given to the sources, and its date text as the
// class tables and file pages show it.
constexpr long long kSourceEpoch = 880000000;
inline const std::string kSourceDate = "Thu Nov 20 04:26:40 1997\n";

// The console lines before the first input when there is no zivrat.ini.
inline const std::string kConsoleHead =
    "Zivrat Version 1.0.2\n"
    "Zivrat Warning : no zivrat.ini file found, default language : English\n";

// The footer with the date of SOURCE_DATE_EPOCH, and the end of the page.
inline const std::string kPageEnd =
    "<!--$$-->\n<hr><font size=2><b>Last update : </b>Mon Jan  5 09:03:07 1998\n"
    "</font> by <i>Zivrat 1.0.2</i><p>\n</BODY>\n</HTML>\n";

// "<HTML>\n<HEAD>\n" and the head of a class page, up to its "</HEAD>".
inline std::string classPageHead(const std::string& title) {
    return "<HTML>\n<HEAD>\n<!--\n\n"
           "Pages written by Zivrat 1.0.2, the C and C++ library documenter"
           "\n!-->\n\n<TITLE>" +
           title + "</TITLE><P>\n";
}

// Writes the sources with the fixed modification time.
inline void writeSources(const TempDir& dir,
                         const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [name, text] : files) {
        dir.write(name, text);
        dir.touch(name, kSourceEpoch);
    }
}

// Runs zivrat in the folder with reproducible page dates.
inline RunResult runPages(const TempDir& dir, const std::vector<std::string>& args) {
    return runZivrat(dir.path(), args, reproducibleEnvironment());
}

}  // namespace zivrat::test
