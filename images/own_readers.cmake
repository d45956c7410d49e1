# Formats whose every case Qt's readers do not take: wide PGM and TGA, in plain C++.
target_sources(core_images PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pnm_reader.cpp ${CMAKE_CURRENT_LIST_DIR}/tga_reader.cpp)
