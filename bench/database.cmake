# The class database benchmark: adds of 1,000 to 100,000 classes and the rebuild.
add_executable(database_bench ${CMAKE_CURRENT_LIST_DIR}/database_bench.cpp)
target_link_libraries(database_bench PRIVATE zivrat_driver)
