// A UTF-16 text stored compactly: one byte per code unit while every unit is below 0x100
// (which covers ASCII and the Western letters), two bytes per unit otherwise.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "document/pool.h"

namespace document {

class CompactText {
 public:
  CompactText() = default;
  explicit CompactText(std::u16string_view units) { Assign(units); }
  CompactText(const CompactText& other) { CopyFrom(other); }
  CompactText(CompactText&& other) noexcept { TakeFrom(other); }
  CompactText& operator=(const CompactText& other) {
    if (this != &other) {
      Release();
      CopyFrom(other);
    }
    return *this;
  }
  CompactText& operator=(CompactText&& other) noexcept {
    if (this != &other) {
      Release();
      TakeFrom(other);
    }
    return *this;
  }
  ~CompactText() { Release(); }

  static CompactText FromWide(std::u16string_view units) { return CompactText(units); }
  // ANSI bytes through the system ANSI code page.
  static CompactText FromAnsi(std::string_view ansi);

  bool empty() const { return StoredSize() == 0; }
  size_t size() const;  // in code units
  bool IsNarrow() const { return !empty() && Stored()[StoredSize() - 1] == kNarrow; }
  // Narrow form: the code units themselves, one byte each.
  std::string_view NarrowUnits() const { return {Stored(), StoredSize() - 1}; }
  // Wide form: the code units as little-endian byte pairs.
  std::string_view WideBytes() const { return {Stored(), StoredSize() - 1}; }
  char16_t UnitAt(size_t index) const;
  // A narrow text kept in place: its sixteen raw bytes, the units first, and the unit count
  // (at most 14); none for any other text.
  const uint8_t* InPlaceNarrow(size_t& units) const {
    const size_t n = raw_[kInPlace];
    if (n == 0 || n > kInPlace || raw_[n - 1] != kNarrow) return nullptr;
    units = n - 1;
    return raw_;
  }

  std::u16string ToWide() const;
  // Through the system ANSI code page; units it lacks become its default character.
  std::string ToAnsi() const;

  // The stored form is canonical, so equal texts have equal bytes.
  bool operator==(const CompactText& other) const {
    const size_t n = StoredSize();
    return n == other.StoredSize() && std::memcmp(Stored(), other.Stored(), n) == 0;
  }
  bool operator==(std::u16string_view units) const;
  // Ordinal order of the code units; a prefix sorts first. Negative, zero or positive.
  friend int Compare(const CompactText& a, const CompactText& b);

 private:
  static constexpr char kNarrow = 0;
  static constexpr char kWide = 1;
  void Assign(std::u16string_view units);

  // Sixteen bytes, so that a member and a string value stay small. Up to 15 stored bytes live
  // in place, with their count in the last byte; longer ones on the heap, the last byte then
  // kOnHeap and the eight bytes before it (less that byte) the count.
  static_assert(std::endian::native == std::endian::little);
  static constexpr size_t kInPlace = 15;
  static constexpr uint8_t kOnHeap = 0xFF;
  bool OnHeap() const { return raw_[kInPlace] == kOnHeap; }
  char* HeapData() const {
    char* p;
    std::memcpy(&p, raw_, sizeof p);
    return p;
  }
  size_t StoredSize() const {
    if (!OnHeap()) return raw_[kInPlace];
    uint64_t word;
    std::memcpy(&word, raw_ + 8, sizeof word);
    return static_cast<size_t>(word & 0x00FFFFFFFFFFFFFFull);
  }
  const char* Stored() const { return OnHeap() ? HeapData() : reinterpret_cast<const char*>(raw_); }
  // Room for n stored bytes, replacing what was there.
  char* Allocate(size_t n);
  void Release() {
    if (OnHeap()) pool::Free(HeapData(), StoredSize());
    std::memset(raw_, 0, sizeof raw_);
  }
  void CopyFrom(const CompactText& other) {
    const size_t n = other.StoredSize();
    std::memcpy(Allocate(n), other.Stored(), n);
  }
  void TakeFrom(CompactText& other) {
    std::memcpy(raw_, other.raw_, sizeof raw_);
    std::memset(other.raw_, 0, sizeof other.raw_);
  }

  alignas(8) uint8_t raw_[16] = {};
};

}  // namespace document
