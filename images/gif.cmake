target_sources(core_images PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/gif_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gif_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gif_to_bmp24.cpp)
