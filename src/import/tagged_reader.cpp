#include "import/tagged_reader.h"

#include <stdexcept>

#include "support/support.h"

namespace import {

void CollectTaggedGAEB(TDXFDataStack&, std::string_view, std::vector<std::string>&) {
  throw std::runtime_error("Format nicht unterst\xFCtzt.");
}

void ReadTaggedGAEB(TDXFDataStack& Stack, const std::string& FileName,
                    std::vector<std::string>& HeaderLines) {
  {
    const std::string text = support::LoadFileBytes(FileName);
    CollectTaggedGAEB(Stack, text, HeaderLines);
  }
  EmitDataLines(Stack);
}

}  // namespace import
