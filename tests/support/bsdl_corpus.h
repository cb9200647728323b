#pragma once
// The folder of real vendor BSDL files beside the source tree (../shared/bsdl-corpus),
// or the one named by PINLOOM_BSDL_CORPUS; empty when there is none.

#include <cstdlib>
#include <filesystem>

inline std::filesystem::path BsdlCorpusDir() {
  std::filesystem::path dir =
      std::filesystem::path(PINLOOM_SOURCE_DIR).parent_path() / "shared" / "bsdl-corpus";
  if (const char* env = std::getenv("PINLOOM_BSDL_CORPUS")) dir = env;
  return std::filesystem::is_directory(dir) ? dir : std::filesystem::path();
}
