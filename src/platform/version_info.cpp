#include "platform/version_info.h"

#include <elf.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <optional>

#include "platform/text_utils.h"

namespace {

constexpr char kSectionName[] = ".pinloom_version";

// Reads sizeof(T) bytes at `offset`; false past the end of the file.
template <typename T>
bool ReadAt(std::ifstream& file, uint64_t offset, T& out) {
  file.clear();
  file.seekg(static_cast<std::streamoff>(offset));
  file.read(reinterpret_cast<char*>(&out), sizeof(T));
  return file.gcount() == static_cast<std::streamsize>(sizeof(T));
}

bool ReadBytes(std::ifstream& file, uint64_t offset, uint64_t size, std::string& out) {
  constexpr uint64_t kMaxSection = 1 << 20;  // a version record is a few hundred bytes
  if (size > kMaxSection) return false;
  out.assign(static_cast<size_t>(size), '\0');
  file.clear();
  file.seekg(static_cast<std::streamoff>(offset));
  file.read(out.data(), static_cast<std::streamsize>(size));
  return file.gcount() == static_cast<std::streamsize>(size);
}

// The bytes of the named section of a 64-bit ELF file, if present. Only the headers,
// the section-name table and the section itself are read, not the whole program.
std::optional<std::string> ElfSection(std::ifstream& file, const char* wanted) {
  Elf64_Ehdr eh{};
  if (!ReadAt(file, 0, eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
      eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_shentsize != sizeof(Elf64_Shdr)) {
    return std::nullopt;
  }
  Elf64_Shdr namesHeader{};
  std::string names;
  if (!ReadAt(file, eh.e_shoff + uint64_t{eh.e_shstrndx} * sizeof(Elf64_Shdr), namesHeader) ||
      !ReadBytes(file, namesHeader.sh_offset, namesHeader.sh_size, names)) {
    return std::nullopt;
  }
  for (uint16_t i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sh{};
    if (!ReadAt(file, eh.e_shoff + uint64_t{i} * sizeof(Elf64_Shdr), sh)) return std::nullopt;
    if (sh.sh_name >= names.size() || std::strcmp(names.c_str() + sh.sh_name, wanted) != 0) {
      continue;
    }
    std::string bytes;
    if (!ReadBytes(file, sh.sh_offset, sh.sh_size, bytes)) return std::nullopt;
    return bytes;
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
  const auto record = ElfSection(in, kSectionName);
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
