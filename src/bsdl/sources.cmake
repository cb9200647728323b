target_sources(pinloom_core PRIVATE
  bsdl/bsdl_loading.cpp
  bsdl/bsdl_parser.cpp
  bsdl/uBSDLFileInterpreter.cpp)
