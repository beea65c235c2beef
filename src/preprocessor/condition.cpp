// The value of an #if or #elif expression: a table-driven LALR(1) parser over
// the tables of condition.y, fed by tokens of the preprocessor's scanner (so
// macros are expanded first), with the classic trace under YYDEBUG2. The rule
// values are the grammar's actions (ConditionEvaluator::ruleValue).
#include <algorithm>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "preprocessor/condition_evaluator.h"
#include "preprocessor/condition_grammar.h"
#include "preprocessor/preprocessor_state.h"

namespace zivrat::pp {

int& conditionTraceLevel() {
    static int level = 0;
    return level;
}

namespace {

enum TokenCode {
    kEndOfInput = 0,
    kNumberToken = 258,
    kStop,
    kDefined,
    kEqual,
    kNotEqual,
    kLessEqual,
    kGreaterEqual,
    kLeftShift,
    kRightShift,
    kAndAnd,
    kOrOr,
};

constexpr int kNoToken = -2;
constexpr std::size_t kInitialDepth = 200;
constexpr std::size_t kMaxDepth = 10000;

bool isCharacterPrefix(const std::string& text) {
    return text == "L" || text == "u" || text == "U" || text == "u8";
}

// u, l, ll in any case and order (lenient mode).
bool isIntegerSuffix(const std::string& text) {
    return !text.empty() && text.size() <= 3 && text.find_first_not_of("uUlL") == std::string::npos;
}

int operatorCode(const std::string& text) {
    static const std::pair<const char*, int> kPairs[] = {
        {"||", kOrOr}, {"&&", kAndAnd}, {">>", kRightShift}, {"<<", kLeftShift},
        {">=", kGreaterEqual}, {"<=", kLessEqual}, {"!=", kNotEqual}, {"==", kEqual}};
    for (const auto& [spelling, code] : kPairs) {
        if (text == spelling) return code;
    }
    if (text.size() == 1 && std::string("+-*/%<>&^|?:!~(),").find(text[0]) != std::string::npos) {
        return static_cast<unsigned char>(text[0]);
    }
    return -1;
}

// Only the first character counts; escapes as in C, with octal digits
// (8 and 9 accepted) running to the closing quote.
std::int32_t characterValue(const std::string& text) {
    if (text.size() < 2) return 0;
    if (text[1] != '\\') return static_cast<signed char>(text[1]);
    if (text.size() < 3) return '\\';
    char escaped = text[2];
    switch (escaped) {
        case 'b': return 8;
        case 't': return 9;
        case 'n': return 10;
        case 'f': return 12;
        case 'r': return 13;
        default: break;
    }
    if (escaped < '0' || escaped > '9') return static_cast<signed char>(escaped);
    std::uint32_t value = 0;
    for (std::size_t i = 2; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 8u + static_cast<std::uint32_t>(text[i] - '0');
    }
    return static_cast<signed char>(static_cast<unsigned char>(value));
}

}  // namespace

ConditionEvaluator::ConditionEvaluator(Preprocessor& preprocessor)
    : pp_(preprocessor), trace_(conditionTraceLevel() != 0) {}

int Preprocessor::evaluateCondition() {
    ConditionEvaluator evaluator(*this);
    return evaluator.parse();
}

// The lexer: one token of the expression; 0 once the line's newline was given.
int ConditionEvaluator::nextToken(std::int32_t& value) {
    if (stopped_) return kEndOfInput;
    for (;;) {
        Token token = pp_.nextNonBlank(afterDefined_ == AfterDefined::kNo);
        std::string text = pp_.tokenText();
        value = 0;
        if (token == Token::kNewline) {
            afterDefined_ = AfterDefined::kNo;
            stopped_ = true;
            return kStop;
        }
        if (token == Token::kIdentifier) {
            if (text == "defined") {
                afterDefined_ = AfterDefined::kWord;
                return kDefined;
            }
            // L'x', u'x', U'x': the prefix of a wide character constant.
            if (pp_.options_.lenient && isCharacterPrefix(text) && pp_.peek(0) == '\'') continue;
            bool operand = afterDefined_ != AfterDefined::kNo;
            afterDefined_ = AfterDefined::kNo;
            if (pp_.options_.lenient && !operand) {
                value = lenientQueryValue(text);
                return kNumberToken;
            }
            if (pp_.options_.lenient && isIncludeQuery(text)) {
                value = 1;
                return kNumberToken;
            }
            value = pp_.definitionOf(text.data(), text.size()) >= 0 ? 1 : 0;
            return kNumberToken;
        }
        int code = -1;
        if (token == Token::kNumber) {
            value = numberValue(text);
            code = kNumberToken;
        } else if (token == Token::kCharacter) {
            value = characterValue(text);
            code = kNumberToken;
        } else if (token == Token::kOther) {
            code = operatorCode(text);
        }
        if (code < 0) {
            pp_.error("Illegal character " + text + " in preprocessor if");
            continue;
        }
        if (afterDefined_ == AfterDefined::kWord) {
            if (code == '(') {
                afterDefined_ = AfterDefined::kParenthesis;
                return code;
            }
            pp_.error("\"defined\" modifying non-identifier \"" + text + "\" in preprocessor if");
        }
        afterDefined_ = AfterDefined::kNo;
        return code;
    }
}

// Lenient mode: a name that is no macro. __has_include and
// __has_include_next say whether the include exists; a name called like a
// function (the other __has_ queries of today's compilers, or a macro from a
// header that was not found) is 0 with its operand, so that headers take
// their plain path; a plain name is 1 when defined, as always.
std::int32_t ConditionEvaluator::lenientQueryValue(const std::string& name) {
    if (isIncludeQuery(name)) return pp_.hasInclude(name == "__has_include_next") ? 1 : 0;
    if (pp_.skipCallOperand()) return 0;
    return pp_.definitionOf(name.data(), name.size()) >= 0 ? 1 : 0;
}

// 0x starts base 16, another leading 0 base 8 (where 8 and 9 still count);
// a final l or L is allowed.
std::int32_t ConditionEvaluator::numberValue(const std::string& text) {
    std::uint32_t base = 10;
    std::size_t i = 0;
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    } else if (text[0] == '0') {
        base = 8;
    }
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        std::uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else if ((c == 'l' || c == 'L') && i + 1 == text.size()) {
            break;
        } else if (pp_.options_.lenient && isIntegerSuffix(text.substr(i))) {
            break;
        } else {
            pp_.error("Illegal number " + text);
            break;
        }
        value = value * base + digit;
    }
    return static_cast<std::int32_t>(value);
}

void ConditionEvaluator::traceStack(const char* head, const std::vector<int>& states) {
    std::cout << head;
    for (int state : states) std::cout << ' ' << state;
    std::cout << '\n';
}

// Returns the expression's value; 1 after a syntax error, 2 when the stack
// would pass its largest size.
int ConditionEvaluator::parse() {
    const ConditionTables& t = conditionTables();
    std::vector<int> states{0};
    std::vector<std::int32_t> values{0};
    std::size_t capacity = kInitialDepth;
    int lookahead = kNoToken;
    int symbol = 0;
    std::int32_t lookaheadValue = 0;
    int state = 0;
    if (trace_) std::cout << "Starting parse\n";
    for (;;) {
        if (states.size() >= capacity) {
            if (capacity >= kMaxDepth) {
                pp_.error("parser stack overflow");
                return 2;
            }
            capacity = std::min(capacity * 2, kMaxDepth);
            if (trace_) std::cout << "Stack size increased to " << capacity << '\n';
        }
        if (trace_) std::cout << "Entering state " << state << '\n';
        int rule = 0;
        int index = t.pact[state];
        if (index != t.pactDefault) {
            if (lookahead == kNoToken) {
                if (trace_) std::cout << "Reading a token: ";
                lookahead = nextToken(lookaheadValue);
            }
            if (lookahead <= kEndOfInput) {
                lookahead = symbol = kEndOfInput;
                if (trace_) std::cout << "Now at end of input.\n";
            } else {
                symbol = lookahead <= t.maxToken ? t.translate[lookahead] : 2;
                if (trace_) std::cout << "Next token is " << lookahead << " (" << t.names[symbol] << ")\n";
            }
            index += symbol;
            if (index >= 0 && index <= t.last && t.check[index] == symbol) {
                int action = t.table[index];
                if (action > 0) {
                    if (action == t.finalState) return values.back();
                    if (trace_) std::cout << "Shifting token " << lookahead << " (" << t.names[symbol] << "), ";
                    if (lookahead != kEndOfInput) lookahead = kNoToken;
                    states.push_back(action);
                    values.push_back(lookaheadValue);
                    state = action;
                    continue;
                }
                rule = action == t.tableError ? 0 : -action;
            } else {
                rule = t.defact[state];
            }
        } else {
            rule = t.defact[state];
        }
        if (rule == 0) {
            pp_.error("parse error");
            while (states.size() > 1) {
                states.pop_back();
                values.pop_back();
                if (trace_) traceStack("Error: state stack now", states);
            }
            return 1;
        }
        std::size_t length = static_cast<std::size_t>(t.r2[rule]);
        std::size_t base = states.size() - length;
        if (trace_) {
            // The tables count the rules from 1 after the start rule; the trace
            // numbers them from that start rule at 0.
            std::cout << "Reducing via rule " << rule - 1 << " (line " << t.rline[rule] << "), ";
            for (std::size_t k = base; k < states.size(); ++k) std::cout << t.names[t.stos[states[k]]] << ' ';
            std::cout << " -> " << t.names[t.r1[rule]] << '\n';
        }
        std::int32_t value = ruleValue(rule, &values.back());
        states.resize(base);
        values.resize(base);
        if (trace_) traceStack("state stack now", states);
        int left = t.r1[rule] - t.tokenCount;
        int top = states.back();
        int target = t.pgoto[left] + top;
        state = target >= 0 && target <= t.last && t.check[target] == top ? t.table[target] : t.defgoto[left];
        states.push_back(state);
        values.push_back(value);
    }
}

}  // namespace zivrat::pp
