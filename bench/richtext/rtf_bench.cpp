// Throughput and peak heap of RtfToPlainText on a generated tender-like RTF document of about
// 50 MB, against `unrtf --text` on the same file in the same run.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "richtext/rtf_plain.h"

// ---- heap accounting: every allocation of the process passes through here ----------------------
namespace {
std::atomic<size_t> gHeapNow{0};
std::atomic<size_t> gHeapPeak{0};

// Each block carries its size in front of it.
constexpr size_t kHeader = 16;

void* Allocate(size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) throw std::bad_alloc();
  *reinterpret_cast<size_t*>(block) = size;
  const size_t now = gHeapNow += size;
  size_t peak = gHeapPeak.load();
  while (now > peak && !gHeapPeak.compare_exchange_weak(peak, now)) {
  }
  return block + kHeader;
}

void Release(void* p) {
  if (!p) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  gHeapNow -= *reinterpret_cast<size_t*>(block);
  std::free(block);
}
}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace {

// Deterministic text: words with umlauts as \'hh, Euro and dashes as \u, font and style changes,
// hidden remarks, hyperlinks, footnotes and a table now and then.
std::string MakeDocument(size_t targetBytes) {
  static const char* const kWords[] = {
      "Beton",  "Schalung", "liefern", "und",     "einbauen", "Bewehrung", "Stahl",
      "B500B",  "gem\\'e4\\'df", "DIN",   "Fl\\'e4che", "Wand",      "St\\'fctze", "Ma\\'dfe",
      "inkl.",  "Abdichtung", "Position", "Decke", "C25/30",   "Fundament", "Ausf\\'fchrung"};
  std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
      "{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\fmodern\\fcharset254 Terminal;}"
      "{\\f3\\fswiss\\fcharset204 Arial Cyr;}}{\\colortbl;\\red0\\green0\\blue0;}"
      "{\\stylesheet{\\s0 Normal;}}{\\info{\\title Leistungsverzeichnis}}\n";
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  size_t paragraph = 0;
  while (rtf.size() < targetBytes) {
    ++paragraph;
    if (paragraph % 200 == 0) {
      rtf += "\\trowd\\trgaph70\\cellx2000\\cellx6000\\cellx8000\n";
      for (int row = 0; row < 3; ++row) {
        rtf += "\\pard\\intbl\\f0 Pos. " + std::to_string(paragraph + row) +
               "\\cell Beton liefern\\cell 12,50 \\u8364?\\cell\\row\n";
      }
      rtf += "\\pard\\plain\\f0\\fs20 ";
    }
    rtf += "\\pard\\ql\\fs20 ";
    const int words = 12 + static_cast<int>(next() % 30);
    for (int w = 0; w < words; ++w) {
      const unsigned r = next() % 100;
      if (r < 4) {
        rtf += "{\\b ";
        rtf += kWords[next() % std::size(kWords)];
        rtf += "} ";
      } else if (r < 6) {
        rtf += "\\f1 ";
        rtf += kWords[next() % std::size(kWords)];
        rtf += "\\f0  ";
      } else if (r < 8) {
        rtf += "\\u8364? ";
      } else if (r < 9) {
        rtf += "\\endash  ";
      } else if (r < 10) {
        rtf += "{\\v intern }";
      } else if (r == 10) {
        rtf += "{\\field{\\*\\fldinst HYPERLINK \"http://example.com/\"}{\\fldrslt Link}} ";
      } else if (r == 11) {
        rtf += "{\\super\\chftn}{\\footnote\\pard\\plain{\\super\\chftn} Fu\\'dfnote.}";
      } else if (r == 12) {
        rtf += "{\\f3 \\u1078?\\u1080?} ";
      } else if (r == 13) {
        rtf += "{\\f2 \\'81\\'c4} ";
      } else {
        rtf += kWords[next() % std::size(kWords)];
        rtf += ' ';
      }
    }
    rtf += "\\par\n";
  }
  rtf += "}";
  return rtf;
}

const std::string& Document() {
  static const std::string document = MakeDocument(50u << 20);
  return document;
}

void BM_RtfToPlainText(benchmark::State& state) {
  const std::string& rtf = Document();
  size_t outputBytes = 0;
  double peakRatio = 0;
  for (auto _ : state) {
    const size_t before = gHeapNow.load();
    gHeapPeak = before;
    std::string text = richtext::RtfToPlainText(rtf);
    // The peak counts the input, which the caller holds during the conversion.
    peakRatio = static_cast<double>(gHeapPeak.load() - before + rtf.size()) /
                static_cast<double>(rtf.size());
    outputBytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf.size()));
  state.counters["input_MB"] = static_cast<double>(rtf.size()) / (1 << 20);
  state.counters["output_MB"] = static_cast<double>(outputBytes) / (1 << 20);
  state.counters["peak_x_input"] = peakRatio;
}
BENCHMARK(BM_RtfToPlainText)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_UnrtfText(benchmark::State& state) {
  const std::string& rtf = Document();
  const std::string path =
      (std::filesystem::temp_directory_path() / "richtext_bench_unrtf.rtf").string();
  {
    std::ofstream out(path, std::ios::binary);
    out.write(rtf.data(), static_cast<std::streamsize>(rtf.size()));
  }
  const std::string command = "unrtf --text " + path + " > /dev/null 2>&1";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int rc = std::system(command.c_str());
    const auto stop = std::chrono::steady_clock::now();
    if (rc != 0) {
      state.SkipWithError("unrtf failed or is missing");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_UnrtfText)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace
