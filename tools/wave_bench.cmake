# wave_bench: repaint times of the wave window's views for a long sound.
if(ORVALIS_UI)
  add_executable(wave_bench ${CMAKE_CURRENT_LIST_DIR}/wave_bench.cpp)
  target_link_libraries(wave_bench PRIVATE orvalis_ui)
endif()
