// The three calls to the host's exchange service. Each finds the pipe name in the
// service-location file, sends one request and tries up to three times, 50 ms apart.
// All texts are 8-bit ANSI strings.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace exchange {

void ReadIPCValueSync(const std::string& command, bool raiseOnError, const std::string& data,
                      std::string& value);
void WriteIPCValueSync(const std::string& data, int32_t index, bool raiseOnError,
                       const std::string& command, std::string& reply);
bool WriteIPCValueASync(const std::string& data, int32_t index, bool raiseOnError,
                        const std::string& command);

// The outcome of one read attempt.
struct TIPCResult {
  std::string ErrorDesc;
  std::string ComputerName;
  std::string ServerName;
  bool Answered = false;
};

class TIPCClientException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One attempt of ReadIPCValueSync.
void RequestIPCValue(const std::string& command, const std::string& serverName, TIPCResult& result,
                     const std::string& data, std::string& value);
// The first line of the service-location file, blanks kept; empty when there is none.
void ReadExchangeServiceName(std::string& name);

constexpr uint32_t kServiceTimeoutMs = 5000;
constexpr uint32_t kRetryPauseMs = 50;
constexpr int kAttempts = 3;
extern const char kServiceLocationFile[];  // "ZVX-EXCHANGELOCALSERVICE.TXT"

}  // namespace exchange
