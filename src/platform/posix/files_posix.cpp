// Files and folders over POSIX calls. Windows share modes are emulated with flock on the whole
// file: reading with others denied write takes a shared lock, exclusive writing an exclusive
// one. flock locks belong to the open file, so two opens in one process conflict as well.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/platform.h"
#include "platform/posix/errors_posix.h"

namespace platform {

using posix::HasNul;
using posix::SetLastErrorFromErrno;

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Takes the lock without waiting; a lock held elsewhere is a sharing violation.
uint32_t Lock(int fd, int operation) {
  while (::flock(fd, operation | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    return errno == EWOULDBLOCK ? kErrorSharingViolation : posix::WindowsError(errno);
  }
  return kErrorSuccess;
}

int OpenRetryingEintr(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

}  // namespace

uint32_t GetFileAttributes(const std::string& path) {
  if (HasNul(path)) {
    SetLastError(kErrorInvalidName);
    return kInvalidFileAttributes;
  }
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) {
    SetLastErrorFromErrno(&path);
    return kInvalidFileAttributes;
  }
  uint32_t attributes = 0;
  if (S_ISLNK(st.st_mode)) {
    attributes |= kAttributeReparsePoint;
    struct stat target;
    if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode))
      attributes |= kAttributeDirectory;
  } else if (S_ISDIR(st.st_mode)) {
    attributes |= kAttributeDirectory;
  }
  if (attributes == 0) attributes = 0x20;  // FILE_ATTRIBUTE_ARCHIVE, as a fresh file has
  SetLastError(kErrorSuccess);
  return attributes;
}

bool FindFirst(const std::string& path, bool* isDirectory) {
  if (HasNul(path) || path.empty() || path.back() == '/') {
    SetLastError(path.empty() || HasNul(path) ? kErrorInvalidName : kErrorFileNotFound);
    return false;
  }
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
  if (HasWildcard(folder)) {
    SetLastError(kErrorInvalidName);
    return false;
  }
  auto report = [&](const std::string& found) {
    struct stat st;
    bool dir = ::stat(found.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if (isDirectory) *isDirectory = dir;
    SetLastError(kErrorSuccess);
    return true;
  };
  if (!HasWildcard(pattern)) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
      SetLastErrorFromErrno(&path);
      return false;
    }
    return report(path);
  }
  if (pattern == "*.*") pattern = "*";  // Windows matches names without a dot too
  // Windows lists "." and ".." first.
  for (const char* dot : {".", ".."}) {
    if (::fnmatch(pattern.c_str(), dot, 0) == 0)
      return report(folder + "/" + dot);
  }
  DIR* d = ::opendir(folder.c_str());
  if (!d) {
    SetLastErrorFromErrno(&folder);
    if (LastError() == kErrorFileNotFound) SetLastError(kErrorPathNotFound);
    return false;
  }
  bool found = false;
  std::string name;
  while (dirent* e = ::readdir(d)) {
    if (::fnmatch(pattern.c_str(), e->d_name, 0) == 0) {
      name = e->d_name;
      found = true;
      break;
    }
  }
  ::closedir(d);
  if (!found) {
    SetLastError(kErrorFileNotFound);
    return false;
  }
  return report(folder + "/" + name);
}

bool OpenWithBackupSemantics(const std::string& path) {
  if (HasNul(path)) {
    SetLastError(kErrorInvalidName);
    return false;
  }
  Fd fd(OpenRetryingEintr(path.c_str(), O_RDONLY));
  if (fd.get() < 0) {
    SetLastErrorFromErrno(&path);
    return false;
  }
  SetLastError(kErrorSuccess);
  return true;
}

uint32_t ReadWholeFile(const std::string& path, std::string& contents) {
  if (HasNul(path) || path.empty()) return kErrorInvalidName;
  Fd fd(OpenRetryingEintr(path.c_str(), O_RDONLY));
  if (fd.get() < 0) return posix::WindowsError(errno, &path);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return posix::WindowsError(errno);
  if (S_ISDIR(st.st_mode)) return kErrorAccessDenied;
  if (uint32_t e = Lock(fd.get(), LOCK_SH)) return e;
  std::string data;
  if (S_ISREG(st.st_mode) && st.st_size > 0) {
    data.reserve(static_cast<size_t>(st.st_size));
    PreferLargePages(data.data(), data.capacity());
  }
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return posix::WindowsError(errno);
    }
    if (n == 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  contents = std::move(data);
  return kErrorSuccess;
}

uint32_t WriteWholeFileExclusive(const std::string& path, std::string_view contents) {
  if (HasNul(path) || path.empty()) return kErrorInvalidName;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return kErrorAccessDenied;
  // No O_TRUNC: the file is cut only once the exclusive lock is ours.
  Fd fd(OpenRetryingEintr(path.c_str(), O_WRONLY | O_CREAT, 0666));
  if (fd.get() < 0) return posix::WindowsError(errno, &path);
  if (uint32_t e = Lock(fd.get(), LOCK_EX)) return e;
  if (::ftruncate(fd.get(), 0) != 0) return posix::WindowsError(errno);
  const char* p = contents.data();
  size_t left = contents.size();
  while (left > 0) {
    ssize_t n = ::write(fd.get(), p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return posix::WindowsError(errno);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return kErrorSuccess;
}

bool CreateDirectory(const std::string& path) {
  if (HasNul(path) || path.empty()) {
    SetLastError(path.empty() ? kErrorPathNotFound : kErrorInvalidName);
    return false;
  }
  if (::mkdir(path.c_str(), 0777) != 0) {
    uint32_t code = posix::WindowsError(errno, &path);
    if (code == kErrorFileNotFound) code = kErrorPathNotFound;
    SetLastError(code);
    return false;
  }
  SetLastError(kErrorSuccess);
  return true;
}

std::string GetTempPath() {
  const char* tmp = std::getenv("TMPDIR");
  std::string path = (tmp && *tmp) ? tmp : "/tmp";
  if (path.back() != '/') path += '/';
  return path;
}

char PathDelimiter() { return '/'; }

void Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int64_t WallClockMilliseconds() {
  // Only differences are ever taken, so a clock that never jumps serves best.
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

LocalDateTime Now() {
  struct timespec ts;
  ::clock_gettime(CLOCK_REALTIME, &ts);
  struct tm t;
  ::localtime_r(&ts.tv_sec, &t);
  return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
          t.tm_min,         t.tm_sec,     static_cast<int>(ts.tv_nsec / 1000000)};
}

FileHold::FileHold(const std::string& path, bool exclusive) {
  if (HasNul(path)) return;
  int fd = OpenRetryingEintr(path.c_str(), exclusive ? O_RDWR | O_CREAT : O_RDONLY, 0666);
  if (fd < 0) return;
  if (Lock(fd, exclusive ? LOCK_EX : LOCK_SH) != kErrorSuccess) {
    ::close(fd);
    return;
  }
  handle_ = fd;
  ok_ = true;
}

FileHold::~FileHold() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

}  // namespace platform
