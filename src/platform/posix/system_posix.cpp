// Regional settings, message boxes, the hidden window's queue and the process arguments.
#include <langinfo.h>
#include <locale.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/platform.h"
#include "platform/system_separator.h"

namespace platform {

// The environment's LC_NUMERIC, read without setlocale so no program has to call it.
char SystemDecimalSeparator() {
  static const char separator = [] {
    char result = '.';
    locale_t loc = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (loc != static_cast<locale_t>(0)) {
      const char* radix = ::nl_langinfo_l(RADIXCHAR, loc);
      if (radix && radix[0] && !radix[1]) result = radix[0];
      ::freelocale(loc);
    }
    return result;
  }();
  return separator;
}

void MessageBox(const std::string& text, const std::string& caption) {
  std::string line = caption + ": " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

struct MessageWindow::Impl {
  struct Message {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
  };
  Handler handler;
  std::mutex mutex;
  std::condition_variable posted;
  std::deque<Message> queue;
  bool closed = false;
};

MessageWindow::MessageWindow(Handler handler) : impl_(std::make_unique<Impl>()) {
  impl_->handler = std::move(handler);
}

MessageWindow::~MessageWindow() = default;

bool MessageWindow::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->closed) return false;
    impl_->queue.push_back({message, wParam, lParam});
  }
  impl_->posted.notify_one();
  return true;
}

int MessageWindow::Run() {
  for (;;) {
    Impl::Message m;
    {
      std::unique_lock<std::mutex> lock(impl_->mutex);
      if (impl_->closed) return 0;
      impl_->posted.wait(lock, [&] { return !impl_->queue.empty(); });
      m = impl_->queue.front();
      impl_->queue.pop_front();
    }
    if (impl_->handler) impl_->handler(m.message, m.wParam, m.lParam);
    if (m.message == kWmClose) {
      std::lock_guard<std::mutex> lock(impl_->mutex);
      impl_->closed = true;
      impl_->queue.clear();
      return 0;
    }
  }
}

std::vector<std::string> ProcessArguments() {
  std::vector<std::string> args;
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    args.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return args;
}

void SetBinaryStdio() {}

std::string GetEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

}  // namespace platform
