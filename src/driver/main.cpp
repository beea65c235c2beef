#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "frontend/link.h"
#include "ground/banner.h"
#include "ground/failures.h"
#include "ground/messages.h"
#include "parser/parser.h"
#include "preprocessor/preprocessor.h"

namespace {

void readTraceLevels() {
    if (const char* level = std::getenv("YYDEBUG")) zivrat::setDeclarationTraceLevel(std::atoi(level));
    if (const char* level = std::getenv("YYDEBUG2")) zivrat::setConditionTraceLevel(std::atoi(level));
}

// A failure that no run-level handling takes ends the program: the socket
// layer's with status 1, any other (a bad generator.html.version, an invalid
// language pattern in the configuration) with its text and status -1.
int endOnFailure() {
    try {
        throw;
    } catch (const zivrat::PlainMessage& message) {
        std::cout << "Socket error " << message.text << std::endl;
        zivrat::closeFrontEnd();
        return 1;
    } catch (const zivrat::TextFailure& failure) {
        std::cerr << failure.text << std::endl;
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << std::endl;
    } catch (const zivrat::UserBreak&) {
        std::cerr << "Zivrat stop by user break ..." << std::endl;
    }
    zivrat::closeFrontEnd();
    return 255;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zivrat;
    try {
        detectFrontEnd();
    } catch (const PlainMessage& message) {
        std::cout << "Socket error " << message.text << std::endl;
        return 1;
    }
    int result = 0;
    try {
        printBanner();
        readTraceLevels();
        if (frontEndMode()) {
            serveRequests(runFromCommandLine);
        } else {
            result = runFromCommandLine(std::vector<std::string>(argv, argv + argc));
        }
    } catch (...) {
        return endOnFailure();
    }
    currentOutput() << endLine;
    if (result == 0) currentOutput() << "Ok" << endLine;
    closeFrontEnd();
    // A run result of -1 is the process status 255.
    return result & 0xff;
}
