// One run of the stand-in exchange service beside the test, and the importer runs against it.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace e2e {

// What the service received during one session.
struct Received {
  std::vector<std::string> commands;    // in the order of the requests
  std::string outdata;                  // the DATA of the last OUTDATA request, if one came
  std::vector<std::string> outdataAll;  // the DATA of every OUTDATA request, in order
  int refused = 0;                      // connections the stub closed at once
  std::string stubOutput;
  std::string stubErrors;
};

// How to start the stub. `faults` are further stub options (--busy, --refuse-first N, ...).
struct StubSetup {
  std::vector<std::string> settings;  // NAME=VALUE
  int requests = 0;                   // requests of the importer the stub serves; -1: any
  std::vector<std::string> faults;
  int maxSeconds = 30;
  // The session's own closing request; a stub that never answers must simply run out instead.
  bool endRequest = true;
};

class StubSession {
 public:
  // Starts the stub with the settings (NAME=VALUE) and waits until it listens. It serves
  // `requests` requests of the importer; the session's end adds one request of its own.
  StubSession(const std::vector<std::string>& settings, int requests);
  explicit StubSession(const StubSetup& setup);
  ~StubSession();
  StubSession(const StubSession&) = delete;
  StubSession& operator=(const StubSession&) = delete;

  bool listening() const { return listening_; }
  const std::string& pipe() const { return pipe_; }
  // Ends the session (one request of its own so the stub stops at once) and collects.
  Received Finish();

 private:
  std::string pipe_;
  std::string saveDir_;
  std::thread thread_;
  platform::ProcessResult result_;
  bool listening_ = false;
  bool finished_ = false;
  bool endRequest_ = true;
};

// Program paths and fixture paths as the running platform wants them.
std::string Program(const char* path);
std::string Fixture(const std::string& name);
std::string ReadFile(const std::string& path);
// The service-location file the stub writes and the importer reads.
std::string LocationFile();

}  // namespace e2e
