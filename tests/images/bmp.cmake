orvalis_gtest(test_bmp SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_bmp.cpp LIBS orvalis_core LABELS unit)
# The picture command of orvalis-cli, run as a program.
orvalis_gtest(test_bmp_cli SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_bmp_cli.cpp LIBS orvalis_core LABELS unit)
target_compile_definitions(test_bmp_cli PRIVATE ORVALIS_CLI="$<TARGET_FILE:orvalis-cli>")
add_dependencies(test_bmp_cli orvalis-cli)
