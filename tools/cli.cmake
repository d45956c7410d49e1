# orvalis-cli: headless access to the readers and generators; one cmd_*.cpp per subcommand.
file(GLOB cli_commands CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/cli/cmd_*.cpp)
add_executable(orvalis-cli ${CMAKE_CURRENT_SOURCE_DIR}/cli/main.cpp ${cli_commands})
target_link_libraries(orvalis-cli PRIVATE orvalis_core)
# The Mandelbrot depth picture is written as a 16-bit PNG through QtGui (no display needed).
find_package(Qt6 REQUIRED COMPONENTS Gui)
target_link_libraries(orvalis-cli PRIVATE Qt6::Gui)
