target_sources(pinloom_core PRIVATE
  jtag/FT2232CJTAGUnit.cpp
  jtag/My_D2XXUnit.cpp
  jtag/adapter_connection.cpp
  jtag/batch_adapter.cpp
  jtag/bit_copy.cpp
  jtag/chain_detection.cpp
  jtag/device_database.cpp
  jtag/scan_engine.cpp)
