#include "ground/input_tracking.h"

namespace zivrat {

InputTracking& inputTracking() {
    static InputTracking tracking;
    return tracking;
}

void noteFileRead(const std::string& path) {
    InputTracking& tracking = inputTracking();
    if (tracking.active) tracking.filesRead.push_back(path);
}

bool notePageWrite(const std::string& pageName, std::string& path) {
    InputTracking& tracking = inputTracking();
    if (tracking.active) tracking.pagesWritten.push_back(pageName);
    return !tracking.placePage || tracking.placePage(pageName, path);
}

}  // namespace zivrat
