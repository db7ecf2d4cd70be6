#include "richtext/rtf_reader.h"

#include <algorithm>
#include <climits>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "richtext/rtf_builder.h"
#include "richtext/rtf_charset.h"
#include "richtext/rtf_field.h"
#include "richtext/rtf_keywords.h"
#include "richtext/rtf_picture.h"

namespace richtext {

namespace {

// Deeper \itap levels count as the deepest: a number in the data must not open that many tables.
constexpr uint8_t kMaxTableDepth = 64;
// A run is cut before its length overflows an item.
constexpr size_t kMaxRun = size_t{1} << 30;
constexpr int32_t kNoFont = INT32_MIN;
constexpr int kNoBreak = -1;

enum Destination : uint8_t {
  dNormal,
  dSkip,
  dFontTable,
  dColorTable,
  dStyleSheet,
  dPicture,
  dField,
  dFieldInstruction,
  dBookmark,
  dOldList,
  dOldListText,
  dListTable,
  dList,
  dListLevel,
  dLevelText,
  dListOther,
  dListOverrideTable,
  dListOverride,
  dListOverrideLevel,
  dAlternate,
};

// Copied at "{", restored at "}". Kept small: deep nesting costs one of these per level.
struct GroupState {
  int32_t font = kNoFont;
  int32_t fallback = 1;  // \ucN
  int32_t list = 0;      // \lsN
  int32_t field = -1;    // innermost open field
  Destination destination = dNormal;
  uint8_t nesting = 1;  // \itapN
  bool hidden = false;
  bool inTable = false;
  bool inFootnote = false;
  bool inShapePicture = false;
};

// Longer names are cut: no face name comes near this, and a name that keeps growing must not
// be looked at whole again at every change.
constexpr size_t kMaxFontName = 255;

struct Font {
  int32_t number = 0;
  std::string name;
  uint8_t charset = 1;
  bool named = false;        // the name ended at ";"
  bool changed = false;      // changed since the last font table ended
  bool renamed = false;      // name changed since it was entered in the name index
  bool indexed = false;
  std::string indexedName;   // its key in the name index
};

struct Field {
  std::string instruction;
  bool skipResult = false;
};

struct Picture {
  TPictureFormat format = TPictureFormat::kNone;
  uint8_t header[kPictureHeaderBytes] = {};
  size_t size = 0;
  int nibble = -1;
  bool ended = false;
};

struct ByteClasses {
  bool textStop[256] = {};  // bytes the plain-text scan stops at
  bool groupStop[256] = {}; // bytes a dropped destination stops at
  ByteClasses() {
    for (uint8_t c : {'\\', '{', '}', '\r', '\n', '\t', '\0'}) textStop[c] = true;
    for (uint8_t c : {'\\', '{', '}'}) groupStop[c] = true;
  }
};
const ByteClasses kClasses;

int HexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsLetter(uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// Destinations whose text goes nowhere.
bool Drops(Destination d) {
  return d != dNormal && d != dFontTable && d != dFieldInstruction && d != dPicture;
}

bool EndsWithNoCase(const std::string& text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    char a = text[text.size() - suffix.size() + i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != suffix[i]) return false;
  }
  return true;
}

class Reader {
 public:
  Reader(std::string_view data, TRtfDocument& document, TTextStyleTable& styles,
         const TRtfReadSettings& settings)
      : p_(reinterpret_cast<const uint8_t*>(data.data())),
        end_(p_ + data.size()),
        arena_(document.arena),
        styles_(styles),
        builder_(document),
        settings_(settings),
        pendingStart_(document.arena.size()),
        documentCodePage_(settings.defaultCodePage) {}

  TRtfReadResult Run() {
    // The text is never longer than the RTF it comes from (note labels aside): room for it up
    // front spares the copies of a growing buffer. Unused room is never touched.
    arena_.reserve(arena_.size() + static_cast<size_t>(end_ - p_));
    stack_.reserve(32);
    stack_.emplace_back();
    while (p_ < end_ && !ended_ && result_ == TRtfReadResult::kOk) Step();
    if (result_ != TRtfReadResult::kOk) return result_;
    if (!ended_ && stack_.size() > 1) return TRtfReadResult::kUnclosedGroups;
    Flush(kNoBreak);
    builder_.Finish();
    return TRtfReadResult::kOk;
  }

