// Pipes as Unix domain stream sockets under <temp>/ZVTempDir/pipe/, with the Windows error
// codes and wait behaviour the client expects (Wine's, where Windows leaves a choice).
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace platform {
namespace {

uint32_t MapErrno(int e) {
  switch (e) {
    case ENOENT:
    case ECONNREFUSED:
      return kErrorFileNotFound;
    case EAGAIN:
      return kErrorPipeBusy;
    case EPIPE:
      return kErrorNoData;
    case ECONNRESET:
      return kErrorBrokenPipe;
    case ENAMETOOLONG:
      return kErrorFilenameExcedRange;
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EBADF:
      return kErrorInvalidHandle;
    case ETIMEDOUT:
      return kErrorSemTimeout;
    case ENOTCONN:
      return kErrorPipeNotConnected;
    default:
      return 31;  // ERROR_GEN_FAILURE
  }
}

int64_t MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

std::string EncodeName(const std::string& name) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (Unreserved(c) && !(i == 0 && c == '.')) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out;
}

std::string PipeFolder() { return GetTempPath() + "ZVTempDir/pipe/"; }

// Splits \\COMPUTER\pipe\NAME. 0 when it names a local pipe, else the Windows error.
uint32_t ParsePipePath(const std::string& path, std::string* name) {
  if (path.size() < 2 || path[0] != '\\' || path[1] != '\\') return kErrorInvalidName;
  size_t end = path.find('\\', 2);
  if (end == std::string::npos) return kErrorInvalidName;
  std::string computer = path.substr(2, end - 2);
  std::string rest = path.substr(end + 1);
  if (rest.size() < 5 || strncasecmp(rest.c_str(), "pipe\\", 5) != 0) return kErrorInvalidName;
  if (computer != ".") return kErrorBadNetPath;
  *name = rest.substr(5);
  return name->empty() ? kErrorFileNotFound : 0;
}

bool FillAddress(const std::string& socketPath, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  if (socketPath.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, socketPath.c_str(), socketPath.size() + 1);
  return true;
}

bool SetBlocking(int fd, bool blocking) {
  int flags = fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
  return fcntl(fd, F_SETFL, flags) == 0;
}

// One non-blocking connect, so a full backlog answers at once instead of blocking.
int TryConnect(const std::string& socketPath, uint32_t* error) {
  sockaddr_un address;
  if (!FillAddress(socketPath, &address)) {
    *error = kErrorFilenameExcedRange;
    return -1;
  }
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    *error = MapErrno(errno);
    return -1;
  }
  int rc;
  do {
    rc = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int e = errno;
    close(fd);
    *error = (e == EINPROGRESS) ? kErrorPipeBusy : MapErrno(e);
    return -1;
  }
  SetBlocking(fd, true);
  return fd;
}

class SocketConnection final : public PipeConnection {
 public:
  explicit SocketConnection(int fd) : fd_(fd) {}
  ~SocketConnection() override { close(fd_); }

  bool Write(const void* data, size_t size, size_t* written, uint32_t* error) override {
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
      ssize_t n = send(fd_, p + done, std::min<size_t>(size - done, INT_MAX), MSG_NOSIGNAL);
      if (n < 0) {
        if (errno == EINTR) continue;
        *written = done;
        *error = MapErrno(errno);
        return false;
      }
      done += static_cast<size_t>(n);
    }
    *written = done;
    return true;
  }

  bool Read(void* buffer, size_t size, size_t* read, uint32_t* error) override {
    *read = 0;
    if (size == 0) return true;
    for (;;) {
      ssize_t n = recv(fd_, buffer, std::min<size_t>(size, INT_MAX), 0);
      if (n > 0) {
        *read = static_cast<size_t>(n);
        return true;
      }
      if (n == 0) {
        *error = kErrorBrokenPipe;
        return false;
      }
      if (errno == EINTR) continue;
      *error = MapErrno(errno);
      return false;
    }
  }

 private:
  int fd_;
};

// A successful wait has connected already; the next open of the same pipe takes that
// connection, as on Windows the next open takes the instance the wait found free.
struct Reserved {
  std::mutex lock;
  std::string socketPath;
  int fd = -1;
  void Drop() {
    if (fd >= 0) close(fd);
    fd = -1;
    socketPath.clear();
  }
};
Reserved& Reservation() {
  static Reserved reserved;
  return reserved;
}

class SocketTransport final : public PipeTransport {
 public:
  std::unique_ptr<PipeConnection> Open(const std::string& pipePath, uint32_t* error) override {
    std::string name;
    if (uint32_t e = ParsePipePath(pipePath, &name)) {
      *error = e;
      return nullptr;
    }
    std::string socketPath = PipeFolder() + EncodeName(name);
    {
      Reserved& r = Reservation();
      std::lock_guard<std::mutex> hold(r.lock);
      if (r.fd >= 0 && r.socketPath == socketPath) {
        int fd = std::exchange(r.fd, -1);
        r.Drop();
        return std::make_unique<SocketConnection>(fd);
      }
      r.Drop();
    }
    int fd = TryConnect(socketPath, error);
    if (fd < 0) return nullptr;
    return std::make_unique<SocketConnection>(fd);
  }

