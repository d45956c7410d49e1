# mandel_bench: the worker against a plain row-by-row scalar loop, and how fast a restart stops it.
add_executable(mandel_bench ${CMAKE_CURRENT_LIST_DIR}/mandel_bench.cpp)
target_link_libraries(mandel_bench PRIVATE orvalis_core)
