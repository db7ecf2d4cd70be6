#include "exchange/exchange_calls.h"

#include <vector>

#include "exchange/ipc_client.h"
#include "platform/platform.h"
#include "support/support.h"

namespace exchange {

const char kServiceLocationFile[] = "ZVX-EXCHANGELOCALSERVICE.TXT";

namespace {

MessageRef BuildRequest(const std::string& command, int32_t index, const std::string& data,
                        bool sync) {
  MessageRef request = NewMessage();
  TStreamStorage& storage = request->GetData();
  storage.PutString(u"COMMAND", platform::AnsiToWide(command));
  storage.PutInteger(u"INDEX", index);
  storage.PutString(u"DATA", platform::AnsiToWide(data));
  if (sync) storage.PutBoolean(u"SYNC", true);
  return request;
}

std::string AnswerData(const MessageRef& answer) {
  return platform::WideToAnsi(answer->GetData().GetString(u"DATA"));
}

// One attempt of a write call: true when the service answered; reply filled when asked for.
bool WriteAttempt(const std::string& data, int32_t index, bool raiseOnError,
                  const std::string& command, bool sync, std::string* reply) {
  auto client = std::make_unique<TIPCClient>();
  std::string serverName;
  ReadExchangeServiceName(serverName);
  client->SelectServer(serverName);
  MessageRef request = BuildRequest(command, index, data, sync);
  MessageRef answer;
  client->Exchange(request, kServiceTimeoutMs, answer);
  if (raiseOnError && !client->Answered) {
    throw TIPCClientException(std::string(sync ? "WriteIPCValueSync" : "WriteIPCValueASync") +
                              ": Der Server " + client->ServerName + " antwortet nicht");
  }
  if (client->Answered) {
    if (reply) *reply = AnswerData(answer);
    return true;
  }
  platform::Sleep(kRetryPauseMs);
  return false;
}

}  // namespace

void ReadExchangeServiceName(std::string& name) {
  std::string path = support::TempSubFolder("") + kServiceLocationFile;
  std::vector<std::string> lines;
  support::LoadLinesWithRetry(lines, path);
  name = lines.empty() ? std::string() : lines.front();
  // The first line also ends at a NUL byte.
  if (size_t nul = name.find('\0'); nul != std::string::npos) name.resize(nul);
}

void RequestIPCValue(const std::string& command, const std::string& serverName, TIPCResult& result,
                     const std::string& data, std::string& value) {
  result = TIPCResult{};
  auto client = std::make_unique<TIPCClient>();
  client->SelectServer(serverName);
  MessageRef request = BuildRequest(command, -1, data, true);
  MessageRef answer;
  client->Exchange(request, kServiceTimeoutMs, answer);
  // Only a complete answer counts: half a "TAXH" must not become the tax rate.
  value = (answer && client->Answered) ? AnswerData(answer) : std::string();
  result.Answered = client->Answered;
  result.ErrorDesc = client->ErrorDesc;
  result.ComputerName = client->ComputerName;
  result.ServerName = client->ServerName;
}

void ReadIPCValueSync(const std::string& command, bool raiseOnError, const std::string& data,
                      std::string& value) {
  value.clear();
  std::string serverName;
  ReadExchangeServiceName(serverName);
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    TIPCResult result;
    RequestIPCValue(command, serverName, result, data, value);
    if (raiseOnError && !result.Answered) {
      throw TIPCClientException("Named Pipe Error [ReadIPCValueSync]\r\nErrorDesc: " +
                                result.ErrorDesc + "\r\nComputerName: " + result.ComputerName +
                                "\r\nServerName: " + result.ServerName);
    }
    if (result.Answered) return;
    platform::Sleep(kRetryPauseMs);
  }
}

void WriteIPCValueSync(const std::string& data, int32_t index, bool raiseOnError,
                       const std::string& command, std::string& reply) {
  reply.clear();
  if (data.empty()) return;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    if (WriteAttempt(data, index, raiseOnError, command, true, &reply)) return;
  }
}

bool WriteIPCValueASync(const std::string& data, int32_t index, bool raiseOnError,
                        const std::string& command) {
  if (data.empty()) return false;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    if (WriteAttempt(data, index, raiseOnError, command, false, nullptr)) return true;
  }
  return false;
}

}  // namespace exchange
