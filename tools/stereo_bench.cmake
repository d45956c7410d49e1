# stereo_bench: times MakeStereo on a 1920 x 1080 depth picture with a 256 x 256 texture.
add_executable(stereo_bench ${CMAKE_CURRENT_SOURCE_DIR}/stereo_bench.cpp)
target_link_libraries(stereo_bench PRIVATE orvalis_core)
