// The parser trace: the generated parser reports its steps in fragments,
// which are printed on standard output as this program's own trace lines
// ("Entering state 5", "Reducing via rule 368 (line 900), CLASS  -> class_key").
#pragma once

namespace zivrat {

// One printf-style fragment of the generated parser's trace.
void traceFragment(const char* format, ...);

// Prints what is held back and starts afresh for the next parse.
void finishTrace();

}  // namespace zivrat
