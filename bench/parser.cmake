# The declaration parser: 1x, 10x and 100x synthetic headers.
add_executable(parser_bench ${CMAKE_CURRENT_SOURCE_DIR}/parser_bench.cpp
                            ${CMAKE_CURRENT_SOURCE_DIR}/parser_header_generator.cpp)
target_compile_definitions(parser_bench PRIVATE ZIVRAT_BINARY="$<TARGET_FILE:zivrat>")
add_dependencies(parser_bench zivrat)
