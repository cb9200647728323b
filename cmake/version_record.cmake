# Every executable carries a version record in its own ELF section ".pinloom_version",
# read back by ReadVersionInfo (src/platform/version_info.cpp).
set(PINLOOM_FILE_VERSION "${PROJECT_VERSION}")

function(pinloom_add_version_record target internal_name)
  set(out ${CMAKE_BINARY_DIR}/generated/version_record_${target}.cpp)
  set(PINLOOM_INTERNAL_NAME ${internal_name})
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version_record.cpp.in ${out} @ONLY)
  target_sources(${target} PRIVATE ${out})
endfunction()
