// Capacity growth for the many small vectors of a document: 4, 6, 9, 13, ... so that an
// object of nine members wastes nothing, instead of doubling to sixteen. A vector whose usual
// size is known starts there and skips the steps (and the copies and holes they leave).
#pragma once

#include <cstddef>

namespace document {

template <class Vector>
void GrowForOneMore(Vector& v, size_t first = 4) {
  if (v.size() < v.capacity()) return;
  const size_t capacity = v.capacity();
  v.reserve(capacity < first ? first : capacity + capacity / 2);
}

// An import part has eight or nine members; its name index one node more (the sentinel).
constexpr size_t kFirstMembers = 9;

}  // namespace document
