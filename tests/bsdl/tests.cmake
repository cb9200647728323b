target_sources(pinloom_core_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/bsdl/bsdl_corpus_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/bsdl/bsdl_loading_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/bsdl/bsdl_parser_test.cpp)
