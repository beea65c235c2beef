// Texts that many runs write the same way, the program's version among
// them (taken from the build, as the program takes it).
#pragma once

#include <string>

#include "ground/version.h"

namespace zivrat::test {

// The banner, the first console line of every run.
inline const std::string kBannerLine = std::string("Zivrat Version ") + kVersionText + "\n";

// The warning of a run without zivrat.ini.
inline const std::string kNoIniWarning =
    "Zivrat Warning : no zivrat.ini file found, default language : English\n";

// The console lines before the first input when there is no zivrat.ini.
inline const std::string kConsoleHead = kBannerLine + kNoIniWarning;

// The program and its version, as page footers and heads name them.
inline const std::string kProgramAndVersion = std::string("Zivrat ") + kVersionText;

// The credit line in the head of every page.
inline const std::string kPagesWrittenBy =
    "Pages written by " + kProgramAndVersion + ", the C and C++ library documenter";

}  // namespace zivrat::test
