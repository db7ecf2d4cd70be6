// The stub's own small JSON reader, enough to show a received import document's parts as a
// table. The system itself never reads JSON.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace stub {

struct JsonMember;

struct JsonValue {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  std::string text;  // ANSI: strings, numbers and booleans as written
  std::vector<JsonValue> items;
  // A named struct, not a pair: a pair needs its value type complete right here.
  std::vector<JsonMember> members;
  const JsonValue* Member(const std::string& name) const;
};

struct JsonMember {
  std::string key;
  JsonValue value;
};

// Parses ANSI JSON text; none when it is not JSON (or nested too deeply).
std::optional<JsonValue> ParseJson(const std::string& text);

// The parts of Order[0].Parts as rows under one header of all keys; empty when the text
// holds no import document.
std::string PartsTable(const std::string& json);

}  // namespace stub
