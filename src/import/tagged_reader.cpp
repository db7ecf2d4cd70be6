#include "import/tagged_reader.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "import/tagged_text.h"
#include "import/text_tools.h"
#include "richtext/rtf_plain.h"
#include "support/support.h"

namespace import {
namespace {

std::vector<std::string_view> LineViews(std::string_view text) {
  std::vector<std::string_view> lines;
  // Counted first: a vector doubling its way to millions of lines takes fresh memory and
  // copies far beyond the count's cost.
  lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  support::ForEachLine(text, [&lines](std::string_view line) { lines.push_back(line); });
  return lines;
}

void Flatten(std::string& text) { text = richtext::RtfToPlainText(text); }

// Flattening leaves a text without the RTF marker as it is. A header text is flattened again at
// the end of every block that adds to it, so only the part not yet searched is looked at: many
// small blocks must not cost the whole text each.
void FlattenGrowing(std::string& text, size_t& searched) {
  constexpr std::string_view kMarker = "{\\rtf1";
  const size_t from = searched >= kMarker.size() ? searched - (kMarker.size() - 1) : 0;
  if (text.find(kMarker, std::min(from, text.size())) != std::string::npos) {
    Flatten(text);
    searched = 0;  // the plain text may hold the marker again
  } else {
    searched = text.size();
  }
}

class TTaggedReader {
 public:
  TTaggedReader(TDXFDataStack& stack, std::string_view text)
      : Stack(stack), Lines(LineViews(text)), TaxRateText(FormatTwoDecimals(stack.TaxRate)) {}

  void Run(std::vector<std::string>& headerLines);

 private:
  // Every marker and key holds a "[", so an occurrence of one puts its first "[" on a "[" of
  // the line. The few "[" of a line are found once, however many markers are asked for.
  bool Has(size_t i, std::string_view marker) const {
    if (i != BracketLine) FindBrackets(i);
    if (BracketCount > kMaxBrackets) return ContainsMarker(Lines[i], marker);
    const std::string_view line = Lines[i];
    const size_t k = marker.find('[');
    if (k == std::string_view::npos) return ContainsMarker(line, marker);
    for (size_t b = 0; b < BracketCount; ++b) {
      const size_t at = Brackets[b];
      if (at >= k && MarkerAt(line, at - k, marker)) return true;
    }
    return false;
  }
  void FindBrackets(size_t i) const {
    BracketLine = i;
    BracketCount = 0;
    const std::string_view line = Lines[i];
    for (size_t at = line.find('['); at != std::string_view::npos; at = line.find('[', at + 1)) {
      if (BracketCount == kMaxBrackets) {
        BracketCount = kMaxBrackets + 1;  // many: searched the plain way
        return;
      }
      Brackets[BracketCount++] = at;
    }
  }
  bool Last(size_t i) const { return i + 1 >= Lines.size(); }
  TDataLineStack* NewEntry(bool isPosition);
  size_t InfoBlock(size_t i, std::string_view endMarker, std::string& text, size_t& searched);
  size_t TopDescription(size_t i);
  size_t GroupHeading(size_t i, bool& examineAgain);
  size_t Position(size_t i);
  size_t OrderPosition(size_t i);
  size_t Gather(size_t i, std::string& text);

