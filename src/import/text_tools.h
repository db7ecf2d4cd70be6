// Small text helpers shared by the two GAEB readers.
#pragma once

#include <string>
#include <string_view>

namespace import {

// The number with the pattern "00.00": at least two integer digits, exactly two decimals
// (rounded half away from zero), the system's decimal separator.
std::string FormatTwoDecimals(double value);

// Removes trailing, then leading bytes up to the blank, in place. Cheap when the text was
// trimmed before something was appended to it: only the new tail is looked at.
void TrimInPlace(std::string& text);

// The columns from..to (1-based, inclusive) of a line; shorter or empty when the line is.
inline std::string_view Columns(std::string_view line, size_t from, size_t to) {
  if (line.size() < from) return {};
  return line.substr(from - 1, to - from + 1);
}

}  // namespace import
