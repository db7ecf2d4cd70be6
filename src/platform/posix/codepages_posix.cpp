// Code pages without Windows. The system is a German one: ANSI 1252, OEM 850, Macintosh 10000.
// The single-byte pages are the system's own conversions, dumped once (tools/cpgen); the
// double-byte pages go through glibc iconv, corrected where the system answers otherwise.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "platform/platform.h"
#include "platform/posix/codepage_tables.h"

namespace platform {

namespace {

const char* IconvName(unsigned codePage) {
  switch (codePage) {
    case 437: return "CP437";
    case 850: return "CP850";
    case 874: return "CP874";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1252: return "CP1252";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 10000: return "MACINTOSH";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 1361: return "JOHAB";
    default: return nullptr;
  }
}

unsigned Resolve(unsigned codePage) {
  switch (codePage) {
    case kCodePageAnsi: return AnsiCodePage();
    case kCodePageOem: return OemCodePage();
    case kCodePageMac: return MacCodePage();
    default: return codePage;
  }
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) ::iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts one piece; false when the input is not convertible.
  bool Convert(const char* in, size_t inSize, char* out, size_t outCapacity, size_t* outSize) {
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in);
    char* outPtr = out;
    size_t inLeft = inSize, outLeft = outCapacity;
    size_t r = ::iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
    *outSize = outCapacity - outLeft;
    return r != static_cast<size_t>(-1) && inLeft == 0;
  }

 private:
  iconv_t cd_;
};

bool IsUtf8(unsigned codePage) { return codePage == 65001; }

