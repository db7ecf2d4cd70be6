// Shortening, trimming and the number conversion that answers 0 instead of failing.
#include <charconv>
#include <cmath>

#include "platform/platform.h"
#include "support/support.h"

namespace support {

std::string ShortenText(const std::string& text, int maxLength) {
  if (static_cast<long long>(text.size()) <= maxLength) return text;
  size_t keep = maxLength > 2 ? static_cast<size_t>(maxLength - 2) : 0;
  return text.substr(0, keep) + "..";
}

std::string_view TrimView(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

long double TextToFloatOrZero(std::string_view text) {
  const char separator = platform::DecimalSeparator();
  size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  // Rebuilt in the notation from_chars reads, which knows no locale.
  std::string number;
  number.reserve(n - i + 1);
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  size_t digits = 0;
  bool haveSeparator = false;
  for (; i < n; ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      number.push_back(c);
      ++digits;
    } else if (c == separator && !haveSeparator) {
      number.push_back('.');
      haveSeparator = true;
    } else {
      break;
    }
  }
  if (digits == 0) return 0;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    number.push_back('e');
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) number.push_back(text[i++]);
    size_t expDigits = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i, ++expDigits) number.push_back(text[i]);
    if (expDigits == 0) return 0;
  }
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return 0;
  long double value = 0;
  auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec != std::errc() || end != number.data() + number.size() || !std::isfinite(value)) return 0;
  return negative ? -value : value;
}

// For the tools' readers: documents and tables stay ANSI inside, terminals want UTF-8.
std::string AnsiToUtf8(const std::string& ansi) {
  const std::u16string wide = platform::AnsiToWide(ansi);
  std::string out;
  out.reserve(wide.size() + wide.size() / 8);
  for (size_t i = 0; i < wide.size(); ++i) {
    uint32_t c = wide[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace support
