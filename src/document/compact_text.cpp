#include "document/compact_text.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "document/ansi_tables.h"
#include "platform/platform.h"

namespace document {

char* CompactText::Allocate(size_t n) {
  Release();
  if (n <= kInPlace) {
    raw_[kInPlace] = static_cast<uint8_t>(n);
    return reinterpret_cast<char*>(raw_);
  }
  if (n > 0x00FFFFFFFFFFFFFFull) throw std::length_error("CompactText");
  char* p = static_cast<char*>(pool::Allocate(n));
  std::memcpy(raw_, &p, sizeof p);
  const uint64_t word = static_cast<uint64_t>(n) | (static_cast<uint64_t>(kOnHeap) << 56);
  std::memcpy(raw_ + 8, &word, sizeof word);
  return p;
}

void CompactText::Assign(std::u16string_view units) {
  Release();
  if (units.empty()) return;
  const bool narrow =
      std::all_of(units.begin(), units.end(), [](char16_t u) { return u < 0x100; });
  if (narrow) {
    char* out = Allocate(units.size() + 1);
    for (size_t i = 0; i < units.size(); ++i) out[i] = static_cast<char>(units[i]);
    out[units.size()] = kNarrow;
  } else {
    char* out = Allocate(units.size() * 2 + 1);
    for (size_t i = 0; i < units.size(); ++i) {
      out[2 * i] = static_cast<char>(units[i] & 0xFF);
      out[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    out[units.size() * 2] = kWide;
  }
}

namespace {

// True when one of the eight bytes lies in 0x80..0x9F.
bool HasByte80To9F(uint64_t x) {
  constexpr uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
  const uint64_t z = (x & (ones * 0xE0)) ^ highs;  // a zero byte where the byte was 0x80..0x9F
  return ((z - ones) & ~z & highs) != 0;
}

}  // namespace

CompactText CompactText::FromAnsi(std::string_view ansi) {
  CompactText text;
  if (ansi.empty()) return text;
  const AnsiTables& tables = CurrentAnsiTables();
  if (!tables.singleByte) {
    text.Assign(platform::AnsiToWide(ansi));
    return text;
  }
  // Most texts are plain Western text: the units go straight from the bytes, eight at a time
  // where the code page leaves them as they are.
  const auto* s = reinterpret_cast<const uint8_t*>(ansi.data());
  const size_t n = ansi.size();
  char* out = text.Allocate(n + 1);
  size_t i = 0;
  while (i < n) {
    if (tables.latin1Outside80To9F) {
      for (; i + 8 <= n; i += 8) {
        uint64_t x;
        std::memcpy(&x, s + i, 8);
        if (HasByte80To9F(x)) break;
        std::memcpy(out + i, &x, 8);
      }
    }
    for (const size_t stop = std::min(n, i + 8); i < stop; ++i) {
      const char16_t u = tables.toWide[s[i]];
      if (u >= 0x100) {
        std::u16string units(n, u'\0');
        for (size_t k = 0; k < n; ++k) units[k] = tables.toWide[s[k]];
        text.Assign(units);
        return text;
      }
      out[i] = static_cast<char>(u);
    }
  }
  out[n] = kNarrow;
  return text;
}

size_t CompactText::size() const {
  const size_t n = StoredSize();
  if (n == 0) return 0;
  return IsNarrow() ? n - 1 : (n - 1) / 2;
}

char16_t CompactText::UnitAt(size_t index) const {
  const char* bytes = Stored();
  if (IsNarrow()) return static_cast<uint8_t>(bytes[index]);
  return static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * index]) |
                               (static_cast<uint8_t>(bytes[2 * index + 1]) << 8));
}

std::u16string CompactText::ToWide() const {
  std::u16string units(size(), u'\0');
  const auto* bytes = reinterpret_cast<const uint8_t*>(Stored());
  if (IsNarrow()) {
    for (size_t i = 0; i < units.size(); ++i) units[i] = bytes[i];
  } else {
    for (size_t i = 0; i < units.size(); ++i)
      units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return units;
}

std::string CompactText::ToAnsi() const {
  if (empty()) return {};
  const AnsiTables& tables = CurrentAnsiTables();
  if (IsNarrow() && tables.singleByte) {
    std::string_view units = NarrowUnits();
    std::string ansi(units.size(), '\0');
    for (size_t i = 0; i < units.size(); ++i)
      ansi[i] = static_cast<char>(tables.FromWide(static_cast<uint8_t>(units[i])));
    return ansi;
  }
  return platform::WideToAnsi(ToWide());
}

bool CompactText::operator==(std::u16string_view units) const {
  if (units.size() != size()) return false;
  for (size_t i = 0; i < units.size(); ++i)
    if (UnitAt(i) != units[i]) return false;
  return true;
}

int Compare(const CompactText& a, const CompactText& b) {
  // Two short narrow texts in place (most names): the units, the zero form byte, zero padding
  // and the count last order byte for byte exactly as the texts do.
  size_t unused;
  if (a.InPlaceNarrow(unused) && b.InPlaceNarrow(unused)) {
    uint64_t words[4];
    std::memcpy(words, a.raw_, 16);
    std::memcpy(words + 2, b.raw_, 16);
    for (int i = 0; i < 2; ++i) {
      const uint64_t x = __builtin_bswap64(words[i]), y = __builtin_bswap64(words[i + 2]);
      if (x != y) return x < y ? -1 : 1;
    }
    return 0;
  }
  const size_t na = a.size(), nb = b.size();
  const size_t n = std::min(na, nb);
  if (a.IsNarrow() && b.IsNarrow()) {
    // Bytes are the code units themselves: memcmp orders them as unsigned values.
    const int c = n ? std::memcmp(a.Stored(), b.Stored(), n) : 0;
    if (c != 0) return c;
  } else {
    for (size_t i = 0; i < n; ++i) {
      const char16_t ua = a.UnitAt(i), ub = b.UnitAt(i);
      if (ua != ub) return ua < ub ? -1 : 1;
    }
  }
  return na < nb ? -1 : (na > nb ? 1 : 0);
}

}  // namespace document
