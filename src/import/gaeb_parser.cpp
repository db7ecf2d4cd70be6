#include "import/gaeb_parser.h"

#include <exception>
#include <memory>

#include "import/data_line_stack.h"
#include "import/gaeb90_reader.h"
#include "import/tagged_reader.h"
#include "support/support.h"

namespace import {
namespace {
std::unique_ptr<std::vector<std::string>> gDefaultFont;
}

const std::vector<std::string>* DefaultFontLines() { return gDefaultFont.get(); }

void TGAEBParser::Execute(const std::string& FileName, const std::string& Kind,
                          document::TSendOptions /*Options*/, uint8_t /*ParseOption*/) {
  if (support::FileIsPresent(FileName))
    TCustomTextParser::Execute(FileName, Kind, document::soSendToHost, 0);
}

void TGAEBParser::Parse(const std::string& FileName, std::vector<std::string>& /*Lines*/,
                        const std::string& Kind, uint8_t /*ParseOption*/) {
  using document::TJSON;
  constexpr uint8_t kOrder = 1;
  GetImport().SetDescription(Kind);
  auto stack = std::make_unique<TDXFDataStack>();
  std::vector<std::string> headerLines;
  gDefaultFont = std::make_unique<std::vector<std::string>>();
  struct ReleaseFontOnExit {
    ~ReleaseFontOnExit() { support::FreeAndClear(gDefaultFont); }
  } releaseFont;

  TJSON::SetFlag(kOrder, "NettoPrices", true);
  TJSON::SetFlag(kOrder, "TaxImport", false);
  TJSON::SetFlag(kOrder, "UpdateParts", false);
  TJSON::SetFlag(kOrder, "AppendMode", true);
  std::string value;
  ReadSetting("DEFAULTFONT", value);
  *gDefaultFont = support::SplitLines(value);
  ReadSetting("TAXH", value);
  stack->TaxRate = static_cast<double>(support::TextToFloatOrZero(value));

  try {
    std::string text = support::LoadFileBytes(FileName);
    FormatKind = TDXFDataStack::DetectFormatOfText(text);
    if (FormatKind == kFormatXML) throw std::runtime_error("Format nicht unterst\xFCtzt.");
    if (FormatKind == kFormatGAEB90)
      CollectGAEB90(*stack, text, headerLines);
    else
      CollectTaggedGAEB(*stack, text, headerLines);
    std::string().swap(text);  // the file's bytes go before the document grows
    EmitDataLines(*stack);
    std::string header;
    for (const std::string& line : headerLines) {
      header += line;
      header += "\r\n";
    }
    TJSON::SetText(kOrder, "HeaderText", header);
  } catch (const std::exception& e) {
    ShowMessage(e.what());
  }
}

}  // namespace import
