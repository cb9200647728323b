#include "platform/version_info.h"

#include <elf.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "platform/text_utils.h"

namespace {

constexpr char kSectionName[] = ".pinloom_version";

template <typename T>
bool ReadAt(const std::vector<char>& file, uint64_t offset, T& out) {
  if (offset > file.size() || file.size() - offset < sizeof(T)) return false;
  std::memcpy(&out, file.data() + offset, sizeof(T));
  return true;
}

// The bytes of the named section of a 64-bit little-endian ELF file, if present.
std::optional<std::string> ElfSection(const std::vector<char>& file, const char* wanted) {
  Elf64_Ehdr eh{};
  if (!ReadAt(file, 0, eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
      eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_shentsize != sizeof(Elf64_Shdr)) {
    return std::nullopt;
  }
  Elf64_Shdr names{};
  if (!ReadAt(file, eh.e_shoff + uint64_t{eh.e_shstrndx} * sizeof(Elf64_Shdr), names)) {
    return std::nullopt;
  }
  for (uint16_t i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sh{};
    if (!ReadAt(file, eh.e_shoff + uint64_t{i} * sizeof(Elf64_Shdr), sh)) return std::nullopt;
    const uint64_t nameAt = names.sh_offset + sh.sh_name;
    if (nameAt >= file.size()) continue;
    const size_t maxLen = file.size() - nameAt;
    if (strnlen(file.data() + nameAt, maxLen) == maxLen) continue;
    if (std::strcmp(file.data() + nameAt, wanted) != 0) continue;
    if (sh.sh_offset > file.size() || file.size() - sh.sh_offset < sh.sh_size) return std::nullopt;
    return std::string(file.data() + sh.sh_offset, sh.sh_size);
  }
  return std::nullopt;
}

// Looks up one query path in the record's NUL-separated "path=value" entries.
std::string Query(const std::string& record, const std::string& path) {
  size_t pos = 0;
  while (pos < record.size()) {
    const size_t end = record.find('\0', pos);
    const std::string entry =
        record.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (entry.size() > path.size() && entry.compare(0, path.size(), path) == 0 &&
        entry[path.size()] == '=') {
      return entry.substr(path.size() + 1);
    }
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return "";
}

}  // namespace

bool ReadVersionInfo(const std::string& fileName, std::string& internalName,
                     std::string& fileVersion) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  // One bulk read: the program file can be tens of megabytes.
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size <= 0) return false;
  in.seekg(0);
  std::vector<char> file(static_cast<size_t>(size));
  if (!in.read(file.data(), size)) return false;
  const auto record = ElfSection(file, kSectionName);
  if (!record || record->empty()) return false;
  // The translation entry names the language and code page of the string table.
  const std::string translation = Query(*record, "\\VarFileInfo\\Translation");
  const std::string prefix = "\\StringFileInfo\\" + text::UpperCase(translation) + "\\";
  internalName = text::Trim(Query(*record, prefix + "InternalName"));
  fileVersion = text::Trim(Query(*record, prefix + "FileVersion"));
  return !internalName.empty() && !fileVersion.empty();
}

std::string ProgramFileName() {
  std::string buffer(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return "";
  buffer.resize(static_cast<size_t>(n));
  return buffer;
}

std::string ProgramDirectory() {
  const std::string file = ProgramFileName();
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string("./") : file.substr(0, slash + 1);
}

std::string GetAppVersion() {
  std::string internalName;
  std::string fileVersion;
  ReadVersionInfo(ProgramFileName(), internalName, fileVersion);
  return fileVersion;
}
