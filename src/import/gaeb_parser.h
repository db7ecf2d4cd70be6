// The importer for GAEB tender files in both supported forms.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/custom_text_parser.h"

namespace import {

class TGAEBParser : public TCustomTextParser {
 public:
  // Runs only for a file that is present, always with {soSendToHost} and option 0.
  void Execute(const std::string& FileName, const std::string& Kind,
               document::TSendOptions Options, uint8_t ParseOption) override;
  void Parse(const std::string& FileName, std::vector<std::string>& Lines,
             const std::string& Kind, uint8_t ParseOption) override;

  uint8_t FormatKind = 0;
};

// The DEFAULTFONT answer, kept while a parse runs; null outside of it.
const std::vector<std::string>* DefaultFontLines();

}  // namespace import
