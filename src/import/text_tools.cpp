#include "import/text_tools.h"

#include <cmath>
#include <cstdio>

#include "platform/platform.h"

namespace import {

std::string FormatTwoDecimals(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  // Seventeen significant digits, then decimal rounding: binary printf rounding would turn
  // 0.125 into 0.12 where the regional formatting gives 0.13.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.16e", std::fabs(value));
  std::string digits;
  const char* p = buf;
  for (; *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') digits += *p;
  const int exponent = std::atoi(p + 1);
  // digits d0 d1 ... stand for d0.d1d2... * 10^exponent; keep the digits down to 10^-2.
  const int keep = exponent + 3;  // number of digits at or above 10^-2
  std::string kept;
  if (keep > 0) {
    if (static_cast<size_t>(keep) < digits.size()) {
      kept = digits.substr(0, keep);
      if (digits[keep] >= '5') {
        int i = keep - 1;
        for (; i >= 0 && kept[i] == '9'; --i) kept[i] = '0';
        if (i >= 0)
          ++kept[i];
        else
          kept.insert(kept.begin(), '1');
      }
    } else {
      kept = digits + std::string(keep - digits.size(), '0');
    }
  } else if (keep == 0 && digits[0] >= '5') {
    kept = "1";
  }
  if (kept.size() < 4) kept.insert(0, 4 - kept.size(), '0');
  bool zero = kept.find_first_not_of('0') == std::string::npos;
  std::string out;
  if (value < 0 && !zero) out += '-';
  out.append(kept, 0, kept.size() - 2);
  out += platform::DecimalSeparator();
  out.append(kept, kept.size() - 2, 2);
  return out;
}

void TrimInPlace(std::string& text) {
  size_t end = text.size();
  while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  text.resize(end);
  size_t begin = 0;
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  if (begin > 0) text.erase(0, begin);
}

}  // namespace import
