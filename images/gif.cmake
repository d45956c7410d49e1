target_sources(core_images PRIVATE ${CMAKE_CURRENT_LIST_DIR}/gif_core_stub.cpp)
