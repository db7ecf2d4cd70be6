// Regional settings, message boxes, the hidden window's queue and the process arguments.
#include <langinfo.h>
#include <locale.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
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
      // Through this thread's locale: a statically linked C library answers nl_langinfo_l from
      // the global locale whatever it is given.
      const locale_t previous = ::uselocale(loc);
      const char* radix = ::nl_langinfo(RADIXCHAR);
      if (radix && radix[0] && !radix[1]) result = radix[0];
      ::uselocale(previous);
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

#if defined(__linux__) && defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
namespace {

constexpr size_t kHeapStep = size_t{32} << 20;
constexpr size_t kHeapReserve = size_t{64} << 20;
// Read, parsed and written, an input takes up to about ten times its size on the heap; up to this
// size it fits in the reserve.
constexpr uint64_t kSmallInput = uint64_t{4} << 20;

// Sets the heap up inside the process: a reserve on large pages, kept for the process's life. The
// advice holds only for the mapping it was given to, and the heap grows by new mappings without
// it, so this suits an input known to fit. Freed memory is not handed back while the heap stays
// within the reserve.
void ReserveLargePageHeap() {
  constexpr uintptr_t kLarge = uintptr_t{2} << 20;
  ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(kHeapStep));
  ::mallopt(M_TOP_PAD, static_cast<int>(kHeapStep));
  ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(kHeapReserve + 2 * kHeapStep));
  const uintptr_t start = reinterpret_cast<uintptr_t>(::sbrk(0));
  ::mallopt(M_MMAP_MAX, 0);  // the reserve from the heap itself, not a mapping of its own
  void* reserve = std::malloc(kHeapReserve);
  ::mallopt(M_MMAP_MAX, 65536);
  const uintptr_t end = reinterpret_cast<uintptr_t>(::sbrk(0));
  asm volatile("" : : "r"(reserve) : "memory");  // the pair must not be optimised away
  std::free(reserve);
  if (!reserve || end < start + kHeapReserve) return;  // the heap could not grow in place
  // All above the old end is free now. The heap starts at a random address: the part below the
  // first large-page boundary is kept out of use, so that all that follows lies on large pages.
  // The advice comes before anything is written above the boundary.
  const uintptr_t top = end - ::mallinfo2().keepcost;
  const uintptr_t boundary = (top + 64 + kLarge - 1) & ~(kLarge - 1);
  if (boundary >= end) return;
  ::madvise(reinterpret_cast<void*>(boundary), end - boundary, MADV_HUGEPAGE);
  // A chunk ends where the next begins: this one makes the next begin at the boundary.
  void* below = std::malloc(boundary - top - 2 * sizeof(size_t));
  asm volatile("" : : "r"(below) : "memory");  // kept for the life of the process
}

// Starts the program anew with the C library's own large-page settings, which follow the heap
// as it grows. Returns only when that fails.
void RestartWithLargePageHeap(const char* current) {
  static constexpr char kTunables[] =
      "glibc.malloc.hugetlb=1:glibc.malloc.top_pad=33554432:glibc.malloc.mmap_threshold=33554432";
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
}

}  // namespace
#endif

void UseLargePageHeap(const std::string& input) {
#if defined(__linux__) && defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
  // Every small allocation of a document tree lands on the heap; where page faults are dear, a
  // heap of 4 KiB pages costs more than the import itself.
  const char* current = std::getenv("GLIBC_TUNABLES");
  if (current && std::strstr(current, "glibc.malloc.hugetlb")) return;  // done, or the user's
  std::ifstream modes("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string line;
  if (!std::getline(modes, line) || line.find("[never]") != std::string::npos) return;
  // A second start costs about as much as a small import: small inputs, and inputs that will not
  // be read at all, are served in place.
  struct stat st;
  const bool large = input.empty() || (::stat(input.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                                       static_cast<uint64_t>(st.st_size) > kSmallInput);
  if (large) {
    RestartWithLargePageHeap(current);
  } else {
    ReserveLargePageHeap();
  }
#else
  (void)input;
#endif
}

std::string GetEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

}  // namespace platform
