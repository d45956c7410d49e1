target_sources(core_images PRIVATE ${CMAKE_CURRENT_LIST_DIR}/jpeg_core_stub.cpp)
