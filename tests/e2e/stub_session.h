// One run of the stand-in exchange service beside the test, and the importer runs against it.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace e2e {

// What the service received during one session.
struct Received {
  std::vector<std::string> commands;  // in the order of the requests
  std::string outdata;                // the DATA of the OUTDATA request, if one came
  std::string stubOutput;
};

class StubSession {
 public:
  // Starts the stub with the settings (NAME=VALUE) and waits until it listens. It serves
  // `requests` requests of the importer; the session's end adds one request of its own.
  StubSession(const std::vector<std::string>& settings, int requests);
  ~StubSession();
  StubSession(const StubSession&) = delete;
  StubSession& operator=(const StubSession&) = delete;

  bool listening() const { return listening_; }
  // Ends the session (one request of its own so the stub stops at once) and collects.
  Received Finish();

 private:
  std::string pipe_;
  std::string saveDir_;
  std::thread thread_;
  platform::ProcessResult result_;
  bool listening_ = false;
  bool finished_ = false;
};

// Program paths and fixture paths as the running platform wants them.
std::string Program(const char* path);
std::string Fixture(const std::string& name);
std::string ReadFile(const std::string& path);

}  // namespace e2e
