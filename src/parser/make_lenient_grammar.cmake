# Writes the lenient grammar: grammar.y under the prefix zvlenient, with the
# parts of lenient_rules.y put in (see there). Called as
# cmake -DGRAMMAR=... -DADDITIONS=... -DOUTPUT=... -P make_lenient_grammar.cmake
file(READ "${GRAMMAR}" grammar)
file(READ "${ADDITIONS}" additions)

string(FIND "${additions}" "/*@declarations*/" declarationsAt)
string(FIND "${additions}" "/*@rules*/" rulesAt)
string(FIND "${additions}" "/*@epilogue*/" epilogueAt)
math(EXPR declarationsLength "${rulesAt} - ${declarationsAt}")
math(EXPR rulesLength "${epilogueAt} - ${rulesAt}")
string(SUBSTRING "${additions}" ${declarationsAt} ${declarationsLength} declarations)
string(SUBSTRING "${additions}" ${rulesAt} ${rulesLength} rules)
string(SUBSTRING "${additions}" ${epilogueAt} -1 epilogue)

string(REPLACE "zvdecl" "zvlenient" grammar "${grammar}")
string(REPLACE "ZVDECL" "ZVLENIENT" grammar "${grammar}")
string(REGEX REPLACE "\n%expect [0-9]+\n" "\n" grammar "${grammar}")

# The first "%%" line opens the rules, the last one the epilogue.
string(FIND "${grammar}" "\n%%\n" rulesStart)
string(FIND "${grammar}" "\n%%\n" epilogueStart REVERSE)
string(SUBSTRING "${grammar}" 0 ${rulesStart} head)
math(EXPR rulesBegin "${rulesStart} + 4")
math(EXPR rulesLength "${epilogueStart} - ${rulesBegin}")
string(SUBSTRING "${grammar}" ${rulesBegin} ${rulesLength} body)

file(WRITE "${OUTPUT}.new" "${head}\n${declarations}\n%%\n${body}\n${rules}\n%%\n${epilogue}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.new" "${OUTPUT}")
file(REMOVE "${OUTPUT}.new")
