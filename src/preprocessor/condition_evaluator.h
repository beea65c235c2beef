// The evaluator of #if and #elif expressions: the lexer and the LALR loop are
// in condition.cpp, the value of each rule comes from the actions of
// condition.y (generated into the grammar's source by condition_skeleton.m4).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zivrat::pp {

class Preprocessor;

class ConditionEvaluator {
public:
    explicit ConditionEvaluator(Preprocessor& preprocessor);
    int parse();

    // Whether the grammar gives the rule (numbered as in the tables) a value.
    static bool ruleHasValue(int rule);

private:
    int nextToken(std::int32_t& value);
    std::int32_t numberValue(const std::string& text);
    std::int32_t lenientQueryValue(const std::string& name);
    // The value of a rule, `yyvsp` pointing at the value of its last symbol.
    std::int32_t ruleValue(int rule, const std::int32_t* yyvsp);
    void traceStack(const char* head, const std::vector<int>& states);

    enum class AfterDefined { kNo, kWord, kParenthesis };

    Preprocessor& pp_;
    AfterDefined afterDefined_ = AfterDefined::kNo;
    bool stopped_ = false;
    bool trace_;
};

}  // namespace zivrat::pp
