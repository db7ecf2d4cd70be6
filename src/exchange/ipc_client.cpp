#include "exchange/ipc_client.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/platform.h"

namespace exchange {
namespace {

constexpr uint32_t kErrorInvalidData = 13;  // an answer whose lengths cannot be true

const char kCreateFileFailed[] = "CreateFile failed while creating new pipe handle";
const char kWaitFailed[] = "WaitNamedPipe failed while wating for the pipe";
const char kTimeout[] = "IPC client failed with WAIT timeout";
const char kWriteId[] = "WriteFile failed while writing message ID";
const char kWriteSize[] = "WriteFile failed while writing message data size";
const char kWriteChunk[] = "WriteFile failed while writing message chunk";
const char kReadIdLength[] = "ReadFile failed while reading message ID length";
const char kReadId[] = "ReadFile failed while reading message ID";
const char kReadSize[] = "ReadFile failed while reading message data size";
const char kReadData[] = "ReadFile failed while reading message data";

void PutLE64(unsigned char* out, int64_t value) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(static_cast<uint64_t>(value) >> (8 * i));
}

int64_t GetLE64(const unsigned char* in) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | in[i];
  return static_cast<int64_t>(value);
}

}  // namespace

TIPCClient::TIPCClient() : ComputerName(".") {}

TIPCClient::~TIPCClient() = default;

void TIPCClient::SelectServer(const std::string& name) {
  ServerName = name;
  PipePath = "\\\\" + ComputerName + "\\pipe\\" + ServerName;
}

bool TIPCClient::Fail(const char* step, uint32_t code) {
  ErrorDesc = step;
  ErrorCode = code;
  return false;
}

void TIPCClient::Connect(uint32_t timeoutMs) {
  Handle.reset();
  Connected = false;
  ErrorDesc.clear();
  ErrorCode = 0;
  platform::PipeTransport& transport = platform::CurrentPipeTransport();
  const int64_t start = platform::WallClockMilliseconds();
  auto elapsed = [start] { return std::llabs(platform::WallClockMilliseconds() - start); };
  while (elapsed() < static_cast<int64_t>(timeoutMs)) {
    uint32_t error = 0;
    Handle = transport.Open(PipePath, &error);
    if (Handle) {
      Connected = true;
      return;
    }
    if (error != platform::kErrorFileNotFound && error != platform::kErrorPipeBusy) {
      Fail(kCreateFileFailed, error);
      return;
    }
    int64_t remaining = std::max<int64_t>(0, static_cast<int64_t>(timeoutMs) - elapsed());
    if (!transport.Wait(PipePath, static_cast<uint32_t>(remaining), &error)) {
      Fail(kWaitFailed, error);
      return;
    }
  }
  Fail(kTimeout, platform::kErrorWaitTimeout);
}

void TIPCClient::Disconnect() {
  if (!Handle) return;
  unsigned char marker[8];
  std::fill(std::begin(marker), std::end(marker), 0xFF);
  size_t written = 0;
  uint32_t error = 0;
  Handle->Write(marker, sizeof marker, &written, &error);
  Handle.reset();
  Connected = false;
}

bool TIPCClient::WriteAll(const void* data, size_t size, const char* step) {
  size_t written = 0;
  uint32_t error = 0;
  if (!Handle->Write(data, size, &written, &error)) return Fail(step, error);
  if (written != size) return Fail(step, platform::kErrorNoData);
  return true;
}

// Reads until the field is complete. A read of 0 bytes means the service is gone: counted
// as a failed read, or a closed pipe would spin this loop forever.
bool TIPCClient::ReadAll(void* buffer, size_t size, const char* step) {
  unsigned char* p = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    size_t n = 0;
    uint32_t error = 0;
    bool ok = Handle->Read(p + done, size - done, &n, &error);
    if (!ok && error != platform::kErrorMoreData) return Fail(step, error);
    if (n == 0) return Fail(step, platform::kErrorBrokenPipe);
    done += std::min(n, size - done);
  }
  return true;
}

void TIPCClient::Transfer(const MessageRef& request, MessageRef& answer) {
  Answered = false;
  ErrorCode = 0;
  answer = nullptr;

  TStreamStorage& data = request->GetData();
  const int64_t size = data.Size();
  data.SetPosition(0);
  std::string id;
  request->GetID(id);

  // ID length and ID in one write.
  std::string head(8, '\0');
  PutLE64(reinterpret_cast<unsigned char*>(head.data()), static_cast<int64_t>(id.size()));
  head += id;
  if (!WriteAll(head.data(), head.size(), kWriteId)) return;
  unsigned char field[8];
  PutLE64(field, size);
  if (!WriteAll(field, 8, kWriteSize)) return;
  // Chunks straight from the run: every chunk but the last is kChunkSize bytes.
  const char* run = data.Bytes().data();
  for (int64_t at = 0; at < size;) {
    size_t n = static_cast<size_t>(std::min<int64_t>(kChunkSize, size - at));
    if (!WriteAll(run + at, n, kWriteChunk)) return;
    at += static_cast<int64_t>(n);
  }
  data.SetPosition(size);

  answer = NewMessage();
  // The answer is untrusted: a length that cannot be true ends the read, and nothing is
  // allocated before the bytes have actually arrived.
  if (!ReadAll(field, 8, kReadIdLength)) return;
  const int64_t idLength = GetLE64(field);
  if (idLength < 0 || idLength > TStreamStorage::kMaxRunSize) {
    Fail(kReadIdLength, kErrorInvalidData);
    return;
  }
  std::vector<unsigned char> chunk(kChunkSize);
  if (idLength > 0) {
    std::string answerId;
    for (int64_t got = 0; got < idLength;) {
      size_t n = static_cast<size_t>(std::min<int64_t>(kChunkSize, idLength - got));
      if (!ReadAll(chunk.data(), n, kReadId)) return;
      answerId.append(reinterpret_cast<const char*>(chunk.data()), n);
      got += static_cast<int64_t>(n);
    }
    answer->SetID(answerId);
  }
  if (!ReadAll(field, 8, kReadSize)) return;
  const int64_t dataLength = GetLE64(field);
  if (dataLength < 0 || dataLength > TStreamStorage::kMaxRunSize) {
    Fail(kReadSize, kErrorInvalidData);
    return;
  }
  TStreamStorage& received = answer->GetData();
  for (int64_t total = 0; total < dataLength;) {
    // Never more than is still missing: what follows the answer is not ours to take.
    size_t want = static_cast<size_t>(std::min<int64_t>(kChunkSize, dataLength - total));
    size_t n = 0;
    uint32_t error = 0;
    bool ok = Handle->Read(chunk.data(), want, &n, &error);
    if (!ok && error != platform::kErrorMoreData) {
      Fail(kReadData, error);
      return;
    }
    if (n == 0) {
      Fail(kReadData, platform::kErrorBrokenPipe);
      return;
    }
    n = std::min(n, want);
    received.Append(chunk.data(), n);
    total += static_cast<int64_t>(n);
  }
  received.SetPosition(0);
  Answered = true;
}

void TIPCClient::Exchange(const MessageRef& request, uint32_t timeoutMs, MessageRef& answer) {
  answer = nullptr;
  Answered = false;
  Connect(timeoutMs);
  if (Connected) {
    try {
      Transfer(request, answer);
    } catch (...) {
      Disconnect();
      throw;
    }
  }
  Disconnect();
}

}  // namespace exchange
