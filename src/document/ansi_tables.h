// Per-code-unit tables for the system ANSI code page, taken once from the platform's own
// conversions, so that building and writing the document need no call per string.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace document {

struct AnsiTables {
  unsigned codePage = 0;
  // True when every byte is one code unit and back; only then is FromWide used, and toWide
  // filled.
  bool singleByte = false;
  std::array<char16_t, 256> toWide{};
  // Every byte outside 0x80..0x9F is its own code unit (Latin-1 order, as in Windows-1252).
  bool latin1Outside80To9F = false;
  std::string loneSurrogate;  // what one unpaired surrogate becomes
  std::string surrogatePair;  // what a high and low surrogate together become

  // The byte of a code unit outside the surrogates, where singleByte. Taken from the platform
  // 256 units at a time, as they are first asked for: the whole table costs more than a small
  // import, and most texts stay within the first 256 units.
  uint8_t FromWide(char16_t unit) const {
    const size_t block = unit >> 8;
    if (!filled_[block]) [[unlikely]] Fill(block);
    return fromWide_[unit];
  }

 private:
  void Fill(size_t block) const;
  mutable std::array<uint8_t, 0x10000> fromWide_{};
  mutable std::array<bool, 256> filled_{};
};

// The tables of the current ANSI code page (rebuilt when the code page changes).
const AnsiTables& CurrentAnsiTables();

}  // namespace document
