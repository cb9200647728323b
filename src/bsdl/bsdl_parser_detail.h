#pragma once
// Pieces of the BSDL line scanner that are worth checking on their own.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace bsdl_detail {

// The eight fields of a boundary-register entry (num, cell, port, function, safe, ccell,
// disval, rslt) from the quoted entry text E of a line: E without "),", then without ")",
// " (" replaced by ",", spaces removed, "," appended, split at the commas. The views
// point into `buffer`.
using TEntryFields = std::array<std::string_view, 8>;
void SplitBoundaryEntry(std::string_view entry, std::string& buffer, TEntryFields& fields);

// A decimal real number with "." as the decimal point: optional sign, digits with an
// optional point, optional exponent. Nothing else is accepted (no blanks).
std::optional<double> ParseReal(std::string_view s);

// The TCK frequency of a TAP_SCAN_CLOCK number text: mantissa x 10 ^ exponent when the
// text has an "E" (both parts real numbers), else the number itself; rounded to the
// nearest integer, a half to the even neighbour. Nothing when it does not convert or
// does not fit a 64-bit integer.
std::optional<long long> TckFrequency(std::string_view number);

}  // namespace bsdl_detail
