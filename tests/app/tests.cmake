target_sources(pinloom_core_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/app/main_window_test.cpp)
