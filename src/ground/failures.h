// The failure kinds that travel up to the run driver. Besides these, a
// yError (ground/messages.h) is raised for messages that carry a level.
#pragma once

#include <stdexcept>
#include <string>

namespace zivrat {

// A message text raised without a level (option checks, the socket layer).
struct PlainMessage {
    std::string text;
};

// A text raised as a plain string object (file-level errors).
struct TextFailure {
    std::string text;
};

// The front end asked to stop the current run.
struct UserBreak {};

}  // namespace zivrat