 private:
  GroupState& Top() { return stack_.back(); }
  bool Hidden() { return settings_.skipHidden && Top().hidden; }

  // ---- main loop -------------------------------------------------------------------------------

  void Step() {
    if (binaryLeft_ > 0) {
      Binary();
      return;
    }
    const uint8_t c = *p_;
    if (hexDigits_ > 0) {
      ++p_;
      if (c == '\r' || c == '\n') return;
      const int v = HexValue(c);
      if (v < 0) {
        result_ = TRtfReadResult::kBadHexDigit;
        return;
      }
      hexValue_ = hexValue_ * 16 + v;
      if (--hexDigits_ == 0) {
        if (skip_ > 0)
          --skip_;
        else
          Char(static_cast<uint8_t>(hexValue_));
      }
      return;
    }
    switch (c) {
      case '\\': ControlWord(); return;
      case '{':
        ++p_;
        skip_ = 0;
        stack_.push_back(stack_.back());
        return;
      case '}':
        ++p_;
        CloseGroup();
        return;
      case '\r':
      case '\n': ++p_; return;
      default: break;
    }
    if (skip_ > 0) {
      --skip_;
      ++p_;
      return;
    }
    const Destination d = Top().destination;
    if (d == dNormal) {
      const uint8_t* q = p_;
      while (q < end_ && !kClasses.textStop[*q]) ++q;
      if (q == p_) {
        ++p_;
        Text(c);
      } else {
        AppendText(p_, static_cast<size_t>(q - p_));
        p_ = q;
      }
    } else if (Drops(d) || (d == dPicture && picture_.ended)) {
      ++p_;
      while (p_ < end_ && !kClasses.groupStop[*p_]) ++p_;
    } else {
      ++p_;
      Char(c);
    }
  }

  void Binary() {
    const size_t n = static_cast<size_t>(
        std::min<uint64_t>(binaryLeft_, static_cast<uint64_t>(end_ - p_)));
    const Destination d = Top().destination;
    if (d == dNormal) {
      for (size_t i = 0; i < n; ++i) Text(p_[i]);
    } else if (d == dPicture) {
      for (size_t i = 0; i < n && !picture_.ended; ++i) PictureByte(p_[i], true);
    } else if (!Drops(d)) {
      for (size_t i = 0; i < n; ++i) Char(p_[i]);
    }
    p_ += n;
    binaryLeft_ -= n;
  }

  void ControlWord() {
    ++p_;
    if (p_ == end_) {
      result_ = TRtfReadResult::kEndAfterBackslash;
      return;
    }
    const uint8_t* start = p_;
    bool hasParameter = false;
    int64_t parameter = 0;
    if (IsLetter(*p_)) {
      while (p_ < end_ && IsLetter(*p_)) ++p_;
      const uint8_t* wordEnd = p_;
      bool negative = false;
      if (p_ + 1 < end_ && *p_ == '-' && IsDigit(p_[1])) {
        negative = true;
        ++p_;
      }
      while (p_ < end_ && IsDigit(*p_)) {
        hasParameter = true;
        parameter = std::min<int64_t>(parameter * 10 + (*p_ - '0'), int64_t{INT32_MAX} + 1);
        ++p_;
      }
      if (negative) parameter = -parameter;
      parameter = std::clamp<int64_t>(parameter, INT32_MIN, INT32_MAX);
      if (p_ < end_ && *p_ == ' ') ++p_;
      Keyword(std::string_view(reinterpret_cast<const char*>(start),
                               static_cast<size_t>(wordEnd - start)),
              hasParameter, static_cast<int32_t>(parameter));
    } else {
      ++p_;
      Keyword(std::string_view(reinterpret_cast<const char*>(start), 1), false, 0);
    }
  }

