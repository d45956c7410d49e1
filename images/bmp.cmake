target_sources(core_images PRIVATE ${CMAKE_CURRENT_LIST_DIR}/dib.cpp ${CMAKE_CURRENT_LIST_DIR}/bmp_reader.cpp)
