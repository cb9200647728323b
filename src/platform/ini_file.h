#pragma once
// INI files in the system's dialect: 8-bit text, CR LF line ends, section and key
// names compared without regard to case, values trimmed with one pair of matching
// quotes dropped, at most 2047 characters of a value read, integers in decimal or in
// hexadecimal behind "0x" or "$".
//
// Every change is written to disk at once, whole, through a temporary file in the
// same directory that is then renamed over the original: a failed write (disk full,
// no permission, a crash) never leaves a half-written or emptied file behind.

#include <cstdint>
#include <string>
#include <vector>

class TIniFile {
 public:
  static constexpr size_t kMaxValueLength = 2047;

  // Reads the file if it exists; a missing file reads as empty and is created by the
  // first write.
  explicit TIniFile(std::string path);

  const std::string& FileName() const { return path_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  int32_t ReadInteger(const std::string& section, const std::string& key,
                      int32_t defaultValue) const;
  bool SectionExists(const std::string& section) const;

  // Write and erase throw EPinloomError when the file cannot be written; the file on
  // disk then keeps its previous content.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void EraseSection(const std::string& section);

 private:
  // Index of the section's header line, or npos.
  size_t FindSection(const std::string& section) const;
  // One past the last line that belongs to the section whose header is at `header`.
  size_t SectionEnd(size_t header) const;
  size_t FindKey(size_t header, const std::string& key) const;
  // Writes `lines` as the whole file, then makes them the file's content.
  void Commit(std::vector<std::string> lines);

  std::string path_;
  std::vector<std::string> lines_;
};

// Writes `content` to `path` through a temporary file in the same directory and a
// rename, so the old file survives any failure. Throws EPinloomError on failure.
void WriteFileAtomically(const std::string& path, const std::string& content);
