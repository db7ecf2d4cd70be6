#include "import/gaeb90_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "import/oz_mask.h"
#include "import/text_tools.h"
#include "platform/platform.h"
#include "support/support.h"

namespace import {
namespace {

// OEM to ANSI keeps the length and works byte by byte, so one table serves every record.
struct OemConversion {
  std::array<char, 256> table{};
  bool asciiKept = true;  // bytes below 0x80 stay as they are
};

const OemConversion& OemTable() {
  static const OemConversion conversion = [] {
    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
    const std::string converted = platform::OemToAnsi(all);
    OemConversion c;
    for (int i = 0; i < 256; ++i) {
      c.table[i] = converted.size() == 256 ? converted[i] : static_cast<char>(i);
      if (i < 0x80 && c.table[i] != static_cast<char>(i)) c.asciiKept = false;
    }
    return c;
  }();
  return conversion;
}

void AppendConverted(std::string& target, std::string_view oem) {
  const OemConversion& conversion = OemTable();
  const size_t start = target.size();
  const size_t n = oem.size();
  target.resize(start + n);
  char* const out = target.data() + start;
  const auto* in = reinterpret_cast<const unsigned char*>(oem.data());
  size_t i = 0;
  while (i < n) {
    // Record texts are mostly ASCII: eight bytes at a time while no high bit is set.
    if (conversion.asciiKept) {
      for (; i + 8 <= n; i += 8) {
        uint64_t x;
        std::memcpy(&x, in + i, 8);
        if (x & 0x8080808080808080ull) break;
        std::memcpy(out + i, &x, 8);
      }
    }
    const size_t stop = std::min(n, i + 8);
    for (; i < stop; ++i) out[i] = conversion.table[in[i]];
  }
}

std::string Converted(std::string_view oem) {
  std::string out;
  AppendConverted(out, oem);
  return out;
}

// A fixed field with a decimal comma set before its last `decimals` characters.
std::string WithComma(std::string_view field, size_t decimals) {
  std::string out;
  if (field.size() > decimals) out = field.substr(0, field.size() - decimals);
  out += ',';
  out += field.size() >= decimals ? field.substr(field.size() - decimals) : field;
  return out;
}

class TGAEB90Reader {
 public:
  TGAEB90Reader(TDXFDataStack& stack)
      : Stack(stack), TaxRateText(FormatTwoDecimals(stack.TaxRate)) {}

  void Line(std::string_view line);
  void Finish(std::vector<std::string>& headerLines);

 private:
  TDataLineStack* NewDataLine(bool isPosition);
  void AddHeaderLine(std::string_view line);
  void AppendLongText(std::string_view oemData);
  void GroupHeading(std::string_view data);
  void PositionRecord(std::string_view line);
  void PriceRecord(std::string_view line);
  bool ShortTextIs(std::string_view text) const;
  void SettleShortText();

