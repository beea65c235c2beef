#include "ground/run_counters.h"

namespace zivrat {

RunCounters& runCounters() {
    static RunCounters counters;
    return counters;
}

}  // namespace zivrat
