target_sources(pinloom_core_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/sim/tap_state_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/sim/sim_device_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/sim/spi_flash_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/sim/nor_flash_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/sim/sim_board_test.cpp)
target_link_libraries(pinloom_core_tests PRIVATE pinloom_sim)
