#pragma once
// Small text helpers with the semantics the system's behaviour is written in terms of
// (8-bit strings, 1-based "positions" are not used here: these work on std::string).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace text {

std::string UpperCase(std::string_view s);              // a-z to A-Z only
std::string LowerCase(std::string_view s);              // A-Z to a-z only
bool SameText(std::string_view a, std::string_view b);  // case-insensitive (ASCII) equality
bool ContainsText(std::string_view haystack, std::string_view needle);  // case-insensitive

// Removes every occurrence of `what` from `s` (no-op for an empty `what`).
std::string RemoveAll(std::string_view s, std::string_view what);
std::string ReplaceAll(std::string_view s, std::string_view what, std::string_view with);

// Trims blanks and control characters (anything <= ' ') from both ends.
std::string Trim(std::string_view s);

// Unsigned value as `digits` upper-case hex digits (more when it does not fit).
std::string IntToHex(uint64_t value, int digits);

// Strict decimal integer: optional sign, digits only, within 32 bits; no blanks.
std::optional<int32_t> ParseDecimal(std::string_view s);

// Integer as the platform's string-to-integer conversion reads it: optional blanks
// before, optional sign, decimal digits, or hexadecimal behind "$" or "0x"/"0X".
std::optional<int32_t> ParseInteger(std::string_view s);

// Throws EPinloomError("'<s>' is not a valid integer value") when ParseInteger fails.
int32_t StrToInt(std::string_view s);

// Case-insensitive ordering used by sorted lists (ASCII, then byte value as tie-break).
bool LessText(std::string_view a, std::string_view b);

}  // namespace text
