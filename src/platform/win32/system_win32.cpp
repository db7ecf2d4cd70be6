// Regional settings, message boxes, the message-only main window and the process arguments.
#include "platform/win32/windows_api.h"
// (windows_api.h first: it removes the A/W macros that would rename the functions below.)
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <exception>

#include "platform/platform.h"
#include "platform/system_separator.h"

namespace platform {

char SystemDecimalSeparator() {
  static const char separator = [] {
    char buffer[8] = {};
    int got = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer);
    return (got == 2 && buffer[0]) ? buffer[0] : '.';
  }();
  return separator;
}

namespace {

bool MessagesToStderr() { return GetEnv("GAEB_IMPORTER_MESSAGES") == "stderr"; }

// Splits a command line by the rules of the C runtime: the program name ends at the first
// blank outside quotes; later arguments honour quotes and backslashes before quotes.
std::vector<std::string> SplitCommandLine(const char* line) {
  std::vector<std::string> args;
  const char* p = line;
  std::string program;
  bool quoted = false;
  for (; *p && (quoted || (*p != ' ' && *p != '\t')); ++p) {
    if (*p == '"')
      quoted = !quoted;
    else
      program.push_back(*p);
  }
  args.push_back(program);
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string arg;
    quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
      size_t backslashes = 0;
      while (*p == '\\') {
        ++backslashes;
        ++p;
      }
      if (*p == '"') {
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2) {
          arg.push_back('"');
          ++p;
        } else if (quoted && p[1] == '"') {
          arg.push_back('"');  // "" inside quotes stands for one quote
          p += 2;
        } else {
          quoted = !quoted;
          ++p;
        }
      } else {
        arg.append(backslashes, '\\');
        if (*p && (quoted || (*p != ' ' && *p != '\t'))) arg.push_back(*p++);
      }
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace

void MessageBox(const std::string& text, const std::string& caption) {
  if (MessagesToStderr()) {
    // Straight to the handle: the C runtime's text mode would turn the newline into CR LF.
    std::string line = caption + ": " + text + "\n";
    std::fflush(stderr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
                &written, nullptr);
    return;
  }
  ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_TASKMODAL);
}

struct MessageWindow::Impl {
  Handler handler;
  HWND hwnd = nullptr;
  // An exception must not cross the system's frames: it waits here and leaves Run instead.
  std::exception_ptr pending;

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Impl*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && (message == WM_CLOSE || message >= WM_USER)) {
      try {
        if (self->handler) self->handler(message, wParam, static_cast<intptr_t>(lParam));
      } catch (...) {
        if (!self->pending) self->pending = std::current_exception();
      }
      if (message == WM_CLOSE) ::DestroyWindow(hwnd);
      return 0;
    }
    if (message == WM_DESTROY && self) {
      self->hwnd = nullptr;
      ::PostQuitMessage(0);
      return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
};

MessageWindow::MessageWindow(Handler handler) : impl_(std::make_unique<Impl>()) {
  impl_->handler = std::move(handler);
  static const char* kClass = "GaebImporterMainWindow";
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  if (!::GetClassInfoA(instance, kClass, &wc)) {
    wc.lpfnWndProc = &Impl::Procedure;
    wc.hInstance = instance;
    wc.lpszClassName = kClass;
    ::RegisterClassA(&wc);
  }
  impl_->hwnd = ::CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                                  impl_.get());
}

MessageWindow::~MessageWindow() {
  if (impl_->hwnd) {
    ::SetWindowLongPtrA(impl_->hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(impl_->hwnd);
  }
}

bool MessageWindow::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!impl_->hwnd) return false;
  return ::PostMessageA(impl_->hwnd, message, wParam, lParam) != 0;
}

int MessageWindow::Run() {
  if (!impl_->hwnd) return 0;
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
    if (impl_->pending) {
      std::exception_ptr e = impl_->pending;
      impl_->pending = nullptr;
      std::rethrow_exception(e);
    }
  }
  return 0;
}

std::vector<std::string> ProcessArguments() { return SplitCommandLine(::GetCommandLineA()); }

void SetBinaryStdio() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

// Large pages need a privilege that ordinary users lack; the buffers stay as they are.
void PreferLargePages(void*, size_t) {}
void UseLargePageHeap(const std::string&) {}

std::string GetEnv(const std::string& name) {
  DWORD needed = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (needed == 0) return {};
  std::string value(needed, '\0');
  DWORD got = ::GetEnvironmentVariableA(name.c_str(), value.data(), needed);
  if (got == 0 || got >= needed) return {};
  value.resize(got);
  return value;
}

}  // namespace platform
