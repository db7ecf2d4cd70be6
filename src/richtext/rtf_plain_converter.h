// The converter object behind RtfToPlainText: RTF bytes in a memory stream become plain text.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "richtext/rtf_document.h"

namespace richtext {

struct TMemoryStream {
  std::string data;
  size_t position = 0;
};

class TRtfPlainConverter {
 public:
  // Converts the whole stream in place: afterwards it holds the plain text, at position 0.
  explicit TRtfPlainConverter(TMemoryStream& stream);
  TRtfPlainConverter(const TRtfPlainConverter&) = delete;
  TRtfPlainConverter& operator=(const TRtfPlainConverter&) = delete;

  // Whether the data could not be read as RTF and was taken as plain text.
  bool UsedRawText() const { return usedRawText_; }

 private:
  friend std::string RtfToPlainText(const std::string& text);
  TRtfPlainConverter()
      : document_(std::make_unique<TRtfDocument>()), styles_(std::make_unique<TTextStyleTable>()) {}
  // The plain text of the RTF bytes; the data is only read.
  std::string Convert(std::string_view data);

  std::unique_ptr<TRtfDocument> document_;
  std::unique_ptr<TTextStyleTable> styles_;
  bool usedRawText_ = false;
};

}  // namespace richtext
