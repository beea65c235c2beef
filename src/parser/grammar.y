/* The declaration grammar (bison source). Rules are numbered from 1 in the
   order written here, the empty rules of the embedded actions included; the
   number of each rule stands in the comment at its end. */

%code requires {
#include "parser/value.h"
}

%code top {
// The parser's stacks start with room for 200 entries and double up to 10000.
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000
}

%code {
#include <cstdarg>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "parser/builder.h"
#include "parser/grammar.h"
#include "parser/scanner.h"
#include "parser/trace.h"

using namespace zivrat;

int zvdecllex(ZVDECLSTYPE* value);
void zvdeclerror(const char* message);

// The trace goes through the translator that prints its own texts.
#define YYFPRINTF(stream, ...) traceFragment(__VA_ARGS__)

namespace {

std::string_view tx(const DeclValue& value) { return value.text; }
std::string str(const DeclValue& value) { return value.text; }
const char* keyWord(const DeclValue& value) { return classKeyWord(value.number); }

// A parameter whose type is the rule's own value text.
void parameter(DeclValue& out, std::initializer_list<std::string_view> type, std::string_view name,
               std::uint32_t shape = PlainShape) {
    setText(out, type);
    addParameter(name, tx(out), shape);
}

void setWork(std::initializer_list<std::string_view> parts) {
    std::string& work = builderState().work;
    work.clear();
    for (std::string_view part : parts) work += part;
}

void appendWork(std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts) builderState().work += part;
}

void typedefItem(std::string_view name, std::initializer_list<std::string_view> workParts,
                 bool known, bool recordWork) {
    if (known) addKnownTypeName(std::string(name));
    appendWork(workParts);
    fileAddTypedefName(recordWork ? builderState().work : std::string(name));
}

// A typedef of a template instance; the declared name (with the member
// type it may name through "::") follows the arguments, so that the file
// page shows which name the typedef declares.
void templateTypedef(const DeclValue& modifier, const DeclValue& base, const DeclValue& arguments,
                     std::initializer_list<std::string_view> declared) {
    setWork({tx(modifier), " ", tx(base), " ", "< ", tx(arguments), " >"});
    appendWork(declared);
    fileAddTypedefName(builderState().work);
}

void endMemberClassDeclarator() { popClass(); }

void pickSkipToBody() {
    skipToText("{");
    skipBraces(false);
}

}  // namespace

// Failures raised by the model (a break request, a bad configured pattern)
// end the parse; the caller raises them again once the parser has cleaned up.
#define GUARDED(statement)                                     \
    do {                                                       \
        try {                                                  \
            statement;                                         \
        } catch (...) {                                        \
            parseFailure() = std::current_exception();         \
            YYABORT;                                           \
        }                                                      \
    } while (0)
}

%define api.prefix {zvdecl}
%define api.pure full
%define api.value.type {zivrat::DeclValue}
%define api.token.prefix {TOKEN_}
%define parse.error custom
%define parse.trace

%expect 30

%token CLASS 258 STRUCT 259 UNION 260 AUTO 261 DOUBLE 262 INT 263 LONGDOUBLE 264
%token BREAK 265 ELSE 266 LONG 267 SWITCH 268 CASE 269 ENUM 270 REGISTER 271
%token EXTERNC 272 EXTERNCPP 273 CHAR 274 EXTERN 275 RETURN 276 LONGLONG 277
%token CONST 278 FLOAT 279 SHORT 280 UNSIGNED 281 CONTINUE 282 FOR 283 SIGNED 284
%token VOID 285 DEFAULT 286 GOTO 287 SIZEOF 288 VOLATILE 289 DO 290 IF 291
%token STATIC 292 WHILE 293 BEGIN_ 294 END_ 295 TEMPLATE 296 USING 297
%token NAMESPACE 298 EXPLICIT 299 MUTABLE 300 TYPEDEF 301 THROW 302 NEW 303
%token DELETE 304 THIS 305 OPERATOR 306 PUBLIC 307 PROTECTED 308 PRIVATE 309
%token VIRTUAL 310 FRIEND 311 INLINE 312 OVERLOAD 313 IDENTIFIER 314
%token STRINGliteral 315 FLOATINGconstant 316 INTEGERconstant 317
%token CHARACTERconstant 318 OCTALconstant 319 HEXconstant 320 TYPEDEFname 321
%token ARROW 322 ICR 323 DECR 324 PE 325 ME 326 LS 327 RS 328 LSE 329 RSE 330
%token LE 331 GE 332 EQ 333 NE 334 EQQ 335 MEQ 336 DEQ 337 OREQ 338 XOREQ 339
%token PEQ 340 ANDAND 341 OROR 342 ELLIPSIS 343 CLCL 344 DOTstar 345
%token ARROWstar 346 PERCENT 347 LIBNAME 348 LIBVER 349 COMMENT_ 350
%token START_COMMENT 351 AUTHORS 352 EXAMPLE 353
%token ',' '[' ']' ';' '(' ')' '=' '+' '-' ':' '*' '<' '>' '|' '&' '/'
%token UMINUS 354
%token '~' '!' '^'

%left ANDAND OROR
%left '&' '|'
%left '+' '-'
%left '*' '/'
%left PERCENT
%left LS RS
%precedence UMINUS

%start program

%%

program
    : program objectDef                                                 /* 1 */
    | %empty                                                            /* 2 */
    ;

fParamModifier
    : %empty            { setText($$, {""}); }                          /* 3 */
    | UNSIGNED          { setText($$, {"unsigned "}); }                 /* 4 */
    | SIGNED            { setText($$, {"signed "}); }                   /* 5 */
    | CONST             { setText($$, {"const "}); }                    /* 6 */
    | REGISTER          { setText($$, {"register "}); }                 /* 7 */
    | CONST SIGNED      { setText($$, {"const signed "}); }             /* 8 */
    | CONST UNSIGNED    { setText($$, {"const unsigned "}); }           /* 9 */
    | VOLATILE          { setText($$, {"volatile "}); }                 /* 10 */
    ;

functionReturn
    : fParamModifier class_key  { setText($$, {tx($1), keyWord($2)}); } /* 11 */
    | fParamModifier ENUM       { setText($$, {tx($1), "enum "}); }     /* 12 */
    | fParamModifier                                                    /* 13 */
    ;

fvaleurItem
    : constantDef                                                       /* 14 */
    | TYPEDEFname CLCL IDENTIFIER  { setText($$, {tx($1), "::", tx($3)}); }  /* 15 */
    | TYPEDEFname CLCL IDENTIFIER '(' functionParamList ')'
        { setText($$, {tx($1), "::", tx($3), "(xx)"}); }                /* 16 */
    | IDENTIFIER '(' constantListDefOpt ')'   { setText($$, {tx($1), "(xx)"}); }  /* 17 */
    | TYPEDEFname '(' constantListDefOpt ')'  { setText($$, {tx($1), "(xx)"}); }  /* 18 */
    | '(' castDef ')' fvaleurItem  { setText($$, {"(", tx($2), ")", tx($4)}); }   /* 19 */
    | '~' '(' castDef ')' constantDef  { setText($$, {"~(", tx($3), ")", tx($5)}); }  /* 20 */
    ;

fvaleurList
    : fvaleurList '|' fvaleurItem  { setText($$, {tx($1), "|", tx($3)}); }  /* 21 */
    | fvaleurList '&' fvaleurItem  { setText($$, {tx($1), "&", tx($3)}); }  /* 22 */
    | fvaleurItem                                                       /* 23 */
    ;

castDef
    : TYPEDEFname                                                       /* 24 */
    | TYPEDEFname '*'                                                   /* 25 */
    | TYPEDEFname '&'                                                   /* 26 */
    ;

fvaleurDef
    : fvaleurList                                                       /* 27 */
    | '(' fvaleurDef ')'  { setText($$, {"(", tx($2), ")"}); }           /* 28 */
    ;

varNameParam
    : %empty                         { setText($$, {""}); }             /* 29 */
    | '=' fvaleurDef                 { setText($$, {"= ", tx($2)}); }   /* 30 */
    | IDENTIFIER                                                        /* 31 */
    | IDENTIFIER '[' ']'             { setText($$, {tx($1), "[]"}); }   /* 32 */
    | IDENTIFIER '[' constantDef ']' { setText($$, {tx($1), "[", tx($3), "]"}); }  /* 33 */
    | IDENTIFIER '[' ']' '=' fvaleurDef  { setText($$, {tx($1), "[]=", tx($5)}); }  /* 34 */
    | IDENTIFIER '=' fvaleurDef      { setText($$, {tx($1), " = ", tx($3)}); }  /* 35 */
    | '<' templateListParamParam '>'  { setText($$, {"<", tx($2), ">"}); }  /* 36 */
    | '<' templateListParamParam '>' '*'  { setText($$, {"<", tx($2), ">*"}); }  /* 37 */
    | '<' templateListParamParam '>' '*' '&'  { setText($$, {"<", tx($2), ">*&"}); }  /* 38 */
    | '<' templateListParamParam '>' '&'  { setText($$, {"<", tx($2), ">&"}); }  /* 39 */
    | '<' templateListParamParam '>' IDENTIFIER  { setText($$, {"<", tx($2), ">", tx($4)}); }  /* 40 */
    | '<' templateListParamParam '>' TYPEDEFname  { setText($$, {"<", tx($2), ">", tx($4)}); }  /* 41 */
    | '<' templateListParamParam '>' '*' IDENTIFIER  { setText($$, {"<", tx($2), ">*", tx($5)}); }  /* 42 */
    | '<' templateListParamParam '>' '*' TYPEDEFname  { setText($$, {"<", tx($2), ">*", tx($5)}); }  /* 43 */
    | '<' templateListParamParam '>' '*' '&' IDENTIFIER  { setText($$, {"<", tx($2), ">*&", tx($6)}); }  /* 44 */
    | '<' templateListParamParam '>' '*' '&' TYPEDEFname  { setText($$, {"<", tx($2), ">*&", tx($6)}); }  /* 45 */
    | '<' templateListParamParam '>' '&' IDENTIFIER  { setText($$, {"<", tx($2), ">&", tx($5)}); }  /* 46 */
    | '<' templateListParamParam '>' '&' TYPEDEFname  { setText($$, {"<", tx($2), ">&", tx($5)}); }  /* 47 */
    ;

