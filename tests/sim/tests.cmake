target_sources(pinloom_core_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/sim/tap_state_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/sim/sim_device_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/sim/spi_flash_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/sim/nor_flash_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/sim/sim_board_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/sim/remote_bitbang_test.cpp)
target_link_libraries(pinloom_core_tests PRIVATE pinloom_sim_server)

# OpenOCD, an independent JTAG host, checks pinloom-sim over remote_bitbang.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  add_test(NAME SimOpenOCDRemoteBitbang
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/sim/openocd_test.py
                   $<TARGET_FILE:pinloom-sim>)
  set_tests_properties(SimOpenOCDRemoteBitbang PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180)
endif()
add_dependencies(pinloom_core_tests pinloom-sim)
