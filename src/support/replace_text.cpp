// Case-insensitive replace-all on Windows-1252 bytes. Letters match their case partner; every
// other byte (sharp s, multiplication sign, micro sign, ...) matches only itself.
#include <array>
#include <cstring>

#include "support/support.h"

namespace support {

namespace {

struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> swap{};
  constexpr CaseTables() {
    for (int c = 0; c < 256; ++c) upper[c] = swap[c] = static_cast<unsigned char>(c);
    auto pair = [this](int up, int low) {
      upper[low] = static_cast<unsigned char>(up);
      swap[up] = static_cast<unsigned char>(low);
      swap[low] = static_cast<unsigned char>(up);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    for (int c = 192; c <= 214; ++c) pair(c, c + 32);
    for (int c = 216; c <= 222; ++c) pair(c, c + 32);
    pair(138, 154);
    pair(140, 156);
    pair(142, 158);
    pair(159, 255);
  }
};

constexpr CaseTables kCase;

inline unsigned char U(char c) { return static_cast<unsigned char>(c); }

// Finds the next position at or after `from` whose byte is one of the first byte's case forms.
// Each form keeps its own memchr result, so every byte of the text is scanned at most twice.
class FirstByteScanner {
 public:
  FirstByteScanner(const char* text, size_t limit, unsigned char first)
      : text_(text), limit_(limit) {
    forms_[0] = kCase.upper[first];
    forms_[1] = kCase.swap[forms_[0]];
    count_ = forms_[0] == forms_[1] ? 1 : 2;
  }
  // Returns limit when there is no further candidate.
  size_t Next(size_t from) {
    size_t best = limit_;
    for (int k = 0; k < count_; ++k) {
      if (!scanned_[k] || next_[k] < from) {
        scanned_[k] = true;
        const void* hit = from < limit_ ? std::memchr(text_ + from, forms_[k], limit_ - from) : nullptr;
        next_[k] = hit ? static_cast<size_t>(static_cast<const char*>(hit) - text_) : limit_;
      }
      if (next_[k] < best) best = next_[k];
    }
    return best;
  }

 private:
  const char* text_;
  size_t limit_;
  unsigned char forms_[2];
  size_t next_[2] = {0, 0};
  bool scanned_[2] = {false, false};
  int count_;
};

// Writes the replaced text to dst and returns its length. dst may be the text itself when the
// replacement is not longer than the search: the writer never overtakes the reader then.
// Otherwise dst must hold the whole result.
size_t ReplaceInto(const char* t, size_t n, std::string_view search, std::string_view replacement,
                   char* dst) {
  const size_t m = search.size();
  const size_t lastStart = n - m;  // candidates start at or before this position
  FirstByteScanner scanner(t, lastStart + 1, U(search[0]));
  size_t written = 0, copied = 0, pos = 0;
  while (pos <= lastStart) {
    size_t hit = scanner.Next(pos);
    if (hit > lastStart) break;
    size_t k = 1;
    while (k < m && (t[hit + k] == search[k] || U(t[hit + k]) == kCase.swap[U(search[k])])) ++k;
    if (k == m) {
      std::memmove(dst + written, t + copied, hit - copied);
      written += hit - copied;
      std::memcpy(dst + written, replacement.data(), replacement.size());
      written += replacement.size();
      copied = pos = hit + m;
    } else {
      pos = hit + 1;
    }
  }
  std::memmove(dst + written, t + copied, n - copied);
  return written + (n - copied);
}

// A longer replacement could need length(replacement) * n / m bytes in the worst case, which
// hostile input can make huge, so that output grows as matches are found.
void ReplaceGrowing(std::string& out, std::string_view text, std::string_view search,
                    std::string_view replacement) {
  const char* t = text.data();
  const size_t n = text.size(), m = search.size();
  const size_t lastStart = n - m;
  out.clear();
  out.reserve(n + n / 8);
  FirstByteScanner scanner(t, lastStart + 1, U(search[0]));
  size_t copied = 0, pos = 0;
  while (pos <= lastStart) {
    size_t hit = scanner.Next(pos);
    if (hit > lastStart) break;
    size_t k = 1;
    while (k < m && (t[hit + k] == search[k] || U(t[hit + k]) == kCase.swap[U(search[k])])) ++k;
    if (k == m) {
      out.append(t + copied, hit - copied);
      out.append(replacement);
      copied = pos = hit + m;
    } else {
      pos = hit + 1;
    }
  }
  out.append(t + copied, n - copied);
}

}  // namespace

void FastReplaceTextInto(std::string& out, std::string_view text, std::string_view search,
                         std::string_view replacement) {
  const size_t n = text.size(), m = search.size();
  if (m == 0 || m > n) {
    out.assign(text);
    return;
  }
  if (replacement.size() > m) {
    ReplaceGrowing(out, text, search, replacement);
    return;
  }
  // The result fits in the text's length; resize touches only what the buffer lacks.
  if (out.size() < n) out.resize(n);
  out.resize(ReplaceInto(text.data(), n, search, replacement, out.data()));
}

std::string FastReplaceText(std::string_view text, std::string_view search,
                            std::string_view replacement) {
  std::string out;
  FastReplaceTextInto(out, text, search, replacement);
  return out;
}

void ReplaceAllText(std::string& text, std::string_view search, std::string_view replacement) {
  if (search.empty() || search.size() > text.size()) return;
  if (replacement.size() > search.size()) {
    text = FastReplaceText(text, search, replacement);
    return;
  }
  // In place: no second buffer for a text that only shrinks. The search and replacement may
  // point into the text, so they are copied first.
  const std::string s(search), r(replacement);
  text.resize(ReplaceInto(text.data(), text.size(), s, r, text.data()));
}

}  // namespace support
