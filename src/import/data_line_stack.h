// The data lines a reader collects before they are written into the import document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace import {

// One collected entry of a bill of quantities; every value stays text.
struct TDataLineStack {
  std::string TypLine;
  std::string Position;
  std::string Quantity;
  std::string Unit;
  std::string ShortText;
  std::string Number;
  std::string LongText;
  std::string TaxRate;
  std::string Price;
};

// Format kinds found by DetectFormat.
enum : uint8_t { kFormatGAEB90 = 0, kFormatTagged = 1, kFormatXML = 2 };

class TDXFDataStack {
 public:
  TDXFDataStack() = default;
  TDXFDataStack(const TDXFDataStack&) = delete;
  TDXFDataStack& operator=(const TDXFDataStack&) = delete;
  ~TDXFDataStack() { Clear(); }

  // Appends the record; the stack owns it from now on. Returns it for further filling.
  TDataLineStack* Push(std::unique_ptr<TDataLineStack> record);
  void Clear() { Entries.clear(); }
  size_t Count() const { return Entries.size(); }
  TDataLineStack& operator[](size_t index) { return *Entries[index]; }
  const TDataLineStack& operator[](size_t index) const { return *Entries[index]; }

  // Looks at the first line of the file only (the file is loaded whole, as the readers do).
  static uint8_t DetectFormat(const std::string& FileName);
  static uint8_t DetectFormatOfText(std::string_view text);

  double TaxRate = 0;

 private:
  std::vector<std::unique_ptr<TDataLineStack>> Entries;
};

// Writes every entry as one part of the import document, in stack order.
void EmitDataLines(TDXFDataStack& Stack);

}  // namespace import
