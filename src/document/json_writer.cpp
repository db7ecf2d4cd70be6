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

// The output: a list of chunks of growing size, so a big document is never copied while it
// grows; the one copy is the final join into the result string, freeing chunk by chunk.
class Output {
 public:
  static constexpr size_t kFirstChunk = 50000;
  static constexpr size_t kLargestChunk = size_t(16) << 20;

  // Makes room for n bytes at the write position.
  char* Need(char* p, size_t n) {
    if (static_cast<size_t>(end_ - p) >= n) return p;
    return NewChunk(p, n);
  }
  char* Begin() { return NewChunk(nullptr, 0); }
  std::string Take(char* p) {
    Close(p);
    std::string text;
    text.reserve(total_);
    for (Chunk& chunk : chunks_) {
      text.append(chunk.data.get(), chunk.used);
      chunk.data.reset();
    }
    chunks_.clear();
    return text;
  }

 private:
  struct Chunk {
    std::unique_ptr<char[]> data;
    size_t used = 0;
  };

  void Close(char* p) {
    if (chunks_.empty()) return;
    Chunk& last = chunks_.back();
    last.used = static_cast<size_t>(p - last.data.get());
    total_ += last.used;
  }

  char* NewChunk(char* p, size_t n) {
    Close(p);
    const size_t size = std::max(n, nextSize_);
    nextSize_ = std::min(nextSize_ * 2, kLargestChunk);
    chunks_.push_back(Chunk{std::make_unique_for_overwrite<char[]>(size), 0});
    char* begin = chunks_.back().data.get();
    end_ = begin + size;
    return begin;
  }

  std::vector<Chunk> chunks_;
  char* end_ = nullptr;
  size_t nextSize_ = kFirstChunk;
  size_t total_ = 0;
};

class TextWriter {
 public:
  explicit TextWriter(const WriterTables& tables) : t_(tables), p_(out_.Begin()) {}

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
  static constexpr size_t kSegment = 4096;  // units escaped per room check
  static constexpr size_t kRoomPerUnit = 6;  // "\u001B" is the longest escape
  static constexpr size_t kSlack = 8;        // escapes are copied as whole entries

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
    p_ = out_.Need(p_, kNumberTextMax);
    p_ += FormatNumberText(value, p_);
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
    p_ = out_.Need(p_, 1);
    *p_++ = '"';
    while (s < end) {
      const size_t m = std::min(static_cast<size_t>(end - s), kSegment);
      char* q = out_.Need(p_, m * kRoomPerUnit + kSlack + 1);
      const uint8_t* const segEnd = s + m;
      while (s < segEnd) {
        while (t_.asciiPlain && s + 8 <= segEnd && AllPlainAscii(s)) {
          std::memcpy(q, s, 8);
          q += 8;
          s += 8;
        }
        while (s < segEnd && t_.plainUnit[*s]) *q++ = static_cast<char>(*s++);
        if (s == segEnd) break;
        const Escape& e = t_.ofNarrowUnit[*s++];
        std::memcpy(q, &e.seq, sizeof e.seq);
        q += e.len;
      }
      p_ = q;
    }
    *p_++ = '"';
  }

  // Eight bytes at once, all in 0x20..0x7E and none of the quote, the solidus or the
  // backslash: true only when each would leave unchanged.
  static bool AllPlainAscii(const uint8_t* s) {
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

  void WideString(std::string_view bytes) {
    const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t n = bytes.size() / 2;
    const AnsiTables& ansi = *t_.ansi;
    p_ = out_.Need(p_, 1);
    *p_++ = '"';
    for (size_t i = 0; i < n; ++i) {
      const char16_t u = static_cast<char16_t>(s[2 * i] | (s[2 * i + 1] << 8));
      p_ = out_.Need(p_, 2 * kRoomPerUnit + kSlack + 1);
      if (u >= 0xD800 && u <= 0xDFFF) {
        const bool pair = u <= 0xDBFF && i + 1 < n &&
                          ((s[2 * i + 3] << 8) & 0xFC00) == 0xDC00;
        if (pair) ++i;
        for (unsigned char b : pair ? ansi.surrogatePair : ansi.loneSurrogate) Escaped(b);
        continue;
      }
      Escaped(ansi.fromWide[u]);
    }
    *p_++ = '"';
  }

  // Code pages of more than one byte per character: the platform converts the whole text.
  void ConvertedString(const CompactText& text) {
    std::string bytes;
    platform::WideToMultiByte(platform::kCodePageAnsi, text.ToWide(), bytes);
    p_ = out_.Need(p_, 1);
    *p_++ = '"';
    for (unsigned char b : bytes) {
      p_ = out_.Need(p_, kRoomPerUnit + kSlack + 1);
      Escaped(b);
    }
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
  TextWriter writer(CurrentWriterTables());
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
