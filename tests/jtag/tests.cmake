target_sources(pinloom_core_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/bit_copy_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/device_database_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/chain_detection_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/jtag/scan_engine_test.cpp)
