# orvalis-cli: headless access to the readers and generators; one cmd_*.cpp per subcommand.
file(GLOB cli_commands CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/cli/cmd_*.cpp)
add_executable(orvalis-cli ${CMAKE_CURRENT_SOURCE_DIR}/cli/main.cpp ${CMAKE_CURRENT_SOURCE_DIR}/cli/cli_options.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/cli/cli_pictures.cpp ${cli_commands})
target_link_libraries(orvalis-cli PRIVATE orvalis_core orvalis_pictures)
target_compile_definitions(orvalis-cli PRIVATE ORVALIS_VERSION="${PROJECT_VERSION}")
