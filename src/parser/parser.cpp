#include "parser/parser.h"

#include <cstdio>

#include "ground/settings.h"
#include "parser/builder.h"
#include "parser/grammar.h"
#include "parser/lenient.h"
#include "parser/scanner.h"
#include "parser/trace.h"

namespace zivrat {

std::exception_ptr& parseFailure() {
    static std::exception_ptr failure;
    return failure;
}

bool openScannerInput(const std::string& path) {
    closeScannerInput();
    scannerState().input = std::fopen(path.c_str(), "rb");
    scannerState().inputPath = path;
    return scannerState().input != nullptr;
}

void closeScannerInput() {
    ScannerState& state = scannerState();
    endScan();
    if (state.input != nullptr) std::fclose(state.input);
    state.input = nullptr;
}

int parseDeclarations() {
    BuilderState& builder = builderState();
    builder.classDeclaratorPending = false;
    // A parse that ended inside a function-pointer parameter must not leave
    // the next input without parameters.
    builder.captureParameters = true;
    parseFailure() = nullptr;
    builder.classBodies.clear();
    builder.extraDeclarators.clear();
    beginScan();
    resetLenientFilter();
    int result = runSettings().lenient ? runLenientGrammar() : runDeclarationGrammar();
    finishTrace();
    endScan();
    if (parseFailure()) {
        std::exception_ptr failure = parseFailure();
        parseFailure() = nullptr;
        std::rethrow_exception(failure);
    }
    return result;
}

void forgetModelReferences() { forgetBuilderReferences(); }

void setDeclarationTraceLevel(int level) { setParserTraceLevel(level); }

}  // namespace zivrat
