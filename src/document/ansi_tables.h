// Per-code-unit tables for the system ANSI code page, taken once from the platform's own
// conversions, so that building and writing the document need no call per string.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace document {

struct AnsiTables {
  unsigned codePage = 0;
  // True when every byte is one code unit and every code unit outside the surrogates is one
  // byte; only then are the tables below filled and used.
  bool singleByte = false;
  std::array<char16_t, 256> toWide{};
  // Every byte outside 0x80..0x9F is its own code unit (Latin-1 order, as in Windows-1252).
  bool latin1Outside80To9F = false;
  std::vector<uint8_t> fromWide;  // 65536 entries, surrogates excluded
  std::string loneSurrogate;      // what one unpaired surrogate becomes
  std::string surrogatePair;      // what a high and low surrogate together become
};

// The tables of the current ANSI code page (rebuilt when the code page changes).
const AnsiTables& CurrentAnsiTables();

}  // namespace document
