// The texts that every page of a reproducible run shares, and a run in a
// test folder whose sources carry a fixed modification time.
#pragma once

#include <string>
#include <vector>

#include "common/console_texts.h"
#include "common/run_zivrat.h"
#include "common/temp_dir.h"

namespace zivrat::test {

// The modification time given to the sources, and its date text as the
// class tables and file pages show it.
constexpr long long kSourceEpoch = 880000000;
inline const std::string kSourceDate = "Thu Nov 20 04:26:40 1997\n";

// The footer with the date of SOURCE_DATE_EPOCH, and the end of the page.
inline const std::string kPageEnd =
    "<!--$$-->\n<hr><font size=2><b>Last update : </b>Mon Jan  5 09:03:07 1998\n"
    "</font> by <i>" + kProgramAndVersion + "</i><p>\n</BODY>\n</HTML>\n";

// "<HTML>\n<HEAD>\n" and the head of a class page, up to its "</HEAD>".
inline std::string classPageHead(const std::string& title) {
    return "<HTML>\n<HEAD>\n<!--\n\n" + kPagesWrittenBy + "\n!-->\n\n<TITLE>" + title +
           "</TITLE><P>\n";
}

// The target of every link from a class frame page.
inline const std::string kTopTarget = " TARGET=\"_top\"";

// The rows of a class table below its name cells, without pictures, for a
// class of the library misc declared in `file`; `target` follows each link.
inline std::string classTableRows(const std::string& file, const std::string& authors,
                                  const std::string& version, const std::string& target = "") {
    return "<tr align=left><td><font size=4><b>Library</font></b><td><b>: <a href=\"misc.html\"" +
           target + ">misc</a></b>\n" +
           "<td><font size=4><b>Source :</font><a href=\"http://localhost/" + file + "\"" +
           target + ">" + file + "</a></b>" +
           "<td><font size=4><b>File :</font><a href=\"" + file + ".html\"" + target + ">" +
           file + "</a></b>\n" +
           "<tr align=left><td><font size=4><b>Author :</font></b><td><b>: " + authors +
           "</b><td><font size=4><b>Update :</font><font size=3>" + kSourceDate +
           "</font></b>" +
           "<tr align=left><td><font size=4><b>Version :</font></b><td><b>: " + version +
           "</b>\n</table>\n";
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
