#include "document/json_writer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <ostream>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  bool latin1Plain = false;  // and all units 0xA0..0xFF
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
    const uint8_t b =
        ansi.singleByte ? ansi.FromWide(static_cast<char16_t>(u)) : static_cast<uint8_t>(u);
    t->ofNarrowUnit[u] = t->ofByte[b];
    t->plainUnit[u] = ansi.singleByte && t->ofByte[b].len == 1 && b == u;
  }
  t->asciiPlain = true;
  for (int u = 0x20; u < 0x7F; ++u)
    if (u != '"' && u != '/' && u != '\\' && !t->plainUnit[u]) t->asciiPlain = false;
  t->latin1Plain = t->asciiPlain;
  for (int u = 0xA0; u < 0x100; ++u)
    if (!t->plainUnit[u]) t->latin1Plain = false;
  return t;
}

const WriterTables& CurrentWriterTables() {
  static std::unique_ptr<WriterTables> cached;
  const AnsiTables& ansi = CurrentAnsiTables();
  if (!cached || cached->ansi != &ansi || cached->codePage != ansi.codePage)
    cached = BuildWriterTables(ansi);
  return *cached;
}

// The output: one string, written in place. Its capacity is reserved up front from the
// document's size (pages never written are never taken, so a generous reservation costs
// address space only), and its length is moved on in steps just ahead of the writing, so the
// zero fill that lengthening does lands in pages about to be written anyway. Only a text that
// outgrows the reservation is moved, doubling. A text built in pieces and joined at the end
// would take fresh pages twice and copy the whole text once more.
class Output {
 public:
  static constexpr size_t kSlack = 8;  // escapes are copied as whole 8-byte entries

  char* Begin(size_t expected) {
    text_.reserve(std::max(expected, kStep));
    platform::PreferLargePages(text_.data(), text_.capacity());
    text_.resize(kStep);
    end_ = text_.data() + text_.size();
    return text_.data();
  }
  // Makes room for n bytes at the write position p; gives the position to write at.
  char* Need(char* p, size_t n) {
    if (static_cast<size_t>(end_ - p) >= n) return p;
    return Grow(p, n);
  }
  std::string Take(char* p) {
    text_.resize(static_cast<size_t>(p - text_.data()));
    return std::move(text_);
  }

 private:
  static constexpr size_t kStep = 256 * 1024;

  [[gnu::noinline]] char* Grow(char* p, size_t n) {
    const size_t used = static_cast<size_t>(p - text_.data());
    const size_t wanted = used + n;
    if (wanted > text_.capacity()) {
      text_.resize(used);  // only what is written moves
      text_.reserve(std::max(wanted, text_.capacity() * 2));
      platform::PreferLargePages(text_.data(), text_.capacity());
    }
    text_.resize(std::min(text_.capacity(), std::max(wanted, used + kStep)));
    end_ = text_.data() + text_.size();
    return text_.data() + used;
  }

  std::string text_;
  char* end_ = nullptr;
};

// Which of sixteen units would not leave as they are (bit i for unit i): below 0x20, the quote,
// the solidus, the backslash, 0x7F and the high units, except 0xA0..0xFF when the code page
// keeps those. Only used when every other unit below 0x80 leaves unchanged.
class PlainScan {
 public:
#if defined(__SSE2__)
  PlainScan(const bool*, bool latin1Plain)
      : highFloor_(_mm_set1_epi8(latin1Plain ? static_cast<char>(0x9F) : 0x7F)) {}
#else
  PlainScan(const bool* plain, bool) : plain_(plain) {}
#endif

  uint32_t NotPlain16(const uint8_t* s) const {
#if defined(__SSE2__)
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    // Signed bytes: below 0x20 takes in 0x80..0xFF, of which 0xA0..0xFF may be plain.
    const __m128i high = _mm_cmplt_epi8(x, _mm_setzero_si128());
    const __m128i keptHigh = _mm_and_si128(_mm_cmpgt_epi8(x, highFloor_), high);
    __m128i marked = _mm_andnot_si128(keptHigh, _mm_cmplt_epi8(x, _mm_set1_epi8(0x20)));
    marked = _mm_or_si128(marked, _mm_cmpeq_epi8(x, _mm_set1_epi8('"')));
    marked = _mm_or_si128(marked, _mm_cmpeq_epi8(x, _mm_set1_epi8('/')));
    marked = _mm_or_si128(marked, _mm_cmpeq_epi8(x, _mm_set1_epi8('\\')));
    marked = _mm_or_si128(marked, _mm_cmpeq_epi8(x, _mm_set1_epi8(0x7F)));
    return static_cast<uint32_t>(_mm_movemask_epi8(marked));
#else
    uint32_t marked = 0;
    for (int i = 0; i < 16; ++i) marked |= static_cast<uint32_t>(!plain_[s[i]]) << i;
    return marked;
#endif
  }

