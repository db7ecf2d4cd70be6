// RtfToPlainText on arbitrary bytes: no crash, no read past the input, bounded output, and
// texts without the marker come back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "richtext/rtf_plain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Half of the inputs start as an RTF document, so the reader is reached quickly.
  std::string text(reinterpret_cast<const char*>(data), size);
  if (size > 0 && (data[0] & 1)) text = "{\\rtf1" + text.substr(1);
  const std::string plain = richtext::RtfToPlainText(text);
  const size_t marker = text.find("{\\rtf1");
  if (marker == std::string::npos) {
    if (plain != text) std::abort();
    return 0;
  }
  // Every byte of the result comes from at most one input byte, save line breaks, which
  // become CR LF: the text can never grow beyond twice the input (raw fallback included).
  if (plain.size() > 2 * (text.size() - marker) + 16) std::abort();
  return 0;
}
