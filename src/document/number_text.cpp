#include "document/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace document {

size_t FormatNumberText(long double value, char* out) {
  char* p = out;
  // Infinities and NaN never occur in a document; "null" keeps the text valid JSON.
  if (!std::isfinite(value)) {
    std::memcpy(out, "null", 4);
    return 4;
  }
  if (value == 0) {
    *p = '0';
    return 1;
  }
  // "d.dddddddddddddde[+-]x" rounded to 15 significant digits by the C library. Only the
  // digits are taken, so the library's own decimal point does not matter.
  char sci[64];
  std::snprintf(sci, sizeof sci, "%.14Le", value);
  char digits[16];
  int count = 0;
  const char* s = sci;
  if (*s == '-') {
    *p++ = '-';
    ++s;
  }
  for (; *s && *s != 'e' && *s != 'E'; ++s)
    if (*s >= '0' && *s <= '9' && count < 15) digits[count++] = *s;
  const int x = (*s) ? std::atoi(s + 1) : 0;
  while (count > 1 && digits[count - 1] == '0') --count;

  const int e = x + 1;  // value = 0.d1d2... times 10^e
  if (e >= -3 && e <= 15) {
    if (e <= 0) {
      *p++ = '0';
      *p++ = '.';
      for (int i = 0; i < -e; ++i) *p++ = '0';
      std::memcpy(p, digits, count);
      p += count;
    } else {
      for (int i = 0; i < e; ++i) *p++ = i < count ? digits[i] : '0';
      if (count > e) {
        *p++ = '.';
        std::memcpy(p, digits + e, count - e);
        p += count - e;
      }
    }
  } else {
    *p++ = digits[0];
    if (count > 1) {
      *p++ = '.';
      std::memcpy(p, digits + 1, count - 1);
      p += count - 1;
    }
    *p++ = 'E';
    p += std::snprintf(p, 8, "%d", x);
  }
  return static_cast<size_t>(p - out);
}

std::string NumberText(long double value) {
  char buffer[kNumberTextMax];
  return std::string(buffer, FormatNumberText(value, buffer));
}

}  // namespace document