  void Keyword(std::string_view word, bool hasParameter, int32_t parameter) {
    const bool ignorable = ignorable_;
    ignorable_ = false;
    const TRtfKeyword* keyword = FindKeyword(word);
    GroupState& s = Top();
    if (!keyword) {
      if (ignorable) s.destination = dSkip;
      return;
    }
    switch (keyword->kind) {
      case TRtfKeywordKind::kCharacter:
        if (skip_ > 0)
          --skip_;
        else
          Char(keyword->index);
        break;
      case TRtfKeywordKind::kUnicodeCharacter:
        if (skip_ > 0)
          --skip_;
        else if (s.destination == dNormal)
          UnicodeChar(static_cast<char16_t>(keyword->defaultValue));
        else
          Char(keyword->index);
        break;
      case TRtfKeywordKind::kDestination: ChangeDestination(keyword->index); break;
      case TRtfKeywordKind::kProperty: {
        const int32_t value =
            keyword->useDefault || !hasParameter ? keyword->defaultValue : parameter;
        if (keyword->flushClass == 1 && s.destination == dNormal) Flush(kNoBreak);
        Property(keyword->index, value);
        break;
      }
      case TRtfKeywordKind::kSpecial:
        if (keyword->index == kSpecialBinary) {
          binaryLeft_ = hasParameter && parameter > 0 ? static_cast<uint64_t>(parameter) : 0;
        } else if (keyword->index == kSpecialHex) {
          if (s.destination != dSkip && s.destination != dAlternate) {
            hexDigits_ = 2;
            hexValue_ = 0;
          }
        } else if (s.destination != dSkip) {
          ignorable_ = true;
        }
        break;
    }
  }

  // A byte of text for the current destination.
  void Char(uint8_t c) {
    switch (Top().destination) {
      case dNormal: Text(c); break;
      case dFontTable: FontChar(c); break;
      case dFieldInstruction:
        if (Top().field >= 0) fields_[static_cast<size_t>(Top().field)].instruction += static_cast<char>(c);
        break;
      case dPicture: PictureByte(c, false); break;
      default: break;
    }
  }

  // ---- groups and destinations -----------------------------------------------------------------

  void CloseGroup() {
    if (stack_.size() == 1) {
      result_ = TRtfReadResult::kUnbalancedClose;
      return;
    }
    skip_ = 0;
    const GroupState closing = stack_.back();
    const GroupState& outer = stack_[stack_.size() - 2];
    if (closing.destination == dNormal) Flush(kNoBreak);
    if (closing.destination != outer.destination) {
      switch (closing.destination) {
        case dFontTable: FinishFontTable(); break;
        case dPicture: FinishPicture(outer.destination); break;
        case dFieldInstruction: FinishFieldInstruction(closing.field); break;
        default: break;
      }
    }
    if (closing.inFootnote && !outer.inFootnote) {
      builder_.EndNoteBody();
      pending_ = notePending_;
    }
    while (static_cast<int32_t>(fields_.size()) > stack_[stack_.size() - 2].field + 1)
      fields_.pop_back();
    stack_.pop_back();
    if (stack_.size() == 1) ended_ = true;
  }

