#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "document/pool.h"

namespace document {
namespace {

struct Block {
  unsigned char* p;
  size_t size;
};

// Blocks of every size the pool serves and beyond, made, filled, freed in a mixed order and
// made again: each keeps its own bytes and its alignment throughout.
TEST(Pool, BlocksKeepTheirBytesAndAlignmentThroughReuse) {
  for (int round = 0; round < 3; ++round) {
    std::vector<Block> blocks;
    for (size_t size = 1; size <= pool::kLargest + 64; size += (size < 64 ? 1 : 24)) {
      for (int copy = 0; copy < 40; ++copy) {
        auto* p = static_cast<unsigned char*>(pool::Allocate(size));
        ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % (size % 16 == 0 ? 16 : 8), 0u) << size;
        std::memset(p, static_cast<int>(blocks.size() & 0xFF), size);
        blocks.push_back({p, size});
      }
    }
    // Free every other one, then make as many again, so that freed blocks are reused.
    std::vector<Block> kept;
    for (size_t i = 0; i < blocks.size(); ++i) {
      if (i % 2) {
        pool::Free(blocks[i].p, blocks[i].size);
      } else {
        kept.push_back(blocks[i]);
      }
    }
    for (size_t i = 1; i < blocks.size(); i += 2) {
      auto* p = static_cast<unsigned char*>(pool::Allocate(blocks[i].size));
      std::memset(p, 0xEE, blocks[i].size);
      pool::Free(p, blocks[i].size);
    }
    for (size_t k = 0; k < kept.size(); ++k) {
      const unsigned char expected = static_cast<unsigned char>((2 * k) & 0xFF);
      for (size_t b = 0; b < kept[k].size; ++b) ASSERT_EQ(kept[k].p[b], expected) << k;
      pool::Free(kept[k].p, kept[k].size);
    }
  }
}

TEST(Pool, ContainersAndZeroSizes) {
  std::vector<int, pool::Allocator<int>> numbers;
  for (int i = 0; i < 10000; ++i) numbers.push_back(i);  // grows through the pool and beyond
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(numbers[i], i);
  void* empty = pool::Allocate(0);
  EXPECT_NE(empty, nullptr);
  pool::Free(empty, 0);
  pool::Free(nullptr, 8);
}

}  // namespace
}  // namespace document
