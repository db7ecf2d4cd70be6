// File, folder, string and number helpers shared by every subsystem. Paths and texts are ANSI
// byte strings. The helpers answer with booleans or defaults; only MakeFolderPath (empty path)
// and LoadLinesWithRetry (a file that stays locked) raise.
#pragma once

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace support {

// The platform's input/output error: a message and a Windows error code.
class EInOutError : public std::runtime_error {
 public:
  EInOutError(const std::string& message, int errorCode)
      : std::runtime_error(message), ErrorCode(errorCode) {}
  int ErrorCode;
};

// ---- files and folders -------------------------------------------------------------------------
bool FileIsPresent(const std::string& path);
bool FindFileIsPresent(const std::string& path);
bool FolderIsPresent(const std::string& path);
std::string AddBackslash(const std::string& path);    // appends the platform delimiter
std::string StripBackslash(const std::string& path);  // removes one final delimiter
// Fills lines from the file (replacing them); retries 100 times, 100 ms apart, while the file
// cannot be read; the text ends at a NUL byte. A missing file leaves lines as they were.
void LoadLinesWithRetry(std::vector<std::string>& lines, const std::string& path);
bool MakeFolderPath(const std::string& dir);
std::string TempPath();
std::string TempSubFolder(const std::string& sub);

// Reads a whole file as bytes (others denied write). Throws EInOutError naming the reason.
std::string LoadFileBytes(const std::string& path);

// ---- lines -------------------------------------------------------------------------------------
// Splits at CR LF, CR or LF; NUL bytes stay. A final line end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);
// Calls f(line) for each line without copying; same rules as SplitLines.
template <class F>
void ForEachLine(std::string_view text, F&& f) {
  const char* const begin = text.data();
  const size_t n = text.size();
  // The next CR and the next LF are each searched once and kept until the lines pass them.
  auto next = [begin, n](char c, size_t from) {
    const void* hit = std::memchr(begin + from, c, n - from);
    return hit == nullptr ? n : static_cast<size_t>(static_cast<const char*>(hit) - begin);
  };
  size_t start = 0, cr = 0, lf = 0;
  bool crKnown = false, lfKnown = false;
  while (start < n) {
    if (!crKnown || cr < start) cr = next('\r', start), crKnown = true;
    if (!lfKnown || lf < start) lf = next('\n', start), lfKnown = true;
    size_t i = cr < lf ? cr : lf;
    f(text.substr(start, i - start));
    if (i < n && text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
}

// ---- strings and numbers -----------------------------------------------------------------------
void ReplaceAllText(std::string& text, std::string_view search, std::string_view replacement);
std::string FastReplaceText(std::string_view text, std::string_view search,
                            std::string_view replacement);
// FastReplaceText into a caller's buffer, whose memory is reused (text must not overlap it).
void FastReplaceTextInto(std::string& out, std::string_view text, std::string_view search,
                         std::string_view replacement);
std::string ShortenText(const std::string& text, int maxLength);
std::string AnsiToUtf8(const std::string& ansi);
long double TextToFloatOrZero(std::string_view text);
// Removes leading and trailing bytes up to and including the blank (blanks, control bytes).
std::string_view TrimView(std::string_view text);
std::string Trim(std::string_view text);

// Releases the object and leaves the reference empty, in that order of effect: the reference
// is cleared first, then the object is destroyed.
template <class T>
void FreeAndClear(std::unique_ptr<T>& reference) {
  std::unique_ptr<T> local = std::move(reference);
  local.reset();
}

}  // namespace support
