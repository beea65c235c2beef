// The #if grammar file itself: the lines its rules stand on are the lines the
// YYDEBUG2 trace prints, and the value of every rule is one of its actions.
#include <gtest/gtest.h>

#include <vector>

#include "preprocessor/condition_evaluator.h"
#include "preprocessor/condition_grammar.h"

namespace zivrat::test {
namespace {

using pp::conditionTables;
using pp::ConditionEvaluator;

// The tables number the rules from 1, where bison's own start rule stands;
// the grammar's rules follow it.
constexpr int kFirstGrammarRule = 2;

TEST(ConditionGrammar, RulesStandOnTheLinesTheTracePrints) {
    const std::vector<int> traceLines = {34, 37, 38, 46, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64,
                                         65, 66, 67, 68, 69, 70, 71, 74, 76, 77, 78, 79, 80, 81};
    const std::vector<int>& lines = conditionTables().rline;
    ASSERT_GE(lines.size(), static_cast<std::size_t>(kFirstGrammarRule));
    EXPECT_EQ(std::vector<int>(lines.begin() + kFirstGrammarRule, lines.end()), traceLines);
}

TEST(ConditionGrammar, EveryRuleHasAnAction) {
    const std::vector<int>& lines = conditionTables().rline;
    for (std::size_t rule = kFirstGrammarRule; rule < lines.size(); ++rule) {
        EXPECT_TRUE(ConditionEvaluator::ruleHasValue(static_cast<int>(rule))) << "rule on line " << lines[rule];
    }
    EXPECT_FALSE(ConditionEvaluator::ruleHasValue(static_cast<int>(lines.size())));
}

}  // namespace
}  // namespace zivrat::test
