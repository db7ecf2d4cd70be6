// Client side of one request/answer conversation with the local exchange service over a named
// pipe. It never raises: it records the failed step's text and Windows error code, and whether
// a complete answer arrived.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "exchange/message_data.h"
#include "platform/pipes.h"

namespace exchange {

class TIPCClient {
 public:
  static constexpr size_t kChunkSize = 65536;

  TIPCClient();
  ~TIPCClient();
  TIPCClient(const TIPCClient&) = delete;
  TIPCClient& operator=(const TIPCClient&) = delete;

  // PipePath = \\<ComputerName>\pipe\<name>.
  void SelectServer(const std::string& name);
  void Connect(uint32_t timeoutMs);
  // Writes the end marker and closes the pipe.
  void Disconnect();
  void Transfer(const MessageRef& request, MessageRef& answer);
  // Connect, Transfer, Disconnect. Answer is none when no request went out, present but
  // incomplete when reading broke off, and complete exactly when Answered is true.
  void Exchange(const MessageRef& request, uint32_t timeoutMs, MessageRef& answer);

  std::string PipePath;
  std::string ErrorDesc;
  uint32_t ErrorCode = 0;
  std::string ServerName;
  std::unique_ptr<platform::PipeConnection> Handle;
  bool Connected = false;
  bool Answered = false;
  std::string ComputerName;

 private:
  bool WriteAll(const void* data, size_t size, const char* step);
  bool ReadAll(void* buffer, size_t size, const char* step);
  bool Fail(const char* step, uint32_t code);
};

}  // namespace exchange
