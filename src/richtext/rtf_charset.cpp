#include "richtext/rtf_charset.h"

#include "platform/platform.h"

namespace richtext {

namespace {

// Windows-1252 bytes for 128..255 of code page 437; line characters become | - +.
const uint8_t k437[128] = {
    199, 252, 233, 226, 228, 224, 229, 231, 234, 235, 232, 239, 238, 236, 196, 197,
    201, 230, 198, 244, 246, 242, 251, 249, 255, 214, 220, 162, 163, 165, 63,  131,
    225, 237, 243, 250, 241, 209, 170, 186, 191, 63,  172, 189, 188, 161, 171, 187,
    63,  63,  63,  124, 43,  43,  43,  43,  43,  43,  124, 43,  43,  43,  43,  43,
    43,  43,  43,  43,  45,  43,  43,  43,  43,  43,  43,  43,  43,  45,  43,  43,
    43,  43,  43,  43,  43,  43,  43,  43,  43,  43,  43,  63,  63,  63,  63,  63,
    63,  223, 63,  63,  63,  63,  63,  63,  63,  63,  63,  63,  63,  63,  63,  63,
    63,  177, 63,  63,  63,  63,  247, 63,  176, 183, 183, 63,  110, 178, 63,  160,
};

// Windows-1252 bytes for 128..255 of the Macintosh Roman code page.
const uint8_t kMac[128] = {
    196, 197, 199, 201, 209, 214, 220, 225, 224, 226, 228, 227, 229, 231, 233, 232,
    234, 235, 237, 236, 238, 239, 241, 243, 242, 244, 246, 245, 250, 249, 251, 252,
    134, 176, 162, 163, 167, 149, 182, 223, 174, 169, 153, 180, 168, 63,  198, 216,
    63,  177, 63,  63,  165, 181, 63,  63,  63,  63,  63,  170, 186, 63,  230, 248,
    191, 161, 172, 63,  131, 63,  63,  171, 187, 133, 160, 192, 195, 213, 140, 156,
    150, 151, 147, 148, 145, 146, 247, 63,  255, 159, 47,  128, 139, 155, 63,  63,
    135, 183, 130, 132, 137, 194, 202, 193, 203, 200, 205, 206, 207, 204, 211, 212,
    63,  210, 218, 219, 217, 73,  136, 152, 175, 63,  183, 63,  63,  63,  63,  63,
};

// Marks that may compose with the character before them, and surrogates: such runs are converted
// whole rather than character by character.
bool NeedsWholeRun(char16_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
         (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
         (c >= 0xFE20 && c <= 0xFE2F) || (c >= 0xD800 && c <= 0xDFFF) ||
         (c >= 0x3099 && c <= 0x309A);
}

}  // namespace

unsigned CharsetCodePage(int charset, unsigned defaultCodePage) {
  switch (charset) {
    case 0: return 1252;
    case 1: return defaultCodePage;
    case 2: return platform::kCodePageAnsi;
    case 77: return platform::kCodePageMac;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 1252;
    case 255: return platform::kCodePageOem;
    default: return platform::kCodePageAnsi;
  }
}

std::string UnicodeToAnsi(unsigned codePage, std::u16string_view text) {
  std::string out;
  if (text.empty()) return out;
  if (platform::WideToMultiByte(codePage, text, out, true)) return out;
  if (codePage != platform::kCodePageAnsi &&
      platform::WideToMultiByte(platform::kCodePageAnsi, text, out, true))
    return out;
  return std::string(text.size(), '?');
}

void TranslateToWindows1252(int charset, char* bytes, size_t count) {
  const uint8_t* table = charset == 254 ? k437 : charset == 77 ? kMac : nullptr;
  if (!table) return;
  for (size_t i = 0; i < count; ++i) {
    auto b = static_cast<uint8_t>(bytes[i]);
    if (b >= 128) bytes[i] = static_cast<char>(table[b - 128]);
  }
}

void TUnicodeWriter::Append(unsigned codePage, std::string_view utf16le, std::string& out) {
  scratch_.clear();
  bool whole = false;
  for (size_t i = 0; i + 1 < utf16le.size(); i += 2) {
    auto c = static_cast<char16_t>(static_cast<uint8_t>(utf16le[i]) |
                                   (static_cast<uint8_t>(utf16le[i + 1]) << 8));
    whole = whole || NeedsWholeRun(c);
    scratch_.push_back(c);
  }
  if (whole) {
    out += UnicodeToAnsi(codePage, scratch_);
    return;
  }
  for (char16_t c : scratch_) {
    const uint64_t key = (static_cast<uint64_t>(codePage) << 16) | c;
    auto it = cache_.find(key);
    if (it == cache_.end())
      it = cache_.emplace(key, UnicodeToAnsi(codePage, std::u16string_view(&c, 1))).first;
    out += it->second;
  }
}

}  // namespace richtext