  TDXFDataStack& Stack;
  const std::string TaxRateText;
  TOZMask Mask;
  std::string Header;
  TDataLineStack* Current = nullptr;
  // The current entry's long text grows here and goes to the entry, at its final size, when
  // the entry is left: one allocation per entry instead of one per doubling.
  std::string Long;
  // A "26" record makes an empty short text a copy of the long text. The long text only grows
  // at its end after that, so the copy is kept as a prefix length until the entry is left;
  // alternating records can then not make the reading quadratic.
  bool ShortIsLongPrefix = false;
  size_t ShortPrefixLength = 0;
};

TDataLineStack* TGAEB90Reader::NewDataLine(bool isPosition) {
  SettleShortText();
  auto record = std::make_unique<TDataLineStack>();
  record->TypLine = isPosition ? "" : "-";
  if (isPosition) record->TaxRate = TaxRateText;
  Current = Stack.Push(std::move(record));
  return Current;
}

void TGAEB90Reader::SettleShortText() {
  if (Current != nullptr) {
    if (ShortIsLongPrefix) Current->ShortText.assign(Long, 0, ShortPrefixLength);
    Current->LongText = Long;
  }
  Long.clear();
  ShortIsLongPrefix = false;
}

bool TGAEB90Reader::ShortTextIs(std::string_view text) const {
  if (ShortIsLongPrefix)
    return ShortPrefixLength == text.size() &&
           std::string_view(Long).substr(0, ShortPrefixLength) == text;
  return Current->ShortText == text;
}

void TGAEB90Reader::AddHeaderLine(std::string_view line) {
  // Header is trimmed plus one blank, so trimming after the append only looks at the new tail.
  Header += "\r\n";
  Header += line;
  TrimInPlace(Header);
  Header += ' ';
}

void TGAEB90Reader::AppendLongText(std::string_view oemData) {
  // LongText is always trimmed; the append then keeps it so at the cost of the new part only.
  std::string& text = Long;
  text += ' ';
  AppendConverted(text, oemData);
  TrimInPlace(text);
}

void TGAEB90Reader::GroupHeading(std::string_view data) {
  TDataLineStack* entry = NewDataLine(false);
  const std::string text = Converted(support::TrimView(data));
  const size_t numberEnd = text.find_first_not_of("0123456789. ");
  std::string number = text.substr(0, numberEnd);
  support::ReplaceAllText(number, "   ", " ");
  support::ReplaceAllText(number, "  ", " ");
  number = support::Trim(number);
  for (char& c : number)
    if (c == ' ') c = '.';
  entry->Position = Mask.FormatOZ(number);
  const size_t n = text.find('N');
  if (n != std::string::npos && n + 1 < text.size())
    entry->ShortText = text.substr(n + 1, 100);
  else
    entry->ShortText = "Gruppe";
}

void TGAEB90Reader::PositionRecord(std::string_view line) {
  TDataLineStack* entry = NewDataLine(true);
  entry->Position = Mask.FormatOZ(Columns(line, 3, 10));
  entry->Quantity = Columns(line, 24, 31);
  entry->Quantity += ',';
  entry->Quantity += Columns(line, 32, 34);
  entry->Unit = Converted(Columns(line, 35, 38));
  entry->ShortText.clear();
}

void TGAEB90Reader::PriceRecord(std::string_view line) {
  if (Mask.FormatOZ(Columns(line, 3, 10)) != Current->Position) return;
  std::string price = WithComma(Columns(line, 12, 23), 3);
  if (support::TextToFloatOrZero(price) == 0) price = WithComma(Columns(line, 25, 36), 2);
  Current->Price = std::move(price);
}

void TGAEB90Reader::Line(std::string_view line) {
  if (line.size() > 73) line = line.substr(0, 73);  // columns past 73 are never read
  if (line.size() < 2) return;
  const std::string_view data = Columns(line, 3, 73);
  const char a = line[0], b = line[1];
  auto trimmed = [&data] { return support::TrimView(data); };
  if (a == '0') {
    switch (b) {
      case '0': Mask.ParseOZMask(data); break;
      case '1': case '2': case '3': case '4': AddHeaderLine(trimmed()); break;
      default: break;
    }
  } else if (a == 'T') {
    if (b == '1' || b == '9') AddHeaderLine(trimmed());
  } else if (a == '1') {
    switch (b) {
      case '0':
        if (!trimmed().empty()) NewDataLine(false)->ShortText = Converted(trimmed());
        break;
      case '1': GroupHeading(data); break;
      case '2':
        if (!trimmed().empty() && Current != nullptr) {
          AppendLongText(trimmed());
          if (ShortTextIs("Gruppe")) {
            // LongText is trimmed already.
            Current->ShortText =
                support::ShortenText(Long.size() > 20 ? Long.substr(0, 21) : Long, 20);
            ShortIsLongPrefix = false;
          }
        }
        break;
      default: break;
    }
  } else if (a == '2') {
    switch (b) {
      case '1': PositionRecord(line); break;
      case '2': case '3':
        if (Current != nullptr) PriceRecord(line);
        break;
      case '5':
        if (Current != nullptr) {
          Current->ShortText = Converted(trimmed());
          ShortIsLongPrefix = false;
        }
        break;
      case '6':
        if (Current == nullptr) {
          AddHeaderLine(trimmed());
        } else {
          AppendLongText(trimmed());
          const bool shortEmpty = ShortIsLongPrefix ? false : Current->ShortText.empty();
          if (shortEmpty && !Long.empty()) {
            ShortIsLongPrefix = true;
            ShortPrefixLength = Long.size();
          }
        }
        break;
      default: break;
    }
  } else if (a == '3') {
    if ((b == '1' || b == '3') && !trimmed().empty()) NewDataLine(false)->ShortText = "  ";
  }
}

void TGAEB90Reader::Finish(std::vector<std::string>& headerLines) {
  SettleShortText();
  Header = Converted(Header);
  support::ReplaceAllText(Header, "   ", " ");
  support::ReplaceAllText(Header, "  ", " ");
  headerLines = support::SplitLines(Header);
}

}  // namespace

void CollectGAEB90(TDXFDataStack& Stack, std::string_view text,
                   std::vector<std::string>& HeaderLines) {
  TGAEB90Reader reader(Stack);
  support::ForEachLine(text, [&reader](std::string_view line) { reader.Line(line); });
  reader.Finish(HeaderLines);
}

void ReadGAEB90(TDXFDataStack& Stack, const std::string& FileName,
                std::vector<std::string>& HeaderLines) {
  {
    const std::string text = support::LoadFileBytes(FileName);
    CollectGAEB90(Stack, text, HeaderLines);
  }  // the file's bytes go before the document grows
  EmitDataLines(Stack);
}

}  // namespace import
