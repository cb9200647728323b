target_sources(pinloom_core PRIVATE log/uProtocolWindow.cpp)
