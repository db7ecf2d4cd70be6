// The stand-in exchange service: serves the pipe framing, answers settings, records what it
// receives, and can misbehave on purpose.
#pragma once

#include <csignal>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "platform/pipes.h"

namespace stub {

struct StubOptions {
  std::string pipe;
  std::map<std::string, std::string> settings;  // command -> answer DATA (ANSI)
  std::string saveDir;
  int64_t requests = -1;       // stop after this many; -1: no limit
  double maxSeconds = -1;      // stop after this long; negative: no limit
  int refuseFirst = 0;         // close the first N connections at once
  bool dropAfterRequest = false;
  uint32_t delayMs = 0;
  bool busy = false;
  bool table = false;
  bool locationFile = true;
  std::optional<std::string> answerBytes;  // hostile: these bytes instead of an answer
  size_t chunkBytes = 0;                   // answer in pieces of this size; 0: one write
};

class StubServer {
 public:
  StubServer(StubOptions options, std::ostream& out, std::ostream& err);
  // Serves until done; stop (when given) ends the loop once it is set. Exit status.
  int Run(const volatile std::sig_atomic_t* stop = nullptr);
  // One connection: request, answer, end marker. True when it counted as a served request.
  bool Serve(platform::PipeConnection& pipe);
  int64_t Served() const { return served_; }

 private:
  void Save(const std::string& raw, const std::string& command, const std::u16string* data);

  StubOptions options_;
  std::ostream& out_;
  std::ostream& err_;
  int64_t served_ = 0;
  int connections_ = 0;
};

}  // namespace stub
