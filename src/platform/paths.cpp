#include "platform/paths.h"

#include <filesystem>
#include <system_error>

bool IsRelativePath(const std::string& path) {
  if (path.size() < 2) return false;
  const char first = path[0];
  // "/" starts an absolute path on this platform, as a drive does elsewhere.
  if (first == '$' || first == '\\' || first == '~' || first == '/') return false;
  return path[1] != ':';
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}
