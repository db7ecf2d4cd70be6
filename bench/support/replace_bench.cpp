// FastReplaceText on a 64 MiB text of random words with a "<br>" in mixed case about every
// 100 bytes, replaced by CR LF; beside it the plain loop of case-insensitive search + append.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>

#include "support/support.h"

namespace {

const std::string& Text() {
  static const std::string text = [] {
    constexpr size_t kSize = 64u << 20;
    std::mt19937 rng(42);
    static const char* kBreaks[] = {"<br>", "<BR>", "<Br>", "<bR>"};
    std::string t;
    t.reserve(kSize + 128);
    size_t nextBreak = 100;
    while (t.size() < kSize) {
      size_t len = 2 + rng() % 9;
      for (size_t i = 0; i < len; ++i) {
        char c = static_cast<char>('a' + rng() % 26);
        t.push_back(rng() % 8 == 0 ? static_cast<char>(c - 32) : c);
      }
      t.push_back(' ');
      if (t.size() >= nextBreak) {
        t += kBreaks[rng() % 4];
        nextBreak = t.size() + 80 + rng() % 41;
      }
    }
    t.resize(kSize);
    return t;
  }();
  return text;
}

// The plain loop: a case-insensitive search from each position, then append piece by piece.
std::string NaiveReplace(const std::string& text, const std::string& search,
                         const std::string& replacement) {
  auto same = [](char a, char b) {
    auto low = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return low(a) == low(b);
  };
  std::string out;
  auto pos = text.begin();
  for (;;) {
    auto hit = std::search(pos, text.end(), search.begin(), search.end(), same);
    out.append(pos, hit);
    if (hit == text.end()) break;
    out.append(replacement);
    pos = hit + static_cast<std::ptrdiff_t>(search.size());
  }
  return out;
}

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Text().size()));
}

// What a caller gets: a new 64 MiB string each time, its first touch of memory included.
void BM_FastReplaceText(benchmark::State& state) {
  const std::string& text = Text();  // made once, outside the timing
  for (auto _ : state) {
    std::string out = support::FastReplaceText(text, "<br>", "\r\n");
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state);
}
BENCHMARK(BM_FastReplaceText)->Unit(benchmark::kMillisecond);

// The scan and copy alone: the output buffer is reused from one run to the next.
void BM_FastReplaceTextInto(benchmark::State& state) {
  const std::string& text = Text();
  std::string out;
  for (auto _ : state) {
    support::FastReplaceTextInto(out, text, "<br>", "\r\n");
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state);
}
BENCHMARK(BM_FastReplaceTextInto)->Unit(benchmark::kMillisecond);

// ReplaceAllText works in place when the replacement is shorter; the copy is not timed.
void BM_ReplaceAllTextInPlace(benchmark::State& state) {
  std::string text;
  for (auto _ : state) {
    state.PauseTiming();
    text.assign(Text());
    state.ResumeTiming();
    support::ReplaceAllText(text, "<br>", "\r\n");
    benchmark::DoNotOptimize(text.data());
  }
  SetBytes(state);
}
BENCHMARK(BM_ReplaceAllTextInPlace)->Unit(benchmark::kMillisecond);

void BM_NaiveFindAppend(benchmark::State& state) {
  const std::string& text = Text();
  const std::string search = "<br>", replacement = "\r\n";
  for (auto _ : state) {
    std::string out = NaiveReplace(text, search, replacement);
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state);
}
BENCHMARK(BM_NaiveFindAppend)->Unit(benchmark::kMillisecond);

}  // namespace