  void ChangeDestination(uint8_t which) {
    GroupState& s = Top();
    if (s.destination == dSkip) return;
    if (s.destination == dAlternate && which != kDestAlternateBody) return;
    auto inside = [&](Destination parent, Destination child) {
      s.destination = s.destination == parent ? child : dSkip;
    };
    switch (which) {
      case kDestSkip:
      case kDestObjectData: s.destination = dSkip; break;
      case kDestFontTable: s.destination = dFontTable; break;
      case kDestColorTable: s.destination = dColorTable; break;
      case kDestStyleSheet: s.destination = dStyleSheet; break;
      case kDestPicture:
        if (s.destination == dPicture) {
          result_ = TRtfReadResult::kBadPicture;
          return;
        }
        picture_ = Picture{};
        s.destination = dPicture;
        break;
      case kDestShapePicture: s.inShapePicture = true; break;
      case kDestNonShapePicture:
        if (shapePictureInserted_) s.destination = dSkip;
        break;
      case kDestObject: break;
      case kDestResult:
      case kDestNestTableProps: s.destination = dNormal; break;
      case kDestField:
        fields_.emplace_back();
        s.field = static_cast<int32_t>(fields_.size() - 1);
        s.destination = dField;
        break;
      case kDestFieldInstruction:
        if (s.destination == dField) s.destination = dFieldInstruction;
        break;
      case kDestFieldResult:
        s.destination = s.field >= 0 && fields_[static_cast<size_t>(s.field)].skipResult
                            ? dSkip
                            : dNormal;
        break;
      case kDestBookmarkStart: s.destination = dBookmark; break;
      case kDestFootnote: Footnote(); break;
      case kDestOldList: s.destination = dOldList; break;
      case kDestOldListText: inside(dOldList, dOldListText); break;
      case kDestListTable: s.destination = dListTable; break;
      case kDestList: inside(dListTable, dList); break;
      case kDestListName: inside(dList, dListOther); break;
      case kDestListLevel: inside(dList, dListLevel); break;
      case kDestLevelText: inside(dListLevel, dLevelText); break;
      case kDestLevelNumbers: inside(dListLevel, dListOther); break;
      case kDestListOverrideTable: s.destination = dListOverrideTable; break;
      case kDestListOverride: inside(dListOverrideTable, dListOverride); break;
      case kDestListOverrideLevel: inside(dListOverride, dListOverrideLevel); break;
      case kDestAlternate: s.destination = dAlternate; break;
      case kDestAlternateBody: inside(dAlternate, dNormal); break;
      default: break;
    }
  }

  // A footnote body goes into a note of its own; the text before it is flushed first so that it
  // stays in the document.
  void Footnote() {
    GroupState& s = Top();
    if (s.inFootnote || s.destination != dNormal) {
      s.destination = dSkip;
      return;
    }
    SyncTables();
    Flush(kNoBreak);
    if (builder_.StartNoteBody(pending_)) pending_ = rpContinue;
    notePending_ = pending_;
    pending_ = rpNewParagraph;
    Top().inFootnote = true;
  }

  // ---- properties ------------------------------------------------------------------------------