functionParam
    : ELLIPSIS  { setText($$, {"..."}); addParameter("", "...", PlainShape); }  /* 48 */
    | UNSIGNED varNameParam  { setText($$, {"unsigned "}); addParameter(tx($2), "unsigned", PlainShape); }  /* 49 */
    | UNSIGNED '*' varNameParam  { parameter($$, {"unsigned *"}, tx($3)); }  /* 50 */
    | UNSIGNED '&' varNameParam  { parameter($$, {"unsigned &"}, tx($3)); }  /* 51 */
    | SIGNED varNameParam  { setText($$, {"signed "}); addParameter(tx($2), "signed", PlainShape); }  /* 52 */
    | SIGNED '*' varNameParam  { parameter($$, {"signed *"}, tx($3)); }  /* 53 */
    | SIGNED '&' varNameParam  { parameter($$, {"signed &"}, tx($3)); }  /* 54 */
    | functionReturn TYPEDEFname TYPEDEFname  { parameter($$, {tx($1), tx($2)}, tx($3)); }  /* 55 */
    | functionReturn TYPEDEFname varNameParam  { parameter($$, {tx($1), tx($2)}, tx($3)); }  /* 56 */
    | functionReturn IDENTIFIER varNameParam  { parameter($$, {tx($1), tx($2)}, tx($3)); }  /* 57 */
    | functionReturn TYPEDEFname '*' varNameParam  { parameter($$, {tx($1), tx($2), " *"}, tx($4)); }  /* 58 */
    | functionReturn IDENTIFIER '*' varNameParam  { parameter($$, {tx($1), tx($2), " *"}, tx($4)); }  /* 59 */
    | functionReturn TYPEDEFname '*' TYPEDEFname  { parameter($$, {tx($1), tx($2), " *"}, tx($4)); }  /* 60 */
    | functionReturn TYPEDEFname CONST '*' varNameParam  { parameter($$, {tx($1), tx($2), " *"}, tx($5)); }  /* 61 */
    | functionReturn TYPEDEFname '*' CONST '*' varNameParam
        { parameter($$, {tx($1), tx($2), " * const *"}, tx($6)); }      /* 62 */
    | functionReturn TYPEDEFname '*' '*' varNameParam  { parameter($$, {tx($1), tx($2), " **"}, tx($5)); }  /* 63 */
    | functionReturn TYPEDEFname '*' '*' '*' varNameParam
        { parameter($$, {tx($1), tx($2), " ***"}, tx($6)); }            /* 64 */
    | functionReturn TYPEDEFname '*' '*' '&' varNameParam
        { parameter($$, {tx($1), tx($2), " **&"}, tx($6)); }            /* 65 */
    | functionReturn TYPEDEFname '[' ']'  { parameter($$, {tx($1), tx($2), " []"}, "xx"); }  /* 66 */
    | functionReturn TYPEDEFname '*' '[' ']' varNameParam
        { parameter($$, {tx($1), tx($2), " *[]"}, tx($6)); }            /* 67 */
    | functionReturn TYPEDEFname '*' CONST '[' ']' varNameParam
        { parameter($$, {tx($1), tx($2), " *const[]"}, tx($7)); }       /* 68 */
    | functionReturn TYPEDEFname '[' constantDef ']' varNameParam
        { parameter($$, {tx($1), tx($2), " [", tx($4), "]"}, tx($6)); } /* 69 */
    | functionReturn TYPEDEFname '*' '&' varNameParam  { parameter($$, {tx($1), tx($2), " *&"}, tx($5)); }  /* 70 */
    | functionReturn TYPEDEFname '&' varNameParam  { parameter($$, {tx($1), tx($2), " &"}, tx($4)); }  /* 71 */
    | functionReturn TYPEDEFname CONST '&' varNameParam
        { parameter($$, {tx($1), tx($2), " const &"}, tx($5)); }        /* 72 */
    | functionReturn TYPEDEFname CLCL TYPEDEFname varNameParam
        { parameter($$, {tx($1), tx($2), "::", tx($4)}, tx($5)); }      /* 73 */
    | functionReturn TYPEDEFname '<' templateListParamParam '>' CLCL TYPEDEFname varNameParam
        { parameter($$, {tx($1), tx($2), "<", tx($4), ">::", tx($7)}, tx($8)); }  /* 74 */
    | functionReturn TYPEDEFname CLCL TYPEDEFname '*' varNameParam
        { parameter($$, {tx($1), tx($2), "::", tx($4), "*"}, tx($6)); } /* 75 */
    | functionReturn TYPEDEFname '<' templateListParamParam '>' CLCL TYPEDEFname '*' varNameParam
        { parameter($$, {tx($1), tx($2), "<", tx($4), ">::", tx($7), "*"}, tx($9)); }  /* 76 */
    | functionReturn TYPEDEFname CLCL TYPEDEFname '&' varNameParam
        { parameter($$, {tx($1), tx($2), "::", tx($4), "&"}, tx($6)); } /* 77 */
    | functionReturn TYPEDEFname '<' templateListParamParam '>' CLCL TYPEDEFname '&' varNameParam
        { parameter($$, {tx($1), tx($2), "<", tx($4), ">::", tx($7), "&"}, tx($9)); }  /* 78 */
    | functionReturn TYPEDEFname CLCL IDENTIFIER varNameParam
        { parameter($$, {tx($1), tx($2), "::", tx($4)}, tx($5)); }      /* 79 */
    | functionReturn TYPEDEFname CLCL IDENTIFIER '*' varNameParam
        { parameter($$, {tx($1), tx($2), "::", tx($4), "*"}, tx($6)); } /* 80 */
    | functionReturn TYPEDEFname CLCL IDENTIFIER '&' varNameParam
        { parameter($$, {tx($1), tx($2), "::", tx($4), "&"}, tx($6)); } /* 81 */
    | functionReturn '(' '*' varNameParam ')' '('
        { setParameterCapture(false); }                                 /* 82 */
      functionParamList ')'
        {
            setParameterCapture(true);
            parameter($$, {tx($1), "(*", tx($4), ")(", tx($8), ")"}, tx($4), FunctionPointerShape);
        }                                                               /* 83 */
    | functionReturn TYPEDEFname '(' '*' varNameParam ')' '('
        { setParameterCapture(false); }                                 /* 84 */
      functionParamList ')'
        {
            setParameterCapture(true);
            parameter($$, {tx($1), tx($2), "(*", tx($5), ")(", tx($9), ")"}, tx($5), FunctionPointerShape);
        }                                                               /* 85 */
    | functionReturn TYPEDEFname '(' TYPEDEFname CLCL '*' varNameParam ')' '('
        { setParameterCapture(false); }                                 /* 86 */
      functionParamList ')'
        {
            setParameterCapture(true);
            parameter($$, {tx($1), tx($2), "(*", tx($7), ")(", tx($11), ")"}, tx($7), FunctionPointerShape);
        }                                                               /* 87 */
    | functionReturn TYPEDEFname '*' '(' '*' varNameParam ')' '('
        { setParameterCapture(false); }                                 /* 88 */
      functionParamList ')'
        {
            setParameterCapture(true);
            parameter($$, {tx($1), tx($2), "*(*", tx($6), ")(", tx($10), ")"}, tx($6), FunctionPointerShape);
        }                                                               /* 89 */
    | functionReturn TYPEDEFname '&' '(' '*' varNameParam ')' '('
        { setParameterCapture(false); }                                 /* 90 */
      functionParamList ')'
        {
            setParameterCapture(true);
            parameter($$, {tx($1), tx($2), "&(*", tx($6), ")(", tx($10), ")"}, tx($6), FunctionPointerShape);
        }                                                               /* 91 */
    ;

