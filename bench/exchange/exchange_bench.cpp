// A DATA text of 64 MiB ANSI (128 MiB UTF-16 on the wire) from the client to a service served
// by a thread of this process over the system's pipe transport (a Unix socket here), beside
// the same number of bytes written raw over the same transport in 64 KiB writes, same run.
//
// Two services: the stand-in stub's own Serve (it keeps and decodes what it receives, as the
// tests need) and a sink that reads the frame into one reused buffer, as the raw reader does,
// so the client's own cost stands apart from the stub's.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "exchange/exchange_calls.h"
#include "exchange/ipc_client.h"
#include "exchange/message_data.h"
#include "platform/platform.h"
#include "stub_frames.h"
#include "stub_server.h"
#include "support/support.h"

namespace {

constexpr size_t kTextBytes = 64u << 20;
constexpr size_t kChunk = 64u << 10;

// Words with umlauts and the sharp s in Windows-1252, lines ending in CR LF.
const std::string& AnsiText() {
  static const std::string text = [] {
    static const char* const words[] = {"Beton",    "liefern", "einbauen", "Schalung",
                                        "gem\xE4\xDF", "Fl\xE4" "che", "St\xFC" "tze",
                                        "Au\xDF" "enwand", "DIN",  "18331",  "\"KS\"",
                                        "m\xB2"};
    std::mt19937 rng(7);
    std::string t;
    t.reserve(kTextBytes + 32);
    size_t line = 0;
    while (t.size() < kTextBytes) {
      const char* w = words[rng() % std::size(words)];
      t += w;
      line += std::strlen(w) + 1;
      if (line > 70) {
        t += "\r\n";
        line = 0;
      } else {
        t += ' ';
      }
    }
    t.resize(kTextBytes);
    return t;
  }();
  return text;
}

std::string PipePath(const std::string& name) { return "\\\\.\\pipe\\" + name; }

// ---- services on a thread of this process -----------------------------------------------------
enum class Mode { kStub, kSink, kRaw };

// Reads one request frame into a reused buffer and answers with an empty run, then takes the
// end marker: what a service must do at the least.
bool ServeSink(platform::PipeConnection& pipe, std::string& buffer) {
  unsigned char field[8];
  auto le64 = [&field] {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | field[i];
    return static_cast<int64_t>(v);
  };
  if (!stub::ReadExact(pipe, field, 8)) return false;
  int64_t id = le64();
  if (id < 0 || id > static_cast<int64_t>(buffer.size())) return false;
  if (id && !stub::ReadExact(pipe, buffer.data(), static_cast<size_t>(id))) return false;
  if (!stub::ReadExact(pipe, field, 8)) return false;
  int64_t run = le64();
  if (run < 0) return false;
  for (int64_t got = 0; got < run;) {
    size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(buffer.size()), run - got));
    size_t n = 0;
    uint32_t error = 0;
    if (!pipe.Read(buffer.data(), want, &n, &error) && error != platform::kErrorMoreData) return false;
    if (n == 0) return false;
    got += static_cast<int64_t>(n);
  }
  const std::string answer = stub::AnswerFrame(std::nullopt);
  if (!stub::WriteAll(pipe, answer.data(), answer.size())) return false;
  return stub::ReadExact(pipe, field, 8);
}

// Reads `bytes` bytes in 64 KiB reads, then answers one byte.
bool ServeRaw(platform::PipeConnection& pipe, std::string& buffer, int64_t bytes) {
  for (int64_t got = 0; got < bytes;) {
    size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(kChunk), bytes - got));
    size_t n = 0;
    uint32_t error = 0;
    if (!pipe.Read(buffer.data(), want, &n, &error) && error != platform::kErrorMoreData) return false;
    if (n == 0) return false;
    got += static_cast<int64_t>(n);
  }
  const char ack = 1;
  return stub::WriteAll(pipe, &ack, 1);
}

class Service {
 public:
  Service(Mode mode, const std::string& name, int64_t rawBytes = 0) : name_(name) {
    uint32_t error = 0;
    server_ = platform::CreatePipeServer(name, &error);
    if (!server_) {
      std::fprintf(stderr, "cannot create pipe %s (error %u)\n", name.c_str(), error);
      return;
    }
    // The calls find the pipe through the service-location file (in this run's own TMPDIR).
    platform::WriteWholeFileExclusive(
        support::TempSubFolder("") + exchange::kServiceLocationFile, name + "\r\n");
    thread_ = std::thread([this, mode, rawBytes] {
      stub::StubOptions options;
      options.pipe = name_;
      options.locationFile = false;
      stub::StubServer stubServer(options, log_, log_);
      std::string buffer(kChunk, '\0');
      while (!stop_) {
        uint32_t e = 0;
        auto pipe = server_->AcceptFor(50, &e);
        if (!pipe) continue;
        bool ok = mode == Mode::kStub  ? stubServer.Serve(*pipe)
                  : mode == Mode::kSink ? ServeSink(*pipe, buffer)
                                        : ServeRaw(*pipe, buffer, rawBytes);
        if (!ok) ++failures_;
        log_.str(std::string());
      }
    });
  }
  ~Service() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  bool ok() const { return server_ != nullptr; }
  int failures() const { return failures_; }

 private:
  std::string name_;
  std::unique_ptr<platform::PipeServer> server_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> failures_{0};
  std::ostringstream log_;
};

