// Small blocks for the document's many little pieces: the values, the member arrays, the
// name-index nodes and the bytes of longer texts. A document of a million parts holds some ten
// million of them; carved from large blocks they carry no per-block header, lie in the order
// they were made (which is the order they are written) and are given back without the
// allocator's merging work. When the last one is freed the blocks go back to the system.
//
// Not thread-safe: documents are built, written and freed by one thread at a time.
#pragma once

#include <cstddef>
#include <new>

namespace document::pool {

// Sizes above this come from the ordinary allocator.
inline constexpr size_t kLargest = 512;

// Aligned to 16 when size is a multiple of 16, else to 8.
void* Allocate(size_t size);
// size as given to Allocate.
void Free(void* block, size_t size) noexcept;

// The bytes of all document pieces alive now, pooled or not.
size_t BytesInUse();

// For the standard containers of the document.
template <class T>
struct Allocator {
  using value_type = T;
  Allocator() = default;
  template <class U>
  Allocator(const Allocator<U>&) noexcept {}
  T* allocate(size_t n) {
    if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(Allocate(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) noexcept { Free(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const Allocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace document::pool