templateListParamParamItem
    : fParamModifier                                                    /* 92 */
    | fParamModifier TYPEDEFname  { setText($$, {tx($2)}); }             /* 93 */
    | fParamModifier IDENTIFIER   { setText($$, {tx($2)}); }             /* 94 */
    | fParamModifier TYPEDEFname '*'  { setText($$, {tx($2), "*"}); }    /* 95 */
    | fParamModifier TYPEDEFname '&'  { setText($$, {tx($2), "&"}); }    /* 96 */
    | fParamModifier TYPEDEFname CLCL TYPEDEFname  { setText($$, {tx($2), "::", tx($4)}); }  /* 97 */
    | fParamModifier TYPEDEFname CLCL IDENTIFIER   { setText($$, {tx($2), "::", tx($4)}); }  /* 98 */
    | fParamModifier TYPEDEFname '<' templateListParamParam '>'
        { setText($$, {tx($2), "<", tx($4), ">"}); }                    /* 99 */
    | fParamModifier TYPEDEFname '<' templateListParamParam '>' '*'
        { setText($$, {tx($2), "<", tx($4), ">*"}); }                   /* 100 */
    | fParamModifier TYPEDEFname '<' templateListParamParam '>' '&'
        { setText($$, {tx($2), "<", tx($4), ">&"}); }                   /* 101 */
    | INTEGERconstant                                                   /* 102 */
    | OCTALconstant                                                     /* 103 */
    ;

templateListParamParam
    : templateListParamParamItem                                        /* 104 */
    | templateListParamParam ',' templateListParamParamItem
        { setText($$, {tx($1), ",", tx($3)}); }                         /* 105 */
    ;

elipDef
    : %empty                                                            /* 106 */
    | ELLIPSIS  { addParameter("", "...", PlainShape); }                 /* 107 */
    ;

functionParamList
    : %empty  { setText($$, {""}); }                                    /* 108 */
    | functionParamList ',' functionParam elipDef  { setText($$, {tx($1), ",", tx($3)}); }  /* 109 */
    | functionParam elipDef                                             /* 110 */
    ;

functionTerminal
    : ';'                          { $$.number = 0; }                   /* 111 */
    | '=' constantDef ';'          { $$.number = Pure; }                /* 112 */
    | ':'                          { $$.number = HasBody; pickSkipToBody(); }  /* 113 */
    | BEGIN_                       { $$.number = HasBody; skipBraces(false); }  /* 114 */
    | CONST ';'                    { $$.number = Const; }               /* 115 */
    | CONST '=' constantDef ';'    { $$.number = Const | Pure; }        /* 116 */
    | CONST ':'                    { $$.number = Const | HasBody; pickSkipToBody(); }  /* 117 */
    | CONST BEGIN_                 { $$.number = Const | HasBody; skipBraces(false); }  /* 118 */
    /* A throw list does not take the const away. */
    | CONST THROW '(' functionParamList ')' ';'  { $$.number = Const; }  /* 119 */
    | THROW '(' functionParamList ')' ';'        { $$.number = 0; }     /* 120 */
    ;

dataListItem
    : IDENTIFIER                  { noteExtraDeclarator(tx($1), PlainShape); }  /* 121 */
    | IDENTIFIER ':' constantDef  { noteExtraDeclarator(tx($1), PlainShape, tx($3)); }  /* 122 */
    | IDENTIFIER tabList          { noteExtraDeclarator(tx($1), PlainShape); }  /* 123 */
    | '*' IDENTIFIER              { noteExtraDeclarator(tx($2), PointerShape); }  /* 124 */
    | '*' IDENTIFIER tabList      { noteExtraDeclarator(tx($2), PointerShape); }  /* 125 */
    ;

dataListDef
    : dataListDef ',' dataListItem                                      /* 126 */
    | dataListItem                                                      /* 127 */
    ;

dataListDefOpt
    : %empty                                                            /* 128 */
    | ',' dataListDef                                                   /* 129 */
    ;

ptrFuntNameDef
    : IDENTIFIER                                                        /* 130 */
    | '*' IDENTIFIER  { setText($$, {tx($2)}); }                         /* 131 */
    | IDENTIFIER tabList                                                /* 132 */
    ;

splitDef
    : ';'                                 { recordDataMember(); }       /* 133 */
    | ':' constantDef dataListDefOpt ';'
        { appendBitFieldWidth(tx($2)); recordDataMember(); recordExtraDeclarators(); }  /* 134 */
    | ',' dataListDef ';'  { recordDataMember(); recordExtraDeclarators(); }  /* 135 */
    | '(' '*' ptrFuntNameDef ')' '(' { }                                /* 136 */
      functionParamList ')' ';'  { recordFunctionPointerMember(tx($3)); }  /* 137 */
    | '(' { }                                                           /* 138 */
      functionParamList ')' functionTerminal  { recordMemberFunction($5.number); }  /* 139 */
    ;

signedOpt
    : %empty     { setText($$, {""}); }                                 /* 140 */
    | SIGNED     { setText($$, {"signed "}); }                          /* 141 */
    | UNSIGNED   { setText($$, {"unsigned "}); }                        /* 142 */
    ;

fdModifierExtOpt
    : %empty     { setText($$, {""}); }                                 /* 143 */
    | fdModifierExt                                                     /* 144 */
    ;

fdModifierExtItem
    : VIRTUAL    { setText($$, {"virtual "}); }                         /* 145 */
    | INLINE     { setText($$, {"inline "}); }                          /* 146 */
    | STATIC     { setText($$, {"static "}); }                          /* 147 */
    | CONST      { setText($$, {"const "}); }                           /* 148 */
    | EXPLICIT   { setText($$, {"explicit "}); }                        /* 149 */
    | MUTABLE    { setText($$, {"mutable "}); }                         /* 150 */
    | FRIEND     { setText($$, {"friend "}); }                          /* 151 */
    ;

fdModifierExtList
    : fdModifierExtItem                                                 /* 152 */
    | fdModifierExtItem fdModifierExtList  { setText($$, {tx($1), tx($2)}); }  /* 153 */
    ;

fdModifierExt
    : fdModifierExtList                                                 /* 154 */
    | CLCL  { setText($$, {"::"}); }                                    /* 155 */
    ;

fdModifier
    : fdModifierExtOpt signedOpt  { setText($$, {tx($1), tx($2)}); }    /* 156 */
    ;

operatorType
    : '!'        { setText($$, {"!"}); }                                /* 157 */
    | '='        { setText($$, {"="}); }                                /* 158 */
    | EQ         { setText($$, {"=="}); }                               /* 159 */
    | '(' ')'    { setText($$, {"()"}); }                               /* 160 */
    | '[' ']'    { setText($$, {"[]"}); }                               /* 161 */
    | NE         { setText($$, {"!="}); }                               /* 162 */
    | PE         { setText($$, {"+="}); }                               /* 163 */
    | ME         { setText($$, {"-="}); }                               /* 164 */
    | '<'        { setText($$, {"<"}); }                                /* 165 */
    | LS         { setText($$, {"<<"}); }                               /* 166 */
    | LE         { setText($$, {"<="}); }                               /* 167 */
    | '>'        { setText($$, {">"}); }                                /* 168 */
    | RS         { setText($$, {">>"}); }                               /* 169 */
    | GE         { setText($$, {">="}); }                               /* 170 */
    | '+'        { setText($$, {"+"}); }                                /* 171 */
    | ICR        { setText($$, {"++"}); }                               /* 172 */
    | '-'        { setText($$, {"-"}); }                                /* 173 */
    | '*'        { setText($$, {"*"}); }                                /* 174 */
    | '/'        { setText($$, {"/"}); }                                /* 175 */
    | PERCENT    { setText($$, {"%"}); }                                /* 176 */
    | '&'        { setText($$, {"&"}); }                                /* 177 */
    | '|'        { setText($$, {"|"}); }                                /* 178 */
    | '~'        { setText($$, {"~"}); }                                /* 179 */
    | '^'        { setText($$, {"^"}); }                                /* 180 */
    | EQQ        { setText($$, {"&="}); }                               /* 181 */
    | MEQ        { setText($$, {"*="}); }                               /* 182 */
    | DEQ        { setText($$, {"/="}); }                               /* 183 */
    | OREQ       { setText($$, {"|="}); }                               /* 184 */
    | XOREQ      { setText($$, {"^="}); }                               /* 185 */
    | PEQ        { setText($$, {"%="}); }                               /* 186 */
    | DECR       { setText($$, {"--"}); }                               /* 187 */
    | ARROW      { setText($$, {"->"}); }                               /* 188 */
    | TYPEDEFname                                                       /* 189 */
    | UNSIGNED TYPEDEFname        { setText($$, {"unsigned ", tx($2)}); }  /* 190 */
    | TYPEDEFname '*'             { setText($$, {tx($1), "*"}); }       /* 191 */
    | CONST TYPEDEFname '*'       { setText($$, {"const ", tx($2), "*"}); }  /* 192 */
    | UNSIGNED TYPEDEFname '*'    { setText($$, {"unsigned ", tx($2), "*"}); }  /* 193 */
    | TYPEDEFname '&'             { setText($$, {tx($1), "&"}); }       /* 194 */
    | CONST TYPEDEFname '&'       { setText($$, {"const ", tx($2), "&"}); }  /* 195 */
    | TYPEDEFname '<' templateListParamParam '>'  { setText($$, {tx($1), "<", tx($3), ">"}); }  /* 196 */
    | DELETE                      { setText($$, {"delete"}); }          /* 197 */
    | NEW                         { setText($$, {"new"}); }             /* 198 */
    | DELETE '[' ']'              { setText($$, {"delete"}); }          /* 199 */
    | NEW '[' ']'                 { setText($$, {"new"}); }             /* 200 */
    ;

tabItem
    : '[' constantDef ']'                                               /* 201 */
    | '[' ']'                                                           /* 202 */
    ;

