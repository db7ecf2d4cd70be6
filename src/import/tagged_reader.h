// Reader of the tagged GAEB text form (first line "#begin[GAEB]").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "import/data_line_stack.h"

namespace import {

// Reads the file, collects its entries on the stack and writes them into the import document.
void ReadTaggedGAEB(TDXFDataStack& Stack, const std::string& FileName,
                    std::vector<std::string>& HeaderLines);

// The collecting half of ReadTaggedGAEB on text already loaded; writes nothing into the
// document.
void CollectTaggedGAEB(TDXFDataStack& Stack, std::string_view text,
                       std::vector<std::string>& HeaderLines);

}  // namespace import
