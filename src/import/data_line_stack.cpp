#include "import/data_line_stack.h"

#include "support/support.h"

namespace import {

TDataLineStack* TDXFDataStack::Push(std::unique_ptr<TDataLineStack> record) {
  Entries.push_back(std::move(record));
  return Entries.back().get();
}

uint8_t TDXFDataStack::DetectFormatOfText(std::string_view text) {
  std::string_view first = text.substr(0, text.find_first_of("\r\n"));
  if (first.find("#begin[GAEB]") != std::string_view::npos) return kFormatTagged;
  if (first.find("<?xml versi") != std::string_view::npos) return kFormatXML;
  return kFormatGAEB90;
}

uint8_t TDXFDataStack::DetectFormat(const std::string& FileName) {
  return DetectFormatOfText(support::LoadFileBytes(FileName));
}

}  // namespace import
