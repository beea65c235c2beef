// Reading the configuration file zivrat.ini into the run settings, the page
// words and the configuration lists.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>


namespace zivrat {


// Resets the run flags, then reads the file; false when it cannot be opened.
// A bad generator.html.version raises a TextFailure.
bool loadConfiguration(const std::string& path);

// The value after the first match of the key pattern at or after start;
// reports a missing key on the console and gives an empty text.
std::string readConfigValue(const std::string& text, const std::string& keyPattern,
                            std::size_t start);

// Removes "//" comments outside double quotes, up to the line feed.
void stripConfigComments(std::string& text);

// The field from start up to the separator (or the end), and that position.
std::pair<std::string, std::size_t> splitField(std::size_t start, char separator,
                                               const std::string& text);

// The fields of a list value, up to the first empty one.
std::vector<std::string> splitFields(const std::string& text, char separator);

}  // namespace zivrat
