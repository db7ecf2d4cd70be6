// Files and folders through the ANSI forms of the kernel32 file functions.
#include "platform/win32/windows_api.h"
// (windows_api.h first: it removes the A/W macros that would rename the functions below.)
#include <algorithm>
#include <limits>

#include "platform/platform.h"

namespace platform {

namespace {

bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (valid()) ::CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

constexpr DWORD kChunk = 1u << 20;

}  // namespace

uint32_t LastError() { return ::GetLastError(); }
void SetLastError(uint32_t code) { ::SetLastError(code); }

uint32_t GetFileAttributes(const std::string& path) {
  if (HasNul(path)) {
    ::SetLastError(ERROR_INVALID_NAME);
    return kInvalidFileAttributes;
  }
  return ::GetFileAttributesA(path.c_str());
}

bool FindFirst(const std::string& path, bool* isDirectory) {
  if (HasNul(path)) {
    ::SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  WIN32_FIND_DATAA data;
  HANDLE h = ::FindFirstFileA(path.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::FindClose(h);
  if (isDirectory) *isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return true;
}

bool OpenWithBackupSemantics(const std::string& path) {
  if (HasNul(path)) {
    ::SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  Handle h(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return h.valid();
}

uint32_t ReadWholeFile(const std::string& path, std::string& contents) {
  if (HasNul(path)) return ERROR_INVALID_NAME;
  Handle h(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) return ::GetLastError();
  std::string data;
  LARGE_INTEGER size;
  if (::GetFileSizeEx(h.get(), &size) && size.QuadPart > 0 &&
      static_cast<unsigned long long>(size.QuadPart) < std::numeric_limits<size_t>::max() / 2)
    data.reserve(static_cast<size_t>(size.QuadPart));
  std::string buffer(kChunk, '\0');
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(h.get(), buffer.data(), kChunk, &got, nullptr)) return ::GetLastError();
    if (got == 0) break;
    data.append(buffer.data(), got);
  }
  contents = std::move(data);
  return ERROR_SUCCESS;
}

uint32_t WriteWholeFileExclusive(const std::string& path, std::string_view contents) {
  if (HasNul(path)) return ERROR_INVALID_NAME;
  Handle h(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) return ::GetLastError();
  size_t done = 0;
  while (done < contents.size()) {
    DWORD piece = static_cast<DWORD>(std::min<size_t>(kChunk, contents.size() - done));
    DWORD wrote = 0;
    if (!::WriteFile(h.get(), contents.data() + done, piece, &wrote, nullptr))
      return ::GetLastError();
    done += wrote;
  }
  return ERROR_SUCCESS;
}

bool CreateDirectory(const std::string& path) {
  if (HasNul(path)) {
    ::SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
}

std::string GetTempPath() {
  DWORD needed = ::GetTempPathA(0, nullptr);
  if (needed == 0) return {};
  std::string buffer(needed, '\0');
  DWORD got = ::GetTempPathA(needed, buffer.data());
  if (got == 0 || got >= needed) return {};
  buffer.resize(got);
  return buffer;
}

char PathDelimiter() { return '\\'; }

void Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

int64_t WallClockMilliseconds() { return static_cast<int64_t>(::GetTickCount64()); }

LocalDateTime Now() {
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

FileHold::FileHold(const std::string& path, bool exclusive) {
  if (HasNul(path)) return;
  HANDLE h = ::CreateFileA(path.c_str(), exclusive ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                           exclusive ? 0 : FILE_SHARE_READ, nullptr,
                           exclusive ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  handle_ = reinterpret_cast<intptr_t>(h);
  ok_ = true;
}

FileHold::~FileHold() {
  if (ok_) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace platform
