#include "document/json_writer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <ostream>
#include <vector>

#include "document/ansi_tables.h"
#include "document/json_list.h"
#include "document/number_text.h"
#include "platform/platform.h"
#include "support/support.h"

namespace document {
namespace {

// What one ANSI byte becomes in the text. Entries are copied whole (8 bytes) and the write
// position then moves by len, so every write needs 8 bytes of room.
struct Escape {
  uint8_t len;
  char seq[7];
};

struct WriterTables {
  unsigned codePage = 0;
  const AnsiTables* ansi = nullptr;
  Escape ofByte[256];
  Escape ofNarrowUnit[256];  // a unit below 0x100, converted and escaped
  bool plainUnit[256];       // the unit leaves as the same single byte
  bool asciiPlain = false;   // so do all printable ASCII units but the three escaped ones
};

Escape EscapeOf(uint8_t b) {
  Escape e{};
  auto set = [&e](const char* s) {
    e.len = static_cast<uint8_t>(std::strlen(s));
    std::memcpy(e.seq, s, e.len);
  };
  static const char kHex[] = "0123456789ABCDEF";
  switch (b) {
    case 0x22: set("\\\""); break;
    case 0x2F: set("\\/"); break;
    case 0x5C: set("\\\\"); break;
    case 0x08: set("\\b"); break;
    case 0x09: set("\\t"); break;
    case 0x0A: set("\\n"); break;
    case 0x0C: set("\\f"); break;
    case 0x0D: set("\\r"); break;
    case 0x80: set("\\u20ac"); break;
    default:
      if (b < 0x20) {
        const char code[] = {'\\', 'u', '0', '0', kHex[b >> 4], kHex[b & 15], 0};
        set(code);
      } else {
        e.len = 1;
        e.seq[0] = static_cast<char>(b);
      }
  }
  return e;
}

std::unique_ptr<WriterTables> BuildWriterTables(const AnsiTables& ansi) {
  auto t = std::make_unique<WriterTables>();
  t->codePage = ansi.codePage;
  t->ansi = &ansi;
  for (int b = 0; b < 256; ++b) t->ofByte[b] = EscapeOf(static_cast<uint8_t>(b));
  for (int u = 0; u < 256; ++u) {
    const uint8_t b = ansi.singleByte ? ansi.fromWide[u] : static_cast<uint8_t>(u);
    t->ofNarrowUnit[u] = t->ofByte[b];
    t->plainUnit[u] = ansi.singleByte && t->ofByte[b].len == 1 && b == u;
  }
  t->asciiPlain = true;
  for (int u = 0x20; u < 0x7F; ++u)
    if (u != '"' && u != '/' && u != '\\' && !t->plainUnit[u]) t->asciiPlain = false;
  return t;
}

const WriterTables& CurrentWriterTables() {
  static std::unique_ptr<WriterTables> cached;
  const AnsiTables& ansi = CurrentAnsiTables();
  if (!cached || cached->ansi != &ansi || cached->codePage != ansi.codePage)
    cached = BuildWriterTables(ansi);
  return *cached;
}

// The output: one string, sized up front from a measuring pass, so the text is written in
// place and its memory touched once. Room is still checked on every write; a measurement
// that fell short would only cost a copy.
class Output {
 public:
  static constexpr size_t kSlack = 8;  // escapes are copied as whole 8-byte entries

  explicit Output(size_t expected) { Reset(expected); }

  char* Begin() { return buffer_.data(); }
  bool HasRoom(const char* p, size_t n) const { return static_cast<size_t>(end_ - p) >= n; }
  // Makes room for n bytes at the write position.
  char* Need(char* p, size_t n) {
    if (static_cast<size_t>(end_ - p) >= n) return p;
    return Grow(p, n);
  }
  std::string Take(char* p) {
    buffer_.resize(static_cast<size_t>(p - buffer_.data()));
    return std::move(buffer_);
  }

 private:
  void Reset(size_t size) {
    buffer_.resize(size + kSlack);
    end_ = buffer_.data() + size + kSlack;
  }
  char* Grow(char* p, size_t n) {
    const size_t used = static_cast<size_t>(p - buffer_.data());
    Reset(std::max(used + n, buffer_.size() * 2));
    return buffer_.data() + used;
  }

