orvalis_gtest(test_reader_regressions
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_reader_regressions.cpp
  LIBS orvalis_core
  LABELS images)
