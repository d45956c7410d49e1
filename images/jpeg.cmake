find_package(JPEG REQUIRED)
# orvalis_core links this module's libraries from the top directory, so the target must be seen there.
set_target_properties(JPEG::JPEG PROPERTIES IMPORTED_GLOBAL TRUE)
target_sources(core_images PRIVATE ${CMAKE_CURRENT_LIST_DIR}/jpeg_loader.cpp)
target_link_libraries(core_images PUBLIC JPEG::JPEG)
