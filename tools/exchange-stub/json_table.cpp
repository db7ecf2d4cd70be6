#include "json_table.h"

#include <algorithm>

#include "platform/platform.h"

namespace stub {
namespace {

class Reader {
 public:
  explicit Reader(const std::string& text) : s_(text) {}

  bool Value(JsonValue& out, int depth) {
    if (depth > 64) return false;
    Blank();
    if (at_ >= s_.size()) return false;
    char c = s_[at_];
    if (c == '{') return Object(out, depth);
    if (c == '[') return Array(out, depth);
    if (c == '"') {
      out.kind = JsonValue::String;
      return String(out.text);
    }
    for (const char* word : {"true", "false"}) {
      if (Word(word)) {
        out.kind = JsonValue::Bool;
        out.text = word;
        return true;
      }
    }
    if (Word("null")) return true;
    size_t start = at_;
    while (at_ < s_.size() && std::string_view("+-0123456789.eE").find(s_[at_]) != std::string::npos) ++at_;
    if (at_ == start) return false;
    out.kind = JsonValue::Number;
    out.text = s_.substr(start, at_ - start);
    return true;
  }

  bool AtEnd() {
    Blank();
    return at_ == s_.size();
  }

 private:
  void Blank() {
    while (at_ < s_.size() && static_cast<unsigned char>(s_[at_]) <= ' ') ++at_;
  }
  bool Word(const char* w) {
    size_t n = std::char_traits<char>::length(w);
    if (s_.compare(at_, n, w) != 0) return false;
    at_ += n;
    return true;
  }
  bool Object(JsonValue& out, int depth) {
    out.kind = JsonValue::Object;
    ++at_;
    Blank();
    if (at_ < s_.size() && s_[at_] == '}') return ++at_, true;
    for (;;) {
      Blank();
      std::string name;
      if (at_ >= s_.size() || s_[at_] != '"' || !String(name)) return false;
      Blank();
      if (at_ >= s_.size() || s_[at_++] != ':') return false;
      JsonValue value;
      if (!Value(value, depth + 1)) return false;
      out.members.push_back({std::move(name), std::move(value)});
      Blank();
      if (at_ >= s_.size()) return false;
      char c = s_[at_++];
      if (c == '}') return true;
      if (c != ',') return false;
    }
  }
  bool Array(JsonValue& out, int depth) {
    out.kind = JsonValue::Array;
    ++at_;
    Blank();
    if (at_ < s_.size() && s_[at_] == ']') return ++at_, true;
    for (;;) {
      JsonValue value;
      if (!Value(value, depth + 1)) return false;
      out.items.push_back(std::move(value));
      Blank();
      if (at_ >= s_.size()) return false;
      char c = s_[at_++];
      if (c == ']') return true;
      if (c != ',') return false;
    }
  }
  // Plain bytes are ANSI already; \u escapes are UTF-16 and converted back to ANSI.
  bool String(std::string& out) {
    ++at_;
    std::u16string units;
    auto flush = [&] {
      if (!units.empty()) out += platform::WideToAnsi(units);
      units.clear();
    };
    while (at_ < s_.size()) {
      char c = s_[at_++];
      if (c == '"') {
        flush();
        return true;
      }
      if (c != '\\') {
        flush();
        out.push_back(c);
        continue;
      }
      if (at_ >= s_.size()) return false;
      char e = s_[at_++];
      switch (e) {
        case 'n': flush(); out += '\n'; break;
        case 'r': flush(); out += '\r'; break;
        case 't': flush(); out += '\t'; break;
        case 'b': flush(); out += '\b'; break;
        case 'f': flush(); out += '\f'; break;
        case 'u': {
          if (s_.size() - at_ < 4) return false;
          unsigned v = 0;
          for (int i = 0; i < 4; ++i) {
            char h = s_[at_++];
            v <<= 4;
            if (h >= '0' && h <= '9') v |= h - '0';
            else if (h >= 'a' && h <= 'f') v |= h - 'a' + 10;
            else if (h >= 'A' && h <= 'F') v |= h - 'A' + 10;
            else return false;
          }
          units.push_back(static_cast<char16_t>(v));
          break;
        }
        default: flush(); out += e; break;
      }
    }
    return false;
  }

  const std::string& s_;
  size_t at_ = 0;
};

std::string Counted(char open, size_t count, char close) {
  std::string text(1, open);
  text += std::to_string(count);
  text += close;
  return text;
}

std::string Cell(const JsonValue* v) {
  if (!v) return "";
  std::string text;
  switch (v->kind) {
    case JsonValue::Array: return Counted('[', v->items.size(), ']');
    case JsonValue::Object: return Counted('{', v->members.size(), '}');
    case JsonValue::Null: return "null";
    default: text = v->text;
  }
  std::string shown;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') shown += "\\n";
    else shown.push_back(static_cast<unsigned char>(c) < ' ' ? ' ' : c);
  }
  constexpr size_t kWidest = 40;
  if (shown.size() > kWidest) {
    shown.resize(kWidest - 3);
    shown.append("...");
  }
  return shown;
}

}  // namespace

const JsonValue* JsonValue::Member(const std::string& name) const {
  for (const auto& [key, value] : members) {
    if (key == name) return &value;
  }
  return nullptr;
}

std::optional<JsonValue> ParseJson(const std::string& text) {
  Reader reader(text);
  JsonValue root;
  if (!reader.Value(root, 0) || !reader.AtEnd()) return std::nullopt;
  return root;
}

std::string PartsTable(const std::string& json) {
  std::optional<JsonValue> root = ParseJson(json);
  if (!root || root->kind != JsonValue::Object) return "";
  const JsonValue* orders = root->Member("Order");
  if (!orders || orders->kind != JsonValue::Array || orders->items.empty()) return "";
  const JsonValue* parts = orders->items[0].Member("Parts");
  if (!parts || parts->kind != JsonValue::Array) return "";

  std::vector<std::string> columns;
  for (const JsonValue& part : parts->items) {
    for (const auto& [key, value] : part.members) {
      if (std::find(columns.begin(), columns.end(), key) == columns.end()) columns.push_back(key);
    }
  }
  std::vector<std::vector<std::string>> rows;
  rows.push_back({"#"});
  rows[0].insert(rows[0].end(), columns.begin(), columns.end());
  for (size_t i = 0; i < parts->items.size(); ++i) {
    std::vector<std::string> row{std::to_string(i + 1)};
    for (const std::string& column : columns) row.push_back(Cell(parts->items[i].Member(column)));
    rows.push_back(std::move(row));
  }
  std::vector<size_t> widths(rows[0].size(), 0);
  for (const auto& row : rows) {
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  std::string out = "Parts: ";
  out += std::to_string(parts->items.size());
  out += '\n';
  for (const auto& row : rows) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      if (c) line += " | ";
      line += row[c];
      if (c + 1 < row.size()) line.append(widths[c] - row[c].size(), ' ');
    }
    out += line;
    out += '\n';
  }
  return out;
}

}  // namespace stub
