find_package(PNG REQUIRED)
set_target_properties(PNG::PNG PROPERTIES IMPORTED_GLOBAL TRUE)
target_sources(core_images PRIVATE ${CMAKE_CURRENT_LIST_DIR}/png_reader.cpp)
target_link_libraries(core_images PUBLIC PNG::PNG)
