#include "document/compact_text.h"

#include <algorithm>
#include <cstring>

#include "document/ansi_tables.h"
#include "platform/platform.h"

namespace document {

void CompactText::Assign(std::u16string_view units) {
  bytes_.clear();
  if (units.empty()) return;
  const bool narrow =
      std::all_of(units.begin(), units.end(), [](char16_t u) { return u < 0x100; });
  if (narrow) {
    bytes_.resize(units.size() + 1);
    for (size_t i = 0; i < units.size(); ++i) bytes_[i] = static_cast<char>(units[i]);
    bytes_.back() = kNarrow;
  } else {
    bytes_.resize(units.size() * 2 + 1);
    for (size_t i = 0; i < units.size(); ++i) {
      bytes_[2 * i] = static_cast<char>(units[i] & 0xFF);
      bytes_[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    bytes_.back() = kWide;
  }
}

CompactText CompactText::FromAnsi(std::string_view ansi) {
  CompactText text;
  if (ansi.empty()) return text;
  const AnsiTables& tables = CurrentAnsiTables();
  if (!tables.singleByte) {
    text.Assign(platform::AnsiToWide(ansi));
    return text;
  }
  // Most texts are plain Western text: store the units straight from the bytes.
  bool narrow = true;
  for (unsigned char b : ansi)
    if (tables.toWide[b] >= 0x100) {
      narrow = false;
      break;
    }
  if (!narrow) {
    std::u16string units(ansi.size(), u'\0');
    for (size_t i = 0; i < ansi.size(); ++i) units[i] = tables.toWide[static_cast<uint8_t>(ansi[i])];
    text.Assign(units);
    return text;
  }
  text.bytes_.resize(ansi.size() + 1);
  char* out = text.bytes_.data();
  for (size_t i = 0; i < ansi.size(); ++i)
    out[i] = static_cast<char>(tables.toWide[static_cast<uint8_t>(ansi[i])]);
  text.bytes_.back() = kNarrow;
  return text;
}

size_t CompactText::size() const {
  if (bytes_.empty()) return 0;
  return IsNarrow() ? bytes_.size() - 1 : (bytes_.size() - 1) / 2;
}

char16_t CompactText::UnitAt(size_t index) const {
  if (IsNarrow()) return static_cast<uint8_t>(bytes_[index]);
  return static_cast<char16_t>(static_cast<uint8_t>(bytes_[2 * index]) |
                               (static_cast<uint8_t>(bytes_[2 * index + 1]) << 8));
}

std::u16string CompactText::ToWide() const {
  std::u16string units(size(), u'\0');
  for (size_t i = 0; i < units.size(); ++i) units[i] = UnitAt(i);
  return units;
}

std::string CompactText::ToAnsi() const {
  if (bytes_.empty()) return {};
  const AnsiTables& tables = CurrentAnsiTables();
  if (IsNarrow() && tables.singleByte) {
    std::string_view units = NarrowUnits();
    std::string ansi(units.size(), '\0');
    for (size_t i = 0; i < units.size(); ++i)
      ansi[i] = static_cast<char>(tables.fromWide[static_cast<uint8_t>(units[i])]);
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
  const size_t na = a.size(), nb = b.size();
  const size_t n = std::min(na, nb);
  if (a.IsNarrow() && b.IsNarrow()) {
    // Bytes are the code units themselves: memcmp orders them as unsigned values.
    const int c = n ? std::memcmp(a.bytes_.data(), b.bytes_.data(), n) : 0;
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
