// The run-wide flags, levels and paths.
#pragma once

#include <cstdint>
#include <string>

namespace zivrat {

struct RunSettings {
    // Reset at every configuration load, that is at the start of every run.
    std::int8_t htmlVersion = 2;
    bool frames = false;
    bool pictures = false;
    bool buildDatabase = false;
    bool addToDatabase = false;
    bool groupware = false;
    bool docSkeleton = false;
    bool preprocess = true;
    bool keepTemporary = false;
    bool rebuildIndexes = false;
    bool shortNames = false;
    bool useHeaderFile = false;
    bool insertComments = false;
    // Tolerance of today's headers and one index for the whole run
    // (--lenient, or generator.lenient = "yes").
    bool lenient = false;
    // Documents again only the inputs whose files changed since the last
    // run into the same output folder (--incremental, lenient runs only).
    bool incremental = false;

    // Set once at program start; a later run keeps what an earlier one set.
    int verboseLevel = 2;
    std::string headerFileName;
    // Empty (current directory) or a directory name ending in one separator.
    std::string htmlPath;
    std::string docPath;
    std::string databasePath;

    void resetFlags();
};

RunSettings& runSettings();

}  // namespace zivrat
