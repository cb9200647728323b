#include "platform/text_utils.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "platform/pinloom_error.h"

namespace text {
namespace {

char UpperChar(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char LowerChar(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::optional<int32_t> ParseDigits(std::string_view digits, int base, bool negative) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (base == 10) {
    const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
    if (value > limit) return std::nullopt;
    return static_cast<int32_t>(negative ? -static_cast<int64_t>(value) : value);
  }
  // Hexadecimal: any 32-bit pattern is accepted, as the platform's conversion does.
  if (value > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  const auto bits = static_cast<uint32_t>(value);
  return static_cast<int32_t>(negative ? (0u - bits) : bits);
}

}  // namespace

std::string UpperCase(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), UpperChar);
  return out;
}

std::string LowerCase(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), LowerChar);
  return out;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return UpperChar(x) == UpperChar(y);
         });
}

bool ContainsText(std::string_view haystack, std::string_view needle) {
  return UpperCase(haystack).find(UpperCase(needle)) != std::string::npos;
}

std::string RemoveAll(std::string_view s, std::string_view what) {
  return ReplaceAll(s, what, "");
}

std::string ReplaceAll(std::string_view s, std::string_view what, std::string_view with) {
  if (what.empty()) return std::string(s);
  std::string out;
  out.reserve(s.size());
  size_t pos = 0;
  for (size_t hit = s.find(what); hit != std::string_view::npos; hit = s.find(what, pos)) {
    out.append(s.substr(pos, hit - pos));
    out.append(with);
    pos = hit + what.size();
  }
  out.append(s.substr(pos));
  return out;
}

std::string Trim(std::string_view s) {
  size_t first = 0;
  size_t last = s.size();
  while (first < last && static_cast<unsigned char>(s[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(s[last - 1]) <= ' ') --last;
  return std::string(s.substr(first, last - first));
}

std::string IntToHex(uint64_t value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), kHex[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (static_cast<int>(out.size()) < digits) out.insert(0, digits - out.size(), '0');
  return out;
}

std::optional<int32_t> ParseDecimal(std::string_view s) {
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  return ParseDigits(s, 10, negative);
}

std::optional<int32_t> ParseInteger(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (!s.empty() && s[0] == '$') return ParseDigits(s.substr(1), 16, negative);
  if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    return ParseDigits(s.substr(2), 16, negative);
  }
  return ParseDigits(s, 10, negative);
}

int32_t StrToInt(std::string_view s) {
  if (auto v = ParseInteger(s)) return *v;
  throw EPinloomError("'" + std::string(s) + "' is not a valid integer value");
}

bool LessText(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char x = UpperChar(a[i]);
    const char y = UpperChar(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace text
