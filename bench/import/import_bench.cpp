// Import speed: growth with long texts and headers, the throughput on a large generated file,
// and the time from process start to the document received by the exchange service.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "document/json_import.h"
#include "import/gaeb90_reader.h"
#include "import/gaeb_parser.h"
#include "platform/platform.h"
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

// The whole Parse (file read, detection, reading, emission) and the serialisation.
void BM_LargeFile(benchmark::State& state) {
  const std::string path = BigFile();
  if (!support::FileIsPresent(path)) {
    state.SkipWithError(("generate it first: bench/import/gen_gaeb90.py 100 " + path).c_str());
    return;
  }
  const size_t size = support::LoadFileBytes(path).size();
  for (auto _ : state) {
    TBenchParser parser;
    parser.Execute(path, "GAEB", document::soSendToHost, 1);
    benchmark::DoNotOptimize(parser.delivered);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_LargeFile)->Unit(benchmark::kMillisecond)->Iterations(3);

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
  std::vector<double> ms;
  for (auto _ : state) {
    for (int i = 0; i < kRuns; ++i) {
      const auto t0 = std::chrono::steady_clock::now();
      platform::RunProcess(GAEB_IMPORTER, {"2", "x", "x", file});
      ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
  }
  stub.join();
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["min_ms"] = ms.front();
  state.counters["max_ms"] = ms.back();
  state.counters["runs"] = static_cast<double>(ms.size());
}
BENCHMARK(BM_ProcessToDelivery)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
