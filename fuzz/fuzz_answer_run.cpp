// GetString on arbitrary received runs: no read past the run, no allocation beyond it, and
// the value of a first look-up equals that of a naive scan of the run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "exchange/stream_storage.h"

namespace {

uint64_t LE(const uint8_t* p, int width) {
  uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

struct Entry {
  std::u16string name;
  std::u16string value;
};

// Entries up to the first one that does not fit in the run.
std::vector<Entry> NaiveEntries(const uint8_t* run, size_t size) {
  std::vector<Entry> entries;
  size_t pos = 0;
  while (pos < size) {
    if (size - pos < 4) break;
    int64_t n = static_cast<int32_t>(LE(run + pos, 4));
    pos += 4;
    if (n < 0 || static_cast<uint64_t>(n) > size - pos) break;
    Entry e;
    for (int64_t i = 0; i + 1 < n; i += 2) e.name.push_back(static_cast<char16_t>(LE(run + pos + i, 2)));
    pos += static_cast<size_t>(n);
    if (size - pos < 8) break;
    int64_t v = static_cast<int64_t>(LE(run + pos, 8));
    pos += 8;
    if (v < 0 || static_cast<uint64_t>(v) > size - pos) break;
    for (int64_t i = 0; i + 1 < v; i += 2) e.value.push_back(static_cast<char16_t>(LE(run + pos + i, 2)));
    pos += static_cast<size_t>(v);
    entries.push_back(std::move(e));
  }
  return entries;
}

std::u16string NaiveGet(const std::vector<Entry>& entries, const std::u16string& name) {
  for (const Entry& e : entries) {
    if (e.name == name) return e.value;
  }
  return {};
}

bool AsciiOnly(const std::u16string& s) {
  for (char16_t c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<Entry> entries = NaiveEntries(data, size);
  std::vector<std::u16string> names = {u"DATA", u"COMMAND", u""};
  for (size_t i = 0; i < entries.size() && i < 4; ++i) names.push_back(entries[i].name);

  // A first look-up on a fresh run, for every name.
  for (const auto& name : names) {
    exchange::TStreamStorage run;
    run.Append(data, size);
    run.SetPosition(0);
    if (run.GetString(name) != NaiveGet(entries, name)) std::abort();
    if (run.ScanPos() > run.Size() || run.Position() > run.Size()) std::abort();
  }

  // Several look-ups on one run, in both orders. Where every name is plain ASCII, the index
  // keys cannot collide, so later look-ups must agree with the scan as well.
  bool plain = true;
  for (const Entry& e : entries) plain = plain && AsciiOnly(e.name);
  exchange::TStreamStorage run;
  run.Append(data, size);
  run.SetPosition(0);
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t k = 0; k < names.size(); ++k) {
      const auto& name = names[pass == 0 ? names.size() - 1 - k : k];
      std::u16string got = run.GetString(name);
      if (plain && got != NaiveGet(entries, name)) std::abort();
    }
  }
  return 0;
}
