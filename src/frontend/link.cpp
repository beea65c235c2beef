#include "frontend/link.h"

namespace zivrat {

// Placeholders until the front-end link lands: always direct mode.
void detectFrontEnd() {}
bool frontEndMode() { return false; }
void serveRequests() {}
void checkBreak() {}
void closeFrontEnd() {}

}  // namespace zivrat
