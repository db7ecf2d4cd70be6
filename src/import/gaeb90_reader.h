// Reader of GAEB 90 files: fixed-width records in the OEM code page, one per line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "import/data_line_stack.h"

namespace import {

// Reads the file, collects its entries on the stack and writes them into the import document.
void ReadGAEB90(TDXFDataStack& Stack, const std::string& FileName,
                std::vector<std::string>& HeaderLines);

// The collecting half of ReadGAEB90 on text already loaded: fills the stack and the header
// lines, writes nothing into the document.
void CollectGAEB90(TDXFDataStack& Stack, std::string_view text,
                   std::vector<std::string>& HeaderLines);

}  // namespace import
