orvalis_gtest(test_jpeg
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_jpeg_loader.cpp
  LIBS orvalis_core
  LABELS images)
