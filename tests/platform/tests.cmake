target_sources(pinloom_core_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/ini_file_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/platform_test.cpp)
