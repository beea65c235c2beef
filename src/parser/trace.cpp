#include "parser/trace.h"

#include <cstdarg>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "parser/grammar.h"
#include "parser/scanner.h"

namespace zivrat {
namespace {

enum class Fragment { None, Stack, Symbol };

struct TraceState {
    Fragment open = Fragment::None;
    // The title of the symbol being printed ("Shifting", "$" for a symbol of
    // a reduced rule ...); kept until the next one.
    std::string title;
    std::vector<int> stack;
    // "Entering state" is held until its stack has been seen, so that the
    // stack left by a reduction can be printed before it.
    bool haveEntering = false;
    bool enteringReady = false;
    int entering = 0;
    bool afterReduction = false;
    int symbolsToReduce = 0;
    std::string reducedTo;
};

TraceState& traceState() {
    static TraceState state;
    return state;
}

bool is(const char* format, const char* text) { return std::strcmp(format, text) == 0; }

void printStack(const char* head, const std::vector<int>& stack, std::size_t count) {
    std::cout << head;
    for (std::size_t i = 0; i < count; ++i) std::cout << ' ' << stack[i];
    std::cout << '\n';
}

void flushEntering() {
    TraceState& state = traceState();
    if (!state.haveEntering || !state.enteringReady) return;
    std::cout << "Entering state " << state.entering << '\n';
    state.haveEntering = false;
}

void endStack() {
    TraceState& state = traceState();
    state.open = Fragment::None;
    if (state.haveEntering && !state.enteringReady) {
        if (state.afterReduction && !state.stack.empty()) {
            printStack("state stack now", state.stack, state.stack.size() - 1);
        }
        state.afterReduction = false;
        state.enteringReady = true;
    } else if (state.title == "Error: popping") {
        printStack("Error: state stack now", state.stack, state.stack.size());
        state.title.clear();
    }
}

void symbolNamed(const std::string& name, bool isToken) {
    TraceState& state = traceState();
    const int token = scannerState().lastToken;
    if (state.title == "Next token is") {
        std::cout << "Next token is " << token << " (" << name;
    } else if (state.title == "Shifting" && isToken) {
        if (name == "error") {
            std::cout << "Shifting error token, ";
        } else {
            std::cout << "Shifting token " << token << " (" << name << "), ";
        }
    } else if (state.title == "Error: discarding") {
        std::cout << "Discarding token " << token << " (" << name << ").\n";
    } else if (state.title == "$") {
        std::cout << name << ' ';
    } else if (state.title == "-> $$ =") {
        state.afterReduction = true;
    }
}

void endSymbol() {
    TraceState& state = traceState();
    state.open = Fragment::None;
    if (state.title == "Next token is") {
        std::cout << ")\n";
    } else if (state.title == "$" && --state.symbolsToReduce == 0) {
        std::cout << " -> " << state.reducedTo << '\n';
    }
}

void startReduction(int rule, int line) {
    TraceState& state = traceState();
    std::cout << "Reducing via rule " << rule << " (line " << line << "), ";
    state.reducedTo = ruleLeftSide(rule);
    state.symbolsToReduce = ruleLength(rule);
    if (state.symbolsToReduce == 0) std::cout << " -> " << state.reducedTo << '\n';
}

}  // namespace

void traceFragment(const char* format, ...) {
    TraceState& state = traceState();
    std::va_list args;
    va_start(args, format);
    if (is(format, "Stack size increased to %ld\n")) {
        std::cout << "Stack size increased to " << va_arg(args, long) << '\n';
    } else if (is(format, " %d")) {
        state.stack.push_back(va_arg(args, int));
    } else if (is(format, "\n")) {
        if (state.open == Fragment::Stack) endStack();
        else if (state.open == Fragment::Symbol) endSymbol();
    } else {
        flushEntering();
        if (is(format, "Starting parse\n") || is(format, "Now at end of input.\n")) {
            std::cout << format;
        } else if (is(format, "Entering state %d\n")) {
            state.haveEntering = true;
            state.enteringReady = false;
            state.entering = va_arg(args, int);
        } else if (is(format, "Stack now")) {
            state.open = Fragment::Stack;
            state.stack.clear();
        } else if (is(format, "Reading a token\n")) {
            std::cout << "Reading a token: ";
        } else if (is(format, "%s ")) {
            state.open = Fragment::Symbol;
            state.title = va_arg(args, const char*);
        } else if (is(format, "   $%d = ")) {
            state.open = Fragment::Symbol;
            state.title = "$";
        } else if (is(format, "%s %s (")) {
            const bool isToken = is(va_arg(args, const char*), "token");
            symbolNamed(symbolDisplayName(va_arg(args, const char*)), isToken);
        } else if (is(format, "Reducing stack by rule %d (line %d):\n")) {
            const int rule = va_arg(args, int);
            startReduction(rule, va_arg(args, int));
        }
    }
    va_end(args);
    std::cout.flush();
}

void finishTrace() {
    flushEntering();
    traceState() = TraceState();
}

}  // namespace zivrat