tabList
    : tabList tabItem                                                   /* 203 */
    | tabItem                                                           /* 204 */
    ;

returnParam
    : TYPEDEFname                 { builderState().mark = ""; }         /* 205 */
    | TYPEDEFname CONST           { setText($$, {tx($1), "const"}); builderState().mark = ""; }  /* 206 */
    | TYPEDEFname CONST '*'       { setText($$, {tx($1), "const *"}); builderState().mark = "*"; }  /* 207 */
    | TYPEDEFname '*' CONST       { setText($$, {tx($1), "* const"}); builderState().mark = "*"; }  /* 208 */
    | '*'                         { setText($$, {"int", "*"}); builderState().mark = "*"; }  /* 209 */
    | TYPEDEFname '*'             { setText($$, {tx($1), "*"}); builderState().mark = "*"; }  /* 210 */
    | TYPEDEFname '*' VOLATILE    { setText($$, {tx($1), "* volatile"}); builderState().mark = "*"; }  /* 211 */
    | TYPEDEFname '*' '*'         { setText($$, {tx($1), "**"}); builderState().mark = "**"; }  /* 212 */
    | TYPEDEFname '*' CONST '*'   { setText($$, {tx($1), "* const *"}); builderState().mark = "**"; }  /* 213 */
    | TYPEDEFname '*' CONST '&'   { setText($$, {tx($1), "* const &"}); builderState().mark = "*&"; }  /* 214 */
    | TYPEDEFname '*' '*' '*'     { setText($$, {tx($1), "***"}); builderState().mark = "**"; }  /* 215 */
    | TYPEDEFname '*' '*' '&'     { setText($$, {tx($1), "**&"}); builderState().mark = "**"; }  /* 216 */
    | TYPEDEFname '*' '&'         { setText($$, {tx($1), "*&"}); builderState().mark = "*&"; }  /* 217 */
    | TYPEDEFname '&'             { setText($$, {tx($1), "&"}); builderState().mark = "&"; }  /* 218 */
    | TYPEDEFname '<' templateListParamParam '>'
        { setText($$, {tx($1), "<", tx($3), ">"}); builderState().mark = ""; }  /* 219 */
    | TYPEDEFname '<' templateListParamParam '>' '*'
        { setText($$, {tx($1), "<", tx($3), ">*"}); builderState().mark = "*"; }  /* 220 */
    | TYPEDEFname '<' templateListParamParam '>' '&'
        { setText($$, {tx($1), "<", tx($3), ">&"}); builderState().mark = "&"; }  /* 221 */
    ;

functionDataName
    : IDENTIFIER                                                        /* 222 */
    | TYPEDEFname                                                       /* 223 */
    | IDENTIFIER '<' templateListParamParam '>'  { setText($$, {tx($1), "<", tx($3), ">"}); }  /* 224 */
    | IDENTIFIER '<' templateListParamParam '>' tabList  { setText($$, {tx($1), "<", tx($3), ">"}); }  /* 225 */
    | TYPEDEFname '<' templateListParamParam '>'  { setText($$, {tx($1), "<", tx($3), ">"}); }  /* 226 */
    | TYPEDEFname '<' templateListParamParam '>' tabList  { setText($$, {tx($1), "<", tx($3), ">"}); }  /* 227 */
    | IDENTIFIER tabList                                                /* 228 */
    | TYPEDEFname tabList                                               /* 229 */
    | TYPEDEFname '*'  { setText($$, {tx($1), "*"}); }                  /* 230 */
    | TYPEDEFname '&'  { setText($$, {tx($1), "&"}); }                  /* 231 */
    ;

functionDataDef2
    : fdModifier functionDataName  { setWorkingTexts("", tx($2), tx($1)); }  /* 232 */
    | fdModifier                   { setWorkingTexts("", "", tx($1)); }  /* 233 */
    | fdModifier returnParam functionDataName
        { setWorkingTexts("", tx($3), str($1) + str($2)); }             /* 234 */
    | fdModifier returnParam CLCL returnParam functionDataName
        { setWorkingTexts("", tx($5), str($2) + "::" + str($4)); }      /* 235 */
    ;

functionDataDef
    : functionDataDef2 splitDef                                         /* 236 */
    | fdModifier returnParam OPERATOR operatorType
        { setWorkingTexts("op", "operator " + str($4), str($1) + str($2)); }  /* 237 */
      splitDef                                                          /* 238 */
    | fdModifier OPERATOR operatorType
        { setWorkingTexts("op", "operator " + str($3), tx($1)); }       /* 239 */
      splitDef                                                          /* 240 */
    | fdModifier '~' TYPEDEFname '(' { dropCollectedParameters(); }    /* 241 */
      functionParamList ')' functionTerminal
        {
            builderState().type = str($1);
            addMemberFunction(str($3), builderState().type, $8.number | Destructor);
            attachFunctionComment();
        }                                                               /* 242 */
    | fdModifier TYPEDEFname CLCL functionDataName
        { setWorkingTexts("", tx($4), tx($1)); }                        /* 243 */
      splitDef                                                          /* 244 */
    | fdModifier TYPEDEFname CLCL IDENTIFIER functionDataName
        { setWorkingTexts("", tx($5), tx($1)); }                        /* 245 */
      splitDef                                                          /* 246 */
    | fdModifier TYPEDEFname CLCL returnParam functionDataName
        { setWorkingTexts("", tx($5), tx($4)); }                        /* 247 */
      splitDef                                                          /* 248 */
    | fdModifier TYPEDEFname CLCL OPERATOR operatorType
        { setWorkingTexts("op", "operator" + str($5), tx($1)); }        /* 249 */
      splitDef                                                          /* 250 */
    | fdModifier returnParam TYPEDEFname CLCL OPERATOR operatorType
        { setWorkingTexts("op", "operator" + str($6), tx($2)); }        /* 251 */
      splitDef                                                          /* 252 */
    | fdModifier TYPEDEFname CLCL TYPEDEFname OPERATOR operatorType
        { setWorkingTexts("op", "operator" + str($6), tx($2)); }        /* 253 */
      splitDef                                                          /* 254 */
    | fdModifier returnParam TYPEDEFname CLCL functionDataName
        { setWorkingTexts("", tx($5), str($1) + str($2) + "::"); }      /* 255 */
      splitDef                                                          /* 256 */
    | classDef2 ';'  { popClass(); }                                    /* 257 */
    | classDef2 '*'
        { popClass(); setWorkingTexts("", str($1) + " *", builderState().type); }  /* 258 */
      splitDef                                                          /* 259 */
    | classDef2 IDENTIFIER
        { popClass(); setWorkingTexts("", tx($2), tx($1)); }            /* 260 */
      splitDef                                                          /* 261 */
    | classDef2 IDENTIFIER tabItem
        { popClass(); setWorkingTexts("", tx($2), tx($1)); }            /* 262 */
      splitDef                                                          /* 263 */
    | classDef2 '*' IDENTIFIER
        { popClass(); setWorkingTexts("*", tx($3), tx($1)); }           /* 264 */
      splitDef                                                          /* 265 */
    | classDef2 '&' IDENTIFIER
        { popClass(); setWorkingTexts("&", tx($3), tx($1)); }           /* 266 */
      splitDef                                                          /* 267 */
    | CONST classDef2 '*' IDENTIFIER
        { popClass(); setWorkingTexts("*", tx($4), tx($2)); }           /* 268 */
      splitDef                                                          /* 269 */
    | classDef2 '*' VOLATILE IDENTIFIER
        { popClass(); setWorkingTexts("*", tx($4), tx($1)); }           /* 270 */
      splitDef                                                          /* 271 */
    | classDef2 '*' '*' IDENTIFIER
        { popClass(); setWorkingTexts("**", tx($4), tx($1)); }          /* 272 */
      splitDef                                                          /* 273 */
    | classDef2 TYPEDEFname
        { popClass(); setWorkingTexts("*", tx($2), tx($1)); }           /* 274 */
      splitDef                                                          /* 275 */
    | classDef2 TYPEDEFname tabItem
        { popClass(); setWorkingTexts("*", tx($2), tx($1)); }           /* 276 */
      splitDef                                                          /* 277 */
    | classDef2 '*' TYPEDEFname
        { popClass(); setWorkingTexts("*", tx($3), tx($1)); }           /* 278 */
      splitDef                                                          /* 279 */
    | classDef2 '&' TYPEDEFname
        { popClass(); setWorkingTexts("&", tx($3), tx($1)); }           /* 280 */
      splitDef                                                          /* 281 */
    | CONST classDef2 '*' TYPEDEFname
        { popClass(); setWorkingTexts("*", tx($4), tx($2)); }           /* 282 */
      splitDef                                                          /* 283 */
    | classDef2 '*' VOLATILE TYPEDEFname
        { popClass(); setWorkingTexts("*", tx($4), tx($1)); }           /* 284 */
      splitDef                                                          /* 285 */
    | classDef2 '*' '*' TYPEDEFname
        { popClass(); setWorkingTexts("**", tx($4), tx($1)); }          /* 286 */
      splitDef                                                          /* 287 */
    ;

