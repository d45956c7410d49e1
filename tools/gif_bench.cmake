# gif_bench: decode time of our GIF reader against giflib on the same large pictures.
find_package(GIF)
if(GIF_FOUND)
  add_executable(gif_bench ${CMAKE_CURRENT_LIST_DIR}/gif_bench.cpp)
  target_link_libraries(gif_bench PRIVATE orvalis_core GIF::GIF)
endif()
