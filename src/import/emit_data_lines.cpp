#include <string_view>

#include "document/json_import.h"
#include "import/data_line_stack.h"
#include "richtext/rtf_plain.h"
#include "support/support.h"

namespace import {

using document::CompactText;
using document::TkxJSONstring;
using document::TJSON;
using document::TZVJSON;

namespace {

// A fresh part holds no member yet and its keys are distinct, so appending gives what a by-name
// setter would, without the name lookup and without converting the key on every entry.
void Append(TZVJSON& part, const CompactText& key, std::string_view value) {
  part.AddMember(CompactText(key), TkxJSONstring::Make(CompactText::FromAnsi(value)));
}

}  // namespace

void EmitDataLines(TDXFDataStack& Stack) {
  static const CompactText kTypLine(u"TypLine"), kPosition(u"Position"), kUnit(u"Unit"),
      kQuantity(u"Quantity"), kDescription1(u"Description1"), kNumber(u"Number"),
      kTaxRate(u"TaxRate"), kPrice(u"Price"), kLongText(u"LongText");
  std::string flattened;
  for (size_t i = 0; i < Stack.Count(); ++i) {
    TDataLineStack& line = Stack[i];
    TZVJSON& part = *TJSON::AddPart();
    Append(part, kTypLine, line.TypLine);
    Append(part, kPosition, line.Position);
    Append(part, kUnit, line.Unit);
    Append(part, kQuantity, line.Quantity);
    // Flattening leaves a text without the RTF marker unchanged; only such a text is copied.
    std::string_view text = support::TrimView(line.ShortText);
    if (text.find("{\\rtf1") != std::string_view::npos) {
      flattened = richtext::RtfToPlainText(std::string(text));
      text = flattened;
    }
    Append(part, kDescription1, text);
    Append(part, kNumber, line.Number);
    Append(part, kTaxRate, line.TaxRate);
    Append(part, kPrice, line.Price);
    if (line.LongText != text) Append(part, kLongText, line.LongText);
  }
}

}  // namespace import
