// The declaration grammar behind a small interface: the parse itself, the
// trace switch, and the shape of its rules and symbols (for the trace).
#pragma once

#include <exception>
#include <string>
#include <vector>

namespace zivrat {

// Parses the scanner's input: 0 accepted, 1 syntax error, 2 stack overflow.
int runDeclarationGrammar();
// The same with the lenient grammar: the declaration grammar's rules, then
// the rules that let a parse go on after a declaration it cannot read.
int runLenientGrammar();

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

// A syntax error lists the acceptable tokens only when there are at most
// this many.
constexpr int kMostExpectedListed = 4;
// "parse error", then the acceptable tokens' names.
std::string parseErrorMessage(const std::vector<std::string>& expected);
// A message of the generated parser itself.
void reportGrammarMessage(const char* message);

// The name of a grammar symbol as the trace and the error messages print it.
std::string symbolDisplayName(const char* generatedName);

}  // namespace zivrat