  void Property(uint8_t which, int32_t value) {
    GroupState& s = Top();
    const bool normal = s.destination == dNormal;
    switch (which) {
      case kPropU: UnicodeProperty(value); break;
      case kPropUc: s.fallback = std::max(0, value); break;
      case kPropHidden: s.hidden = value != 0; break;
      case kPropPlain:
        s.hidden = false;
        s.font = defaultFont_;
        break;
      case kPropPard:
        s.inTable = false;
        s.nesting = 1;
        s.list = 0;
        break;
      case kPropFont:
        if (s.destination == dFontTable)
          SelectFontEntry(value);
        else
          s.font = value;
        break;
      case kPropFontCharset:
        if (s.destination == dFontTable && currentFont_ < fonts_.size()) {
          fonts_[currentFont_].charset =
              value >= 256 ? 77 : static_cast<uint8_t>(std::max(0, value));
          FontChanged(currentFont_, false);
          fontCacheValid_ = false;
        }
        break;
      case kPropDefaultFont:
        defaultFont_ = value;
        fontCacheValid_ = false;
        break;
      case kPropAnsiCodePage:
        if (value > 0) documentCodePage_ = static_cast<unsigned>(value);
        break;
      case kPropPage:
        if (normal) {
          Flush(kNoBreak);
          builder_.PageBreak();
        }
        break;
      case kPropInTable: s.inTable = true; break;
      case kPropNestingLevel:
        s.nesting = static_cast<uint8_t>(std::clamp<int32_t>(value, 0, kMaxTableDepth));
        if (value > 0) s.inTable = true;
        break;
      case kPropCell:
        if (normal && !s.inFootnote) EndCell();
        break;
      case kPropRow:
        if (normal && !s.inFootnote) EndRow();
        break;
      case kPropLastRow:
        if (normal) rowDefinition_.lastRow = true;
        break;
      case kPropRowDefaults:
        if (normal) {
          rowDefinition_ = TRowDefinition{};
          nextCellCovered_ = false;
        }
        break;
      case kPropCellMerged:
        if (normal) nextCellCovered_ = true;
        break;
      case kPropCellBoundary:
        if (normal) {
          rowDefinition_.covered.push_back(nextCellCovered_);
          nextCellCovered_ = false;
        }
        break;
      case kPropNoteReference:
        if (normal && !s.inFootnote && !Hidden()) {
          // The text before the mark is flushed so that it comes before the reference.
          SyncTables();
          Flush(kNoBreak);
          builder_.NoteReference(pending_);
          pending_ = rpContinue;
        }
        break;
      case kPropEndnote:
        if (s.inFootnote) builder_.MakeEndnote();
        break;
      case kPropList: s.list = value; break;
      case kPropPictureEmf: SetPictureFormat(TPictureFormat::kEmf); break;
      case kPropPicturePng: SetPictureFormat(TPictureFormat::kPng); break;
      case kPropPictureJpeg: SetPictureFormat(TPictureFormat::kJpeg); break;
      case kPropPictureWmf: SetPictureFormat(TPictureFormat::kWmf); break;
      case kPropPictureDib: SetPictureFormat(TPictureFormat::kDib); break;
      case kPropPictureBitmap: SetPictureFormat(TPictureFormat::kBitmap); break;
      case kPropPictureOther: SetPictureFormat(TPictureFormat::kOther); break;
      default: break;
    }
  }

  void UnicodeProperty(int32_t value) {
    const auto c = static_cast<char16_t>(static_cast<uint32_t>(value) & 0xFFFF);
    GroupState& s = Top();
    if (s.destination == dNormal) {
      skip_ = s.fallback;
      UnicodeChar(c);
    } else if ((s.destination == dFontTable || s.destination == dFieldInstruction) &&
               s.fallback > 0) {
      skip_ = s.fallback;
      for (char b : UnicodeToAnsi(documentCodePage_, std::u16string_view(&c, 1)))
        Char(static_cast<uint8_t>(b));
    }
  }

  // ---- text and runs ---------------------------------------------------------------------------

  void Text(uint8_t c) {
    SyncTables();
    switch (c) {
      case '\t':
        Flush(kNoBreak);
        if (!Hidden()) {
          builder_.Add(TRtfItemKind::kTab, 0, 0, 0, false, pending_);
          pending_ = rpContinue;
        }
        break;
      case 0: Flush(kNoBreak); break;
      case 13: Flush(rpNewLine); break;
      case 10: Flush(rpNewParagraph); break;
      default:
        BeginText(false);
        arena_.push_back(static_cast<char>(c));
        break;
    }
  }

  void AppendText(const uint8_t* text, size_t length) {
    SyncTables();
    BeginText(false);
    arena_.append(reinterpret_cast<const char*>(text), length);
    if (arena_.size() - pendingStart_ > kMaxRun) Flush(kNoBreak);
  }

  void UnicodeChar(char16_t c) {
    SyncTables();
    BeginText(true);
    arena_.push_back(static_cast<char>(c & 0xFF));
    arena_.push_back(static_cast<char>(c >> 8));
  }

  // Single-byte and Unicode text never share a run.
  void BeginText(bool unicode) {
    if (arena_.size() == pendingStart_) {
      MaybeListMarker();
      pendingUnicode_ = unicode;
    } else if (pendingUnicode_ != unicode) {
      Flush(kNoBreak);
      pendingUnicode_ = unicode;
    }
  }

  void MaybeListMarker() {
    if (pending_ != rpNewParagraph || Top().list <= 0 || Hidden() || builder_.InNoteBody()) return;
    builder_.Add(TRtfItemKind::kListMarker, 0, 0, 0, false, pending_);
    pending_ = rpContinue;
  }

