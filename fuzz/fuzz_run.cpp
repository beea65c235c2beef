// Whole runs over one header: the first byte chooses the mode, the rest is
// the header.
#include "fuzz_support.h"

namespace {

std::vector<std::string> argumentsFor(std::uint8_t mode) {
    std::vector<std::string> args = {"zivrat"};
    switch (mode % 5) {
        case 0: break;                                // the default mode
        case 1: args.push_back("-P"); break;          // no preprocessing
        case 2: args.push_back("-C"); break;          // comments are descriptions
        case 3: args.insert(args.end(), {"-3", "-f", "-S"}); break;
        case 4: args.push_back("--lenient"); break;
    }
    args.insert(args.end(), {"-lo", "out", "h.h"});
    return args;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zivrat::fuzz::prepareProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const zivrat::fuzz::Sandbox& sandbox = zivrat::fuzz::Sandbox::instance();
    sandbox.write("h.h", data + 1, size - 1);
    zivrat::fuzz::runProgram(argumentsFor(data[0]));
    sandbox.checkAndClean({"h.h"});
    return 0;
}
