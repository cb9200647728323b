target_sources(pinloom_core PRIVATE
  app/system_clock_host.cpp
  app/uMain.cpp
  app/windows.cpp)
