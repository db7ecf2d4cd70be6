// Building and writing an import document of 1,000,000 parts, and RapidJSON's Writer writing
// the same values from plain structs, in the same run.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <sys/resource.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "document/json_import.h"
#include "document/json_writer.h"
#include "document/pool.h"
#include "platform/platform.h"

namespace {

constexpr int kParts = 1000000;
const char* const kKeys[9] = {"TypLine", "Position",     "Unit",   "Quantity", "Description1",
                              "Number",  "TaxRate",      "Price",  "LongText"};

// Short realistic values in ANSI (Windows-1252): umlauts, quotes, units with superscripts.
std::array<std::string, 9> PartValues(int i) {
  static const char* const units[] = {"m\xB2", "m\xB3", "Stk", "lfm", "psch", "kg", "h"};
  static const char* const texts[] = {
      "Mauerwerk aus Kalksandstein \"KS 12\", 24 cm",
      "T\xFCr\xF6""ffnung herstellen",
      "Estrich CT-C25-F4, 50 mm",
      "Au\xDF""enputz, zweilagig",
      "Fenster \"Typ A\" liefern und einbauen",
      "Gr\xFCndung, Streifenfundament C25/30",
  };
  char position[32], quantity[32], number[16], price[32];
  std::snprintf(position, sizeof position, "%02d.%02d.%04d", 1 + i / 100000 % 99,
                1 + i / 1000 % 99, (i % 1000) * 10);
  std::snprintf(quantity, sizeof quantity, "%d,%03d", i % 997, i % 1000);
  std::snprintf(number, sizeof number, "%04d", (i % 1000) * 10);
  std::snprintf(price, sizeof price, "%d,%02d", 10 + i % 4000, i % 100);
  const std::string text = texts[i % 6];
  return {i % 10 == 0 ? "G" : "P", position, units[i % 7], quantity, text, number,
          "19,00", price,
          i % 3 ? text + ", inkl. aller Nebenarbeiten gem\xE4\xDF Vorbemerkung" : std::string()};
}

void BuildDocument(int parts) {
  document::TJSON::Discard();
  document::TJSONImport import("", "");
  import.SetDescription("GAEB");
  document::TJSON::SetFlag(1, "NettoPrices", true);
  document::TJSON::SetFlag(1, "TaxImport", false);
  document::TJSON::SetFlag(1, "UpdateParts", false);
  document::TJSON::SetFlag(1, "AppendMode", true);
  for (int i = 0; i < parts; ++i) {
    const auto values = PartValues(i);
    document::TJSON::AddPart();
    for (int k = 0; k < 8; ++k) document::TJSON::SetText(2, kKeys[k], values[k]);
    if (!values[8].empty()) document::TJSON::SetText(2, kKeys[8], values[8]);
  }
  document::TJSON::SetText(1, "HeaderText", "Leistungsverzeichnis \"Neubau\"");
}

size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

double PeakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// Building is timed apart from writing; the heap the tree takes is reported per part: all the
// allocator handed out (the pool's blocks whole), and the document's pieces alone.
void BM_BuildDocument(benchmark::State& state) {
  size_t perPart = 0, livePerPart = 0;
  for (auto _ : state) {
    document::TJSON::Discard();
    const size_t before = HeapInUse(), liveBefore = document::pool::BytesInUse();
    BuildDocument(kParts);
    perPart = (HeapInUse() - before) / kParts;
    livePerPart = (document::pool::BytesInUse() - liveBefore) / kParts;
    state.PauseTiming();
    document::TJSON::Discard();
    state.ResumeTiming();
  }
  state.counters["heap_bytes_per_part"] = static_cast<double>(perPart);
  state.counters["piece_bytes_per_part"] = static_cast<double>(livePerPart);
  state.counters["parts_per_s"] =
      benchmark::Counter(static_cast<double>(kParts), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_WriteText(benchmark::State& state) {
  BuildDocument(kParts);
  const document::TZVJSON& root = document::TJSON::RootObject();
  size_t bytes = 0;
  for (auto _ : state) {
    std::string text = document::WriteText(&root);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
  state.counters["output_MB"] = bytes / 1e6;
  document::TJSON::Discard();
}

// The same values as plain structs, in UTF-8 as RapidJSON writes them.
struct PlainPart {
  std::array<std::string, 9> values;
};

std::string ToUtf8(const std::string& ansi) {
  const std::u16string wide = platform::AnsiToWide(ansi);
  std::string out;
  for (char16_t u : wide) {
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

void BM_RapidJsonWriter(benchmark::State& state) {
  std::vector<PlainPart> parts(kParts);
  for (int i = 0; i < kParts; ++i) {
    auto values = PartValues(i);
    for (int k = 0; k < 9; ++k) parts[i].values[k] = ToUtf8(values[k]);
  }
  const std::string header = ToUtf8("Leistungsverzeichnis \"Neubau\"");
  size_t bytes = 0;
  for (auto _ : state) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("Order");
    writer.StartArray();
    writer.StartObject();
    writer.Key("Parts");
    writer.StartArray();
    for (const PlainPart& part : parts) {
      writer.StartObject();
      for (int k = 0; k < 9; ++k) {
        if (k == 8 && part.values[8].empty()) continue;
        writer.Key(kKeys[k]);
        writer.String(part.values[k].data(), static_cast<rapidjson::SizeType>(part.values[k].size()));
      }
      writer.EndObject();
    }
    writer.EndArray();
    writer.Key("Adress");
    writer.StartArray();
    writer.StartObject();
    writer.EndObject();
    writer.EndArray();
    for (const char* flag : {"NettoPrices", "TaxImport", "UpdateParts", "AppendMode"}) {
      writer.Key(flag);
      writer.Bool(flag[0] == 'N' || flag[0] == 'A');
    }
    writer.Key("HeaderText");
    writer.String(header.data(), static_cast<rapidjson::SizeType>(header.size()));
    writer.EndObject();
    writer.EndArray();
    writer.Key("Description");
    writer.String("GAEB");
    writer.EndObject();
    bytes = buffer.GetSize();
    benchmark::DoNotOptimize(buffer.GetString());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
  state.counters["output_MB"] = bytes / 1e6;
}

// The whole life of one big document as the import runs it; run alone for a clean peak.
void BM_BuildAndSerializePeak(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    BuildDocument(kParts);
    std::string text;
    document::TJSON::Serialize("", document::soSendToHost, text);
    bytes = text.size();
  }
  state.counters["output_MB"] = bytes / 1e6;
  state.counters["peak_rss_MiB"] = PeakRssMiB();
}

BENCHMARK(BM_BuildDocument)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteText)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RapidJsonWriter)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BuildAndSerializePeak)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
