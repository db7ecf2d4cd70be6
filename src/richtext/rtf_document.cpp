#include "richtext/rtf_document.h"

#include <algorithm>
#include <string_view>

#include "richtext/rtf_charset.h"

namespace richtext {

void TRtfItem::SetPosition(TRtfPosition position) {
  switch (position) {
    case rpContinue: SetContinuesLine(); break;
    case rpNewLine: SetSoftBreak(); break;
    case rpNewParagraph: flags = 0; break;
  }
}

size_t TRtfTable::Columns() const {
  size_t columns = 0;
  for (const TRtfRow& row : rows) columns = std::max(columns, row.cells.size());
  return columns;
}

size_t TRtfTable::CellCount() const {
  size_t cells = 0;
  for (const TRtfRow& row : rows) cells += row.cells.size();
  return cells;
}

TTextStyleTable::TTextStyleTable() {
  std::fill(std::begin(index_), std::end(index_), uint16_t{0});
  styles_.push_back(TTextStyle{});
  index_[1 * 2] = 1;
}

uint16_t TTextStyleTable::Find(uint8_t charset, bool unicode) {
  uint16_t& slot = index_[charset * 2 + (unicode ? 1 : 0)];
  if (slot == 0) {
    styles_.push_back(TTextStyle{charset, unicode});
    slot = static_cast<uint16_t>(styles_.size());
  }
  return static_cast<uint16_t>(slot - 1);
}

namespace {

class TextWriter {
 public:
  TextWriter(const TRtfDocument& document, const TTextStyleTable& styles, unsigned defaultCodePage)
      : document_(document), styles_(styles), defaultCodePage_(defaultCodePage) {}

  void List(const TRtfItemList& items, bool inCell, std::string& out) {
    for (size_t i = 0; i < items.size(); ++i) {
      if (i > 0 && !items[i].ContinuesLine()) out += "\r\n";
      Item(items[i], inCell, out);
    }
  }

 private:
  void Item(const TRtfItem& item, bool inCell, std::string& out) {
    switch (item.kind) {
      case TRtfItemKind::kText: {
        std::string_view bytes(document_.arena.data() + item.offset, item.length);
        const TTextStyle& style = styles_[item.style];
        if (!style.Unicode) {
          out += bytes;
        } else {
          // Cells take the default code page, the rest the code page of the run's font.
          unsigned codePage =
              inCell ? defaultCodePage_ : CharsetCodePage(style.Charset, defaultCodePage_);
          unicode_.Append(codePage, bytes, out);
        }
        break;
      }
      case TRtfItemKind::kTab: out += '\t'; break;
      case TRtfItemKind::kTable: Table(*document_.tables[item.offset], out); break;
      case TRtfItemKind::kNoteReference: out += document_.notes[item.offset].label; break;
      case TRtfItemKind::kSequence:
        out.append(document_.arena.data() + item.offset, item.length);
        break;
      default: break;
    }
  }

  // Rows of very different widths are not padded to the widest one when padding would cost
  // more than the cells and rows themselves: a row then holds only its own positions. Each cell
  // and each row took at least a few input bytes, so the text stays within twice the input.
  void Table(const TRtfTable& table, std::string& out) {
    const size_t columns = table.Columns();
    const size_t rows = table.rows.size();
    const size_t cells = table.CellCount();
    const bool pad = rows <= 2 * (cells + rows) / std::max<size_t>(columns, 1);
    for (const TRtfRow& row : table.rows) {
      const size_t width = pad ? columns : row.cells.size();
      for (size_t column = 0; column < width; ++column) {
        if (column < row.cells.size() && !row.cells[column].covered)
          List(row.cells[column].items, true, out);
        if (column + 1 < width) out += "\r\n";
      }
      out += "\r\n";
    }
  }

  const TRtfDocument& document_;
  const TTextStyleTable& styles_;
  unsigned defaultCodePage_;
  TUnicodeWriter unicode_;
};

}  // namespace

std::string TRtfDocument::Text(const TTextStyleTable& styles, unsigned defaultCodePage) const {
  std::string out;
  out.reserve(arena.size() + 2 * items.size());
  TextWriter(*this, styles, defaultCodePage).List(items, false, out);
  return out;
}

void LoadPlainText(std::string_view data, TRtfDocument& document) {
  if (std::all_of(data.begin(), data.end(), [](char c) { return c == 0; })) return;
  document.arena.assign(data.data(), data.size());
  TRtfPosition position = rpNewParagraph;
  size_t start = 0;
  auto emitText = [&](size_t end) {
    if (end > start || position == rpNewParagraph) {
      TRtfItem item;
      item.offset = start;
      item.length = static_cast<uint32_t>(end - start);
      item.SetPosition(position);
      document.items.push_back(item);
      position = rpContinue;
    }
  };
  const size_t n = data.size();
  size_t i = 0;
  while (i < n) {
    const char c = data[i];
    if (c == '\t') {
      emitText(i);
      TRtfItem tab;
      tab.kind = TRtfItemKind::kTab;
      tab.SetPosition(position);
      document.items.push_back(tab);
      position = rpContinue;
      start = ++i;
    } else if (c == '\r' || c == '\n' || c == '\f') {
      emitText(i);
      ++i;
      if (i < n && ((c == '\r' && data[i] == '\n') || (c == '\n' && data[i] == '\r'))) ++i;
      start = i;
      position = rpNewParagraph;
    } else {
      ++i;
    }
  }
  emitText(n);
}

}  // namespace richtext
