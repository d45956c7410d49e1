# The everyday formats through Qt's reader, against Pillow's reading of the same files.
orvalis_gtest(test_qt_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_qt_reader.cpp LIBS orvalis_pictures LABELS images)