 private:
#if defined(__SSE2__)
  __m128i highFloor_;
#else
  const bool* plain_;
#endif
};

// Escaped lengths of a string's content, without its quotes.
size_t NarrowLength(const WriterTables& t, const PlainScan& scan, std::string_view units) {
  const auto* s = reinterpret_cast<const uint8_t*>(units.data());
  const size_t n = units.size();
  size_t length = n, i = 0;
  if (t.asciiPlain) {
    for (; i + 16 <= n; i += 16)
      for (uint32_t marked = scan.NotPlain16(s + i); marked != 0; marked &= marked - 1)
        length += t.ofNarrowUnit[s[i + std::countr_zero(marked)]].len - 1u;
  }
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
      f(ansi.FromWide(u));
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

class TextWriter {
 public:
  TextWriter(const WriterTables& tables, size_t expected)
      : t_(tables), scan_(tables.plainUnit, tables.latin1Plain), p_(out_.Begin(expected)) {}

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
  static constexpr size_t kMeasureAbove = 4096;
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

  // The document's values come from a pool in the order they were made, so the walk reads
  // memory nearly in order and the hardware fetches ahead better than hints would.
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

  // Names and string values are most of a document: they are written here, and only
  // containers and the rarer leaves go through Value.
  void Member(const TkxJSONobjectmethod& member) {
    String(member.MemberName);
    Byte(':');
    const TZVCustomJSON* value = member.MemberValue.get();
    if (!value)
      Raw("null", 4);
    else if (value->KindCode() == js_String)
      String(static_cast<const TkxJSONstring*>(value)->TextValue);
    else
      Value(*value);
  }

  // Most names and many values are short texts kept in place: when all their units leave
  // unchanged, the sixteen bytes are copied whole.
  [[gnu::always_inline]] void String(const CompactText& text) {
    size_t n;
    const uint8_t* raw = text.InPlaceNarrow(n);
    if (!raw || !t_.asciiPlain || (scan_.NotPlain16(raw) & ((1u << n) - 1))) return OtherString(text);
    char* q = out_.Need(p_, 18);
    q[0] = '"';
    std::memcpy(q + 1, raw, 16);
    q[n + 1] = '"';
    p_ = q + n + 2;
  }

  [[gnu::noinline]] void OtherString(const CompactText& text) {
    if (text.empty()) return Raw("\"\"", 2);
    if (!t_.ansi->singleByte) return ConvertedString(text);
    if (text.IsNarrow()) return NarrowString(text.NarrowUnits());
    WideString(text.WideBytes());
  }

  // Units below 0x100: runs of plain units go out as they are, sixteen at a time; the rest
  // through the table.
  void NarrowString(std::string_view units) {
    const auto* s = reinterpret_cast<const uint8_t*>(units.data());
    const uint8_t* const end = s + units.size();
    // Locals, so that the stores into the text cannot make the compiler reload the tables.
    const bool* const plain = t_.plainUnit;
    const Escape* const escapes = t_.ofNarrowUnit;
    // Room for the worst case, but a long text is measured, so that it does not ask for six
    // times its size. Sixteen units are copied whole even where fewer are kept.
    const size_t room = units.size() > kMeasureAbove ? NarrowLength(t_, scan_, units)
                                                     : units.size() * kRoomPerUnit;
    char* q = out_.Need(p_, room + 2 + 16);
    *q++ = '"';
    if (t_.asciiPlain) {
      while (s + 16 <= end) {
        const uint32_t marked = scan_.NotPlain16(s);
        std::memcpy(q, s, 16);
        if (marked == 0) {
          q += 16;
          s += 16;
          continue;
        }
        const int kept = std::countr_zero(marked);
        q += kept;
        s += kept;
        const Escape& e = escapes[*s++];
        std::memcpy(q, &e.seq, sizeof e.seq);
        q += e.len;
      }
    }
    for (; s < end; ++s) {
      if (plain[*s]) {
        *q++ = static_cast<char>(*s);
      } else {
        const Escape& e = escapes[*s];
        std::memcpy(q, &e.seq, sizeof e.seq);
        q += e.len;
      }
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
  const PlainScan scan_;
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
  // A container's text comes to a quarter to a half of the bytes its document holds, so
  // those bytes are reserved; a leaf is small.
  const bool container = value->KindCode() == js_List || value->KindCode() == js_Object;
  TextWriter writer(tables, container ? pool::BytesInUse() : 0);
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
