target_sources(pinloom_core PRIVATE
  bscan/pin_addressing.cpp
  bscan/sample_extest.cpp)
