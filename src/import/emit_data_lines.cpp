#include "document/json_import.h"
#include "import/data_line_stack.h"
#include "richtext/rtf_plain.h"
#include "support/support.h"

namespace import {

using document::TJSON;

void EmitDataLines(TDXFDataStack& Stack) {
  constexpr uint8_t kPart = 2;
  for (size_t i = 0; i < Stack.Count(); ++i) {
    TDataLineStack& line = Stack[i];
    TJSON::AddPart();
    TJSON::SetText(kPart, "TypLine", line.TypLine);
    TJSON::SetText(kPart, "Position", line.Position);
    TJSON::SetText(kPart, "Unit", line.Unit);
    TJSON::SetText(kPart, "Quantity", line.Quantity);
    const std::string text = richtext::RtfToPlainText(support::Trim(line.ShortText));
    TJSON::SetText(kPart, "Description1", text);
    TJSON::SetText(kPart, "Number", line.Number);
    TJSON::SetText(kPart, "TaxRate", line.TaxRate);
    TJSON::SetText(kPart, "Price", line.Price);
    if (line.LongText != text) TJSON::SetText(kPart, "LongText", line.LongText);
  }
}

}  // namespace import