  std::string buffer_;
  char* end_ = nullptr;
};

// Eight bytes at once, all in 0x20..0x7E and none of the quote, the solidus or the
// backslash: true only when each would leave unchanged.
bool AllPlainAscii(const uint8_t* s) {
  uint64_t x;
  std::memcpy(&x, s, 8);
  constexpr uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
  if (x & highs) return false;
  if (((x - ones * 0x20) & ~x & highs) != 0) return false;
  auto hasByte = [x](uint8_t b) {
    const uint64_t y = x ^ (ones * b);
    return ((y - ones) & ~y & highs) != 0;
  };
  return !hasByte('"') && !hasByte('/') && !hasByte('\\') && !hasByte(0x7F);
}

// Escaped lengths of a string's content, without its quotes.
size_t NarrowLength(const WriterTables& t, std::string_view units) {
  const auto* s = reinterpret_cast<const uint8_t*>(units.data());
  const size_t n = units.size();
  size_t length = n, i = 0;
  if (t.asciiPlain)
    for (; i + 8 <= n; i += 8)
      if (!AllPlainAscii(s + i))
        for (size_t j = i; j < i + 8; ++j) length += t.ofNarrowUnit[s[j]].len - 1u;
  for (; i < n; ++i) length += t.ofNarrowUnit[s[i]].len - 1u;
  return length;
}

size_t BytesLength(const WriterTables& t, std::string_view bytes) {
  size_t length = 0;
  for (unsigned char b : bytes) length += t.ofByte[b].len;
  return length;
}

// Walks the units of a wide text as the ANSI conversion sees them: a high surrogate followed
// by a low one is one character.
template <class F>
void ForEachAnsiPiece(const AnsiTables& ansi, std::string_view bytes, F&& f) {
  const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
  const size_t n = bytes.size() / 2;
  for (size_t i = 0; i < n; ++i) {
    const char16_t u = static_cast<char16_t>(s[2 * i] | (s[2 * i + 1] << 8));
    if (u >= 0xD800 && u <= 0xDFFF) {
      const bool pair = u <= 0xDBFF && i + 1 < n && (s[2 * i + 3] & 0xFC) == 0xDC;
      if (pair) ++i;
      for (unsigned char b : pair ? ansi.surrogatePair : ansi.loneSurrogate) f(b);
    } else {
      f(ansi.fromWide[u]);
    }
  }
}

size_t WideLength(const WriterTables& t, std::string_view bytes) {
  size_t length = 0;
  ForEachAnsiPiece(*t.ansi, bytes, [&](uint8_t b) { length += t.ofByte[b].len; });
  return length;
}

std::string ConvertToAnsi(const CompactText& text) {
  std::string bytes;
  platform::WideToMultiByte(platform::kCodePageAnsi, text.ToWide(), bytes);
  return bytes;
}

// The exact length of the text, walked the same way as the writer below.
class TextMeasure {
 public:
  explicit TextMeasure(const WriterTables& tables) : t_(tables) {}

  size_t Value(const TZVCustomJSON& value) const {
    switch (value.KindCode()) {
      case js_Number: {
        char buffer[kNumberTextMax];
        return FormatNumberText(static_cast<const TkxJSONnumber&>(value).NumberValue, buffer);
      }
      case js_String: return String(static_cast<const TkxJSONstring&>(value).TextValue);
      case js_Boolean: return static_cast<const TkxJSONboolean&>(value).FlagValue ? 4 : 5;
      case js_Null: return 4;
      case js_List: {
        const auto& items = static_cast<const TZVSONList&>(value).Items;
        size_t n = 2 + (items.empty() ? 0 : items.size() - 1);
        for (const auto& item : items) n += Value(*item);
        return n;
      }
      case js_Object: {
        const auto& members = static_cast<const TZVJSON&>(value).Members();
        size_t n = 2 + (members.empty() ? 0 : members.size() - 1);
        for (const TkxJSONobjectmethod& member : members) n += Member(member);
        return n;
      }
      default:
        if (auto* member = dynamic_cast<const TkxJSONobjectmethod*>(&value)) return Member(*member);
        return 0;
    }
  }

 private:
  size_t Member(const TkxJSONobjectmethod& member) const {
    return String(member.MemberName) + 1 + (member.MemberValue ? Value(*member.MemberValue) : 4);
  }

  size_t String(const CompactText& text) const {
    if (text.empty()) return 2;
    if (!t_.ansi->singleByte) return 2 + BytesLength(t_, ConvertToAnsi(text));
    if (text.IsNarrow()) return 2 + NarrowLength(t_, text.NarrowUnits());
    return 2 + WideLength(t_, text.WideBytes());
  }

  const WriterTables& t_;
};

class TextWriter {
 public:
  TextWriter(const WriterTables& tables, size_t expected)
      : t_(tables), out_(expected), p_(out_.Begin()) {}

  std::string Take() { return out_.Take(p_); }

  void Value(const TZVCustomJSON& value) {
    switch (value.KindCode()) {
      case js_Number: return Number(static_cast<const TkxJSONnumber&>(value).NumberValue);
      case js_String: return String(static_cast<const TkxJSONstring&>(value).TextValue);
      case js_Boolean:
        return static_cast<const TkxJSONboolean&>(value).FlagValue ? Raw("true", 4)
                                                                     : Raw("false", 5);
      case js_Null: return Raw("null", 4);
      case js_List: return List(static_cast<const TZVSONList&>(value));
      case js_Object: return Object(static_cast<const TZVJSON&>(value));
      default:
        if (auto* member = dynamic_cast<const TkxJSONobjectmethod*>(&value)) Member(*member);
    }
  }

 private:
  static constexpr size_t kRoomPerUnit = 6;  // "\u001B" is the longest escape
  static constexpr size_t kSlack = Output::kSlack;

