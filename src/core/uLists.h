// The small lists of the channel table: integers, instrument references and doubles,
// each a dynamic array with a count.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tessaro {

template <typename T>
class TSimpleList {
 public:
  int Count() const { return static_cast<int>(Items.size()); }
  const T& operator[](int i) const { return Items[static_cast<size_t>(i)]; }
  T& operator[](int i) { return Items[static_cast<size_t>(i)]; }
  void Add(const T& v) { Items.push_back(v); }
  void Clear() { Items.clear(); }
  int IndexOf(const T& v) const {
    auto it = std::find(Items.begin(), Items.end(), v);
    return it == Items.end() ? -1 : static_cast<int>(it - Items.begin());
  }
  bool Contains(const T& v) const { return IndexOf(v) >= 0; }
  void Remove(const T& v) { Items.erase(std::remove(Items.begin(), Items.end(), v), Items.end()); }
  auto begin() const { return Items.begin(); }
  auto end() const { return Items.end(); }

 protected:
  std::vector<T> Items;
};

using TIntList = TSimpleList<int>;

class TIXElementBase;
using TPtrList = TSimpleList<TIXElementBase*>;

// Doubles; grows by a step of its own rather than by one.
class TRealList : public TSimpleList<double> {
 public:
  explicit TRealList(int step = 16) : Step(step > 0 ? step : 1) {}
  void Add(double v) {
    if (Items.size() == Items.capacity()) Items.reserve(Items.size() + static_cast<size_t>(Step));
    Items.push_back(v);
  }
  int GetStep() const { return Step; }

 private:
  int Step;
};

}  // namespace tessaro