exchange::MessageRef BuildRequest(const std::string& ansi) {
  exchange::MessageRef request = exchange::NewMessage();
  exchange::TStreamStorage& storage = request->GetData();
  storage.PutString(u"COMMAND", u"OUTDATA");
  storage.PutInteger(u"INDEX", 11);
  storage.PutString(u"DATA", platform::AnsiToWide(ansi));
  return request;
}

// Bytes on the wire for one request: ID length, data length, data run.
int64_t WireBytes(const exchange::MessageRef& request) { return 16 + request->GetData().Size(); }

void Report(benchmark::State& state, int64_t wire) {
  state.SetBytesProcessed(state.iterations() * wire);
  state.counters["wire_MiB"] = static_cast<double>(wire) / (1 << 20);
}

// Raw: one connection, `source` written in 64 KiB writes, one byte back.
void RawSend(benchmark::State& state, const char* name, int64_t wire,
             const std::function<const char*(int64_t)>& source) {
  Service service(Mode::kRaw, name, wire);
  if (!service.ok()) return state.SkipWithError("no pipe");
  for (auto _ : state) {
    uint32_t error = 0;
    auto pipe = platform::SystemPipeTransport().Open(PipePath(name), &error);
    if (!pipe) return state.SkipWithError("open failed");
    for (int64_t at = 0; at < wire;) {
      size_t n = static_cast<size_t>(std::min<int64_t>(kChunk, wire - at));
      if (!stub::WriteAll(*pipe, source(at), n)) return state.SkipWithError("write failed");
      at += static_cast<int64_t>(n);
    }
    char ack = 0;
    if (!stub::ReadExact(*pipe, &ack, 1)) return state.SkipWithError("no ack");
  }
  Report(state, wire);
}

// The request's own bytes, as they lie in memory, raw: the baseline of the target.
void BM_RawSocket64K(benchmark::State& state) {
  const exchange::MessageRef request = BuildRequest(AnsiText());
  const int64_t wire = WireBytes(request);
  std::string bytes(16, '\0');
  bytes += request->GetData().Bytes();
  RawSend(state, "gaeb-bench-raw", wire, [&bytes](int64_t at) { return bytes.data() + at; });
}

// The transport's ceiling: one 64 KiB block that stays in the cache, sent again and again.
void BM_RawSocket64KHotBlock(benchmark::State& state) {
  const int64_t wire = WireBytes(BuildRequest(AnsiText()));
  const std::string block(kChunk, 'x');
  RawSend(state, "gaeb-bench-raw-hot", wire, [&block](int64_t) { return block.data(); });
}

// The client's conversation with a request already built (Connect, Transfer, Disconnect).
void ClientExchange(benchmark::State& state, Mode mode, const char* name) {
  const exchange::MessageRef request = BuildRequest(AnsiText());
  const int64_t wire = WireBytes(request);
  Service service(mode, name);
  if (!service.ok()) return state.SkipWithError("no pipe");
  for (auto _ : state) {
    exchange::TIPCClient client;
    client.SelectServer(name);
    exchange::MessageRef answer;
    client.Exchange(request, exchange::kServiceTimeoutMs, answer);
    if (!client.Answered) return state.SkipWithError(("not answered: " + client.ErrorDesc).c_str());
  }
  Report(state, wire);
}
void BM_ClientToSink(benchmark::State& state) { ClientExchange(state, Mode::kSink, "gaeb-bench-sink"); }
void BM_ClientToStub(benchmark::State& state) { ClientExchange(state, Mode::kStub, "gaeb-bench-stub"); }

// The whole call the importer makes from its ANSI text: conversion, request, location file,
// conversation.
void CallFromAnsi(benchmark::State& state, Mode mode, const char* name) {
  const std::string& text = AnsiText();
  const int64_t wire = WireBytes(BuildRequest(text));
  Service service(mode, name);
  if (!service.ok()) return state.SkipWithError("no pipe");
  for (auto _ : state) {
    if (!exchange::WriteIPCValueASync(text, 11, false, "OUTDATA")) {
      return state.SkipWithError("not answered");
    }
  }
  Report(state, wire);
}
void BM_WriteIPCValueASyncToSink(benchmark::State& state) {
  CallFromAnsi(state, Mode::kSink, "gaeb-bench-call-sink");
}
void BM_WriteIPCValueASyncToStub(benchmark::State& state) {
  CallFromAnsi(state, Mode::kStub, "gaeb-bench-call-stub");
}

// The building of the request alone (ANSI to UTF-16, into the run), for the share of the call.
void BM_BuildRequest(benchmark::State& state) {
  const std::string& text = AnsiText();
  int64_t wire = 0;
  for (auto _ : state) {
    exchange::MessageRef request = BuildRequest(text);
    wire = WireBytes(request);
    benchmark::DoNotOptimize(request.get());
  }
  Report(state, wire);
}

// Real time throughout: the service thread's work is part of every figure.
BENCHMARK(BM_RawSocket64K)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_RawSocket64KHotBlock)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ClientToSink)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ClientToStub)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_WriteIPCValueASyncToSink)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_WriteIPCValueASyncToStub)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_BuildRequest)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

}  // namespace

// Pipes and the service-location file live in a temporary folder of this run, so nothing else
// on the machine sees or disturbs them.
int main(int argc, char** argv) {
  platform::UseLargePageHeap();  // as the importer runs
  char folder[] = "/tmp/gaeb-exchange-bench-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  setenv("TMPDIR", folder, 1);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  AnsiText();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
