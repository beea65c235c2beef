#                                                          -*- Autoconf -*-
# The bison skeleton of the #if expression grammar (condition.y).
#
# The evaluator in condition.cpp drives the grammar's tables with its own LALR
# loop, so the generated parser function is never called. This skeleton writes
# the ordinary C parser (for its tables) without the grammar's actions, and
# appends the actions after the epilogue as two members of ConditionEvaluator:
#   ruleValue(rule, yyvsp)  the value of a rule (numbered as in the tables),
#                           yyvsp pointing at the value of its last symbol;
#   ruleHasValue(rule)      whether the grammar gives the rule an action.
# So each rule's value is written once, next to the rule, and bison itself
# numbers the rules and turns $n into operands.

m4_define([zivrat_actions], m4_defn([b4_actions]))
m4_undefine([b4_actions])

# The label of one action, without its code.
m4_define([zivrat_action_label], [[        case $1:]])

m4_define([zivrat_action_labels],
[m4_pushdef([b4_case], m4_defn([zivrat_action_label]))zivrat_actions[]m4_popdef([b4_case])])

m4_define([zivrat_rule_functions],
[[
namespace zivrat::pp {

std::int32_t ConditionEvaluator::ruleValue(int yyn, const std::int32_t* yyvsp) {
    std::int32_t yyval = 0;
    switch (yyn) {
]zivrat_actions[
        default: break;
    }
    return yyval;
}

bool ConditionEvaluator::ruleHasValue(int yyn) {
    switch (yyn) {
]zivrat_action_labels[            return true;
        default:
            return false;
    }
}

}  // namespace zivrat::pp
]])

m4_define([b4_epilogue], m4_defn([b4_epilogue])[zivrat_rule_functions])

m4_include(b4_skeletonsdir/[yacc.c])