  // Ends the pending run. A dropped hidden run adds nothing and leaves the position alone.
  void Flush(int breakKind) {
    const bool empty = arena_.size() == pendingStart_;
    if (empty && (pending_ == rpContinue || breakKind == kNoBreak)) {
      if (breakKind != kNoBreak && !Hidden()) pending_ = static_cast<TRtfPosition>(breakKind);
      return;
    }
    if (Hidden()) {
      arena_.resize(pendingStart_);
      return;
    }
    EmitPending();
    pending_ = breakKind == kNoBreak ? rpContinue : static_cast<TRtfPosition>(breakKind);
  }

  void EmitPending() {
    const size_t offset = pendingStart_;
    size_t length = arena_.size() - offset;
    bool unicode = pendingUnicode_;
    const int charset = CurrentCharset();
    uint16_t style = 0;
    if (charset < 0) {
      // Without a font table the run takes the document code page at once.
      if (unicode) {
        std::u16string wide;
        for (size_t i = offset; i + 1 < arena_.size(); i += 2)
          wide.push_back(static_cast<char16_t>(static_cast<uint8_t>(arena_[i]) |
                                               (static_cast<uint8_t>(arena_[i + 1]) << 8)));
        arena_.resize(offset);
        arena_ += UnicodeToAnsi(documentCodePage_, wide);
        length = arena_.size() - offset;
        unicode = false;
      }
    } else {
      if (!unicode) TranslateToWindows1252(charset, arena_.data() + offset, length);
      style = styles_.Find(static_cast<uint8_t>(charset == 254 || charset == 77 ? 0 : charset),
                           unicode);
    }
    AddRun(offset, length, style, !unicode);
  }

  void AddRun(size_t offset, size_t length, uint16_t style, bool mergeable) {
    builder_.Add(TRtfItemKind::kText, offset, length, style, mergeable, pending_);
    if (builder_.InNoteBody()) arena_.resize(offset);
    pendingStart_ = arena_.size();
  }

  // An item of its own (picture, sequence value, symbol) at the pending position.
  bool BeginItem() {
    SyncTables();
    Flush(kNoBreak);
    return !Hidden();
  }

  // The paragraph's table level against the open tables: tables are started or ended to match.
  void SyncTables() {
    const GroupState& s = Top();
    if (s.inFootnote) return;
    const size_t target = s.inTable ? s.nesting : 0;
    if (target == builder_.OpenTables()) return;
    Flush(kNoBreak);
    while (builder_.OpenTables() < target) builder_.StartTable();
    while (builder_.OpenTables() > target) builder_.EndTable();
    pending_ = rpNewParagraph;
  }

  void EndCell() {
    SyncTables();
    if (builder_.OpenTables() == 0) return;
    Flush(kNoBreak);
    builder_.EndCell();
    pending_ = rpNewParagraph;
  }

  void EndRow() {
    SyncTables();
    if (builder_.OpenTables() == 0) return;
    Flush(kNoBreak);
    builder_.EndRow(rowDefinition_);
    pending_ = rpNewParagraph;
    // \lastrow may stand in the row definition before the cells: the table ends after the row.
    if (rowDefinition_.lastRow) {
      rowDefinition_.lastRow = false;
      builder_.EndTable();
    }
  }

  // ---- fonts -----------------------------------------------------------------------------------

  void SelectFontEntry(int32_t number) {
    auto it = fontIndex_.find(number);
    if (it == fontIndex_.end()) {
      it = fontIndex_.emplace(number, fonts_.size()).first;
      fonts_.emplace_back();
      fonts_.back().number = number;
      FontChanged(it->second, true);
    }
    currentFont_ = it->second;
    fontCacheValid_ = false;
  }

  void FontChar(uint8_t c) {
    if (currentFont_ >= fonts_.size()) return;
    Font& font = fonts_[currentFont_];
    if (font.named) return;
    if (c == ';') {
      font.named = true;
    } else if (c >= ' ' && font.name.size() < kMaxFontName) {
      font.name += static_cast<char>(c);
      FontChanged(currentFont_, true);
    }
  }

