// Pipes over the Win32 named-pipe API. The client side is plain synchronous I/O as the client
// expects; the server side uses overlapped I/O only so that it can wait with a time-out.
#include "platform/win32/windows_api.h"
#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace platform {
namespace {

DWORD Clamp(size_t size) { return static_cast<DWORD>(std::min<size_t>(size, 0x7FFFFFFF)); }

class ClientConnection final : public PipeConnection {
 public:
  explicit ClientConnection(HANDLE handle) : handle_(handle) {}
  ~ClientConnection() override { CloseHandle(handle_); }

  bool Write(const void* data, size_t size, size_t* written, uint32_t* error) override {
    DWORD n = 0;
    BOOL ok = WriteFile(handle_, data, Clamp(size), &n, nullptr);
    *written = n;
    if (!ok) *error = GetLastError();
    return ok != FALSE;
  }

  bool Read(void* buffer, size_t size, size_t* read, uint32_t* error) override {
    DWORD n = 0;
    BOOL ok = ReadFile(handle_, buffer, Clamp(size), &n, nullptr);
    *read = n;
    if (!ok) *error = GetLastError();
    return ok != FALSE;
  }

 private:
  HANDLE handle_;
};

class Win32Transport final : public PipeTransport {
 public:
  std::unique_ptr<PipeConnection> Open(const std::string& pipePath, uint32_t* error) override {
    HANDLE h = CreateFileA(pipePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      *error = GetLastError();
      return nullptr;
    }
    return std::make_unique<ClientConnection>(h);
  }

  bool Wait(const std::string& pipePath, uint32_t timeoutMs, uint32_t* error) override {
    if (WaitNamedPipeA(pipePath.c_str(), timeoutMs)) return true;
    *error = GetLastError();
    return false;
  }
};

std::atomic<PipeTransport*> g_transport{nullptr};

// Overlapped I/O waited for at once: synchronous to the caller.
class ServerConnection final : public PipeConnection {
 public:
  explicit ServerConnection(HANDLE handle)
      : handle_(handle), event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~ServerConnection() override {
    // Let the client read what was written before the instance goes.
    FlushFileBuffers(handle_);
    DisconnectNamedPipe(handle_);
    CloseHandle(handle_);
    if (event_) CloseHandle(event_);
  }

  bool Write(const void* data, size_t size, size_t* written, uint32_t* error) override {
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
      DWORD n = 0;
      if (!Complete(WriteFile(handle_, p + done, Clamp(size - done), nullptr, Reset()), &n, error)) {
        *written = done;
        return false;
      }
      done += n;
    }
    *written = done;
    return true;
  }

  bool Read(void* buffer, size_t size, size_t* read, uint32_t* error) override {
    DWORD n = 0;
    bool ok = Complete(ReadFile(handle_, buffer, Clamp(size), nullptr, Reset()), &n, error);
    *read = n;
    if (ok && n == 0 && size > 0) {
      *error = kErrorBrokenPipe;
      return false;
    }
    return ok;
  }

 private:
  OVERLAPPED* Reset() {
    ZeroMemory(&ov_, sizeof ov_);
    ResetEvent(event_);
    ov_.hEvent = event_;
    return &ov_;
  }
  bool Complete(BOOL started, DWORD* n, uint32_t* error) {
    if (!started && GetLastError() != ERROR_IO_PENDING) {
      *error = GetLastError();
      if (*error == ERROR_MORE_DATA) GetOverlappedResult(handle_, &ov_, n, FALSE);
      return false;
    }
    if (!GetOverlappedResult(handle_, &ov_, n, TRUE)) {
      *error = GetLastError();
      return false;
    }
    return true;
  }

  HANDLE handle_;
  HANDLE event_;
  OVERLAPPED ov_{};
};

class Win32Server final : public PipeServer {
 public:
  ~Win32Server() override {
    for (HANDLE h : occupants_) CloseHandle(h);
    if (pending_ != INVALID_HANDLE_VALUE) {
      CancelIo(pending_);
      CloseHandle(pending_);
    }
    if (event_) CloseHandle(event_);
  }

