// Regional settings, message boxes, the hidden window's queue and the process arguments.
#include <langinfo.h>
#include <locale.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

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

void PreferLargePages(void* data, size_t size) {
#ifdef MADV_HUGEPAGE
  constexpr uintptr_t kLarge = uintptr_t{2} << 20;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kLarge - 1);
  // Refused where large pages are switched off; the buffer then simply stays as it is.
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)size;
#endif
}

void UseLargePageHeap() {
#if defined(__linux__) && defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
  // Every small allocation of a document tree lands on the heap; where page faults are dear, a
  // heap of 4 KiB pages costs more than the import itself.
  static constexpr char kTunables[] =
      "glibc.malloc.hugetlb=1:glibc.malloc.top_pad=33554432:glibc.malloc.mmap_threshold=33554432";
  const char* current = std::getenv("GLIBC_TUNABLES");
  if (current && std::strstr(current, "glibc.malloc.hugetlb")) return;  // done, or the user's
  std::ifstream modes("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string line;
  if (!std::getline(modes, line) || line.find("[never]") != std::string::npos) return;
  const std::vector<std::string> args = ProcessArguments();
  if (args.empty()) return;
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const std::string value =
      current && *current ? std::string(current) + ":" + kTunables : std::string(kTunables);
  if (::setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
  ::execv("/proc/self/exe", argv.data());
  // Still here: carry on with the heap as it is; the setting stops a second try.
#endif
}

std::string GetEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

}  // namespace platform