classDef2
    : class_key derivationDef
        { GUARDED(beginClass(kAnonymousClassName, kAnonymousClassName, $1.number)); }  /* 288 */
      corpClassDef  { setText($$, {keyWord($1)}); }                     /* 289 */
    | STATIC class_key derivationDef
        { GUARDED(beginClass(kAnonymousClassName, kAnonymousClassName, $2.number)); }  /* 290 */
      corpClassDef  { setText($$, {keyWord($2)}); }                     /* 291 */
    | class_key IDENTIFIER
        { GUARDED(beginClass(str($2), str($2), $1.number)); }           /* 292 */
      derivationDef corpClassDef  { setText($$, {keyWord($1)}); }       /* 293 */
    | class_key TYPEDEFname
        { GUARDED(beginClass(str($2), str($2), $1.number)); }           /* 294 */
      derivationDef corpClassDef  { setText($$, {keyWord($1)}); }       /* 295 */
    | STATIC class_key IDENTIFIER
        { GUARDED(beginClass(str($3), str($3), $2.number)); }           /* 296 */
      derivationDef corpClassDef  { setText($$, {keyWord($2)}); }       /* 297 */
    | STATIC class_key TYPEDEFname
        { GUARDED(beginClass(str($3), str($3), $2.number)); }           /* 298 */
      derivationDef corpClassDef  { setText($$, {keyWord($2)}); }       /* 299 */
    | class_key IDENTIFIER   { setText($$, {keyWord($1), tx($2)}); pushClass(); }  /* 300 */
    | class_key TYPEDEFname
        { setText($$, {keyWord($1), tx($2)}); addKnownTypeName(str($2)); pushClass(); }  /* 301 */
    ;

TerminalconstantDef
    : IDENTIFIER                                                        /* 302 */
    | IDENTIFIER CHARACTERconstant  { setText($$, {tx($1), tx($2)}); }  /* 303 */
    | INTEGERconstant                                                   /* 304 */
    | HEXconstant                                                       /* 305 */
    | OCTALconstant                                                     /* 306 */
    | CHARACTERconstant                                                 /* 307 */
    | STRINGliteral2                                                    /* 308 */
    | FLOATINGconstant                                                  /* 309 */
    | SIZEOF '(' TYPEDEFname ')'  { setText($$, {"sizeof(", tx($3), ")"}); }  /* 310 */
    | NEW TYPEDEFname             { setText($$, {"new ", tx($2)}); }    /* 311 */
    | NEW TYPEDEFname '(' functionParamList ')'  { setText($$, {"new ", tx($2), tx($4)}); }  /* 312 */
    | CLCL IDENTIFIER             { setText($$, {"::", tx($2)}); }      /* 313 */
    | CLCL IDENTIFIER '(' functionParamList ')'  { setText($$, {"::", tx($2), tx($4)}); }  /* 314 */
    ;

constantDef
    : TerminalconstantDef                                               /* 315 */
    | constantDef '+' constantDef      { setText($$, {tx($1), "+", tx($3)}); }   /* 316 */
    | constantDef '-' constantDef      { setText($$, {tx($1), "-", tx($3)}); }   /* 317 */
    | constantDef '*' constantDef      { setText($$, {tx($1), "*", tx($3)}); }   /* 318 */
    | constantDef '/' constantDef      { setText($$, {tx($1), "/", tx($3)}); }   /* 319 */
    | constantDef LS constantDef       { setText($$, {tx($1), "<<", tx($3)}); }  /* 320 */
    | constantDef RS constantDef       { setText($$, {tx($1), ">>", tx($3)}); }  /* 321 */
    | constantDef PERCENT constantDef  { setText($$, {tx($1), "%", tx($3)}); }   /* 322 */
    | constantDef ANDAND constantDef   { setText($$, {tx($1), "&&", tx($3)}); }  /* 323 */
    | constantDef OROR constantDef     { setText($$, {tx($1), "||", tx($3)}); }  /* 324 */
    | constantDef '&' constantDef      { setText($$, {tx($1), "&", tx($3)}); }   /* 325 */
    | constantDef '|' constantDef      { setText($$, {tx($1), "|", tx($3)}); }   /* 326 */
    | '(' constantDef ')'              { setText($$, {"(", tx($2), ")"}); }      /* 327 */
    | '-' constantDef %prec UMINUS     { setText($$, {"-", tx($2)}); }           /* 328 */
    | '+' constantDef %prec UMINUS     { setText($$, {"+", tx($2)}); }           /* 329 */
    | '*' constantDef %prec UMINUS     { setText($$, {"*", tx($2)}); }           /* 330 */
    | '&' constantDef %prec UMINUS     { setText($$, {"&", tx($2)}); }           /* 331 */
    | '~' constantDef %prec UMINUS     { setText($$, {"~", tx($2)}); }           /* 332 */
    ;

constantListDefOpt
    : %empty                                                            /* 333 */
    | constantListDef                                                   /* 334 */
    ;

constantListDef
    : constantDef                                                       /* 335 */
    | constantListDef ',' constantDef                                   /* 336 */
    ;

enumObject
    : IDENTIFIER                                                        /* 337 */
    | IDENTIFIER '=' constantDef                                        /* 338 */
    | IDENTIFIER '=' '(' castDef ')' constantDef                        /* 339 */
    | IDENTIFIER '=' TYPEDEFname CLCL IDENTIFIER                        /* 340 */
    ;

enumListOpt
    : %empty                                                            /* 341 */
    | enumList                                                          /* 342 */
    ;

enumList
    : enumObject                                                        /* 343 */
    | enumList ','                                                      /* 344 */
    | enumList ',' enumObject                                           /* 345 */
    ;

enumDef
    : ENUM BEGIN_ enumListOpt END_                                      /* 346 */
    | ENUM IDENTIFIER BEGIN_ enumListOpt END_  { addKnownTypeName(str($2)); }  /* 347 */
    | ENUM TYPEDEFname BEGIN_ enumListOpt END_                          /* 348 */
    | ENUM TYPEDEFname                                                  /* 349 */
    | ENUM IDENTIFIER                                                   /* 350 */
    ;

enumDef2
    : enumDef varNameParam                                              /* 351 */
    | STATIC enumDef varNameParam                                       /* 352 */
    | CONST enumDef varNameParam                                        /* 353 */
    ;

friendExtDef
    : %empty                                                            /* 354 */
    | '<' templateListParamParam '>'                                    /* 355 */
    ;

friendDef
    : FRIEND class_key TYPEDEFname friendExtDef                         /* 356 */
    | FRIEND class_key IDENTIFIER friendExtDef  { addKnownTypeName(str($3)); }  /* 357 */
    ;

itemClass
    : accessModifier ':'                                                /* 358 */
    | functionDataDef                                                   /* 359 */
    | enumDef2 ';'                                                      /* 360 */
    | friendDef ';'                                                     /* 361 */
    | ';'                                                               /* 362 */
    | typeDef ';'                                                       /* 363 */
    ;

itemList
    : %empty                                                            /* 364 */
    | itemList itemClass                                                /* 365 */
    ;

corpClassDef
    : BEGIN_
        {
            // The body of an excluded class is read as if it were empty.
            if (builderState().excluded) skipBraces(true);
            enterClassBody();
        }                                                               /* 366 */
      itemList END_  { leaveClassBody(); }                              /* 367 */
    ;

class_key
    : CLASS    { $$.number = Class; }                                   /* 368 */
    | STRUCT   { $$.number = Struct; }                                  /* 369 */
    | UNION    { $$.number = Union; }                                   /* 370 */
    ;

accessModifier
    : PUBLIC     { setAccess(Public); }                                 /* 371 */
    | PRIVATE    { setAccess(Private); }                                /* 372 */
    | PROTECTED  { setAccess(Protected); }                              /* 373 */
    ;

derivationDef
    : %empty                                                            /* 374 */
    | ':' derivationList                                                /* 375 */
    ;

derivationList
    : parentClass                                                       /* 376 */
    | derivationList ',' parentClass                                    /* 377 */
    ;

parentClassExt
    : TYPEDEFname                                                       /* 378 */
    | TYPEDEFname '<' templateListParamParam '>'  { setText($$, {tx($1), "<", tx($3), ">"}); }  /* 379 */
    | IDENTIFIER '<' templateListParamParam '>'   { setText($$, {tx($1), "<", tx($3), ">"}); }  /* 380 */
    ;

parentClass
    : parentClassExt
        { if (!builderState().excluded) addBase(tx($1), kNoAccessWritten, false); }  /* 381 */
    | VIRTUAL accessSpecifierOpt parentClassExt
        { if (!builderState().excluded) addBase(tx($3), $2.number, true); }  /* 382 */
    | accessSpecifier virtualOpt parentClassExt
        { if (!builderState().excluded) addBase(tx($3), $1.number, $2.number != 0); }  /* 383 */
    ;

virtualOpt
    : %empty    { $$.number = 0; }                                      /* 384 */
    | VIRTUAL   { $$.number = 1; }                                      /* 385 */
    ;

accessSpecifierOpt
    : %empty    { $$.number = kNoAccessWritten; }                       /* 386 */
    | accessSpecifier                                                   /* 387 */
    ;

accessSpecifier
    : PUBLIC     { $$.number = Public; }                                /* 388 */
    | PROTECTED  { $$.number = Protected; }                             /* 389 */
    | PRIVATE    { $$.number = Private; }                               /* 390 */
    ;

