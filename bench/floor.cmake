# A whole run against the file-system floor of the same work: floor_bench [ZIVRAT] [pairs].
add_executable(floor_bench ${CMAKE_CURRENT_SOURCE_DIR}/floor_bench.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/parser_header_generator.cpp)
target_compile_definitions(floor_bench PRIVATE ZIVRAT_BINARY="$<TARGET_FILE:zivrat>")
add_dependencies(floor_bench zivrat)
