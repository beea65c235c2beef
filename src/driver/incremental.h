// Incremental lenient runs: a state file in the output folder records what
// each input read, wrote and documented; a later run with the same options
// documents again only the inputs whose files changed, and leaves the
// output folder as a full run over the same files would.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zivrat {

// The name of the state file in the output folder.
constexpr const char* kIncrementalStateName = "zivrat.incremental";

// Forgets what an earlier run in this process left.
void resetIncrementalRun();

// Starts an incremental run over the inputs args[firstInput..]: reads the
// state the last run left and checks that it was made with the same
// options, configuration and program; a full run otherwise (said so when the
// state was unusable).
void beginIncrementalRun(const std::vector<std::string>& args, std::size_t firstInput,
                         const std::vector<std::string>& preprocessorArgs,
                         const std::string& configurationFile);
bool incrementalRunActive();

// Whether the input at `position` (in args) can keep what the last run
// wrote for it: then its records stand for it in the run index and the
// run's counters, and it is not documented again.
bool reuseInput(std::size_t position);

// Around the documentation of an input: tracks what it reads and writes,
// and keeps it from writing pages that a later input writes last.
void startInput(std::size_t position);
void endInput(int result, bool parsed);

// Documents again (with `document`) the inputs whose version of a page is
// not on disk although they are the last to write it.
void repairPages(const std::function<void(std::size_t position)>& document);

// Runs `write` (the run-end index pages) and replaces only the pages whose
// content changed.
void writeRunEndPagesKeepingUnchanged(const std::function<void()>& write);

// Removes the pages that nothing writes any more and keeps the state for
// the next run.
void finishIncrementalRun();

}  // namespace zivrat
