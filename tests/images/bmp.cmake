orvalis_gtest(test_bmp SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_bmp.cpp LIBS orvalis_core LABELS unit)
