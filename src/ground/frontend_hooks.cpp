#include "ground/frontend_hooks.h"

#include "ground/messages.h"

namespace zivrat {
namespace {

std::function<void()>& breakPoll() {
    static std::function<void()> poll;
    return poll;
}

}  // namespace

void installFrontEndHooks(FrontEndHooks hooks) {
    breakPoll() = std::move(hooks.pollBreak);
    useBufferedOutput(std::move(hooks.deliver));
}

void removeFrontEndHooks() {
    breakPoll() = nullptr;
    useStandardOutput();
}

void checkBreak() {
    if (breakPoll()) breakPoll()();
}

}  // namespace zivrat
