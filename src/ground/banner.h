// The fixed texts of the console: banner, version and usage.
#pragma once

#include <string>

namespace zivrat {

// Writes the banner and decodes the head line that pages carry in their head.
void printBanner();
void printVersion();
void printUsage();

// The decoded head line (empty until the banner has been printed).
const std::string& decodedHeadLine();

}  // namespace zivrat
