#include "stub_session.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "exchange/exchange_calls.h"
#include "support/support.h"

namespace e2e {
namespace fs = std::filesystem;

namespace {
std::atomic<int> g_counter{0};
}  // namespace

std::string LocationFile() {
  return support::TempSubFolder("") + "ZVX-EXCHANGELOCALSERVICE.TXT";
}

std::string Program(const char* path) {
  std::string p = path;
  if (platform::PathDelimiter() == '\\' && !p.empty() && p[0] == '/') p = "Z:" + p;
  return p;
}

std::string Fixture(const std::string& name) { return Program(GAEB_FIXTURES) + "/gaeb/" + name; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

StubSession::StubSession(const std::vector<std::string>& settings, int requests)
    : StubSession(StubSetup{settings, requests, {}, 30, true}) {}

StubSession::StubSession(const StubSetup& setup) : endRequest_(setup.endRequest) {
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  pipe_ = "gaeb-e2e-" + std::to_string(now % 1000000007) + "-" + std::to_string(++g_counter);
  saveDir_ = (fs::temp_directory_path() / pipe_).string();
  fs::create_directories(saveDir_);
  std::vector<std::string> args{"--pipe", pipe_, "--save-dir", saveDir_, "--max-seconds",
                                std::to_string(setup.maxSeconds)};
  if (setup.requests >= 0) {
    args.insert(args.end(), {"--requests", std::to_string(setup.requests + (endRequest_ ? 1 : 0))});
  }
  for (const std::string& s : setup.settings) {
    args.push_back("--setting");
    args.push_back(s);
  }
  args.insert(args.end(), setup.faults.begin(), setup.faults.end());
  thread_ = std::thread([this, args] { result_ = platform::RunProcess(Program(GAEB_STUB), args); });
  for (int i = 0; i < 1000 && !listening_; ++i) {
    std::vector<std::string> lines;
    try {
      support::LoadLinesWithRetry(lines, LocationFile());
    } catch (...) {
    }
    listening_ = !lines.empty() && lines[0] == pipe_;
    if (!listening_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

StubSession::~StubSession() {
  if (!finished_) Finish();
  std::error_code ec;
  fs::remove_all(saveDir_, ec);
}

Received StubSession::Finish() {
  Received r;
  if (!finished_) {
    finished_ = true;
    std::string value;
    if (listening_ && endRequest_) exchange::ReadIPCValueSync("E2E-END", false, "", value);
    thread_.join();
  }
  r.stubOutput = result_.out;
  r.stubErrors = result_.err;
  std::istringstream errors(result_.err);
  for (std::string line; std::getline(errors, line);) {
    if (line.rfind("refused connection", 0) == 0) ++r.refused;
  }
  std::istringstream lines(result_.out);
  for (std::string line; std::getline(lines, line);) {
    const size_t c = line.find("command=");
    if (line.rfind("request", 0) != 0 || c == std::string::npos) continue;
    std::string command = line.substr(c + 8, line.find(' ', c) - c - 8);
    if (command != "E2E-END") r.commands.push_back(command);
  }
  std::vector<std::string> saved;
  for (const auto& entry : fs::directory_iterator(saveDir_)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 12 && name.substr(name.size() - 12) == "-OUTDATA.txt")
      saved.push_back(entry.path().string());
  }
  // The stub numbers its files in the order of the requests.
  std::sort(saved.begin(), saved.end());
  for (const std::string& path : saved) r.outdataAll.push_back(ReadFile(path));
  if (!saved.empty()) r.outdata = r.outdataAll.back();
  return r;
}

}  // namespace e2e