  // Only fonts changed since the last font table are looked at again, at its end or by the next
  // look-up by name: many fonts and many small tables or symbol fields stay linear.
  void FontChanged(size_t index, bool renamed) {
    Font& font = fonts_[index];
    if (!font.changed) {
      font.changed = true;
      changedFonts_.push_back(index);
    }
    if (renamed && !font.renamed) {
      font.renamed = true;
      renamedFonts_.push_back(index);
    }
  }

  // Names of fonts for a script lose the ending that names the script ("Arial CE").
  void FinishFontTable() {
    for (size_t index : changedFonts_) {
      Font& font = fonts_[index];
      font.changed = false;
      std::string_view ending;
      switch (font.charset) {
        case 238: ending = " ce"; break;
        case 204: ending = " cyr"; break;
        case 161: ending = " greek"; break;
        case 162: ending = " tur"; break;
        case 186: ending = " baltic"; break;
        default: continue;
      }
      if (EndsWithNoCase(font.name, ending)) {
        font.name.erase(font.name.size() - ending.size());
        if (!font.renamed) {
          font.renamed = true;
          renamedFonts_.push_back(index);
        }
      }
    }
    changedFonts_.clear();
  }

  // The last font of the table with this name, or null.
  const Font* FontNamed(const std::string& name) {
    for (size_t index : renamedFonts_) {
      Font& font = fonts_[index];
      font.renamed = false;
      if (font.indexed) {
        auto old = fontsByName_.find(font.indexedName);
        old->second.erase(index);
        if (old->second.empty()) fontsByName_.erase(old);
      }
      fontsByName_[font.name].insert(index);
      font.indexedName = font.name;
      font.indexed = true;
    }
    renamedFonts_.clear();
    auto it = fontsByName_.find(name);
    return it == fontsByName_.end() ? nullptr : &fonts_[*it->second.rbegin()];
  }

  const Font* FindFont(int32_t number) const {
    auto it = fontIndex_.find(number);
    return it == fontIndex_.end() ? nullptr : &fonts_[it->second];
  }

  // Character set of the current font; -1 while the font table is empty.
  int CurrentCharset() {
    if (fonts_.empty()) return -1;
    const int32_t number = Top().font;
    if (fontCacheValid_ && cachedFontNumber_ == number) return cachedCharset_;
    const Font* font = FindFont(number);
    if (!font) font = FindFont(defaultFont_);
    if (!font) font = &fonts_.front();
    fontCacheValid_ = true;
    cachedFontNumber_ = number;
    cachedCharset_ = font->charset;
    return cachedCharset_;
  }

  // ---- pictures --------------------------------------------------------------------------------

  void SetPictureFormat(TPictureFormat format) {
    if (Top().destination == dPicture) picture_.format = format;
  }

  void PictureByte(uint8_t c, bool binary) {
    if (picture_.ended) return;
    if (!binary) {
      const int v = HexValue(c);
      if (v < 0) {
        picture_.ended = true;
        return;
      }
      if (picture_.nibble < 0) {
        picture_.nibble = v;
        return;
      }
      c = static_cast<uint8_t>(picture_.nibble * 16 + v);
      picture_.nibble = -1;
    }
    picture_.header[picture_.size++] = c;
    if (picture_.size == kPictureHeaderBytes) picture_.ended = true;
  }

  void FinishPicture(Destination outer) {
    if (!PictureHeaderFits(picture_.format, picture_.header, picture_.size)) {
      result_ = TRtfReadResult::kBadPicture;
      return;
    }
    if (outer != dNormal || !PictureIsInserted(picture_.format)) return;
    if (BeginItem()) {
      builder_.Add(TRtfItemKind::kPicture, 0, 0, 0, false, pending_);
      pending_ = rpContinue;
    }
    if (Top().inShapePicture) shapePictureInserted_ = true;
  }

  // ---- fields ----------------------------------------------------------------------------------

