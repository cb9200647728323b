target_sources(pinloom_core PRIVATE bsdl/uBSDLFileInterpreter.cpp)
