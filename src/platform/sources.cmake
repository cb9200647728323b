target_sources(pinloom_core PRIVATE
  platform/ini_file.cpp
  platform/paths.cpp
  platform/text_utils.cpp
  platform/version_info.cpp)
