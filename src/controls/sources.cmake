target_sources(pinloom_core PRIVATE controls/controls.cpp)
