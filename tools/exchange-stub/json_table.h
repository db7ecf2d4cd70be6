// The stub's own small JSON reader, enough to show a received import document's parts as a
// table. The system itself never reads JSON.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace stub {

struct JsonValue {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  std::string text;  // ANSI: strings, numbers and booleans as written
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;
  const JsonValue* Member(const std::string& name) const;
};

// Parses ANSI JSON text; none when it is not JSON (or nested too deeply).
std::optional<JsonValue> ParseJson(const std::string& text);

// The parts of Order[0].Parts as rows under one header of all keys; empty when the text
// holds no import document.
std::string PartsTable(const std::string& json);

}  // namespace stub
