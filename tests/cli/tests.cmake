find_package(nlohmann_json REQUIRED)
target_sources(pinloom_core_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/cli/cli_adapter_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/cli/cli_bsdl_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/cli/cli_chain_test.cpp)
target_link_libraries(pinloom_core_tests PRIVATE nlohmann_json::nlohmann_json)
# The command tests run the built program.
add_dependencies(pinloom_core_tests pinloom-cli)
