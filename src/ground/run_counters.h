// What a lenient run counts for its summary line.
#pragma once

namespace zivrat {

struct RunCounters {
    int inputs = 0;
    int inputsFailed = 0;  // could not be read or preprocessed at all
    int classesDocumented = 0;
    int declarationsSkipped = 0;  // by the parser's recovery
    int warnings = 0;
};

// Zeroed at the start of every run.
RunCounters& runCounters();

}  // namespace zivrat
