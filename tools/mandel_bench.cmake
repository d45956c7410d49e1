# mandel_bench: the worker's spiral against a plain row-by-row loop over the same escape counts.
add_executable(mandel_bench ${CMAKE_CURRENT_LIST_DIR}/mandel_bench.cpp)
target_link_libraries(mandel_bench PRIVATE orvalis_core)
