#include "richtext/rtf_field.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace richtext {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Words of the instruction; a quoted word loses its quotes.
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i >= text.size()) break;
    std::string word;
    if (text[i] == '"') {
      ++i;
      while (i < text.size() && text[i] != '"') word += text[i++];
      if (i < text.size()) ++i;
    } else {
      while (i < text.size() && !IsBlank(text[i])) word += text[i++];
    }
    words.push_back(std::move(word));
  }
  return words;
}

// Decimal, or hexadecimal after 0x; bounded to 32 bits.
std::optional<int64_t> Number(std::string_view word) {
  int base = 10;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    base = 16;
    word.remove_prefix(2);
  }
  if (word.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : word) {
    int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                : base == 16 && std::isxdigit(static_cast<unsigned char>(c))
                    ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                    : -1;
    if (digit < 0) return std::nullopt;
    value = std::min<int64_t>(value * base + digit, INT32_MAX);
  }
  return value;
}

}  // namespace

TFieldInstruction ParseFieldInstruction(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  TFieldInstruction field;
  std::string_view name = text;
  if (!name.empty() && name.front() == '\\') name.remove_prefix(1);
  if (StartsWithNoCase(name, "INCLUDEPICTURE") || StartsWithNoCase(name, "IMPORT")) {
    // Never opened: a tender file must not make the tool read arbitrary paths.
    field.kind = TFieldKind::kIncludePicture;
    return field;
  }
  if (StartsWithNoCase(text, "SYMBOL")) {
    field.kind = TFieldKind::kSymbol;
    std::vector<std::string> words = Words(text.substr(6));
    if (!words.empty())
      if (auto code = Number(words[0])) field.symbol = static_cast<uint8_t>(*code & 0xFF);
    for (size_t i = 0; i + 1 < words.size(); ++i)
      if (words[i] == "\\f") field.symbolFont = words[i + 1];
    return field;
  }
  if (StartsWithNoCase(text, "SEQ")) {
    field.kind = TFieldKind::kSequence;
    std::vector<std::string> words = Words(text.substr(3));
    size_t i = 0;
    if (i < words.size() && words[i].rfind('\\', 0) != 0) field.sequenceName = words[i++];
    for (; i < words.size(); ++i) {
      std::string_view word = words[i];
      if (word.rfind("\\*", 0) == 0) {
        std::string_view format = word.substr(2);
        if (format.empty() && i + 1 < words.size()) format = words[++i];
        if (format == "alphabetic") field.format = TNumberFormat::kLowerLetter;
        else if (format == "ALPHABETIC") field.format = TNumberFormat::kUpperLetter;
        else if (format == "roman") field.format = TNumberFormat::kLowerRoman;
        else if (format == "ROMAN") field.format = TNumberFormat::kUpperRoman;
      } else if (word == "\\r" && i + 1 < words.size()) {
        if (auto value = Number(words[i + 1])) {
          field.restart = *value;
          ++i;
        }
      }
    }
  }
  return field;
}

}  // namespace richtext
