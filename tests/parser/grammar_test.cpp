// The declaration grammar: rule numbering, symbol names, trace, value slots
// and syntax-error messages.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "parse_fixture.h"
#include "parser/grammar.h"

namespace zivrat::test {
namespace {

using Grammar = RunStateTest;

// The left-hand side of every rule: each entry names the first rule of a run.
std::map<int, std::string> leftSideRuns() {
    std::map<int, std::string> runs = {
        {1, "program"}, {3, "fParamModifier"}, {11, "functionReturn"}, {14, "fvaleurItem"},
        {21, "fvaleurList"}, {24, "castDef"}, {27, "fvaleurDef"}, {29, "varNameParam"},
        {48, "functionParam"}, {92, "templateListParamParamItem"},
        {104, "templateListParamParam"}, {106, "elipDef"}, {108, "functionParamList"},
        {111, "functionTerminal"}, {121, "dataListItem"}, {126, "dataListDef"},
        {128, "dataListDefOpt"}, {130, "ptrFuntNameDef"}, {133, "splitDef"},
        {140, "signedOpt"}, {143, "fdModifierExtOpt"}, {145, "fdModifierExtItem"},
        {152, "fdModifierExtList"}, {154, "fdModifierExt"}, {156, "fdModifier"},
        {157, "operatorType"}, {201, "tabItem"}, {203, "tabList"}, {205, "returnParam"},
        {222, "functionDataName"}, {232, "functionDataDef2"}, {236, "functionDataDef"},
        {288, "classDef2"}, {302, "TerminalconstantDef"}, {315, "constantDef"},
        {333, "constantListDefOpt"}, {335, "constantListDef"}, {337, "enumObject"},
        {341, "enumListOpt"}, {343, "enumList"}, {346, "enumDef"}, {351, "enumDef2"},
        {354, "friendExtDef"}, {356, "friendDef"}, {358, "itemClass"}, {364, "itemList"},
        {366, "corpClassDef"}, {368, "class_key"}, {371, "accessModifier"},
        {374, "derivationDef"}, {376, "derivationList"}, {378, "parentClassExt"},
        {381, "parentClass"}, {384, "virtualOpt"}, {386, "accessSpecifierOpt"},
        {388, "accessSpecifier"}, {391, "templateExtDef"}, {418, "templateListParamItem"},
        {421, "templateListParam"}, {423, "templateDef"}, {425, "classDef"},
        {445, "dataListTypeItem"}, {464, "dataListTypeDef"}, {466, "ClassDefModifier"},
        {468, "typeDef"}, {508, "scopeDefItem"}, {509, "scopeDefList"},
        {511, "memberFunctionDef"}, {536, "returnFunctionData"},
        {539, "functionTerminalOutDef"}, {547, "assigneArrayDef"},
        {549, "dataTerminalOutItemDef"}, {554, "dataTerminalOutDef"},
        {559, "initialerParamDef"}, {561, "splitOutDef"}, {567, "functionDataOutDef"},
        {568, "linkage_specification"}, {575, "namespaceDef"}, {581, "objectList"},
        {583, "preprocDef"}, {584, "libNameDef"}, {585, "libAutorItem"},
        {586, "libAutorList"}, {588, "libAutorDef"}, {589, "libVerDef"},
        {590, "libCommentDef"}, {591, "libExampleDef"}, {592, "commentItemDef"},
        {597, "commentCorpDef"}, {599, "commentDef"}, {600, "masterClassDef"},
        {603, "objectDef"}, {612, "STRINGliteral2"}};
    // The embedded actions, each an empty rule just before the rule holding it.
    const int markers[] = {82,  84,  86,  88,  90,  136, 138, 237, 239, 241, 243, 245, 247,
                           249, 251, 253, 255, 258, 260, 262, 264, 266, 268, 270, 272, 274,
                           276, 278, 280, 282, 284, 286, 288, 290, 292, 294, 296, 298, 366,
                           391, 393, 423, 425, 427, 429, 431, 433, 435, 437, 439, 468, 470,
                           472, 474, 511, 513, 515, 517, 523, 525, 530, 532, 534, 565};
    int number = 1;
    for (int rule : markers) {
        std::string holder = std::prev(runs.upper_bound(rule))->second;
        if (runs.count(rule + 1) == 0) runs[rule + 1] = holder;
        runs[rule] = "@" + std::to_string(number++);
    }
    return runs;
}

TEST_F(Grammar, RulesKeepTheirNumbers) {
    ASSERT_EQ(grammarRuleCount(), 613);
    const std::map<int, std::string> runs = leftSideRuns();
    for (int rule = 1; rule <= 613; ++rule) {
        EXPECT_EQ(ruleLeftSide(rule), std::prev(runs.upper_bound(rule))->second) << "rule " << rule;
        if (ruleLeftSide(rule)[0] == '@') {
            EXPECT_EQ(ruleLength(rule), 0) << "rule " << rule;
        }
    }
    EXPECT_EQ(ruleLength(83), 9);
    EXPECT_EQ(ruleLength(398), 16);
    EXPECT_EQ(ruleLength(613), 2);
}

TEST_F(Grammar, SymbolNamesAsPrinted) {
    EXPECT_EQ(symbolDisplayName("end of file"), "$");
    EXPECT_EQ(symbolDisplayName("invalid token"), "$undefined.");
    EXPECT_EQ(symbolDisplayName("$@12"), "@12");
    EXPECT_EQ(symbolDisplayName("','"), "','");
    EXPECT_EQ(symbolDisplayName("TYPEDEFname"), "TYPEDEFname");
}

TEST_F(Grammar, TraceInTheProgramsOwnWords) {
    ParsedText parsed("__YYDEBUG__ON__ class A; __YYDEBUG__OFF__ class B;");
    const std::string& trace = parsed.standardOutput;
    EXPECT_EQ(trace.find("Next token is 258 (CLASS)\n"
                         "Shifting token 258 (CLASS), Entering state "),
              0u);
    EXPECT_NE(trace.find("Reading a token: Next token is 314 (IDENTIFIER)\n"), std::string::npos);
    const std::size_t reduction = trace.find("Reducing via rule 368 (line ");
    ASSERT_NE(reduction, std::string::npos);
    EXPECT_EQ(trace.find("), CLASS  -> class_key\nstate stack now 0 1\n", reduction),
              trace.find(')', reduction));
    EXPECT_NE(trace.find("\nstate stack now 0 1\nEntering state "), std::string::npos);
    EXPECT_NE(trace.find(", class_key IDENTIFIER  -> classDef\n"), std::string::npos);
    EXPECT_EQ(trace.find("Stack now"), std::string::npos);
    // Switched off inside the scanner: the line it started is left open.
    EXPECT_EQ(trace.substr(trace.size() - 18), "Reading a token: \n");
}

TEST_F(Grammar, TraceOfAnErrorAndAStackThatGrows) {
    std::string text = "__YYDEBUG__ON__ ";
    for (int i = 0; i < 40; ++i) text += "struct S" + std::to_string(i) + " {";
    text += "} . ";
    ParsedText parsed(text);
    // As the shift pushes the state, the stack grows before it is entered.
    EXPECT_NE(parsed.standardOutput.find("), Stack size increased to 400\nEntering state"),
              std::string::npos);
    EXPECT_NE(parsed.standardOutput.find("Next token is 46 ($undefined.)\n"), std::string::npos);
    EXPECT_NE(parsed.standardOutput.find("\nError: state stack now 0 1"), std::string::npos);
    EXPECT_EQ(parsed.console.substr(parsed.console.size() - 26), "Struct S39\n1: parse error\n");
}

TEST_F(Grammar, UndefinedTokensAreSyntaxErrors) {
    ParsedText parsed("int a;\nint b . c;");
    EXPECT_EQ(parsed.result, 1);
    EXPECT_EQ(parsed.console,
              "2: parse error, expecting `','' or `';'' or `'('' or `'=''\n");
}

TEST_F(Grammar, LongValueTextsAreCutToTheSlot) {
    std::string sum = "1";
    for (int i = 0; i < 400; ++i) sum += "+1";
    ParsedText parsed("class A { void f(int v = " + sum + ", " + std::string(600, 'p') + " q); };");
    EXPECT_EQ(parsed.result, 0);
    const ClassTag& a = parsed.classNamed("A");
    ASSERT_EQ(a.functions[0].params.size(), 2u);
    EXPECT_EQ(a.functions[0].params[0].name, ("v = " + sum).substr(0, 511));
    EXPECT_EQ(a.functions[0].params[1].type.size(), 511u);
}

}  // namespace
}  // namespace zivrat::test
