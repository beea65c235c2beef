// The configuration file: the input is zivrat.ini, beside the program, for
// a run over a fixed header.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zivrat::fuzz::prepareProcess();
    zivrat::fuzz::Sandbox::instance().write(
        "h.h", "#include \"g.h\"\nclass Shape { public: int area(); };\nclass yList {};\n");
    zivrat::fuzz::Sandbox::instance().write("g.h", "#define SIZE 4\nclass Grid { int a[SIZE]; };\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const zivrat::fuzz::Sandbox& sandbox = zivrat::fuzz::Sandbox::instance();
    sandbox.write("zivrat.ini", data, size);
    zivrat::fuzz::runProgram({"zivrat", "-lo", "out", "h.h"});
    sandbox.checkAndClean({"h.h", "g.h", "zivrat.ini"});
    return 0;
}
