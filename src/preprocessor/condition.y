/* The grammar of #if and #elif expressions. Only its tables are used: the
   evaluator in condition.cpp drives them and gives each rule its value, by
   rule number (1 is the first rule below, 29 the last). */
%define api.prefix {cexp}
%define api.push-pull push
%define parse.trace

%code top {
#include <iterator>
#include "preprocessor/condition_grammar.h"
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

S: e stop ;

e: e '*' e
 | e '/' e
 | e '%' e
 | e '+' e
 | e '-' e
 | e LS e
 | e RS e
 | e '<' e
 | e '>' e
 | e LE e
 | e GE e
 | e EQ e
 | e NE e
 | e '&' e
 | e '^' e
 | e '|' e
 | e ANDAND e
 | e OROR e
 | e '?' e ':' e
 | e ',' e
 | term ;

term: '-' term %prec UMINUS
    | '!' term
    | '~' term
    | '(' e ')'
    | DEFINED '(' number ')'
    | DEFINED number
    | number ;

%%

static void cexperror(const char*) {}

namespace zivrat::pp {
namespace {

template <typename T, std::size_t N>
std::vector<int> tableOf(const T (&items)[N]) {
    return std::vector<int>(std::begin(items), std::end(items));
}

}  // namespace

const ConditionTables& conditionTables() {
    static const ConditionTables tables = {
        tableOf(yypact),  tableOf(yydefact), tableOf(yypgoto), tableOf(yydefgoto),
        tableOf(yytable), tableOf(yycheck),  tableOf(yyr1),    tableOf(yyr2),
        tableOf(yystos),  tableOf(yytranslate),
        std::vector<const char*>(std::begin(yytname), std::end(yytname)),
        YYFINAL, YYLAST, YYNTOKENS, YYPACT_NINF, YYTABLE_NINF, YYMAXUTOK};
    return tables;
}

}  // namespace zivrat::pp
