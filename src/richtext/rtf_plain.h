// RTF texts to plain text in the system ANSI code page.
#pragma once

#include <string>

namespace richtext {

// A text without "{\rtf1" comes back unchanged; otherwise the text from "{\rtf1" on is
// flattened. An RTF document that cannot be read comes back as its own text, line breaks as
// CR LF.
std::string RtfToPlainText(const std::string& text);

}  // namespace richtext