  TDXFDataStack& Stack;
  const std::vector<std::string_view> Lines;
  const std::string TaxRateText;
  std::string PrjText, VergabeText, DescText;
  size_t PrjSearched = 0, VergabeSearched = 0;  // prefix known to hold no RTF marker
  static constexpr size_t kMaxBrackets = 8;
  mutable size_t BracketLine = static_cast<size_t>(-1);
  mutable size_t BracketCount = 0;
  mutable size_t Brackets[kMaxBrackets] = {};
  bool DescSeen = false;
  bool InDesc = false;
};

TDataLineStack* TTaggedReader::NewEntry(bool isPosition) {
  auto record = std::make_unique<TDataLineStack>();
  record->TypLine = isPosition ? "" : "-";
  if (isPosition) record->TaxRate = TaxRateText;
  return Stack.Push(std::move(record));
}

// Project and award blocks: every following line's value up to the end marker. Without the
// end marker the rest of the file is taken, unflattened.
size_t TTaggedReader::InfoBlock(size_t i, std::string_view endMarker, std::string& text,
                                size_t& searched) {
  while (!Last(i)) {
    ++i;
    AppendStripped(text, Lines[i], false);
    if (Has(i, endMarker)) {
      FlattenGrowing(text, searched);
      break;
    }
  }
  return i;
}

// The description before the first position. It ends at the first position, or at the first
// group heading, whose line is then read by the group check of the same pass.
size_t TTaggedReader::TopDescription(size_t i) {
  DescSeen = true;
  InDesc = false;
  for (;; ++i) {
    if (InDesc) AddDescLine(DescText, Lines[i]);
    if (Has(i, "#begin[Beschreibung]"))
      InDesc = true;
    else if (Has(i, "#end[Beschreibung]"))
      InDesc = false;
    if (Has(i, "#begin[Position]") || Has(i, "#begin[LVBereich]") || Last(i)) {
      Flatten(DescText);
      return i;
    }
  }
}

// A group heading: its OZ and title stand on the first two lines, whatever their keys. It ends
// at its first position or at the next group heading; that one is examined again.
size_t TTaggedReader::GroupHeading(size_t i, bool& examineAgain) {
  DescSeen = true;
  TDataLineStack* entry = NewEntry(false);
  InDesc = false;
  int groupLine = 0;
  while (!Last(i)) {
    ++i;
    if (Has(i, "#begin[LVBereich]")) {
      Flatten(entry->LongText);
      examineAgain = true;
      return i;
    }
    if (groupLine == 0) entry->Position = FormatTaggedOZ(StripTags(Lines[i], false));
    if (groupLine == 1) entry->ShortText = StripTags(Lines[i], true);
    if (InDesc) AddDescLine(entry->LongText, Lines[i]);
    if (Has(i, "#begin[Beschreibung]"))
      InDesc = true;
    else if (Has(i, "#end[Beschreibung]"))
      InDesc = false;
    ++groupLine;
    if (Has(i, "#begin[Position]")) break;
  }
  Flatten(entry->LongText);
  return i;
}

size_t TTaggedReader::Position(size_t i) {
  TDataLineStack* entry = NewEntry(true);
  InDesc = false;
  while (!Last(i)) {
    ++i;
    if (Has(i, "[EP]")) {
      entry->Price = StripTags(Lines[i], true);
    } else if (Has(i, "[OZ]")) {
      entry->Position = FormatTaggedOZ(StripTags(Lines[i], false));
    } else if (Has(i, "[Menge]")) {
      entry->Quantity = StripTags(Lines[i], true);
    } else if (Has(i, "[ME]")) {
      entry->Unit = StripTags(Lines[i], true);
    } else if (Has(i, "[Kurztext]")) {
      entry->ShortText = StripTags(Lines[i], true);
      while (!Has(i, "[end]") && !Last(i)) AppendStripped(entry->ShortText, Lines[++i], true);
    } else if (Has(i, "[KatZuord]")) {
      entry->ShortText = StripTags(Lines[i], true);
    }
    if (InDesc) AddDescLine(entry->LongText, Lines[i]);
    if (Has(i, "#begin[Beschreibung]"))
      InDesc = true;
    else if (Has(i, "#end[Beschreibung]"))
      InDesc = false;
    if (Has(i, "#end[Position]")) break;
  }
  Flatten(entry->LongText);
  return i;
}

// The value of a multi-line key: the key line's value, then each further line's value after
// one blank, up to the line holding "[end]" (the key line itself may hold it).
size_t TTaggedReader::Gather(size_t i, std::string& text) {
  text = StripTags(Lines[i], true);
  while (!Has(i, "[end]") && !Last(i)) {
    ++i;
    text += ' ';
    AppendStripped(text, Lines[i], true);
  }
  return i;
}

size_t TTaggedReader::OrderPosition(size_t i) {
  TDataLineStack* entry = NewEntry(true);
  while (!Last(i)) {
    ++i;
    if (Has(i, "[EP]")) {
      entry->Price = StripTags(Lines[i], true);
    } else if (Has(i, "[POSKENNZ]")) {
      if (StripTags(Lines[i], true) == "A") entry->TypLine = "-";
    } else if (Has(i, "[ME]")) {
      entry->Unit = StripTags(Lines[i], true);
    } else if (Has(i, "[OZ]")) {
      entry->Position = StripTags(Lines[i], false);
    } else if (Has(i, "[LIEFKENNZ]")) {
    } else if (Has(i, "[ARTNR]")) {
      entry->Number = StripTags(Lines[i], true);
    } else if (Has(i, "[ARTMENGE]")) {
      entry->Quantity = StripTags(Lines[i], true);
    } else if (Has(i, "[ST]")) {
      entry->Unit = StripTags(Lines[i], true);
    } else if (Has(i, "[PRBRUTTO]")) {
    } else if (Has(i, "[PRNETTO]")) {
      entry->Price = StripTags(Lines[i], true);
    } else if (Has(i, "[PRBASIS]")) {
    } else if (Has(i, "[ARTKURZTEXT]")) {
      i = Gather(i, entry->ShortText);
    } else if (Has(i, "[ARTHINWEIS]")) {
      i = Gather(i, entry->LongText);
    } else if (Has(i, " #end[BESTPOSITION]")) {
      break;
    }
  }
  Flatten(entry->LongText);
  return i;
}

void TTaggedReader::Run(std::vector<std::string>& headerLines) {
  for (size_t i = 0; i < Lines.size();) {
    bool examineAgain = false;
    if (Has(i, "#begin[PrjInfo]")) i = InfoBlock(i, "#end[PrjInfo]", PrjText, PrjSearched);
    if (Has(i, "#begin[Vergabe]"))
      i = InfoBlock(i, "#end[VergabeInfo]", VergabeText, VergabeSearched);
    if (!DescSeen && Has(i, "#begin[Beschreibung]")) i = TopDescription(i);
    if (Has(i, "#begin[LVBereich]")) i = GroupHeading(i, examineAgain);
    if (!examineAgain) {
      if (Has(i, "#begin[Position]")) i = Position(i);
      if (Has(i, " #begin[BESTPOSITION]")) i = OrderPosition(i);
      ++i;
    }
  }
  headerLines = support::SplitLines(PrjText + VergabeText + DescText);
}

}  // namespace

void CollectTaggedGAEB(TDXFDataStack& Stack, std::string_view text,
                       std::vector<std::string>& HeaderLines) {
  TTaggedReader(Stack, text).Run(HeaderLines);
}

void ReadTaggedGAEB(TDXFDataStack& Stack, const std::string& FileName,
                    std::vector<std::string>& HeaderLines) {
  {
    const std::string text = support::LoadFileBytes(FileName);
    CollectTaggedGAEB(Stack, text, HeaderLines);
  }  // the file's bytes go before the document grows
  EmitDataLines(Stack);
}

}  // namespace import