  void Raw(const char* s, size_t n) {
    p_ = out_.Need(p_, n);
    std::memcpy(p_, s, n);
    p_ += n;
  }
  void Byte(char c) {
    p_ = out_.Need(p_, 1);
    *p_++ = c;
  }

  void Number(long double value) {
    char buffer[kNumberTextMax];
    Raw(buffer, FormatNumberText(value, buffer));
  }

  void List(const TZVSONList& list) {
    Byte('[');
    bool first = true;
    for (const auto& item : list.Items) {
      if (!first) Byte(',');
      first = false;
      Value(*item);
    }
    Byte(']');
  }

  void Object(const TZVJSON& object) {
    Byte('{');
    bool first = true;
    for (const TkxJSONobjectmethod& member : object.Members()) {
      if (!first) Byte(',');
      first = false;
      Member(member);
    }
    Byte('}');
  }

  void Member(const TkxJSONobjectmethod& member) {
    String(member.MemberName);
    Byte(':');
    if (member.MemberValue)
      Value(*member.MemberValue);
    else
      Raw("null", 4);
  }

  void String(const CompactText& text) {
    if (text.empty()) return Raw("\"\"", 2);
    if (!t_.ansi->singleByte) return ConvertedString(text);
    if (text.IsNarrow()) return NarrowString(text.NarrowUnits());
    WideString(text.WideBytes());
  }

  // Units below 0x100: runs of plain units go out as they are, the rest through the table.
  void NarrowString(std::string_view units) {
    const auto* s = reinterpret_cast<const uint8_t*>(units.data());
    const uint8_t* const end = s + units.size();
    // The worst case fits nearly always; only near the end of the text is it measured.
    const size_t worst = units.size() * kRoomPerUnit + 2 + kSlack;
    char* q = out_.HasRoom(p_, worst) ? p_ : out_.Need(p_, NarrowLength(t_, units) + 2 + kSlack);
    *q++ = '"';
    while (s < end) {
      while (t_.asciiPlain && s + 8 <= end && AllPlainAscii(s)) {
        std::memcpy(q, s, 8);
        q += 8;
        s += 8;
      }
      while (s < end && t_.plainUnit[*s]) *q++ = static_cast<char>(*s++);
      if (s == end) break;
      const Escape& e = t_.ofNarrowUnit[*s++];
      std::memcpy(q, &e.seq, sizeof e.seq);
      q += e.len;
    }
    *q++ = '"';
    p_ = q;
  }

  void WideString(std::string_view bytes) {
    p_ = out_.Need(p_, WideLength(t_, bytes) + 2 + kSlack);
    *p_++ = '"';
    ForEachAnsiPiece(*t_.ansi, bytes, [this](uint8_t b) { Escaped(b); });
    *p_++ = '"';
  }

  // Code pages of more than one byte per character: the platform converts the whole text.
  void ConvertedString(const CompactText& text) {
    const std::string bytes = ConvertToAnsi(text);
    p_ = out_.Need(p_, BytesLength(t_, bytes) + 2 + kSlack);
    *p_++ = '"';
    for (unsigned char b : bytes) Escaped(b);
    *p_++ = '"';
  }

  void Escaped(uint8_t b) {
    const Escape& e = t_.ofByte[b];
    std::memcpy(p_, &e.seq, sizeof e.seq);
    p_ += e.len;
  }

  const WriterTables& t_;
  Output out_;
  char* p_;
};

void WriteWithRetries(const std::string& text, const std::string& fileName) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (platform::WriteWholeFileExclusive(fileName, text) == platform::kErrorSuccess) return;
    platform::Sleep(100);
  }
}

std::string FolderPart(const std::string& fileName) {
  const char delimiter = platform::PathDelimiter();
  for (size_t i = fileName.size(); i > 0; --i) {
    const char c = fileName[i - 1];
    if (c == delimiter || (delimiter == '\\' && c == ':')) return fileName.substr(0, i);
  }
  return {};
}

}  // namespace

std::string TZVJSONText::WriteText(const TZVCustomJSON* value) {
  if (!value) return {};
  const WriterTables& tables = CurrentWriterTables();
  TextWriter writer(tables, TextMeasure(tables).Value(*value));
  writer.Value(*value);
  return writer.Take();
}

void TZVJSONStreamer::WriteToStream(const TZVCustomJSON* value, std::ostream* stream) {
  if (!value || !stream) return;
  const std::string text = WriteText(value);
  stream->write(text.data(), static_cast<std::streamsize>(text.size()));
}

void TZVJSONStreamer::WriteToFile(const TZVCustomJSON* value, const std::string& fileName) {
  if (!value) return;
  support::MakeFolderPath(FolderPart(fileName));
  WriteWithRetries(WriteText(value), fileName);
}

void TZVJSONStreamer::WriteTextToFile(const std::string& text, const std::string& fileName) {
  support::MakeFolderPath(FolderPart(fileName));
  WriteWithRetries(text, fileName);
}

}  // namespace document
