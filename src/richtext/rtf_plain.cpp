#include "richtext/rtf_plain.h"

#include <string_view>

#include "richtext/rtf_plain_converter.h"
#include "richtext/rtf_reader.h"

namespace richtext {

namespace {
constexpr unsigned kDefaultCodePage = 0;  // the system ANSI code page
}

TRtfPlainConverter::TRtfPlainConverter(TMemoryStream& stream)
    : document_(std::make_unique<TRtfDocument>()), styles_(std::make_unique<TTextStyleTable>()) {
  std::string text = Convert(std::string_view(stream.data).substr(stream.position));
  stream.data = std::move(text);
  stream.position = 0;
}

std::string TRtfPlainConverter::Convert(std::string_view data) {
  TRtfReadSettings settings;
  settings.skipHidden = true;
  settings.defaultCodePage = kDefaultCodePage;
  if (ReadRtf(data, *document_, *styles_, settings) != TRtfReadResult::kOk) {
    // Whatever was read is discarded; the data is single-byte text from "{\rtf1" on.
    usedRawText_ = true;
    document_ = std::make_unique<TRtfDocument>();
    styles_ = std::make_unique<TTextStyleTable>();
    LoadPlainText(data, *document_);
  }
  return document_->Text(*styles_, kDefaultCodePage);
}

std::string RtfToPlainText(const std::string& text) {
  const size_t start = text.find("{\\rtf1");
  if (start == std::string::npos) return text;
  // Read straight from the caller's text: a copy into a stream first would add the whole
  // input to the peak.
  TRtfPlainConverter converter;
  return converter.Convert(std::string_view(text).substr(start));
}

}  // namespace richtext
