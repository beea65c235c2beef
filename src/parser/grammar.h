// The declaration grammar behind a small interface: the parse itself, the
// trace switch, and the shape of its rules and symbols (for the trace).
#pragma once

#include <exception>
#include <string>

namespace zivrat {

// Parses the scanner's input: 0 accepted, 1 syntax error, 2 stack overflow.
int runDeclarationGrammar();

void setParserTraceLevel(int level);
int parserTraceLevel();

// A failure raised by a grammar action; the parse ends and the caller
// raises it again.
std::exception_ptr& parseFailure();

// The number of grammar rules (numbered from 1).
int grammarRuleCount();
// The left-hand side's name and the right-hand side's length of a rule.
std::string ruleLeftSide(int rule);
int ruleLength(int rule);

// The name of a grammar symbol as the trace and the error messages print it.
std::string symbolDisplayName(const char* generatedName);

}  // namespace zivrat