templateExtDef
    : class_key IDENTIFIER
        { GUARDED(beginTemplateClass(str($2), $1.number, true)); }      /* 391 */
      derivationDef corpClassDef ';'                                    /* 392 */
    | class_key TYPEDEFname
        { GUARDED(beginTemplateClass(str($2), $1.number, true)); }      /* 393 */
      derivationDef corpClassDef ';'                                    /* 394 */
    | class_key IDENTIFIER ';'   { GUARDED(beginTemplateClass(str($2), $1.number, false)); }  /* 395 */
    | class_key TYPEDEFname ';'  { GUARDED(beginTemplateClass(str($2), $1.number, false)); }  /* 396 */
    | returnParam TYPEDEFname '<' templateListParamParam '>' CLCL IDENTIFIER
      '(' functionParamList ')' functionTerminalOutDef                  /* 397 */
    | TYPEDEFname '<' templateListParamParam '>' CLCL returnParam TYPEDEFname
      '<' templateListParamParam '>' CLCL IDENTIFIER '(' functionParamList ')'
      functionTerminalOutDef                                            /* 398 */
    | fdModifierExt returnParam TYPEDEFname '<' templateListParamParam '>' CLCL IDENTIFIER
      '(' functionParamList ')' functionTerminalOutDef                  /* 399 */
    | signedOpt TYPEDEFname '<' templateListParamParam '>' CLCL IDENTIFIER
      '(' functionParamList ')' functionTerminalOutDef                  /* 400 */
    | returnParam IDENTIFIER '(' functionParamList ')' functionTerminalOutDef  /* 401 */
    | fdModifierExtOpt IDENTIFIER '<' templateListParamParam '>' IDENTIFIER
      '(' functionParamList ')' functionTerminalOutDef                  /* 402 */
    | fdModifierExt returnParam '(' TYPEDEFname CLCL '*' IDENTIFIER
      '(' functionParamList ')' ')' '(' functionParamList ')' functionTerminalOutDef  /* 403 */
    | fdModifierExt returnParam IDENTIFIER '(' functionParamList ')'
      functionTerminalOutDef                                            /* 404 */
    | fdModifierExt returnParam OPERATOR operatorType '(' functionParamList ')'
      functionTerminalOutDef                                            /* 405 */
    | returnParam OPERATOR operatorType '(' functionParamList ')' functionTerminalOutDef  /* 406 */
    | TYPEDEFname '<' templateListParamParam '>' CLCL TYPEDEFname
      '(' functionParamList ')' functionTerminalOutDef                  /* 407 */
    | TYPEDEFname '<' templateListParamParam '>' CLCL TYPEDEFname
      '<' templateListParamParam '>' '(' functionParamList ')' functionTerminalOutDef  /* 408 */
    | fdModifierExt TYPEDEFname '<' templateListParamParam '>' CLCL TYPEDEFname
      '(' functionParamList ')' functionTerminalOutDef                  /* 409 */
    | TYPEDEFname '<' templateListParamParam '>' CLCL '~' TYPEDEFname
      '(' functionParamList ')' functionTerminalOutDef                  /* 410 */
    | TYPEDEFname '<' templateListParamParam '>' CLCL '~' TYPEDEFname
      '<' templateListParamParam '>' '(' functionParamList ')' functionTerminalOutDef  /* 411 */
    | fdModifierExt TYPEDEFname '<' templateListParamParam '>' CLCL '~' TYPEDEFname
      '(' functionParamList ')' functionTerminalOutDef                  /* 412 */
    | returnParam TYPEDEFname '<' templateListParamParam '>' CLCL OPERATOR operatorType
      '(' functionParamList ')' functionTerminalOutDef                  /* 413 */
    | fdModifierExt returnParam TYPEDEFname '<' templateListParamParam '>' CLCL OPERATOR
      operatorType '(' functionParamList ')' functionTerminalOutDef     /* 414 */
    | fdModifierExt TYPEDEFname '<' templateListParamParam '>' CLCL OPERATOR operatorType
      '(' functionParamList ')' functionTerminalOutDef                  /* 415 */
    | fdModifierExt returnParam TYPEDEFname '<' templateListParamParam '>' CLCL IDENTIFIER '='
        { skipToText(";"); }                                            /* 416 */
    | TYPEDEFname '<' templateListParamParam '>' CLCL returnParam TYPEDEFname
      '<' templateListParamParam '>' CLCL IDENTIFIER '='
        { skipToText(";"); }                                            /* 417 */
    ;

templateListParamItem
    : class_key IDENTIFIER
        { addTemplateParamName(str($2)); addTemplateParameter(tx($2), "class"); }  /* 418 */
    | TYPEDEFname IDENTIFIER  { addTemplateParameter(tx($2), tx($1)); }  /* 419 */
    | TYPEDEFname             { addTemplateParameter("", tx($1)); }      /* 420 */
    ;

templateListParam
    : templateListParamItem                                             /* 421 */
    | templateListParam ',' templateListParamItem                       /* 422 */
    ;

templateDef
    : TEMPLATE '<'
        { clearTemplateParameters(); }                                  /* 423 */
      templateListParam '>' templateExtDef  { clearTemplateParamNames(); }  /* 424 */
    ;

classDef
    : class_key derivationDef
        { GUARDED(beginClass(kAnonymousClassName, kAnonymousClassName, $1.number)); }  /* 425 */
      corpClassDef  { builderState().classDeclaratorPending = true; }   /* 426 */
    | STATIC class_key derivationDef
        { GUARDED(beginClass(kAnonymousClassName, kAnonymousClassName, $2.number)); }  /* 427 */
      corpClassDef  { builderState().classDeclaratorPending = true; }   /* 428 */
    | class_key IDENTIFIER
        { GUARDED(beginClass(str($2), str($2), $1.number)); }           /* 429 */
      derivationDef corpClassDef  { builderState().classDeclaratorPending = true; }  /* 430 */
    | class_key IDENTIFIER '<' templateListParamParam '>'
        {
            std::string name = str($2) + "<" + str($4) + ">";
            GUARDED(beginClass(name, name, $1.number));
        }                                                               /* 431 */
      derivationDef corpClassDef  { builderState().classDeclaratorPending = true; }  /* 432 */
    | class_key TYPEDEFname '<' templateListParamParam '>'
        { GUARDED(beginClass(str($2), str($2) + "<" + str($4) + ">", $1.number)); }  /* 433 */
      derivationDef corpClassDef  { builderState().classDeclaratorPending = true; }  /* 434 */
    | class_key TYPEDEFname
        { GUARDED(beginClass(str($2), str($2), $1.number)); }           /* 435 */
      derivationDef corpClassDef  { builderState().classDeclaratorPending = true; }  /* 436 */
    | STATIC class_key IDENTIFIER
        { GUARDED(beginClass(str($3), str($3), $2.number)); }           /* 437 */
      derivationDef corpClassDef  { builderState().classDeclaratorPending = true; }  /* 438 */
    | STATIC class_key TYPEDEFname
        { GUARDED(beginClass(str($3), str($3), $2.number)); }           /* 439 */
      derivationDef corpClassDef  { builderState().classDeclaratorPending = true; }  /* 440 */
    | class_key IDENTIFIER
        { declareClassHead(str($2)); builderState().classDeclaratorPending = true; }  /* 441 */
    | class_key TYPEDEFname
        { declareClassHead(str($2)); builderState().classDeclaratorPending = true; }  /* 442 */
    | CONST class_key IDENTIFIER
        { declareClassHead(str($3)); builderState().classDeclaratorPending = true; }  /* 443 */
    | CONST class_key TYPEDEFname
        { declareClassHead(str($3)); builderState().classDeclaratorPending = true; }  /* 444 */
    ;

dataListTypeItem
    : TYPEDEFname                                                       /* 445 */
    | IDENTIFIER          { typedefItem(tx($1), {" ", tx($1)}, true, false); }  /* 446 */
    | IDENTIFIER tabList  { typedefItem(tx($1), {" ", tx($1)}, true, false); }  /* 447 */
    | TYPEDEFname tabList { typedefItem(tx($1), {" ", tx($1)}, false, false); }  /* 448 */
    | CONST '*' IDENTIFIER  { typedefItem(tx($3), {" ", "* ", tx($3)}, true, true); }  /* 449 */
    | '*' IDENTIFIER        { typedefItem(tx($2), {" ", "* ", tx($2)}, true, true); }  /* 450 */
    | '*' '*' IDENTIFIER    { typedefItem(tx($3), {" ", "** ", tx($3)}, true, true); }  /* 451 */
    | '*' TYPEDEFname       { typedefItem(tx($2), {" ", "* ", tx($2)}, false, true); }  /* 452 */
    | '*' '*' TYPEDEFname   { typedefItem(tx($3), {" ", "** ", tx($3)}, false, true); }  /* 453 */
    | CONST '*' TYPEDEFname { typedefItem(tx($3), {" ", "* ", tx($3)}, false, true); }  /* 454 */
    | '&' IDENTIFIER        { typedefItem(tx($2), {" ", "& ", tx($2)}, true, true); }  /* 455 */
    | '&' TYPEDEFname       { typedefItem(tx($2), {" ", "& ", tx($2)}, false, true); }  /* 456 */
    | '*' '&' IDENTIFIER    { typedefItem(tx($3), {" ", "*& ", tx($3)}, true, true); }  /* 457 */
    | '*' '&' TYPEDEFname   { typedefItem(tx($3), {" ", "*& ", tx($3)}, false, true); }  /* 458 */
    | '*' '(' '*' IDENTIFIER ')' '(' functionParamList ')'
        { typedefItem(tx($4), {"*(*", tx($4), ")"}, true, true); }      /* 459 */
    | IDENTIFIER '(' functionParamList ')'
        { typedefItem(tx($1), {}, true, false); }                       /* 460 */
    | '*' IDENTIFIER '(' functionParamList ')'
        { typedefItem(tx($2), {}, true, false); }                       /* 461 */
    | TYPEDEFname '(' functionParamList ')'                             /* 462 */
    | '*' TYPEDEFname '(' functionParamList ')'                         /* 463 */
    ;

