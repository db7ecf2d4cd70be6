// Code pages without Windows. The system is a German one: ANSI 1252, OEM 850, Macintosh 10000.
// Double-byte pages go through glibc iconv.
#include <iconv.h>

#include <cerrno>
#include <mutex>

#include "platform/platform.h"

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
  const char* name = IconvName(codePage);
  if (!name) return false;
  Iconv cv("UTF-16LE", name);
  if (!cv.ok()) return false;
  std::u16string result;
  result.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    // One character at a time: one or two bytes, so a bad byte costs only itself.
    char buffer[8];
    size_t got = 0;
    size_t used = 0;
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

bool WideToMultiByte(unsigned codePage, std::u16string_view text, std::string& out,
                     bool /*composeAndDiscard*/, bool* usedDefault) {
  codePage = Resolve(codePage);
  if (usedDefault) *usedDefault = false;
  if (IsUtf8(codePage)) {
    WideToUtf8(text, out);
    return true;
  }
  const char* name = IconvName(codePage);
  if (!name) return false;
  Iconv cv(name, "UTF-16LE");
  if (!cv.ok()) return false;
  std::string result;
  result.reserve(text.size());
  for (char16_t c : text) {
    char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    char buffer[8];
    size_t got = 0;
    if (cv.Convert(in, 2, buffer, sizeof buffer, &got) && got > 0) {
      result.append(buffer, got);
    } else {
      result.push_back('?');
      if (usedDefault) *usedDefault = true;
    }
  }
  out = std::move(result);
  return true;
}

std::string OemToAnsi(std::string_view oem) {
  std::u16string wide;
  MultiByteToWide(kCodePageOem, oem, wide);
  std::string ansi;
  WideToMultiByte(kCodePageAnsi, wide, ansi);
  return ansi;
}

bool IsAnsiLeadByte(unsigned char /*byte*/) { return false; }  // 1252 has no lead bytes

std::u16string AnsiToWide(std::string_view ansi) {
  std::u16string out;
  MultiByteToWide(kCodePageAnsi, ansi, out);
  return out;
}

std::string WideToAnsi(std::u16string_view text) {
  std::string out;
  WideToMultiByte(kCodePageAnsi, text, out);
  return out;
}

}  // namespace platform
