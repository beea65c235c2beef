// The suite's entry point. Started with ZIVRAT_STAND_IN set, the suite's
// program plays zivrat instead of running tests: the same link, banner and
// end of program, but with a stand-in run that writes the pages of each
// input slowly and polls for a break all the while, so that a front end can
// stop it in the middle; or (ZIVRAT_STAND_IN_SETTINGS) with zivrat's own run
// followed by the settings it leaves.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "driver/run.h"
#include "frontend/link.h"
#include "ground/banner.h"
#include "ground/failures.h"
#include "ground/frontend_hooks.h"
#include "ground/messages.h"
#include "ground/settings.h"

namespace {

using namespace zivrat;

// How long the pages of one input take (ZIVRAT_STAND_IN_PAGE_MS).
std::chrono::milliseconds pageTime() {
    const char* ms = std::getenv("ZIVRAT_STAND_IN_PAGE_MS");
    return std::chrono::milliseconds(ms != nullptr ? std::atoi(ms) : 1500);
}

// With ZIVRAT_STAND_IN_DEAF set, the pages never poll for a break.
int standInRun(const std::vector<std::string>& arguments) {
    const bool polls = std::getenv("ZIVRAT_STAND_IN_DEAF") == nullptr;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        currentOutput() << arguments[i] << endLine;
        currentOutput() << "generating ..." << endLine;
        auto end = std::chrono::steady_clock::now() + pageTime();
        while (std::chrono::steady_clock::now() < end) {
            if (polls) checkBreak();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return 0;
}

// zivrat's own run, followed by some of the settings it leaves behind.
int runAndShowSettings(const std::vector<std::string>& arguments) {
    int result = runFromCommandLine(arguments);
    const RunSettings& settings = runSettings();
    currentOutput() << "htmlPath " << settings.htmlPath << ", verboseLevel " << settings.verboseLevel
                    << ", frames " << settings.frames << endLine;
    return result;
}

int playZivrat() {
    try {
        detectFrontEnd();
    } catch (const PlainMessage& message) {
        std::cout << "Socket error " << message.text << std::endl;
        return 1;
    }
    printBanner();
    if (std::getenv("ZIVRAT_STAND_IN_SETTINGS") != nullptr) {
        serveRequests(runAndShowSettings);
    } else {
        serveRequests(standInRun);
    }
    currentOutput() << endLine;
    currentOutput() << "Ok" << endLine;
    closeFrontEnd();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("ZIVRAT_STAND_IN") != nullptr) return playZivrat();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
