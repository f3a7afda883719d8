#pragma once
// Helpers of the vector tests: filling a vector from a list, reading its
// values back, small files.

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "kvl_test_support.h"

namespace kvl::test {

/// SetAll: sizes v to the list and writes the values through SetVal.
template <class V>
V& SetAll(V& v, std::initializer_list<typename V::TElem> values) {
  v.Resize(static_cast<std::int32_t>(values.size()));
  std::int32_t i = 1;
  for (auto x : values) v.SetVal(i++, x);
  return v;
}

/// Values: the elements of v in order.
template <class V>
std::vector<typename V::TElem> Values(const V& v) {
  return {v.Data().begin(), v.Data().end()};
}

}  // namespace kvl::test
