/* The lenient grammar's additions to the declaration grammar. The build
   copies grammar.y under its own prefix and puts these parts in: the
   declarations before its rules, the rules after its last rule (so every
   rule keeps its number), and this epilogue instead of its own. */

/*@declarations*/
%token RESUME 400
%expect 30

/*@rules*/
/* A declaration the grammar cannot read: the token filter skips it to its
   end and then hands over RESUME. */
objectDef
    : error RESUME  { yyerrok; recoverAtFileLevel(); }
    ;

itemClass
    : error RESUME  { yyerrok; recoverInClassBody(); }
    ;

/*@epilogue*/
#include "parser/lenient.h"

int zvlenientlex(ZVLENIENTSTYPE* value) { return nextLenientToken(*value); }

void zvlenienterror(const char* message) { reportGrammarMessage(message); }

static int yyreport_syntax_error(const yypcontext_t* context) {
    yysymbol_kind_t expected[kMostExpectedListed];
    int count = yypcontext_expected_tokens(context, expected, kMostExpectedListed);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(symbolDisplayName(yysymbol_name(expected[i])));
    reportParseMessage(parseErrorMessage(names));
    beginLenientRecovery();
    return 0;
}

namespace zivrat {

int runLenientGrammar() { return zvlenientparse(); }

}  // namespace zivrat
