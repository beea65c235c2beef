// What one input reads and writes, for runs that document only the inputs
// whose files changed. The preprocessor, the companion-file reader and the
// page opener report here; nothing is kept unless tracking is on.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zivrat {

struct InputTracking {
    bool active = false;
    // Every file the input opened or looked for (an include candidate that
    // was not there counts: if it appears, the include finds another file).
    std::vector<std::string> filesRead;
    // The pages the input writes, in order, those skipped included.
    std::vector<std::string> pagesWritten;
    // Decides whether a page is written and where: false skips it; the path
    // may be changed. Empty: every page is written where it was asked.
    std::function<bool(const std::string& pageName, std::string& path)> placePage;
};

InputTracking& inputTracking();

// Notes a file read or looked for; does nothing while tracking is off.
void noteFileRead(const std::string& path);

// Notes a page about to be written and gives its path (which the caller
// passes in as the usual one); false when the page is to be skipped.
bool notePageWrite(const std::string& pageName, std::string& path);

}  // namespace zivrat
