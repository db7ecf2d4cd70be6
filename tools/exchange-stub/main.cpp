// gaeb-exchange-stub: a stand-in for the host's exchange service, for tests and scripts.
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/platform.h"
#include "stub_server.h"

namespace {

const char kHelp[] =
    "Usage: gaeb-exchange-stub --pipe NAME [options]\n"
    "A stand-in for the host's exchange service. Serves the pipe \\\\.\\pipe\\NAME, one request\n"
    "and one answer per connection, and prints one line per request:\n"
    "  request N: command=C index=I sync=S data=CHARS run=BYTES end=ok|missing|bad|none\n"
    "\n"
    "  --pipe NAME            the pipe to serve (required)\n"
    "  --setting NAME=VALUE   answer the command NAME with DATA VALUE (repeatable); any other\n"
    "                         command gets an answer without DATA\n"
    "  --save-dir DIR         write each request as DIR/NNN.bin (the raw frame as received) and,\n"
    "                         when it holds DATA, DIR/NNN-COMMAND.txt (DATA as ANSI bytes)\n"
    "  --requests N           stop after N requests\n"
    "  --max-seconds S        stop after S seconds\n"
    "  --refuse-first N       close the first N connections at once\n"
    "  --drop-after-request   close right after reading each request, without an answer\n"
    "  --delay-ms N           wait N ms before each answer\n"
    "  --busy                 keep every pipe instance taken: clients find the pipe busy\n"
    "  --table                show the parts of a received import document as a table\n"
    "  --no-location-file     do not write the service-location file\n"
    "  --answer-hex HEX       send these bytes instead of an answer, then close (hostile)\n"
    "  --chunk-bytes N        send each answer in pieces of N bytes\n"
    "  --help                 this text\n"
    "\n"
    "Once it listens, it writes the pipe name to ZVX-EXCHANGELOCALSERVICE.TXT in the\n"
    "temporary folder's ZVTempDir. It stops after N requests, after S seconds or on a signal,\n"
    "and removes its pipe. Exit status 0 when it served what it was asked to, 1 otherwise.\n";

volatile std::sig_atomic_t g_stop = 0;
extern "C" void OnSignal(int) { g_stop = 1; }

int Usage(const std::string& why) {
  std::cerr << "gaeb-exchange-stub: " << why << "\n(see --help)\n";
  return 2;
}

bool ParseCount(const std::string& text, int64_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || v < 0) return false;
  value = v;
  return true;
}

bool ParseHex(const std::string& text, std::string& bytes) {
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string clean;
  for (char c : text) {
    if (c != ' ' && c != ':') clean.push_back(c);
  }
  if (clean.size() % 2) return false;
  bytes.clear();
  for (size_t i = 0; i < clean.size(); i += 2) {
    int hi = digit(clean[i]), lo = digit(clean[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes.push_back(static_cast<char>(hi * 16 + lo));
  }
  return true;
}

}  // namespace

int main() {
  platform::UseLargePageHeap();  // a document of many megabytes arrives in one piece
  std::vector<std::string> args = platform::ProcessArguments();
  stub::StubOptions options;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto next = [&](std::string& value) {
      if (i + 1 >= args.size()) return false;
      value = args[++i];
      return true;
    };
    std::string v;
    int64_t n = 0;
    if (a == "--help" || a == "-h") {
      std::cout << kHelp;
      return 0;
    } else if (a == "--pipe") {
      if (!next(options.pipe)) return Usage("--pipe needs a name");
    } else if (a == "--setting") {
      size_t eq;
      if (!next(v) || (eq = v.find('=')) == std::string::npos) return Usage("--setting needs NAME=VALUE");
      options.settings[v.substr(0, eq)] = v.substr(eq + 1);
    } else if (a == "--save-dir") {
      if (!next(options.saveDir)) return Usage("--save-dir needs a folder");
    } else if (a == "--requests") {
      if (!next(v) || !ParseCount(v, n)) return Usage("--requests needs a count");
      options.requests = n;
    } else if (a == "--max-seconds") {
      char* end = nullptr;
      if (!next(v) || (options.maxSeconds = std::strtod(v.c_str(), &end), *end != '\0') ||
          options.maxSeconds < 0) {
        return Usage("--max-seconds needs a number of seconds");
      }
    } else if (a == "--refuse-first") {
      if (!next(v) || !ParseCount(v, n)) return Usage("--refuse-first needs a count");
      options.refuseFirst = static_cast<int>(n);
    } else if (a == "--drop-after-request") {
      options.dropAfterRequest = true;
    } else if (a == "--delay-ms") {
      if (!next(v) || !ParseCount(v, n)) return Usage("--delay-ms needs milliseconds");
      options.delayMs = static_cast<uint32_t>(n);
    } else if (a == "--busy") {
      options.busy = true;
    } else if (a == "--table") {
      options.table = true;
    } else if (a == "--no-location-file") {
      options.locationFile = false;
    } else if (a == "--answer-hex") {
      std::string bytes;
      if (!next(v) || !ParseHex(v, bytes)) return Usage("--answer-hex needs hex bytes");
      options.answerBytes = bytes;
    } else if (a == "--chunk-bytes") {
      if (!next(v) || !ParseCount(v, n) || n == 0) return Usage("--chunk-bytes needs a size");
      options.chunkBytes = static_cast<size_t>(n);
    } else {
      return Usage("unknown option " + a);
    }
  }
  if (options.pipe.empty()) return Usage("--pipe is required");
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  stub::StubServer server(options, std::cout, std::cerr);
  return server.Run(&g_stop);
}
