orvalis_gtest(test_gif
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_gif_decoder.cpp ${CMAKE_CURRENT_LIST_DIR}/test_gif_loader.cpp
  LIBS core_images
  LABELS images)
