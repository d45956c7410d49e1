orvalis_gtest(test_gif SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_gif.cpp LIBS orvalis_core LABELS images)
