// Spawning a helper program with its standard streams connected (tools and tests only).
#include "platform/win32/windows_api.h"
// (windows_api.h first: it removes the A/W macros that would rename the functions below.)
#include <algorithm>
#include <thread>

#include "platform/platform.h"

namespace platform {

namespace {

// Quotes one argument so that the C runtime's splitting gives it back unchanged.
std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string quoted(1, '"');
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') quoted.append(backslashes * 2 + 1, '\\');
    else quoted.append(backslashes, '\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, '\\');
  quoted.push_back('"');
  return quoted;
}

struct PipePair {
  HANDLE read = nullptr, write = nullptr;
  bool Open(bool childReads) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    if (!::CreatePipe(&read, &write, &sa, 0)) return false;
    // Only the child's end is inherited.
    return ::SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0) != 0;
  }
  static void Close(HANDLE& h) {
    if (h) ::CloseHandle(h);
    h = nullptr;
  }
  ~PipePair() {
    Close(read);
    Close(write);
  }
};

void Drain(HANDLE h, std::string* into) {
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) into->append(buffer, got);
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input) {
  ProcessResult result;
  PipePair in, out, err;
  if (!in.Open(true) || !out.Open(false) || !err.Open(false)) return result;

  std::string commandLine = QuoteArgument(program);
  for (const auto& a : args) {
    commandLine.push_back(' ');
    commandLine.append(QuoteArgument(a));
  }

  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in.read;
  si.hStdOutput = out.write;
  si.hStdError = err.write;
  PROCESS_INFORMATION pi = {};
  BOOL started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                  CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  PipePair::Close(in.read);
  PipePair::Close(out.write);
  PipePair::Close(err.write);
  if (!started) return result;

  std::thread outReader(Drain, out.read, &result.out);
  std::thread errReader(Drain, err.read, &result.err);
  size_t fed = 0;
  while (fed < input.size()) {
    DWORD piece = static_cast<DWORD>(std::min<size_t>(input.size() - fed, 1u << 20));
    DWORD wrote = 0;
    if (!::WriteFile(in.write, input.data() + fed, piece, &wrote, nullptr)) break;
    fed += wrote;
  }
  PipePair::Close(in.write);
  outReader.join();
  errReader.join();
  ::WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  if (::GetExitCodeProcess(pi.hProcess, &code)) result.exitCode = static_cast<int>(code);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return result;
}

}  // namespace platform
