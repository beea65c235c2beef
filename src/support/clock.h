// The program's notion of "now". SOURCE_DATE_EPOCH, when set, stands for the
// current time so that pages and __DATE__/__TIME__ are reproducible.
#pragma once

#include <ctime>
#include <string>

namespace zivrat {

std::time_t currentTime();

// Broken-down local time of a moment.
std::tm localTimeOf(std::time_t when);

// The 24-character date text followed by a line feed, as in
// "Mon Jan  5 09:03:07 1998\n".
std::string dateText(std::time_t when);

}  // namespace zivrat