void Utf8ToWide(std::string_view bytes, std::u16string& out) {
  out.clear();
  size_t i = 0, n = bytes.size();
  auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  while (i < n) {
    unsigned c = byte(i);
    unsigned len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    uint32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    bool good = len != 0 && i + len <= n;
    for (unsigned k = 1; good && k < len; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80) good = false;
      cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (good && ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
                 cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
      good = false;
    if (!good) {
      out.push_back(u'\xFFFD');
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
}

void WideToUtf8(std::u16string_view text, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}


using posix::DoubleBytePage;
using posix::SingleBytePage;
using posix::WideRun;

const SingleBytePage* FindSingleByte(unsigned codePage) {
  for (size_t i = 0; i < posix::kSingleBytePageCount; ++i)
    if (posix::kSingleBytePages[i].codePage == codePage) return &posix::kSingleBytePages[i];
  return nullptr;
}

const DoubleBytePage* FindDoubleByte(unsigned codePage) {
  for (size_t i = 0; i < posix::kDoubleBytePageCount; ++i)
    if (posix::kDoubleBytePages[i].codePage == codePage) return &posix::kDoubleBytePages[i];
  return nullptr;
}

// The run holding `unit`, or null.
const WideRun* FindRun(const WideRun* runs, size_t count, char16_t unit) {
  const WideRun* end = runs + count;
  const WideRun* it = std::upper_bound(
      runs, end, unit, [](char16_t u, const WideRun& r) { return u < r.first; });
  if (it == runs) return nullptr;
  --it;
  return unit - it->first < it->count ? it : nullptr;
}

uint16_t RunValue(const WideRun& r, char16_t unit) {
  return static_cast<uint16_t>(r.value + r.step * (unit - r.first));
}

char16_t Compose(char16_t base, char16_t mark) {
  const posix::Composition* begin = posix::kCompositions;
  const posix::Composition* end = begin + posix::kCompositionCount;
  const posix::Composition* it =
      std::lower_bound(begin, end, posix::Composition{base, mark, 0}, [](const auto& a, const auto& b) {
        return a.base != b.base ? a.base < b.base : a.mark < b.mark;
      });
  return (it != end && it->base == base && it->mark == mark) ? it->composed : 0;
}

// One unit of a page: the bytes (1 or 2, as a value like the tables') or kNoMapping.
class Encoder {
 public:
  explicit Encoder(unsigned codePage)
      : single_(FindSingleByte(codePage)), double_(FindDoubleByte(codePage)) {
    if (double_) iconv_ = std::make_unique<Iconv>(IconvName(codePage), "UTF-16LE");
  }
  bool ok() const { return single_ || (double_ && iconv_->ok()); }
  unsigned char defaultChar() const { return single_ ? single_->defaultChar : double_->defaultChar; }

  uint16_t Encode(char16_t unit) {
    if (single_) {
      const WideRun* r = FindRun(single_->fromWide, single_->fromWideCount, unit);
      return r ? RunValue(*r, unit) : posix::kNoMapping;
    }
    if (const WideRun* r = FindRun(double_->exceptions, double_->exceptionCount, unit))
      return RunValue(*r, unit);
    char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    char out[8];
    size_t got = 0;
    if (!iconv_->Convert(in, 2, out, sizeof out, &got) || got == 0 || got > 2)
      return posix::kNoMapping;
    uint16_t value = static_cast<unsigned char>(out[0]);
    if (got == 2) value = static_cast<uint16_t>(value << 8 | static_cast<unsigned char>(out[1]));
    return value;
  }

 private:
  const SingleBytePage* single_;
  const DoubleBytePage* double_;
  std::unique_ptr<Iconv> iconv_;
};

void Put(std::string& out, uint16_t value) {
  if (value > 0xFF) out.push_back(static_cast<char>(value >> 8));
  out.push_back(static_cast<char>(value & 0xFF));
}

bool DoubleByteToWide(unsigned codePage, std::string_view bytes, std::u16string& out) {
  Iconv cv("UTF-16LE", IconvName(codePage));
  if (!cv.ok()) return false;
  std::u16string result;
  result.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    // One character at a time, so a bad byte costs only itself.
    char buffer[8];
    size_t got = 0, used = 0;
    for (size_t len = 1; len <= 2 && i + len <= bytes.size(); ++len) {
      if (cv.Convert(bytes.data() + i, len, buffer, sizeof buffer, &got) && got >= 2) {
        used = len;
        break;
      }
    }
    if (used == 0) {
      result.push_back(u'?');
      ++i;
      continue;
    }
    for (size_t k = 0; k + 1 < got; k += 2)
      result.push_back(static_cast<char16_t>(static_cast<unsigned char>(buffer[k]) |
                                             (static_cast<unsigned char>(buffer[k + 1]) << 8)));
    i += used;
  }
  out = std::move(result);
  return true;
}

}  // namespace

unsigned AnsiCodePage() { return 1252; }
unsigned OemCodePage() { return 850; }
unsigned MacCodePage() { return 10000; }

bool MultiByteToWide(unsigned codePage, std::string_view bytes, std::u16string& out) {
  codePage = Resolve(codePage);
  if (IsUtf8(codePage)) {
    Utf8ToWide(bytes, out);
    return true;
  }
  if (const SingleBytePage* page = FindSingleByte(codePage)) {
    std::u16string result(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i)
      result[i] = page->toWide[static_cast<unsigned char>(bytes[i])];
    out = std::move(result);
    return true;
  }
  if (FindDoubleByte(codePage)) return DoubleByteToWide(codePage, bytes, out);
  return false;
}

// As the system does it: with composeAndDiscard, a base and a following mark become the
// precomposed character when the page has one; when it has none, the mark is dropped.
bool WideToMultiByte(unsigned codePage, std::u16string_view text, std::string& out,
                     bool composeAndDiscard, bool* usedDefault) {
  codePage = Resolve(codePage);
  if (usedDefault) *usedDefault = false;
  if (IsUtf8(codePage)) {
    WideToUtf8(text, out);
    return true;
  }
  Encoder encoder(codePage);
  if (!encoder.ok()) return false;
  std::string result;
  result.reserve(text.size());
  bool used = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (composeAndDiscard && i + 1 < text.size()) {
      if (char16_t composed = Compose(unit, text[i + 1])) {
        ++i;  // the mark goes either way
        uint16_t value = encoder.Encode(composed);
        if (value != posix::kNoMapping) {
          Put(result, value);
          continue;
        }
      }
    }
    uint16_t value = encoder.Encode(unit);
    if (value == posix::kNoMapping) {
      result.push_back(static_cast<char>(encoder.defaultChar()));
      used = true;
    } else {
      Put(result, value);
    }
  }
  out = std::move(result);
  if (usedDefault) *usedDefault = used;
  return true;
}

std::string OemToAnsi(std::string_view oem) {
  std::string ansi(oem);
  for (char& c : ansi) c = static_cast<char>(posix::kOemToAnsi[static_cast<unsigned char>(c)]);
  return ansi;
}

bool IsAnsiLeadByte(unsigned char /*byte*/) { return false; }  // 1252 has no lead bytes

}  // namespace platform
