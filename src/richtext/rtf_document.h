// The flat document an RTF text is read into: items with paragraph flags, text styles, tables
// and notes. The text of every item lives in one byte arena owned by the document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace richtext {

enum class TRtfItemKind : uint8_t {
  kText,
  kTab,
  kTable,
  kNoteReference,
  kSequence,
  kListMarker,
  kPicture,
  kOther,
};

// Where the next item starts, as the reader tracks it.
enum TRtfPosition : uint8_t { rpContinue = 0, rpNewLine = 1, rpNewParagraph = 2 };

struct TRtfItem {
  enum : uint8_t { kContinuesLine = 1, kSoftBreak = 2, kPageBreakAhead = 4 };

  size_t offset = 0;    // text bytes in the arena; for a table or note, its index
  uint32_t length = 0;  // bytes in the arena (UTF-16LE for a Unicode run)
  uint16_t style = 0;   // entry in the text-style table
  TRtfItemKind kind = TRtfItemKind::kText;
  uint8_t flags = 0;

  bool ContinuesLine() const { return (flags & kContinuesLine) != 0; }
  bool SoftBreak() const { return (flags & kSoftBreak) != 0; }
  bool PageBreakAhead() const { return (flags & kPageBreakAhead) != 0; }
  void SetContinuesLine() { flags = kContinuesLine; }
  // A table starts a paragraph instead of taking a soft break.
  void SetSoftBreak() { flags = kind == TRtfItemKind::kTable ? 0 : kSoftBreak; }
  void SetPageBreakAhead() { flags = kPageBreakAhead; }
  void SetPosition(TRtfPosition position);
};

using TRtfItemList = std::vector<TRtfItem>;

struct TRtfCell {
  TRtfItemList items;
  bool covered = false;  // covered by a merged neighbour: the position holds nothing
};

struct TRtfRow {
  std::vector<TRtfCell> cells;
};

struct TRtfTable {
  std::vector<TRtfRow> rows;
  size_t Columns() const;
  size_t CellCount() const;
};

struct TRtfNote {
  bool endnote = false;
  std::string label;
};

struct TTextStyle {
  uint8_t Charset = 1;
  bool Unicode = false;
};

// One entry per distinct (character set, Unicode) pair; the only formatting that reaches text.
class TTextStyleTable {
 public:
  TTextStyleTable();
  uint16_t Find(uint8_t charset, bool unicode);
  const TTextStyle& operator[](uint16_t index) const { return styles_[index]; }
  size_t size() const { return styles_.size(); }

 private:
  std::vector<TTextStyle> styles_;
  uint16_t index_[512];  // (charset, unicode) -> entry + 1
};

class TRtfDocument {
 public:
  std::string arena;
  TRtfItemList items;
  std::vector<std::unique_ptr<TRtfTable>> tables;
  std::vector<TRtfNote> notes;

  // The plain text: CR LF before every item that does not continue the line.
  std::string Text(const TTextStyleTable& styles, unsigned defaultCodePage) const;
};

// Loads bytes as plain text: a paragraph per line (CR LF, LF CR, CR, LF and form feed break),
// tab items for tabs. Data of zero bytes only leaves the document empty.
void LoadPlainText(std::string_view data, TRtfDocument& document);

}  // namespace richtext
