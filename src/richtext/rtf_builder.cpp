#include "richtext/rtf_builder.h"

#include <algorithm>
#include <string>

namespace richtext {

TRtfItemList& TRtfBuilder::Current() {
  if (inBody_) return body_;
  if (!tables_.empty()) return tables_.back().cell.items;
  return document_.items;
}

void TRtfBuilder::Add(TRtfItemKind kind, size_t offset, size_t length, uint16_t style,
                      bool mergeable, TRtfPosition position) {
  TRtfItem item;
  item.kind = kind;
  item.offset = offset;
  item.length = static_cast<uint32_t>(length);
  item.style = style;
  item.SetPosition(position);
  if (pageBreak_) {
    item.SetPageBreakAhead();
    pageBreak_ = false;
  }
  TRtfItemList& list = Current();
  if (inBody_) {
    list.clear();
    return;
  }
  if (mergeable && item.flags == TRtfItem::kContinuesLine && !list.empty()) {
    TRtfItem& last = list.back();
    if (last.kind == TRtfItemKind::kText && last.style == style &&
        last.offset + last.length == offset && last.length + length < UINT32_MAX) {
      last.length += static_cast<uint32_t>(length);
      return;
    }
  }
  list.push_back(item);
}

void TRtfBuilder::StartTable() { tables_.emplace_back(); }

void TRtfBuilder::EndCell() {
  OpenTable& open = tables_.back();
  if (open.cell.items.empty()) open.cell.items.push_back(TRtfItem{});
  open.row.cells.push_back(std::move(open.cell));
  open.cell = TRtfCell{};
}

void TRtfBuilder::EndRow(const TRowDefinition& definition) {
  OpenTable& open = tables_.back();
  if (!open.cell.items.empty()) EndCell();
  const size_t marked = std::min(open.row.cells.size(), definition.covered.size());
  for (size_t i = 0; i < marked; ++i) open.row.cells[i].covered = definition.covered[i];
  open.table->rows.push_back(std::move(open.row));
  open.row = TRtfRow{};
}

void TRtfBuilder::EndTable() {
  OpenTable open = std::move(tables_.back());
  tables_.pop_back();
  if (!open.cell.items.empty()) open.row.cells.push_back(std::move(open.cell));
  if (open.table->rows.empty()) {
    TRtfItemList& target = Current();
    for (TRtfCell& cell : open.row.cells)
      target.insert(target.end(), cell.items.begin(), cell.items.end());
    return;
  }
  if (!open.row.cells.empty()) open.table->rows.push_back(std::move(open.row));
  if (open.table->Columns() == 0) return;
  document_.tables.push_back(std::move(open.table));
  Add(TRtfItemKind::kTable, document_.tables.size() - 1, 0, 0, false, rpNewParagraph);
}

void TRtfBuilder::NoteReference(TRtfPosition position) {
  document_.notes.emplace_back();
  freeNote_ = document_.notes.size() - 1;
  Add(TRtfItemKind::kNoteReference, freeNote_, 0, 0, false, position);
}

bool TRtfBuilder::StartNoteBody(TRtfPosition position) {
  const bool created = freeNote_ == SIZE_MAX;
  if (created) NoteReference(position);
  bodyNote_ = freeNote_;
  freeNote_ = SIZE_MAX;
  inBody_ = true;
  return created;
}

void TRtfBuilder::MakeEndnote() {
  if (inBody_) document_.notes[bodyNote_].endnote = true;
}

void TRtfBuilder::Finish() {
  inBody_ = false;
  while (!tables_.empty()) EndTable();
  int64_t footnotes = 0, endnotes = 0;
  for (TRtfNote& note : document_.notes)
    note.label = note.endnote ? FormatNumber(++endnotes, TNumberFormat::kLowerRoman)
                              : FormatNumber(++footnotes, TNumberFormat::kDecimal);
}

std::string FormatNumber(int64_t value, TNumberFormat format) {
  switch (format) {
    case TNumberFormat::kLowerLetter:
    case TNumberFormat::kUpperLetter:
      if (value >= 1 && value <= 780) {
        const char base = format == TNumberFormat::kLowerLetter ? 'a' : 'A';
        return std::string(static_cast<size_t>((value - 1) / 26 + 1),
                           static_cast<char>(base + (value - 1) % 26));
      }
      break;
    case TNumberFormat::kLowerRoman:
    case TNumberFormat::kUpperRoman:
      if (value >= 1 && value <= 3999) {
        static const struct { int value; const char* upper; const char* lower; } kDigits[] = {
            {1000, "M", "m"}, {900, "CM", "cm"}, {500, "D", "d"}, {400, "CD", "cd"},
            {100, "C", "c"},  {90, "XC", "xc"},  {50, "L", "l"},  {40, "XL", "xl"},
            {10, "X", "x"},   {9, "IX", "ix"},   {5, "V", "v"},   {4, "IV", "iv"},
            {1, "I", "i"}};
        std::string out;
        int64_t rest = value;
        for (const auto& digit : kDigits)
          for (; rest >= digit.value; rest -= digit.value)
            out += format == TNumberFormat::kUpperRoman ? digit.upper : digit.lower;
        return out;
      }
      break;
    case TNumberFormat::kDecimal: break;
  }
  return std::to_string(value);
}

}  // namespace richtext
