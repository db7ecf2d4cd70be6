// FastReplaceText against a naive replace-all that follows the matching rule literally.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/support.h"

namespace {

// Windows-1252 case partner of a byte, or the byte itself.
unsigned char Partner(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 192 && c <= 222 && c != 215) return c + 32;
  if (c >= 224 && c <= 254 && c != 247) return c - 32;
  switch (c) {
    case 138: return 154;
    case 154: return 138;
    case 140: return 156;
    case 156: return 140;
    case 142: return 158;
    case 158: return 142;
    case 159: return 255;
    case 255: return 159;
    default: return c;
  }
}

bool SameLetter(char a, char b) {
  unsigned char x = static_cast<unsigned char>(a), y = static_cast<unsigned char>(b);
  return x == y || Partner(x) == y;
}

std::string NaiveReplace(std::string_view text, std::string_view search, std::string_view repl) {
  if (search.empty() || search.size() > text.size()) return std::string(text);
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    bool match = i + search.size() <= text.size();
    for (size_t k = 0; match && k < search.size(); ++k) match = SameLetter(text[i + k], search[k]);
    if (match) {
      out.append(repl);
      i += search.size();
    } else {
      out.push_back(text[i++]);
    }
  }
  return out;
}

}  // namespace

// Input: two length bytes (search, replacement), then search, replacement and the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  std::string_view all(reinterpret_cast<const char*>(data), size);
  size_t searchLength = data[0] % 16, replLength = data[1] % 16;
  all.remove_prefix(2);
  if (searchLength + replLength > all.size()) return 0;
  std::string_view search = all.substr(0, searchLength);
  std::string_view repl = all.substr(searchLength, replLength);
  std::string_view text = all.substr(searchLength + replLength);
  std::string fast = support::FastReplaceText(text, search, repl);
  if (fast != NaiveReplace(text, search, repl)) std::abort();
  std::string inPlace(text);
  support::ReplaceAllText(inPlace, search, repl);
  if (inPlace != fast) std::abort();
  return 0;
}
