target_sources(pinloom_core_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/log/protocol_test.cpp)
