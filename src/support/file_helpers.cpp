// File and folder helpers on ANSI paths. The presence checks never raise: a file that another
// process holds open counts as present, a folder that cannot be inspected counts as present.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/support.h"

namespace support {

namespace {

// Windows paths also know drive letters and the drive delimiter ":".
bool Windows() { return platform::PathDelimiter() == '\\'; }

// True when the last byte of s is a character of its own, not the trail of a double-byte one.
bool LastIsSingleByte(const std::string& s) {
  size_t i = 0, n = s.size();
  while (i + 1 < n) i += platform::IsAnsiLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
  return i == n - 1;
}

bool IsDelimiter(char c) { return c == platform::PathDelimiter() || (Windows() && c == ':'); }

std::string OpenErrorText(const std::string& path, uint32_t code) {
  std::string reason;
  switch (code) {
    case platform::kErrorFileNotFound:
      reason = "Die Datei wurde nicht gefunden";
      break;
    case platform::kErrorPathNotFound:
      reason = "Der Pfad wurde nicht gefunden";
      break;
    case platform::kErrorAccessDenied:
      reason = "Zugriff verweigert";
      break;
    case platform::kErrorSharingViolation:
      reason = "Die Datei wird von einem anderen Prozess verwendet";
      break;
    default:
      reason = "Fehler " + std::to_string(code);
  }
  // ANSI bytes: "geöffnet".
  return "Datei \"" + path + "\" kann nicht ge\xF6" "ffnet werden. " + reason + ".";
}

}  // namespace

bool FindFileIsPresent(const std::string& path) {
  bool isDirectory = false;
  if (!platform::FindFirst(path, &isDirectory)) return false;
  return !isDirectory;
}

bool FileIsPresent(const std::string& path) {
  uint32_t a = platform::GetFileAttributes(path);
  if (a != platform::kInvalidFileAttributes) return (a & platform::kAttributeDirectory) == 0;
  switch (platform::LastError()) {
    case platform::kErrorFileNotFound:
    case platform::kErrorPathNotFound:
    case platform::kErrorInvalidName:
      return false;
    case platform::kErrorSharingViolation:
      return true;
    default:
      return FindFileIsPresent(path);
  }
}

bool FolderIsPresent(const std::string& path) {
  uint32_t a = platform::GetFileAttributes(path);
  if (a == platform::kInvalidFileAttributes) {
    switch (platform::LastError()) {
      case platform::kErrorFileNotFound:
      case platform::kErrorPathNotFound:
      case platform::kErrorBadNetPath:
      case platform::kErrorInvalidName:
        return false;
      default:
        return true;
    }
  }
  if ((a & platform::kAttributeReparsePoint) == 0) return (a & platform::kAttributeDirectory) != 0;
  if (!platform::OpenWithBackupSemantics(path)) return false;
  return (a & platform::kAttributeDirectory) != 0;
}

std::string AddBackslash(const std::string& path) {
  if (path.empty()) return path;
  const char delimiter = platform::PathDelimiter();
  if (LastIsSingleByte(path) && IsDelimiter(path.back())) return path;
  if (Windows() && path.size() == 1) {
    char c = path[0];
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return path + ":\\";
  }
  return path + delimiter;
}

std::string StripBackslash(const std::string& path) {
  if (!path.empty() && path.back() == platform::PathDelimiter() && LastIsSingleByte(path))
    return path.substr(0, path.size() - 1);
  return path;
}

std::string LoadFileBytes(const std::string& path) {
  std::string bytes;
  if (uint32_t code = platform::ReadWholeFile(path, bytes))
    throw EInOutError(OpenErrorText(path, code), static_cast<int>(code));
  return bytes;
}

void LoadLinesWithRetry(std::vector<std::string>& lines, const std::string& path) {
  constexpr int kTries = 100;
  constexpr uint32_t kPauseMs = 100;
  for (int attempt = 1; attempt <= kTries; ++attempt) {
    try {
      if (FileIsPresent(path)) {
        std::string text = LoadFileBytes(path);
        size_t nul = text.find('\0');
        if (nul != std::string::npos) text.resize(nul);
        lines = SplitLines(text);
      }
      return;
    } catch (const EInOutError&) {
      if (attempt == kTries) throw;
      platform::Sleep(kPauseMs);
    }
  }
}

bool MakeFolderPath(const std::string& dir) {
  // The chain of missing folders is collected first and created top down; a loop instead of
  // recursion keeps very deep paths off the stack.
  std::vector<std::string> missing;
  std::string current = dir;
  for (;;) {
    if (current.empty()) throw EInOutError("Verzeichnis kann nicht erstellt werden", 3);
    current = StripBackslash(current);
    if (current.size() < 3 || FolderIsPresent(current)) break;
    size_t cut = Windows() ? current.find_last_of("\\:") : current.find_last_of('/');
    std::string parent = cut == std::string::npos ? std::string() : current.substr(0, cut + 1);
    if (parent == current) break;
    missing.push_back(current);
    current = std::move(parent);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it)
    if (!platform::CreateDirectory(*it)) return false;
  return true;
}

std::string TempPath() { return platform::GetTempPath(); }

std::string TempSubFolder(const std::string& sub) {
  const char delimiter = platform::PathDelimiter();
  std::string p = TempPath();
  if (!p.empty() && p.back() != delimiter) p += delimiter;
  std::string t = sub.empty() ? std::string() : sub + delimiter;
  std::string result = p + "ZVTempDir" + delimiter + t;
  MakeFolderPath(result);
  return result;
}

}  // namespace support
