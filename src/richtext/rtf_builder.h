// Builds the document from the reader's events: runs, tables, notes and other items.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "richtext/rtf_document.h"

namespace richtext {

// Cell boundaries of the row being defined (\trowd ... \cellx), with their merge marks.
struct TRowDefinition {
  std::vector<bool> covered;
  bool lastRow = false;
};

class TRtfBuilder {
 public:
  explicit TRtfBuilder(TRtfDocument& document) : document_(document) {}

  // A run or other item at the given position; a pending page break goes onto it. A text run
  // that continues a text run of the same style right before it in the arena extends that run.
  void Add(TRtfItemKind kind, size_t offset, size_t length, uint16_t style, bool mergeable,
           TRtfPosition position);
  void PageBreak() { pageBreak_ = true; }

  size_t OpenTables() const { return tables_.size(); }
  void StartTable();
  // Ends the innermost table: its rows become one table item; cells after the last row form a
  // final row; a table that never saw a row hands its cells' items to the enclosing list.
  void EndTable();
  void EndCell();
  void EndRow(const TRowDefinition& definition);

  void NoteReference(TRtfPosition position);
  // Directs items into the body of the latest reference without one (created if needed).
  // True when a reference had to be created.
  bool StartNoteBody(TRtfPosition position);
  void MakeEndnote();
  void EndNoteBody() { inBody_ = false; }
  bool InNoteBody() const { return inBody_; }

  // Ends open tables and labels the notes: footnotes 1, 2, 3; endnotes i, ii, iii.
  void Finish();

 private:
  struct OpenTable {
    std::unique_ptr<TRtfTable> table = std::make_unique<TRtfTable>();
    TRtfRow row;
    TRtfCell cell;
  };

  TRtfItemList& Current();

  TRtfDocument& document_;
  std::vector<OpenTable> tables_;
  TRtfItemList body_;  // footnote bodies never reach the text
  bool pageBreak_ = false;
  bool inBody_ = false;
  size_t bodyNote_ = 0;
  size_t freeNote_ = SIZE_MAX;  // latest reference without a body
};

// Label of a number: decimal, letters (a..z, aa..zz, ...) or Roman numerals. Letters stop at
// 780 (30 letters) and Roman numerals at 3999; larger values are written in decimal.
enum class TNumberFormat : uint8_t { kDecimal, kLowerLetter, kUpperLetter, kLowerRoman, kUpperRoman };
std::string FormatNumber(int64_t value, TNumberFormat format);

}  // namespace richtext
