// Capacity growth for the many small vectors of a document: 4, 6, 9, 13, ... so that an
// object of nine members wastes nothing, instead of doubling to sixteen.
#pragma once

#include <cstddef>

namespace document {

template <class Vector>
void GrowForOneMore(Vector& v) {
  if (v.size() < v.capacity()) return;
  const size_t capacity = v.capacity();
  v.reserve(capacity < 4 ? 4 : capacity + capacity / 2);
}

}  // namespace document
