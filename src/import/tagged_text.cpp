#include "import/tagged_text.h"

#include <cstdint>
#include <cstring>

#include "support/support.h"

namespace import {
namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EqualFolded(const char* a, std::string_view b) {
  for (size_t i = 0; i < b.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

}  // namespace

bool ContainsMarker(std::string_view line, std::string_view marker) {
  if (marker.empty()) return true;
  if (line.size() < marker.size()) return false;
  // Anchor the search on the marker's "#" or "[" (else its first non-letter), so the scan
  // runs through memchr.
  size_t k = marker.find_first_of("#[");
  if (k == std::string_view::npos) {
    k = 0;
    while (k < marker.size() && ((marker[k] >= 'a' && marker[k] <= 'z') ||
                                 (marker[k] >= 'A' && marker[k] <= 'Z')))
      ++k;
    if (k == marker.size()) k = 0;
  }
  const char anchor = marker[k];
  const char* data = line.data();
  const size_t last = line.size() - marker.size();  // last possible start
  size_t from = k;
  while (from <= last + k) {
    const void* hit = std::memchr(data + from, anchor, last + k - from + 1);
    if (hit == nullptr) return false;
    const size_t at = static_cast<const char*>(hit) - data;
    if (EqualFolded(data + at - k, marker)) return true;
    from = at + 1;
  }
  return false;
}

bool MarkerAt(std::string_view line, size_t at, std::string_view marker) {
  return at <= line.size() && marker.size() <= line.size() - at &&
         EqualFolded(line.data() + at, marker);
}

namespace {

// The next "[" or "]", eight bytes at a time through the long runs of plain text.
const char* NextBracket(const char* p, const char* const end) {
  constexpr uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
  auto hasByte = [](uint64_t x, uint8_t b) {
    const uint64_t y = x ^ (ones * b);
    return ((y - ones) & ~y & highs) != 0;
  };
  for (; end - p >= 8; p += 8) {
    uint64_t x;
    std::memcpy(&x, p, 8);
    if (hasByte(x, '[') || hasByte(x, ']')) break;
  }
  while (p < end && *p != '[' && *p != ']') ++p;
  return p;
}

}  // namespace

void AppendStripped(std::string& target, std::string_view Line, bool DoTrim) {
  const size_t start = target.size();
  // Runs outside brackets go in whole; a "[" inside a bracketed part changes nothing, so the
  // part ends at the next "]".
  const char* p = Line.data();
  const char* const end = p + Line.size();
  while (p < end) {
    const char* run = p;
    p = NextBracket(p, end);
    target.append(run, static_cast<size_t>(p - run));
    if (p == end) break;
    if (*p++ == ']') continue;
    const void* close = std::memchr(p, ']', static_cast<size_t>(end - p));
    if (close == nullptr) break;
    p = static_cast<const char*>(close) + 1;
  }
  if (target.find('#', start) != std::string::npos) {
    std::string tail = target.substr(start);
    support::ReplaceAllText(tail, "#begin", "");
    support::ReplaceAllText(tail, "#end", "");
    target.replace(start, std::string::npos, tail);
  }
  if (DoTrim) {
    size_t end = target.size();
    while (end > start && static_cast<unsigned char>(target[end - 1]) <= ' ') --end;
    size_t begin = start;
    while (begin < end && static_cast<unsigned char>(target[begin]) <= ' ') ++begin;
    target.resize(end);
    target.erase(start, begin - start);
  }
}

std::string StripTags(std::string_view Line, bool DoTrim) {
  std::string out;
  AppendStripped(out, Line, DoTrim);
  return out;
}

std::string FormatTaggedOZ(std::string_view Text) {
  const std::string_view t = support::TrimView(Text);
  std::string out;
  if (t.size() >= 1 && t.size() <= 2) {
    out = t;
    out += '.';
  } else if (t.size() >= 3 && t.size() <= 4) {
    out = t.substr(0, 2);
    out += '.';
    out += t.substr(2);
  } else if (t.size() >= 5 && t.size() <= 100) {
    out = t.substr(0, 2);
    out += '.';
    out += t.substr(2, 2);
    out += '.';
    out += t.substr(4);
  } else {
    out = t;
  }
  return out;
}

std::string_view RtfBlank(std::string_view Line) {
  return Line.find("{\\rtf1") != std::string_view::npos ? std::string_view() : " ";
}

void AddDescLine(std::string& Target, std::string_view Line) {
  Target += RtfBlank(Line);
  AppendStripped(Target, Line, true);
}

}  // namespace import
