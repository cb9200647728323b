target_sources(pinloom_core_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/bscan/sample_extest_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/bscan/pin_addressing_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/bscan/demo_board_test.cpp)
