# make_samples: writes the texture and depth pictures of samples/ (run it with the folder).
add_executable(make_samples ${CMAKE_CURRENT_SOURCE_DIR}/make_samples.cpp)
target_link_libraries(make_samples PRIVATE orvalis_core)
