#include "platform/posix/errors_posix.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/platform.h"

namespace platform {

namespace {
thread_local uint32_t lastError = 0;
}

uint32_t LastError() { return lastError; }
void SetLastError(uint32_t code) { lastError = code; }

namespace posix {

namespace {
// Windows says "path not found" when a folder on the way is missing, "file not found" otherwise.
bool ParentMissing(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return false;
  struct stat st;
  return ::stat(path.substr(0, slash).c_str(), &st) != 0 || !S_ISDIR(st.st_mode);
}
}  // namespace

uint32_t WindowsError(int e, const std::string* path) {
  switch (e) {
    case 0:
      return kErrorSuccess;
    case ENOENT:
      return (path && ParentMissing(*path)) ? kErrorPathNotFound : kErrorFileNotFound;
    case ENOTDIR:
      return kErrorPathNotFound;
    case ECONNREFUSED:
      return kErrorFileNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return kErrorAccessDenied;
    case EBADF:
      return kErrorInvalidHandle;
    case EAGAIN:  // a full socket backlog; lock conflicts are mapped where the lock is taken
      return kErrorPipeBusy;
    case ENAMETOOLONG:
      return kErrorFilenameExcedRange;
    case EEXIST:
      return 183;  // ERROR_ALREADY_EXISTS
    case EPIPE:
      return kErrorNoData;
    case ECONNRESET:
      return kErrorBrokenPipe;
    case ETIMEDOUT:
      return kErrorSemTimeout;
    case ENOSPC:
      return 112;  // ERROR_DISK_FULL
    case EINVAL:
    case ELOOP:
      return kErrorInvalidName;
    case ENOMEM:
      return 8;  // ERROR_NOT_ENOUGH_MEMORY
    default:
      return 31;  // ERROR_GEN_FAILURE
  }
}

uint32_t SetLastErrorFromErrno(const std::string* path) {
  uint32_t code = WindowsError(errno, path);
  SetLastError(code);
  return code;
}

bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

}  // namespace posix
}  // namespace platform
