// Reads RTF bytes into the flat document: one pass over the bytes, group states on the heap.
#pragma once

#include <string_view>

#include "richtext/rtf_document.h"

namespace richtext {

struct TRtfReadSettings {
  bool skipHidden = true;        // runs in hidden text (\v) are dropped
  unsigned defaultCodePage = 0;  // until \ansicpg; 0 is the system ANSI code page
};

enum class TRtfReadResult {
  kOk,
  kUnbalancedClose,   // more "}" than "{"
  kUnclosedGroups,    // the data ends while groups are open
  kBadHexDigit,       // \' not followed by two hexadecimal digits
  kEndAfterBackslash, // the data ends right after "\"
  kBadPicture,        // picture data that does not fit its format, or a picture in a picture
  kBuildFailure,      // the document could not be built (out of memory)
};

// Appends the document's items; the style table receives the styles the runs need.
TRtfReadResult ReadRtf(std::string_view data, TRtfDocument& document, TTextStyleTable& styles,
                       const TRtfReadSettings& settings);

}  // namespace richtext
