// What the layers below the front-end link need of it: a poll for a break
// request, and the delivery of buffered console output. The link installs
// both when a front end connects; without one the poll does nothing and the
// console writes to standard output.
#pragma once

#include <functional>
#include <string>

namespace zivrat {

struct FrontEndHooks {
    // Raises UserBreak when the front end asked to stop.
    std::function<void()> pollBreak;
    // Receives the buffered console text at each line end.
    std::function<void(const std::string&)> deliver;
};

void installFrontEndHooks(FrontEndHooks hooks);
void removeFrontEndHooks();

// Polled by long loops: raises UserBreak when the front end asked to stop.
void checkBreak();

}  // namespace zivrat
