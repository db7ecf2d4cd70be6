// Import speed: growth with long texts and headers, the throughput on a large generated file,
// and the time from process start to the document received by the exchange service.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "document/json_import.h"
#include "import/gaeb90_reader.h"
#include "import/gaeb_parser.h"
#include "import/tagged_text.h"
#include "platform/platform.h"
#include "richtext/rtf_plain.h"
#include "support/support.h"

namespace {

// The importer with the host replaced, as gaeb2json runs it.
class TBenchParser : public import::TGAEBParser {
 public:
  size_t delivered = 0;

 protected:
  std::string QuerySetting(const std::string& Name) override {
    return Name == "TAXH" ? "19" : std::string();
  }
  void ShowMessage(const std::string& Text) override { std::fprintf(stderr, "%s\n", Text.c_str()); }
  void Deliver(const std::string& Text) override { delivered = Text.size(); }
};

std::string Record(const std::string& type, const std::string& data) {
  std::string line = type + data;
  line.resize(74, ' ');
  return line + "000001\r\n";
}

// Reads, emits and serialises text already in memory.
size_t ImportText(const std::string& text) {
  import::TDXFDataStack stack;
  stack.TaxRate = 19;
  std::vector<std::string> header;
  import::CollectGAEB90(stack, text, header);
  import::EmitDataLines(stack);
  std::string json;
  document::TJSON::Serialize("", document::soSendToHost, json);
  return json.size();
}

void BM_LongTextLines(benchmark::State& state) {
  std::string text = Record("00", std::string(29, ' ') + "1122PPPPI") +
                     Record("21", "01020010             00000001000m2  ");
  for (int64_t i = 0; i < state.range(0); ++i) text += Record("26", "Beton liefern und einbauen");
  for (auto _ : state) benchmark::DoNotOptimize(ImportText(text));
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LongTextLines)->Arg(100000)->Arg(200000)->Arg(400000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_HeaderLines(benchmark::State& state) {
  std::string text;
  for (int64_t i = 0; i < state.range(0); ++i) text += Record("T1", "Vorbemerkung zur Ausschreibung");
  for (auto _ : state) {
    import::TDXFDataStack stack;
    std::vector<std::string> header;
    import::CollectGAEB90(stack, text, header);
    benchmark::DoNotOptimize(header.size());
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_HeaderLines)->Arg(100000)->Arg(200000)->Arg(400000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

std::string BigFile() {
  const char* env = std::getenv("GAEB_BENCH_GAEB90");
  return env && *env ? env : "/tmp/gaeb90_100mb.d83";
}

std::string TaggedFile() {
  const char* env = std::getenv("GAEB_BENCH_TAGGED");
  return env && *env ? env : "/tmp/tagged_100mb.x83";
}

std::string TaggedRtfFile() {
  const char* env = std::getenv("GAEB_BENCH_TAGGED_RTF");
  return env && *env ? env : "/tmp/tagged_rtf_100mb.x83";
}

// The process's high-water mark; run one file case per process for a figure of its own.
double PeakRssBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

// The whole Parse (file read, detection, reading, emission) and the serialisation.
void ImportFile(benchmark::State& state, const std::string& path, const char* generate) {
  if (!support::FileIsPresent(path)) {
    state.SkipWithError(("generate it first: " + std::string(generate) + " " + path).c_str());
    return;
  }
  const auto size = static_cast<int64_t>(std::filesystem::file_size(path));
  for (auto _ : state) {
    TBenchParser parser;
    parser.Execute(path, "GAEB", document::soSendToHost, 1);
    benchmark::DoNotOptimize(parser.delivered);
    state.counters["output_MB"] = static_cast<double>(parser.delivered) / 1e6;
  }
  state.SetBytesProcessed(state.iterations() * size);
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
  state.counters["peak_rss_MiB"] = PeakRssBytes() / (1 << 20);
  state.counters["peak_x_file"] = PeakRssBytes() / static_cast<double>(size);
}

void BM_LargeFile(benchmark::State& state) {
  ImportFile(state, BigFile(), "bench/import/gen_gaeb90.py 100");
}
BENCHMARK(BM_LargeFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TaggedFile(benchmark::State& state) {
  ImportFile(state, TaggedFile(), "bench/import/gen_tagged.py 100");
}
BENCHMARK(BM_TaggedFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TaggedRtfFile(benchmark::State& state) {
  ImportFile(state, TaggedRtfFile(), "bench/import/gen_tagged.py 100 --rtf");
}
BENCHMARK(BM_TaggedRtfFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// The flattening alone in the RTF file: every position's long text gathered as the reader
// gathers it, then flattened, so its share of BM_TaggedRtfFile can be told.
void BM_TaggedRtfFlattening(benchmark::State& state) {
  const std::string path = TaggedRtfFile();
  if (!support::FileIsPresent(path)) {
    state.SkipWithError(("generate it first: bench/import/gen_tagged.py 100 --rtf " + path).c_str());
    return;
  }
  std::vector<std::string> texts;
  {
    const std::string bytes = support::LoadFileBytes(path);
    std::string current;
    bool inPosition = false, inDesc = false;
    size_t at = 0;
    while (at < bytes.size()) {
      size_t end = bytes.find_first_of("\r\n", at);
      if (end == std::string::npos) end = bytes.size();
      const std::string_view line(bytes.data() + at, end - at);
      at = end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
      if (!inPosition) {
        if (import::ContainsMarker(line, "#begin[Position]")) inPosition = true, inDesc = false;
        continue;
      }
      if (inDesc) import::AddDescLine(current, line);
      if (import::ContainsMarker(line, "#begin[Beschreibung]")) {
        inDesc = true;
      } else if (import::ContainsMarker(line, "#end[Beschreibung]")) {
        inDesc = false;
      }
      if (import::ContainsMarker(line, "#end[Position]")) {
        texts.push_back(std::move(current));
        current.clear();
        inPosition = false;
      }
    }
  }
  size_t input = 0, output = 0;
  for (const auto& t : texts) input += t.size();
  for (auto _ : state) {
    output = 0;
    for (const auto& t : texts) output += richtext::RtfToPlainText(t).size();
    benchmark::DoNotOptimize(output);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input));
  state.counters["texts"] = static_cast<double>(texts.size());
  state.counters["rtf_MB"] = static_cast<double>(input) / 1e6;
  state.counters["plain_MB"] = static_cast<double>(output) / 1e6;
}
BENCHMARK(BM_TaggedRtfFlattening)->Unit(benchmark::kMillisecond)->Iterations(3);

// From process start to the document received: gaeb-importer on a 1 MB file against the stub.
void BM_ProcessToDelivery(benchmark::State& state) {
  const std::string file = BigFile() + ".1mb.d83";
  {
    std::string text = support::LoadFileBytes(BigFile()).substr(0, 1 << 20);
    text.resize(text.rfind("\r\n") + 2);
    platform::WriteWholeFileExclusive(file, text);
  }
  constexpr int kRuns = 31;
  const std::string pipe = "gaeb-bench-start";
  std::thread stub([&] {
    platform::RunProcess(GAEB_STUB, {"--pipe", pipe, "--setting", "TAXH=19", "--requests",
                                     std::to_string(kRuns * 3), "--max-seconds", "120"});
  });
  const std::string location = support::TempSubFolder("") + "ZVX-EXCHANGELOCALSERVICE.TXT";
  for (int i = 0; i < 500; ++i) {
    std::vector<std::string> lines;
    support::LoadLinesWithRetry(lines, location);
    if (!lines.empty() && lines[0] == pipe) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // The host starts the importer without heap settings: a GLIBC_TUNABLES given to this benchmark
  // would make the importer leave its heap alone, and its own set-up belongs to the time measured.
  const char* inherited = std::getenv("GLIBC_TUNABLES");
  const std::string tunables = inherited ? inherited : "";
  ::unsetenv("GLIBC_TUNABLES");
  std::vector<double> ms;
  for (auto _ : state) {
    for (int i = 0; i < kRuns; ++i) {
      const auto t0 = std::chrono::steady_clock::now();
      platform::RunProcess(GAEB_IMPORTER, {"2", "x", "x", file});
      ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
  }
  if (inherited) ::setenv("GLIBC_TUNABLES", tunables.c_str(), 1);
  stub.join();
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["min_ms"] = ms.front();
  state.counters["max_ms"] = ms.back();
  state.counters["runs"] = static_cast<double>(ms.size());
}
BENCHMARK(BM_ProcessToDelivery)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor under the figure above: starting and reaping a process that does nothing, by the
// same RunProcess.
void BM_TrivialProcess(benchmark::State& state) {
  constexpr int kRuns = 31;
  std::vector<double> ms;
  for (auto _ : state) {
    for (int i = 0; i < kRuns; ++i) {
      const auto t0 = std::chrono::steady_clock::now();
      platform::RunProcess("/bin/true", {});
      ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
  }
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["min_ms"] = ms.front();
  state.counters["max_ms"] = ms.back();
}
BENCHMARK(BM_TrivialProcess)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
