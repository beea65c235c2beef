/* The #if and #elif grammar and each rule's value. condition_skeleton.m4 makes
   the actions ConditionEvaluator::ruleValue (pp_ is the preprocessor); the
   evaluator drives the tables with its own loop, whose trace prints the line
   of each rule: keep every rule on its line. */
%define api.prefix {cexp}
%define api.push-pull push
%define parse.trace
%skeleton "./condition_skeleton.m4"
%code top {
#include <iterator>
#include "preprocessor/condition_evaluator.h"
#include "preprocessor/condition_grammar.h"
#include "preprocessor/preprocessor_state.h"
}
%code { static void cexperror(const char*); }
%token number stop DEFINED EQ NE LE GE LS RS ANDAND OROR UMINUS
%token '=' '.'

%left ','
%right '?' ':'
%left OROR
%left ANDAND
%left '|' '^'
%left '&'
%nonassoc EQ NE
%nonassoc '<' '>' LE GE
%left LS RS
%left '+' '-'
%left '*' '/' '%'
%right UMINUS
%start S
%%

S: e stop { $$ = $1; } ;

e:
   e '*' e { $$ = wrap(bits($1) * bits($3)); }
 | e '/' e
   {   /* by -1: the wrapped negation, as the smallest value needs */
       if ($3 == 0) {
           pp_.warning("division by zero");
           $$ = 0;
       } else {
           $$ = $3 == -1 ? wrap(0u - bits($1)) : $1 / $3;
       } }
 | e '%' e
   {   /* by -1: 0, where the smallest value would overflow */
       if ($3 == 0) {
           pp_.warning("remainder by zero");
           $$ = 0;
       } else {
           $$ = $3 == -1 ? 0 : $1 % $3;
       } }
 | e '+' e { $$ = wrap(bits($1) + bits($3)); }
 | e '-' e { $$ = wrap(bits($1) - bits($3)); }
 | e LS e { $$ = wrap(bits($1) << (bits($3) & 31u)); }
 | e RS e { $$ = shiftRight($1, $3); }
 | e '<' e { $$ = $1 < $3; }
 | e '>' e { $$ = $1 > $3; }
 | e LE e { $$ = $1 <= $3; }
 | e GE e { $$ = $1 >= $3; }
 | e EQ e { $$ = $1 == $3; }
 | e NE e { $$ = $1 != $3; }
 | e '&' e { $$ = $1 & $3; }
 | e '^' e { $$ = $1 ^ $3; }
 | e '|' e { $$ = $1 | $3; }
 | e ANDAND e { $$ = $1 != 0 && $3 != 0; }
 | e OROR e { $$ = $1 != 0 || $3 != 0; }
 | e '?' e ':' e { $$ = $1 != 0 ? $3 : $5; }
 | e ',' e { $$ = $3; }
 | term { $$ = $1; }
 ;

term: '-' term %prec UMINUS
         { $$ = wrap(0u - bits($2)); }
    | '!' term { $$ = $2 == 0; }
    | '~' term { $$ = ~$2; }
    | '(' e ')' { $$ = $2; }
    | DEFINED '(' number ')' { $$ = $3; }
    | DEFINED number { $$ = $2; }
    | number { $$ = $1; } ;

%%

static void cexperror(const char*) {}

namespace zivrat::pp {
namespace {

template <typename T, std::size_t N>
std::vector<int> tableOf(const T (&items)[N]) {
    return std::vector<int>(std::begin(items), std::end(items));
}

// 32-bit arithmetic that wraps, done in unsigned so that nothing overflows.
std::int32_t wrap(std::uint32_t value) { return static_cast<std::int32_t>(value); }
std::uint32_t bits(std::int32_t value) { return static_cast<std::uint32_t>(value); }

// Sign-propagating, the count taken modulo 32.
std::int32_t shiftRight(std::int32_t value, std::int32_t count) {
    unsigned shift = bits(count) & 31u;
    return value < 0 ? wrap(~(~bits(value) >> shift)) : wrap(bits(value) >> shift);
}

}  // namespace

const ConditionTables& conditionTables() {
    static const ConditionTables tables = {
        tableOf(yypact),  tableOf(yydefact), tableOf(yypgoto), tableOf(yydefgoto),
        tableOf(yytable), tableOf(yycheck),  tableOf(yyr1),    tableOf(yyr2),
        tableOf(yystos),  tableOf(yytranslate), tableOf(yyrline),
        std::vector<const char*>(std::begin(yytname), std::end(yytname)),
        YYFINAL, YYLAST, YYNTOKENS, YYPACT_NINF, YYTABLE_NINF, YYMAXUTOK};
    return tables;
}

}  // namespace zivrat::pp
