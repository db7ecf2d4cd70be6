// errno to Windows error codes, in one table for the whole POSIX body.
#pragma once

#include <cstdint>
#include <string>

namespace platform::posix {

// Maps an errno value; `path` (when given) tells a missing file from a missing parent folder.
uint32_t WindowsError(int errnoValue, const std::string* path = nullptr);
// Sets the thread's last error from errno and returns it.
uint32_t SetLastErrorFromErrno(const std::string* path = nullptr);
// Windows refuses names with an embedded NUL; so do we instead of silently truncating.
bool HasNul(const std::string& path);

}  // namespace platform::posix
