#include "document/pool.h"

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace document::pool {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPooled = false;  // the sanitizer must see every block on its own
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif
#else
constexpr bool kPooled = true;
#endif

constexpr size_t kGrain = 8;
constexpr size_t kClasses = kLargest / kGrain;
// On the boundary of a large page, so that large pages can cover the whole block: its pieces
// are touched in order as the document grows, and small pages would fault every 4 KiB. The
// allocator may set aside up to one alignment more, never touched; a large block keeps that
// small beside it.
constexpr size_t kBlockSize = size_t{32} << 20;
constexpr size_t kBlockAlign = size_t{2} << 20;

struct FreeBlock {
  FreeBlock* next;
};

class Pool {
 public:
  void* Allocate(size_t size) {
    const size_t index = (size + kGrain - 1) / kGrain - 1;
    ++live_;
    if (FreeBlock* block = free_[index]) {
      free_[index] = block->next;
      return block;
    }
    const size_t rounded = (index + 1) * kGrain;
    uintptr_t at = reinterpret_cast<uintptr_t>(next_);
    if (rounded % 16 == 0) at = (at + 15) & ~uintptr_t{15};
    if (next_ == nullptr || at + rounded > reinterpret_cast<uintptr_t>(end_)) {
      NewBlock();
      at = reinterpret_cast<uintptr_t>(next_);
    }
    next_ = reinterpret_cast<char*>(at + rounded);
    return reinterpret_cast<void*>(at);
  }

  void Free(void* p, size_t size) noexcept {
    const size_t index = (size + kGrain - 1) / kGrain - 1;
    auto* block = static_cast<FreeBlock*>(p);
    block->next = free_[index];
    free_[index] = block;
    if (--live_ == 0) Reset();
  }

 private:
  void NewBlock() {
    blocks_.reserve(blocks_.size() + 1);
    char* block = static_cast<char*>(::operator new(kBlockSize, std::align_val_t{kBlockAlign}));
    platform::PreferLargePages(block, kBlockSize);
    blocks_.push_back(block);
    next_ = block;
    end_ = block + kBlockSize;
  }
  // Nothing is in use: all blocks but the first go back, so that a process making one document
  // after another keeps one block, not the size of the largest.
  void Reset() noexcept {
    for (size_t i = 1; i < blocks_.size(); ++i)
      ::operator delete(blocks_[i], std::align_val_t{kBlockAlign});
    blocks_.resize(1);
    for (FreeBlock*& head : free_) head = nullptr;
    next_ = blocks_[0];
    end_ = blocks_[0] + kBlockSize;
  }

  FreeBlock* free_[kClasses] = {};
  std::vector<char*> blocks_;
  char* next_ = nullptr;
  char* end_ = nullptr;
  size_t live_ = 0;
};

size_t gBytesInUse = 0;

// Never destroyed: documents held by statics may be freed after every other static is gone.
Pool& ThePool() {
  static Pool* const pool = new Pool;
  return *pool;
}

}  // namespace

size_t BytesInUse() { return gBytesInUse; }

void* Allocate(size_t size) {
  if (size == 0) size = 1;
  gBytesInUse += size;
  if (!kPooled || size > kLargest) return ::operator new(size);
  return ThePool().Allocate(size);
}

void Free(void* block, size_t size) noexcept {
  if (block == nullptr) return;
  if (size == 0) size = 1;
  gBytesInUse -= size;
  if (!kPooled || size > kLargest) return ::operator delete(block);
  ThePool().Free(block, size);
}

}  // namespace document::pool