  bool Wait(const std::string& pipePath, uint32_t timeoutMs, uint32_t* error) override {
    std::string name;
    if (uint32_t e = ParsePipePath(pipePath, &name)) {
      *error = e;
      return false;
    }
    std::string socketPath = PipeFolder() + EncodeName(name);
    const bool forever = timeoutMs == 0xFFFFFFFFu;
    const int64_t deadline = MonotonicMs() + timeoutMs;
    for (;;) {
      uint32_t e = 0;
      int fd = TryConnect(socketPath, &e);
      if (fd >= 0) {
        Reserved& r = Reservation();
        std::lock_guard<std::mutex> hold(r.lock);
        r.Drop();
        r.fd = fd;
        r.socketPath = socketPath;
        return true;
      }
      if (e != kErrorPipeBusy) {
        *error = e;
        return false;
      }
      int64_t left = deadline - MonotonicMs();
      if (!forever && left <= 0) {
        *error = kErrorSemTimeout;
        return false;
      }
      platform::Sleep(static_cast<uint32_t>(forever ? 5 : std::min<int64_t>(5, left)));
    }
  }
};

std::atomic<PipeTransport*> g_transport{nullptr};

class SocketServer final : public PipeServer {
 public:
  ~SocketServer() override {
    for (int fd : occupants_) close(fd);
    if (fd_ >= 0) close(fd_);
    // Remove the socket only while it is still the one this server bound.
    struct stat st {};
    if (!socketPath_.empty() && stat(socketPath_.c_str(), &st) == 0 && st.st_ino == ino_ &&
        st.st_dev == dev_) {
      unlink(socketPath_.c_str());
    }
  }

  bool Start(const std::string& name, bool busy, uint32_t* error) {
    if (name.empty()) {
      *error = kErrorInvalidName;
      return false;
    }
    std::string zv = GetTempPath() + "ZVTempDir";
    mkdir(zv.c_str(), 0700);
    std::string folder = PipeFolder();
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      *error = MapErrno(errno);
      return false;
    }
    std::string socketPath = folder + EncodeName(name);
    sockaddr_un address;
    if (!FillAddress(socketPath, &address)) {
      *error = kErrorFilenameExcedRange;
      return false;
    }
    // A socket left by a server that is gone is replaced; a live one keeps its name.
    uint32_t probeError = 0;
    int probe = TryConnect(socketPath, &probeError);
    if (probe >= 0 || probeError == kErrorPipeBusy) {
      if (probe >= 0) close(probe);
      *error = kErrorAccessDenied;
      return false;
    }
    unlink(socketPath.c_str());
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      *error = MapErrno(errno);
      return false;
    }
    struct stat st {};
    if (stat(socketPath.c_str(), &st) == 0) {
      ino_ = st.st_ino;
      dev_ = st.st_dev;
    }
    socketPath_ = socketPath;
    if (listen(fd_, busy ? 0 : 64) != 0) {
      *error = MapErrno(errno);
      return false;
    }
    busy_ = busy;
    if (busy) {
      // Fill the backlog with connections of our own and never accept: every client is busy.
      for (int i = 0; i < 64; ++i) {
        uint32_t e = 0;
        int fd = TryConnect(socketPath, &e);
        if (fd < 0) break;
        occupants_.push_back(fd);
      }
    }
    return true;
  }

  std::unique_ptr<PipeConnection> Accept(uint32_t* error) override { return AcceptFor(0xFFFFFFFFu, error); }

  std::unique_ptr<PipeConnection> AcceptFor(uint32_t timeoutMs, uint32_t* error) override {
    if (busy_) {
      // The backlog holds only our own connections; accepting one would free a place.
      platform::Sleep(timeoutMs == 0xFFFFFFFFu ? 1000 : timeoutMs);
      *error = kErrorWaitTimeout;
      return nullptr;
    }
    const bool forever = timeoutMs == 0xFFFFFFFFu;
    const int64_t deadline = MonotonicMs() + timeoutMs;
    for (;;) {
      int64_t left = forever ? -1 : std::max<int64_t>(0, deadline - MonotonicMs());
      pollfd p{fd_, POLLIN, 0};
      int rc = poll(&p, 1, forever ? -1 : static_cast<int>(std::min<int64_t>(left, INT_MAX)));
      if (rc < 0 && errno == EINTR) {
        *error = kErrorWaitTimeout;  // a signal ends the wait early
        return nullptr;
      }
      if (rc < 0) {
        *error = MapErrno(errno);
        return nullptr;
      }
      if (rc == 0) {
        *error = kErrorWaitTimeout;
        return nullptr;
      }
      int fd = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) return std::make_unique<SocketConnection>(fd);
      if (errno != EAGAIN && errno != EINTR && errno != ECONNABORTED) {
        *error = MapErrno(errno);
        return nullptr;
      }
    }
  }

 private:
  int fd_ = -1;
  std::string socketPath_;
  ino_t ino_ = 0;
  dev_t dev_ = 0;
  std::vector<int> occupants_;
  bool busy_ = false;
};

}  // namespace

PipeTransport& SystemPipeTransport() {
  static SocketTransport transport;
  return transport;
}

PipeTransport& CurrentPipeTransport() {
  PipeTransport* installed = g_transport.load();
  return installed ? *installed : SystemPipeTransport();
}

void SetPipeTransport(PipeTransport* transport) { g_transport.store(transport); }

std::string PipeSocketPath(const std::string& pipePath) {
  std::string name;
  if (ParsePipePath(pipePath, &name) != 0) return {};
  return PipeFolder() + EncodeName(name);
}

std::unique_ptr<PipeServer> CreatePipeServer(const std::string& name, uint32_t* error, bool busy) {
  auto server = std::make_unique<SocketServer>();
  if (!server->Start(name, busy, error)) return nullptr;
  return server;
}

}  // namespace platform
