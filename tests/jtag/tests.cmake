target_sources(pinloom_core_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/adapter_connection_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/backend_contract_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/demo_board_backends_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/ft2232_backend_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/mpsse_encoder_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/bit_copy_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/device_database_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/chain_detection_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/scan_engine_test.cpp)
# The backend tests run the backends' library too.
target_link_libraries(pinloom_core_tests PRIVATE pinloom_backends)
if(TARGET pinloom-sim)
  add_dependencies(pinloom_core_tests pinloom-sim)
endif()
