#include "json_check.h"

#include <cstddef>

namespace fuzzcheck {
namespace {

class Checker {
 public:
  explicit Checker(std::string_view t) : t_(t) {}
  bool Run() { return Value(0) && i_ == t_.size(); }

 private:
  bool Value(int depth) {
    if (depth > 200 || i_ >= t_.size()) return false;
    switch (t_[i_]) {
      case '{': return Object(depth);
      case '[': return Array(depth);
      case '"': return String();
      case 't': return Word("true");
      case 'f': return Word("false");
      case 'n': return Word("null");
      default: return Number();
    }
  }
  bool Word(std::string_view w) {
    if (t_.substr(i_, w.size()) != w) return false;
    i_ += w.size();
    return true;
  }
  bool Digits() {
    size_t start = i_;
    while (i_ < t_.size() && t_[i_] >= '0' && t_[i_] <= '9') ++i_;
    return i_ > start;
  }
  bool Number() {
    if (i_ < t_.size() && t_[i_] == '-') ++i_;
    if (!Digits()) return false;
    if (i_ < t_.size() && t_[i_] == '.') {
      ++i_;
      if (!Digits()) return false;
    }
    if (i_ < t_.size() && (t_[i_] == 'e' || t_[i_] == 'E')) {
      ++i_;
      if (i_ < t_.size() && (t_[i_] == '+' || t_[i_] == '-')) ++i_;
      if (!Digits()) return false;
    }
    return true;
  }
  bool String() {
    ++i_;
    while (i_ < t_.size()) {
      unsigned char c = static_cast<unsigned char>(t_[i_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c != '\\') continue;
      if (i_ >= t_.size()) return false;
      char e = t_[i_++];
      if (e == 'u') {
        for (int k = 0; k < 4; ++k, ++i_) {
          if (i_ >= t_.size()) return false;
          char h = t_[i_];
          bool hex = (h >= '0' && h <= '9') || (h >= 'a' && h <= 'f') || (h >= 'A' && h <= 'F');
          if (!hex) return false;
        }
      } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
        return false;
      }
    }
    return false;
  }
  bool Array(int depth) {
    ++i_;
    if (i_ < t_.size() && t_[i_] == ']') return ++i_, true;
    for (;;) {
      if (!Value(depth + 1)) return false;
      if (i_ >= t_.size()) return false;
      char c = t_[i_++];
      if (c == ']') return true;
      if (c != ',') return false;
    }
  }
  bool Object(int depth) {
    ++i_;
    if (i_ < t_.size() && t_[i_] == '}') return ++i_, true;
    for (;;) {
      if (i_ >= t_.size() || t_[i_] != '"' || !String()) return false;
      if (i_ >= t_.size() || t_[i_++] != ':') return false;
      if (!Value(depth + 1)) return false;
      if (i_ >= t_.size()) return false;
      char c = t_[i_++];
      if (c == '}') return true;
      if (c != ',') return false;
    }
  }

  std::string_view t_;
  size_t i_ = 0;
};

}  // namespace

bool IsJson(std::string_view text) { return Checker(text).Run(); }

}  // namespace fuzzcheck
