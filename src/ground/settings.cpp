#include "ground/settings.h"

namespace zivrat {

void RunSettings::resetFlags() {
    RunSettings defaults;
    htmlVersion = defaults.htmlVersion;
    frames = pictures = buildDatabase = addToDatabase = groupware = false;
    docSkeleton = keepTemporary = rebuildIndexes = shortNames = false;
    useHeaderFile = insertComments = lenient = incremental = false;
    preprocess = true;
}

RunSettings& runSettings() {
    static RunSettings settings;
    return settings;
}

}  // namespace zivrat
