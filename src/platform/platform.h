// The one seam between the system and the operating system. Everything above this folder is
// platform-free; the bodies live in win32/ and posix/. Windows error codes are the common
// currency on both sides, so callers can follow the Windows rules exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// ---- error codes -------------------------------------------------------------------------------
inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorSharingViolation = 32;
inline constexpr uint32_t kErrorBadNetPath = 53;
inline constexpr uint32_t kErrorSemTimeout = 121;
inline constexpr uint32_t kErrorInvalidName = 123;
inline constexpr uint32_t kErrorFilenameExcedRange = 206;
inline constexpr uint32_t kErrorPipeBusy = 231;
inline constexpr uint32_t kErrorNoData = 232;
inline constexpr uint32_t kErrorPipeNotConnected = 233;
inline constexpr uint32_t kErrorMoreData = 234;
inline constexpr uint32_t kErrorWaitTimeout = 258;
inline constexpr uint32_t kErrorBrokenPipe = 109;

// Last error of the calling thread, as GetLastError/SetLastError.
uint32_t LastError();
void SetLastError(uint32_t code);

// ---- files and folders (ANSI paths) ------------------------------------------------------------
inline constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
inline constexpr uint32_t kAttributeDirectory = 0x10;
inline constexpr uint32_t kAttributeReparsePoint = 0x400;

// GetFileAttributesA: kInvalidFileAttributes on failure, with the last error set.
uint32_t GetFileAttributes(const std::string& path);
// FindFirstFileA + FindClose. False when the search fails; otherwise true and *isDirectory tells
// whether the first entry found is a directory.
bool FindFirst(const std::string& path, bool* isDirectory);
// CreateFileA(GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS) and close.
bool OpenWithBackupSemantics(const std::string& path);
// Reads the whole file, opened for reading with others denied write access. Returns 0 or the
// Windows error code (32 while another process holds the file).
uint32_t ReadWholeFile(const std::string& path, std::string& contents);
// Creates or replaces the file, opened for exclusive writing, writes the bytes, closes it.
// Returns 0 or the Windows error code.
uint32_t WriteWholeFileExclusive(const std::string& path, std::string_view contents);
// CreateDirectoryA without security attributes; the last error is set on failure.
bool CreateDirectory(const std::string& path);
// GetTempPathA: ends with the path delimiter; empty when the platform reports nothing.
std::string GetTempPath();
// The path delimiter of this platform: '\\' on Windows, '/' on POSIX.
char PathDelimiter();
void Sleep(uint32_t milliseconds);
// Milliseconds on the wall clock: the pipe time-outs are wall-clock time, not CPU time.
int64_t WallClockMilliseconds();

struct LocalDateTime {
  int year, month, day, hour, minute, second, millisecond;
};
LocalDateTime Now();

// ---- code pages --------------------------------------------------------------------------------
// Symbolic code pages, as the Windows CP_ACP, CP_OEMCP and CP_MACCP.
inline constexpr unsigned kCodePageAnsi = 0, kCodePageOem = 1, kCodePageMac = 2;

unsigned AnsiCodePage();  // 1252 on a German system
unsigned OemCodePage();   // 850 on a German system
unsigned MacCodePage();   // 10000

// MultiByteToWideChar. False when the code page is not available (output then untouched).
bool MultiByteToWide(unsigned codePage, std::string_view bytes, std::u16string& out);
// WideCharToMultiByte with best fit; composeAndDiscard adds WC_COMPOSITECHECK | WC_DISCARDNS.
// Characters without a mapping become the code page's default character ("?"). *usedDefault
// (when given) tells whether that happened. False when the code page is not available.
bool WideToMultiByte(unsigned codePage, std::u16string_view text, std::string& out,
                     bool composeAndDiscard = false, bool* usedDefault = nullptr);
// OemToCharBuffA: OEM bytes to ANSI bytes, length kept.
std::string OemToAnsi(std::string_view oem);

// IsDBCSLeadByte: whether the byte starts a double-byte character in the system ANSI code page.
bool IsAnsiLeadByte(unsigned char byte);

// Convenience forms through the system ANSI code page.
std::u16string AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::u16string_view text);

// ---- regional settings -------------------------------------------------------------------------
// The decimal separator of the regional settings ("," on a German system).
char DecimalSeparator();
// Tests and tools: force a decimal separator for this process (0 restores the system's).
void OverrideDecimalSeparator(char separator);

// ---- memory ------------------------------------------------------------------------------------
// A hint that a large buffer about to be filled be backed by large pages (2 MiB on Linux), which
// makes the first touch of every page far cheaper where page faults are dear (virtual machines).
// Only whole large pages inside the range are affected; nothing happens where it is not offered.
void PreferLargePages(void* data, size_t size);
// For the programs that build big documents, early in main, given the input about to be read
// when it is known: on Linux with glibc, puts the C library's heap on large pages where they are
// offered. For a small input the heap gets a reserve in place; otherwise the program starts anew,
// once, with the library's own large-page settings. Returns at once where there is nothing to
// do, when GLIBC_TUNABLES already names glibc.malloc.hugetlb, or when the restart fails.
void UseLargePageHeap(const std::string& input = std::string());

// ---- user interface ----------------------------------------------------------------------------
// Modal message box with one OK button (caption and text in ANSI). Routed to standard error as
// "<caption>: <text>\n" on POSIX, and on Windows when GAEB_IMPORTER_MESSAGES=stderr.
void MessageBox(const std::string& text, const std::string& caption);

// Hidden main window with its message queue. Messages posted before Run are handled inside it;
// the loop ends once WM_CLOSE (16) has been handled.
inline constexpr uint32_t kWmClose = 0x0010;
inline constexpr uint32_t kWmUser = 0x0400;
class MessageWindow {
 public:
  using Handler = std::function<void(uint32_t message, uintptr_t wParam, intptr_t lParam)>;
  explicit MessageWindow(Handler handler);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;
  bool Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
  // Runs the loop until the window closes; returns the exit code (0).
  int Run();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The process arguments as the ANSI texts the program was started with; [0] is the program.
std::vector<std::string> ProcessArguments();
// Tools and tests: set the binary mode of standard input and output (Windows only).
void SetBinaryStdio();
// Environment variable, empty when not set.
std::string GetEnv(const std::string& name);

// ---- processes and locks (tools and tests) -----------------------------------------------------
struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};
// Runs a program with arguments, feeding `input` on stdin and collecting both outputs.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = {});

// Holds a file open (and locked) as another process would; released by destruction.
class FileHold {
 public:
  // exclusive: no sharing at all; otherwise others are denied write only.
  FileHold(const std::string& path, bool exclusive);
  ~FileHold();
  FileHold(const FileHold&) = delete;
  FileHold& operator=(const FileHold&) = delete;
  bool ok() const { return ok_; }

 private:
  intptr_t handle_ = -1;
  bool ok_ = false;
};

}  // namespace platform

#include "platform/pipes.h"
