// The text of a JSON number: 15 significant digits, positional for decimal exponents -3 to
// 15, scientific otherwise, always with "." and no thousands separator.
#pragma once

#include <cstddef>
#include <string>

namespace document {

// Writes the text into out (at least kNumberTextMax bytes) and returns its length.
constexpr size_t kNumberTextMax = 32;
size_t FormatNumberText(long double value, char* out);
std::string NumberText(long double value);

}  // namespace document