dataListTypeDef
    : dataListTypeItem                                                  /* 464 */
    | dataListTypeDef ',' dataListTypeItem                              /* 465 */
    ;

ClassDefModifier
    : classDef  { builderState().classDeclaratorPending = false; }      /* 466 */
    | class_key                                                         /* 467 */
    ;

typeDef
    : TYPEDEF fParamModifier TYPEDEFname
        { setWork({tx($2), " ", tx($3), " "}); }                        /* 468 */
      dataListTypeDef                                                   /* 469 */
    | TYPEDEF fParamModifier IDENTIFIER
        {
            addKnownTypeName(str($3));
            setWork({tx($2), " ", tx($3)});
            fileAddTypedefName(builderState().work);
        }                                                               /* 470 */
      dataListTypeDef                                                   /* 471 */
    | TYPEDEF fParamModifier TYPEDEFname CLCL IDENTIFIER
        { setWork({tx($2), tx($3), "::", tx($5)}); fileAddTypedefName(builderState().work); }  /* 472 */
      dataListTypeDef                                                   /* 473 */
    | TYPEDEF fParamModifier TYPEDEFname CLCL TYPEDEFname
        { setWork({tx($2), tx($3), "::", tx($5)}); fileAddTypedefName(builderState().work); }  /* 474 */
      dataListTypeDef                                                   /* 475 */
    | TYPEDEF fParamModifier IDENTIFIER
        {
            addKnownTypeName(str($3));
            setWork({tx($2), " ", tx($3)});
            fileAddTypedefName(builderState().work);
        }                                                               /* 476 */
    | TYPEDEF fParamModifier IDENTIFIER tabList
        {
            addKnownTypeName(str($3));
            setWork({tx($2), " ", tx($3)});
            fileAddTypedefName(builderState().work);
        }                                                               /* 477 */
    | TYPEDEF fParamModifier TYPEDEFname tabList                        /* 478 */
    | TYPEDEF fParamModifier TYPEDEFname '(' '*' IDENTIFIER ')' '(' functionParamList ')'
        { typedefItem(tx($6), {}, true, false); }                       /* 479 */
    | TYPEDEF fParamModifier TYPEDEFname '(' IDENTIFIER ')' '(' functionParamList ')'
        { typedefItem(tx($5), {}, true, false); }                       /* 480 */
    | TYPEDEF fParamModifier TYPEDEFname '(' '*' TYPEDEFname ')' '(' functionParamList ')'  /* 481 */
    | TYPEDEF fParamModifier TYPEDEFname '(' TYPEDEFname CLCL '*' IDENTIFIER ')'
      '(' functionParamList ')'
        { typedefItem(tx($8), {}, true, false); }                       /* 482 */
    | TYPEDEF fParamModifier '(' '*' IDENTIFIER ')' '(' functionParamList ')'
        { typedefItem(tx($5), {}, true, false); }                       /* 483 */
    | TYPEDEF fParamModifier '(' '*' TYPEDEFname ')' '(' functionParamList ')'  /* 484 */
    | TYPEDEF fParamModifier TYPEDEFname '<' templateListParamParam '>' IDENTIFIER
        { addKnownTypeName(str($7)); templateTypedef($2, $3, $5, {" ", tx($7)}); }  /* 485 */
    | TYPEDEF fParamModifier TYPEDEFname '<' templateListParamParam '>' TYPEDEFname
        { templateTypedef($2, $3, $5, {" ", tx($7)}); }                 /* 486 */
    | TYPEDEF fParamModifier TYPEDEFname '<' templateListParamParam '>' CLCL TYPEDEFname IDENTIFIER
        { addKnownTypeName(str($9)); templateTypedef($2, $3, $5, {"::", tx($8), " ", tx($9)}); }  /* 487 */
    | TYPEDEF fParamModifier TYPEDEFname '<' templateListParamParam '>' CLCL IDENTIFIER IDENTIFIER
        { addKnownTypeName(str($9)); templateTypedef($2, $3, $5, {"::", tx($8), " ", tx($9)}); }  /* 488 */
    | TYPEDEF fParamModifier TYPEDEFname '<' templateListParamParam '>' CLCL TYPEDEFname TYPEDEFname  /* 489 */
    | TYPEDEF ClassDefModifier IDENTIFIER  { GUARDED(nameClassByTypedef(str($3))); }  /* 490 */
    | TYPEDEF ClassDefModifier IDENTIFIER ',' dataListTypeDef
        { GUARDED(nameClassByFirstOfTypedefs(str($3))); }               /* 491 */
    | TYPEDEF ClassDefModifier '*' IDENTIFIER ',' dataListTypeDef
        { GUARDED(nameClassByFirstOfTypedefs(str($4))); }               /* 492 */
    | TYPEDEF ClassDefModifier '&' IDENTIFIER ',' dataListTypeDef
        { GUARDED(nameClassByFirstOfTypedefs(str($4))); }               /* 493 */
    | TYPEDEF ClassDefModifier IDENTIFIER tabList
        { GUARDED(nameClassByDerivedTypedef(str($3))); }                /* 494 */
    | TYPEDEF ClassDefModifier '*' IDENTIFIER
        { GUARDED(nameClassByDerivedTypedef(str($4))); }                /* 495 */
    | TYPEDEF ClassDefModifier '&' IDENTIFIER
        { GUARDED(nameClassByDerivedTypedef(str($4))); }                /* 496 */
    | TYPEDEF ClassDefModifier '*' '&' IDENTIFIER
        { GUARDED(nameClassByDerivedTypedef(str($5))); }                /* 497 */
    /* A typedef to a name already known still ends the class's scope. */
    | TYPEDEF ClassDefModifier TYPEDEFname  { popClass(); }             /* 498 */
    | TYPEDEF ClassDefModifier TYPEDEFname ',' dataListTypeDef  { popClass(); }  /* 499 */
    | TYPEDEF ClassDefModifier '*' TYPEDEFname  { popClass(); }         /* 500 */
    | TYPEDEF ClassDefModifier '&' TYPEDEFname  { popClass(); }         /* 501 */
    | TYPEDEF ClassDefModifier '*' '&' TYPEDEFname  { popClass(); }     /* 502 */
    | TYPEDEF enumDef IDENTIFIER  { nameEnumByTypedef(str($3)); }       /* 503 */
    | TYPEDEF enumDef IDENTIFIER ',' dataListTypeDef  { nameEnumByTypedef(str($3)); }  /* 504 */
    | TYPEDEF enumDef '*' IDENTIFIER  { nameEnumByTypedef(str($4)); }   /* 505 */
    | TYPEDEF enumDef '&' IDENTIFIER  { nameEnumByTypedef(str($4)); }   /* 506 */
    | TYPEDEF enumDef '*' '&' IDENTIFIER  { nameEnumByTypedef(str($5)); }  /* 507 */
    ;

scopeDefItem
    : TYPEDEFname CLCL                                                  /* 508 */
    ;

scopeDefList
    : scopeDefList scopeDefItem                                         /* 509 */
    | scopeDefItem                                                      /* 510 */
    ;

memberFunctionDef
    : fdModifier scopeDefList TYPEDEFname '('
        { skipParentheses(true); }                                      /* 511 */
      functionParamList ')' functionTerminalOutDef                      /* 512 */
    | fdModifier scopeDefList '~' TYPEDEFname '('
        { skipParentheses(true); }                                      /* 513 */
      functionParamList ')' functionTerminalOutDef                      /* 514 */
    | fdModifier scopeDefList IDENTIFIER '('
        { skipParentheses(true); }                                      /* 515 */
      functionParamList ')' functionTerminalOutDef                      /* 516 */
    | returnFunctionData scopeDefList IDENTIFIER '('
        { skipParentheses(true); }                                      /* 517 */
      functionParamList ')' functionTerminalOutDef                      /* 518 */
    | returnFunctionData scopeDefList IDENTIFIER dataTerminalOutDef ';' /* 519 */
    | returnFunctionData scopeDefList IDENTIFIER ';'                    /* 520 */
    | fdModifier scopeDefList returnParam IDENTIFIER dataTerminalOutDef ';'  /* 521 */
    | fdModifier scopeDefList returnParam IDENTIFIER ';'                /* 522 */
    | returnFunctionData scopeDefList OPERATOR operatorType '('
        { skipParentheses(true); }                                      /* 523 */
      functionParamList ')' functionTerminalOutDef                      /* 524 */
    | fdModifier scopeDefList OPERATOR operatorType '('
        { skipParentheses(true); }                                      /* 525 */
      functionParamList ')' functionTerminalOutDef                      /* 526 */
    | returnFunctionData '(' '*' IDENTIFIER '(' functionParamList ')' ')'
      '(' functionParamList ')' ';'                                     /* 527 */
    | returnFunctionData '(' '*' IDENTIFIER ')' '(' functionParamList ')' ';'  /* 528 */
    | returnFunctionData '(' '*' TYPEDEFname '(' functionParamList ')' ')'
      '(' functionParamList ')' ';'                                     /* 529 */
    | returnFunctionData '(' functionParamList ')'
        { builderState().name = builderState().type; }                  /* 530 */
      splitOutDef                                                       /* 531 */
    | returnFunctionData functionDataName
        { builderState().name = str($2); }                              /* 532 */
      splitOutDef                                                       /* 533 */
    | returnFunctionData OPERATOR operatorType
        { builderState().mark = "op"; builderState().name = "operator " + str($3); }  /* 534 */
      splitOutDef                                                       /* 535 */
    ;

