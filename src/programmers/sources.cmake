target_sources(pinloom_core PRIVATE programmers/nor_flash_page.cpp)
