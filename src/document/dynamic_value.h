// The dynamically typed value that leaves hand out and take in.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace document {

// 64-bit fixed point with four decimal places: 1.5 is stored as 15000.
struct TCurrency {
  int64_t Scaled = 0;
  bool operator==(const TCurrency&) const = default;
};

// Alternatives in this order: null, Boolean, 32-bit integer, currency, floating point, text.
using DynamicValue = std::variant<std::monostate, bool, int32_t, TCurrency, double, std::u16string>;

inline bool IsNull(const DynamicValue& value) { return std::holds_alternative<std::monostate>(value); }

}  // namespace document
