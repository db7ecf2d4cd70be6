// A UTF-16 text stored compactly: one byte per code unit while every unit is below 0x100
// (which covers ASCII and the Western letters), two bytes per unit otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace document {

class CompactText {
 public:
  CompactText() = default;
  explicit CompactText(std::u16string_view units) { Assign(units); }

  static CompactText FromWide(std::u16string_view units) { return CompactText(units); }
  // ANSI bytes through the system ANSI code page.
  static CompactText FromAnsi(std::string_view ansi);

  bool empty() const { return bytes_.empty(); }
  size_t size() const;  // in code units
  bool IsNarrow() const { return !bytes_.empty() && bytes_.back() == kNarrow; }
  // Narrow form: the code units themselves, one byte each.
  std::string_view NarrowUnits() const { return {bytes_.data(), bytes_.size() - 1}; }
  // Wide form: the code units as little-endian byte pairs.
  std::string_view WideBytes() const { return {bytes_.data(), bytes_.size() - 1}; }
  char16_t UnitAt(size_t index) const;

  std::u16string ToWide() const;
  // Through the system ANSI code page; units it lacks become its default character.
  std::string ToAnsi() const;

  // The stored form is canonical, so equal texts have equal bytes.
  bool operator==(const CompactText& other) const { return bytes_ == other.bytes_; }
  bool operator==(std::u16string_view units) const;
  // Ordinal order of the code units; a prefix sorts first. Negative, zero or positive.
  friend int Compare(const CompactText& a, const CompactText& b);

 private:
  static constexpr char kNarrow = 0;
  static constexpr char kWide = 1;
  void Assign(std::u16string_view units);

  // The units, then one tag byte (kNarrow or kWide); the empty text holds no bytes at all.
  std::string bytes_;
};

}  // namespace document
