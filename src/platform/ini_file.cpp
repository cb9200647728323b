#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/pinloom_error.h"
#include "platform/text_utils.h"

namespace {

constexpr size_t npos = static_cast<size_t>(-1);

std::vector<std::string> SplitLines(const std::string& content) {
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < content.size(); ++i) {
    const char c = content[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(current));
      current.clear();
      if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) lines.push_back(std::move(current));
  return lines;
}

// The section name of a header line "[name]", or npos-like empty optional.
bool SectionName(const std::string& line, std::string& name) {
  const std::string t = text::Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = text::Trim(std::string_view(t).substr(1, close - 1));
  return true;
}

bool KeyOfLine(const std::string& line, std::string& key, std::string& value) {
  const std::string t = text::Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '[') return false;
  const size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  key = text::Trim(std::string_view(line).substr(0, eq));
  value = line.substr(eq + 1);
  return true;
}

std::string CleanValue(const std::string& raw) {
  std::string v = text::Trim(raw);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  if (v.size() > TIniFile::kMaxValueLength) v.resize(TIniFile::kMaxValueLength);
  return v;
}

}  // namespace

void WriteFileAtomically(const std::string& path, const std::string& content) {
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  std::string tmpl = (slash == std::string::npos ? std::string("./") : dir) + ".pinloom-XXXXXX";
  const int fd = mkstemp(tmpl.data());
  if (fd < 0) throw EPinloomError("Cannot create " + path + ": " + std::strerror(errno));
  const char* data = content.data();
  size_t left = content.size();
  bool ok = true;
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    data += n;
    left -= static_cast<size_t>(n);
  }
  const int savedErrno = errno;
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    ::unlink(tmpl.c_str());
    throw EPinloomError("Cannot write " + path + ": " +
                        std::strerror(savedErrno ? savedErrno : EIO));
  }
  // Keep the permissions of an existing file; a new file gets the usual 0666 & ~umask.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    ::chmod(tmpl.c_str(), st.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(tmpl.c_str(), 0666 & ~mask);
  }
  if (std::rename(tmpl.c_str(), path.c_str()) != 0) {
    const int e = errno;
    ::unlink(tmpl.c_str());
    throw EPinloomError("Cannot write " + path + ": " + std::strerror(e));
  }
}

TIniFile::TIniFile(std::string path) : path_(std::move(path)) {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return;
  std::ostringstream content;
  content << in.rdbuf();
  lines_ = SplitLines(content.str());
}

size_t TIniFile::FindSection(const std::string& section) const {
  std::string name;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (SectionName(lines_[i], name) && text::SameText(name, section)) return i;
  }
  return npos;
}

size_t TIniFile::SectionEnd(size_t header) const {
  std::string name;
  size_t i = header + 1;
  while (i < lines_.size() && !SectionName(lines_[i], name)) ++i;
  return i;
}

size_t TIniFile::FindKey(size_t header, const std::string& key) const {
  std::string k, v;
  const size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    if (KeyOfLine(lines_[i], k, v) && text::SameText(k, key)) return i;
  }
  return npos;
}

bool TIniFile::SectionExists(const std::string& section) const {
  return FindSection(section) != npos;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  const size_t header = FindSection(section);
  if (header == npos) return defaultValue;
  const size_t line = FindKey(header, key);
  if (line == npos) return defaultValue;
  std::string k, v;
  KeyOfLine(lines_[line], k, v);
  return CleanValue(v);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t defaultValue) const {
  const std::string v = ReadString(section, key, "");
  const auto parsed = text::ParseInteger(v);
  return parsed ? *parsed : defaultValue;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  auto lines = lines_;
  const std::string entry = key + "=" + value;
  size_t header = FindSection(section);
  if (header == npos) {
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
  } else if (const size_t line = FindKey(header, key); line != npos) {
    lines[line] = entry;
  } else {
    // Behind the section's last non-blank line, so blank separators stay at its end.
    size_t at = SectionEnd(header);
    while (at > header + 1 && text::Trim(lines[at - 1]).empty()) --at;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
  }
  Commit(std::move(lines));
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::EraseSection(const std::string& section) {
  const size_t header = FindSection(section);
  if (header == npos) return;
  auto lines = lines_;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header),
              lines.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
  Commit(std::move(lines));
}

void TIniFile::Commit(std::vector<std::string> lines) {
  std::string content;
  for (const auto& line : lines) {
    content += line;
    content += "\r\n";
  }
  WriteFileAtomically(path_, content);
  // Adopted only once on disk, so the in-memory view never runs ahead of the file.
  lines_ = std::move(lines);
}
