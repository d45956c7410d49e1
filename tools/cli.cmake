# orvalis-cli: headless access to the readers and generators; one cmd_*.cpp per subcommand.
# The formats that need Qt live in a module it loads on first use (cli/cli_formats.h).
file(GLOB cli_commands CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/cli/cmd_*.cpp)
add_library(orvalis-cli-formats MODULE ${CMAKE_CURRENT_SOURCE_DIR}/cli/cli_formats_module.cpp)
set_target_properties(orvalis-cli-formats PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(orvalis-cli-formats PRIVATE orvalis_pictures)
add_executable(orvalis-cli ${CMAKE_CURRENT_SOURCE_DIR}/cli/main.cpp ${CMAKE_CURRENT_SOURCE_DIR}/cli/cli_options.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/cli/cli_pictures.cpp ${cli_commands})
target_link_libraries(orvalis-cli PRIVATE orvalis_core ${CMAKE_DL_LIBS})
add_dependencies(orvalis-cli orvalis-cli-formats)
# Where the installed module lies, seen from the installed program.
file(RELATIVE_PATH cli_formats_installed ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${ORVALIS_CLI_FORMATS_DIR}/orvalis-cli-formats.so)
target_compile_definitions(orvalis-cli PRIVATE ORVALIS_VERSION="${PROJECT_VERSION}"
                                               ORVALIS_CLI_FORMATS_NAME="orvalis-cli-formats.so"
                                               ORVALIS_CLI_FORMATS_INSTALLED="${cli_formats_installed}")