  void FinishFieldInstruction(int32_t index) {
    if (index < 0) return;
    Field& field = fields_[static_cast<size_t>(index)];
    const TFieldInstruction instruction = ParseFieldInstruction(field.instruction);
    switch (instruction.kind) {
      case TFieldKind::kSymbol:
        if (instruction.symbol) Symbol(*instruction.symbol, instruction.symbolFont);
        break;
      case TFieldKind::kSequence: {
        field.skipResult = true;
        int64_t& value = sequences_[instruction.sequenceName];
        value = instruction.restart ? *instruction.restart : std::min<int64_t>(value + 1, INT32_MAX);
        const std::string label = FormatNumber(value, instruction.format);
        if (!BeginItem()) break;
        const size_t offset = arena_.size();
        arena_ += label;
        builder_.Add(TRtfItemKind::kSequence, offset, label.size(), 0, false, pending_);
        if (builder_.InNoteBody()) arena_.resize(offset);
        pendingStart_ = arena_.size();
        pending_ = rpContinue;
        break;
      }
      default: break;  // INCLUDEPICTURE and IMPORT insert nothing; others show their result
    }
  }

  void Symbol(uint8_t code, const std::string& fontName) {
    if (!BeginItem()) return;
    int charset = -1;
    if (fontName == "Symbol" || fontName == "Wingdings") {
      charset = 2;
    } else {
      const Font* font = FontNamed(fontName);
      charset = font ? font->charset : CurrentCharset();
    }
    const size_t offset = arena_.size();
    arena_.push_back(static_cast<char>(code));
    uint16_t style = 0;
    if (charset >= 0) {
      TranslateToWindows1252(charset, arena_.data() + offset, 1);
      style = styles_.Find(static_cast<uint8_t>(charset == 254 || charset == 77 ? 0 : charset),
                           false);
    }
    AddRun(offset, 1, style, true);
    pending_ = rpContinue;
  }

  // ---- state -----------------------------------------------------------------------------------

  const uint8_t* p_;
  const uint8_t* end_;
  std::string& arena_;
  TTextStyleTable& styles_;
  TRtfBuilder builder_;
  const TRtfReadSettings& settings_;

  std::vector<GroupState> stack_;
  TRtfReadResult result_ = TRtfReadResult::kOk;
  bool ended_ = false;

  size_t pendingStart_;  // the pending run is the arena's tail from here
  bool pendingUnicode_ = false;
  TRtfPosition pending_ = rpNewParagraph;
  TRtfPosition notePending_ = rpContinue;

  int32_t skip_ = 0;
  uint64_t binaryLeft_ = 0;
  int hexDigits_ = 0;
  int hexValue_ = 0;
  bool ignorable_ = false;
  unsigned documentCodePage_;

  std::vector<Font> fonts_;
  std::unordered_map<int32_t, size_t> fontIndex_;
  std::vector<size_t> changedFonts_;
  std::vector<size_t> renamedFonts_;
  std::unordered_map<std::string, std::set<size_t>> fontsByName_;
  size_t currentFont_ = SIZE_MAX;
  int32_t defaultFont_ = kNoFont;
  bool fontCacheValid_ = false;
  int32_t cachedFontNumber_ = 0;
  int cachedCharset_ = 0;

  Picture picture_;
  bool shapePictureInserted_ = false;
  std::vector<Field> fields_;
  std::unordered_map<std::string, int64_t> sequences_;
  TRowDefinition rowDefinition_;
  bool nextCellCovered_ = false;
};

}  // namespace

TRtfReadResult ReadRtf(std::string_view data, TRtfDocument& document, TTextStyleTable& styles,
                       const TRtfReadSettings& settings) {
  try {
    Reader reader(data, document, styles, settings);
    return reader.Run();
  } catch (const std::bad_alloc&) {
    return TRtfReadResult::kBuildFailure;
  } catch (const std::length_error&) {
    return TRtfReadResult::kBuildFailure;
  }
}

}  // namespace richtext
