// The compact JSON text of a value tree: no blanks or line breaks, members in insertion order,
// strings in the system ANSI code page with the writer's own escape table.
#pragma once

#include <iosfwd>
#include <string>

#include "document/json_value.h"

namespace document {

class TZVJSONText {
 public:
  // The empty text for a missing value.
  static std::string WriteText(const TZVCustomJSON* value);
};

class TZVJSONStreamer : public TZVJSONText {
 public:
  // Appends the text at the stream's position; nothing when value or stream is missing.
  static void WriteToStream(const TZVCustomJSON* value, std::ostream* stream);
  // Replaces the file with the text. The folder is created first (a bare file name raises
  // support::EInOutError "Verzeichnis kann nicht erstellt werden"); a file that cannot be
  // written is tried five times, 100 ms apart, and then given up without a word.
  static void WriteToFile(const TZVCustomJSON* value, const std::string& fileName);
  // The same for a text already written.
  static void WriteTextToFile(const std::string& text, const std::string& fileName);
};

inline std::string WriteText(const TZVCustomJSON* value) { return TZVJSONText::WriteText(value); }
inline void WriteToStream(const TZVCustomJSON* value, std::ostream* stream) {
  TZVJSONStreamer::WriteToStream(value, stream);
}
inline void WriteToFile(const TZVCustomJSON* value, const std::string& fileName) {
  TZVJSONStreamer::WriteToFile(value, fileName);
}

}  // namespace document
