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
  const std::string_view data = std::string_view(stream.data).substr(stream.position);
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
  std::string text = document_->Text(*styles_, kDefaultCodePage);
  stream.data = std::move(text);
  stream.position = 0;
}

std::string RtfToPlainText(const std::string& text) {
  const size_t start = text.find("{\\rtf1");
  if (start == std::string::npos) return text;
  TMemoryStream stream;
  stream.data.assign(text, start, std::string::npos);
  stream.position = 0;
  { TRtfPlainConverter converter(stream); }
  return std::move(stream.data);
}

}  // namespace richtext