  bool Start(const std::string& name, bool busy, uint32_t* error) {
    path_ = "\\\\.\\pipe\\" + name;
    busy_ = busy;
    event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event_ || !NewInstance(true, error)) return false;
    if (busy) {
      // Take the only instance ourselves: every other client finds the pipe busy.
      HANDLE h = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
      if (h == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
      }
      occupants_.push_back(h);
    }
    return true;
  }

  std::unique_ptr<PipeConnection> Accept(uint32_t* error) override {
    return AcceptFor(INFINITE, error);
  }

  std::unique_ptr<PipeConnection> AcceptFor(uint32_t timeoutMs, uint32_t* error) override {
    if (busy_) {
      Sleep(timeoutMs == INFINITE ? 1000 : timeoutMs);
      *error = kErrorWaitTimeout;
      return nullptr;
    }
    if (!connecting_) {
      ZeroMemory(&ov_, sizeof ov_);
      ResetEvent(event_);
      ov_.hEvent = event_;
      if (ConnectNamedPipe(pending_, &ov_)) {
        return Connected(error);
      }
      DWORD e = GetLastError();
      if (e == ERROR_PIPE_CONNECTED) return Connected(error);
      if (e != ERROR_IO_PENDING) {
        *error = e;
        return nullptr;
      }
      connecting_ = true;
    }
    DWORD w = WaitForSingleObject(event_, timeoutMs);
    if (w == WAIT_TIMEOUT) {
      *error = kErrorWaitTimeout;
      return nullptr;
    }
    DWORD n = 0;
    connecting_ = false;
    if (!GetOverlappedResult(pending_, &ov_, &n, FALSE)) {
      DWORD e = GetLastError();
      // A client that came and went before we looked: start over with a fresh instance.
      CloseHandle(pending_);
      pending_ = INVALID_HANDLE_VALUE;
      if (!NewInstance(false, error)) return nullptr;
      *error = e;
      return nullptr;
    }
    return Connected(error);
  }

 private:
  bool NewInstance(bool first, uint32_t* error) {
    DWORD open = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    pending_ = CreateNamedPipeA(path_.c_str(), open, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                                busy_ ? 1 : PIPE_UNLIMITED_INSTANCES, 65536, 65536, 0, nullptr);
    if (pending_ == INVALID_HANDLE_VALUE) {
      *error = GetLastError();
      return false;
    }
    return true;
  }

  // Hands the connected instance out and puts up the next one, so the name never vanishes.
  std::unique_ptr<PipeConnection> Connected(uint32_t* error) {
    auto connection = std::make_unique<ServerConnection>(pending_);
    pending_ = INVALID_HANDLE_VALUE;
    NewInstance(false, error);
    return connection;
  }

  std::string path_;
  bool busy_ = false;
  bool connecting_ = false;
  HANDLE pending_ = INVALID_HANDLE_VALUE;
  HANDLE event_ = nullptr;
  OVERLAPPED ov_{};
  std::vector<HANDLE> occupants_;
};

}  // namespace

PipeTransport& SystemPipeTransport() {
  static Win32Transport transport;
  return transport;
}

PipeTransport& CurrentPipeTransport() {
  PipeTransport* installed = g_transport.load();
  return installed ? *installed : SystemPipeTransport();
}

void SetPipeTransport(PipeTransport* transport) { g_transport.store(transport); }

std::string PipeSocketPath(const std::string& pipePath) { return pipePath; }

std::unique_ptr<PipeServer> CreatePipeServer(const std::string& name, uint32_t* error, bool busy) {
  if (name.empty()) {
    *error = kErrorInvalidName;
    return nullptr;
  }
  auto server = std::make_unique<Win32Server>();
  if (!server->Start(name, busy, error)) return nullptr;
  return server;
}

}  // namespace platform
