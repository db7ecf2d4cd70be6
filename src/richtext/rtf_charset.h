// Character sets of RTF fonts and the conversion of Unicode text to bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace richtext {

// Code page for a Windows character-set number; charset 1 (default) gives defaultCodePage.
// 0, 1 and 2 in the result are the system ANSI, OEM and Macintosh code pages.
unsigned CharsetCodePage(int charset, unsigned defaultCodePage = 0);

// UTF-16 to bytes: compose and drop what cannot be composed, best fit, "?" for the rest; a code
// page that is not available falls back to the ANSI code page, and then to one "?" per unit.
std::string UnicodeToAnsi(unsigned codePage, std::u16string_view text);

// Bytes from 128 up of a PC (437) or Macintosh font translated to Windows-1252 in place.
// Other character sets are left alone.
void TranslateToWindows1252(int charset, char* bytes, size_t count);

// Converts UTF-16LE bytes as UnicodeToAnsi does, remembering single characters: texts repeat
// the same few characters, and a conversion call per run would dominate the time.
class TUnicodeWriter {
 public:
  void Append(unsigned codePage, std::string_view utf16le, std::string& out);

 private:
  std::unordered_map<uint64_t, std::string> cache_;
  std::u16string scratch_;
};

}  // namespace richtext