returnFunctionData
    : fdModifier                    { setWorkingTexts("", builderState().name, tx($1)); }  /* 536 */
    | fdModifier returnParam        { setWorkingTexts("", builderState().name, str($1) + str($2)); }  /* 537 */
    | fdModifier returnParam INLINE
        { setWorkingTexts("", builderState().name, "inline " + str($1) + str($2)); }  /* 538 */
    ;

functionTerminalOutDef
    : ';'                                                               /* 539 */
    | CONST ';'                                                         /* 540 */
    | BEGIN_        { skipBraces(false); }                              /* 541 */
    | CONST BEGIN_  { skipBraces(false); }                              /* 542 */
    | ':'           { pickSkipToBody(); }                               /* 543 */
    | CONST THROW '(' functionParamList ')' ';'                         /* 544 */
    | THROW '(' functionParamList ')' ';'                               /* 545 */
    | ',' memberFunctionDef                                             /* 546 */
    ;

assigneArrayDef
    : '=' fvaleurDef                                                    /* 547 */
    | '=' BEGIN_  { skipBraces(false); }                                /* 548 */
    ;

dataTerminalOutItemDef
    : '[' ']'                                                           /* 549 */
    | '[' constantDef ']'                                               /* 550 */
    | assigneArrayDef                                                   /* 551 */
    | '[' ']' assigneArrayDef                                           /* 552 */
    | '[' constantDef ']' assigneArrayDef                               /* 553 */
    ;

dataTerminalOutDef
    : dataTerminalOutItemDef                                            /* 554 */
    | dataTerminalOutDef ',' IDENTIFIER dataTerminalOutItemDef          /* 555 */
    | dataTerminalOutDef ',' '*' IDENTIFIER dataTerminalOutItemDef      /* 556 */
    | dataTerminalOutDef ',' TYPEDEFname dataTerminalOutItemDef         /* 557 */
    | dataTerminalOutDef ',' '*' TYPEDEFname dataTerminalOutItemDef     /* 558 */
    ;

initialerParamDef
    : initialerParamDef ',' constantDef                                 /* 559 */
    | constantDef                                                       /* 560 */
    ;

splitOutDef
    : ';'                     { recordFileData(); }                     /* 561 */
    | assigneArrayDef ';'     { recordFileData(); }                     /* 562 */
    | ',' dataListDef ';'     { recordFileData(); recordExtraFileData(); }  /* 563 */
    | '(' initialerParamDef ')' ';'                                     /* 564 */
    | '(' functionParamList ')'
        { recordFileFunction(); }                                       /* 565 */
      functionTerminalOutDef                                            /* 566 */
    ;

functionDataOutDef
    : memberFunctionDef                                                 /* 567 */
    ;

linkage_specification
    : EXTERNC TYPEDEFname  { skipToText(";"); }                         /* 568 */
    | EXTERN functionDataOutDef                                         /* 569 */
    | EXTERN enumDef2 ';'                                               /* 570 */
    | EXTERNC BEGIN_ objectList END_                                    /* 571 */
    | EXTERNC objectDef                                                 /* 572 */
    | EXTERNCPP BEGIN_ objectList END_                                  /* 573 */
    | EXTERNC BEGIN_ END_                                               /* 574 */
    ;

namespaceDef
    : NAMESPACE BEGIN_ objectList END_                                  /* 575 */
    | NAMESPACE IDENTIFIER BEGIN_ objectList END_                       /* 576 */
    | NAMESPACE IDENTIFIER '=' IDENTIFIER ';'                           /* 577 */
    | NAMESPACE IDENTIFIER '=' IDENTIFIER CLCL IDENTIFIER ';'           /* 578 */
    | USING NAMESPACE IDENTIFIER ';'                                    /* 579 */
    | USING NAMESPACE IDENTIFIER CLCL IDENTIFIER ';'                     /* 580 */
    ;

objectList
    : objectList objectDef                                              /* 581 */
    | objectDef                                                         /* 582 */
    ;

preprocDef
    : commentDef                                                        /* 583 */
    ;

libNameDef
    : LIBNAME ':' IDENTIFIER  { std::cout << "libname : " << tx($3) << std::endl; }  /* 584 */
    ;

libAutorItem
    : IDENTIFIER                                                        /* 585 */
    ;

libAutorList
    : libAutorList ',' libAutorItem  { setText($$, {tx($1), ",", tx($3)}); }  /* 586 */
    | libAutorItem                                                      /* 587 */
    ;

libAutorDef
    : AUTHORS ':' libAutorList  { setAuthors(tx($3)); }                 /* 588 */
    ;

libVerDef
    : LIBVER ':' FLOATINGconstant  { setVersion(tx($3)); }              /* 589 */
    ;

libCommentDef
    : COMMENT_ BEGIN_  { captureToText("}"); }                          /* 590 */
    ;

libExampleDef
    : EXAMPLE BEGIN_  { captureToText("}"); }                           /* 591 */
    ;

commentItemDef
    : libNameDef                                                        /* 592 */
    | libAutorDef                                                       /* 593 */
    | libVerDef                                                         /* 594 */
    | libCommentDef                                                     /* 595 */
    | libExampleDef                                                     /* 596 */
    ;

commentCorpDef
    : commentCorpDef commentItemDef                                     /* 597 */
    | commentItemDef                                                    /* 598 */
    ;

commentDef
    : START_COMMENT commentCorpDef END_                                 /* 599 */
    ;

masterClassDef
    : classDef varNameParam splitOutDef          { finishFileLevelClass(tx($2)); }  /* 600 */
    | classDef '*' varNameParam splitOutDef      { finishFileLevelClass(tx($3)); }  /* 601 */
    | classDef '&' varNameParam splitOutDef      { finishFileLevelClass(tx($3)); }  /* 602 */
    ;

objectDef
    : masterClassDef                                                    /* 603 */
    | templateDef                                                       /* 604 */
    | typeDef ';'                                                       /* 605 */
    | enumDef2 ';'                                                      /* 606 */
    | functionDataOutDef                                                /* 607 */
    | namespaceDef                                                      /* 608 */
    | linkage_specification                                             /* 609 */
    | preprocDef                                                        /* 610 */
    | ';'                                                               /* 611 */
    ;

STRINGliteral2
    : STRINGliteral                                                     /* 612 */
    | STRINGliteral2 STRINGliteral
        {
            std::string_view first = tx($1);
            std::string_view second = tx($2);
            if (!first.empty()) first.remove_suffix(1);
            if (!second.empty()) second.remove_prefix(1);
            setText($$, {first, second});
        }                                                               /* 613 */
    ;

%%

int zvdecllex(ZVDECLSTYPE* value) { return nextToken(*value); }

void zvdeclerror(const char* message) { reportGrammarMessage(message); }

static int yyreport_syntax_error(const yypcontext_t* context) {
    yysymbol_kind_t expected[kMostExpectedListed];
    int count = yypcontext_expected_tokens(context, expected, kMostExpectedListed);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(symbolDisplayName(yysymbol_name(expected[i])));
    reportParseMessage(parseErrorMessage(names));
    return 0;
}

namespace zivrat {

int runDeclarationGrammar() { return zvdeclparse(); }

void setParserTraceLevel(int level) { zvdecldebug = level; }

int parserTraceLevel() { return zvdecldebug; }

// The generated tables count the start rule as rule 1; the grammar's own
// rules follow it.
int grammarRuleCount() { return YYNRULES - 1; }

std::string ruleLeftSide(int rule) { return symbolDisplayName(yysymbol_name(static_cast<yysymbol_kind_t>(yyr1[rule + 1]))); }

int ruleLength(int rule) { return yyr2[rule + 1]; }

void reportGrammarMessage(const char* message) {
    // The parser's only message of its own is the exhausted stack.
    reportParseMessage(std::strcmp(message, "memory exhausted") == 0 ? "parser stack overflow" : message);
}

std::string parseErrorMessage(const std::vector<std::string>& expected) {
    std::string message = "parse error";
    for (std::size_t i = 0; i < expected.size(); ++i) {
        message += i == 0 ? ", expecting `" : " or `";
        message += expected[i];
        message += "'";
    }
    return message;
}

std::string symbolDisplayName(const char* generatedName) {
    std::string_view name = generatedName;
    if (name == "end of file") return "$";
    if (name == "invalid token") return "$undefined.";
    if (name.substr(0, 2) == "$@") return std::string(name.substr(1));
    return std::string(name);
}

}  // namespace zivrat
