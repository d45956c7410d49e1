target_sources(core_images PRIVATE ${CMAKE_CURRENT_LIST_DIR}/bmp_core_stub.cpp)
