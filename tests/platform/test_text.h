// Building big test inputs.
#pragma once

#include <string>

namespace testing_support {

inline std::string Repeat(const std::string& piece, size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

}  // namespace testing_support
