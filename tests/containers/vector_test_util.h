#pragma once
// Helpers of the vector tests: filling a vector from a list, reading its
// values back, small files.

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

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

inline void WriteFile(const std::string& Path, const std::string& Content) {
  std::ofstream(Path, std::ios::binary) << Content;
}

inline std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace kvl::test
