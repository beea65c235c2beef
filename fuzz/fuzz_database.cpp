// dico.dat and its journal: the input is the database file, then (after
// the separator) the journal; an add step (-a) and a rebuild (-i) run over
// them.
#include "fuzz_support.h"

#include <filesystem>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zivrat::fuzz::prepareProcess();
    zivrat::fuzz::Sandbox::instance().write("h.h", "class Added { int x; };\nclass Other {};\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const zivrat::fuzz::Sandbox& sandbox = zivrat::fuzz::Sandbox::instance();
    auto [database, journal] = zivrat::fuzz::splitInput(data, size, "@@journal@@");
    sandbox.write("dico.dat", database);
    if (journal.empty()) {
        sandbox.remove("dico.dat-journal");
    } else {
        sandbox.write("dico.dat-journal", journal);
    }
    zivrat::fuzz::runProgram({"zivrat", "-a", "-lo", "out", "h.h"});
    zivrat::fuzz::runProgram({"zivrat", "-lo", "out", "-i"});
    sandbox.checkAndClean({"h.h", "dico.dat", "dico.dat-journal"});
    sandbox.remove("dico.dat");
    sandbox.remove("dico.dat-journal");
    return 0;
}
