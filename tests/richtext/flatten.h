// Shared helpers of the RTF tests.
#pragma once

#include <ostream>
#include <string>

#include "richtext/rtf_plain.h"
#include "richtext/rtf_plain_converter.h"

namespace richtext::testing {

// Converts the data as RtfToPlainText does and tells whether the raw-text fallback was taken.
inline std::string Flatten(const std::string& rtf, bool* rawText = nullptr) {
  TMemoryStream stream;
  stream.data = rtf;
  bool raw = false;
  {
    TRtfPlainConverter converter(stream);
    raw = converter.UsedRawText();
  }
  if (rawText) *rawText = raw;
  return stream.data;
}

struct Case {
  const char* name;
  std::string input;
  std::string expected;
};

inline void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// Bytes made visible, for failure messages.
inline std::string Visible(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (c == '\r') out += "<CR>";
    else if (c == '\n') out += "<LF>";
    else if (c == '\t') out += "<TAB>";
    else if (c < 32 || c >= 127) out += std::string("<") + kHex[c >> 4] + kHex[c & 15] + ">";
    else out += static_cast<char>(c);
  }
  return out;
}

}  // namespace richtext::testing
