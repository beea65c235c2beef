# The page-writing benchmark: pages_bench model | pages_bench full ZIVRAT.
add_executable(pages_bench ${CMAKE_CURRENT_LIST_DIR}/pages_bench.cpp)
target_link_libraries(pages_bench PRIVATE zivrat_html)
