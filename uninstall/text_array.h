#pragma once
// A growable list of texts. Storage grows geometrically: each time an append needs room the
// growth step is multiplied by 4 (at most 262144 elements per step) and added to the capacity,
// so an empty list makes room for 4 texts, then 20, then 84. Shrinking the count cuts the
// storage to the new count and starts the growth step again at 1.

#include <vector>

#include "uninstall/ref_string.h"

namespace trv::uninstall {

class CTextArray {
 public:
  static constexpr int kMaxGrowthStep = 262144;

  int count() const { return int(items_.size()); }
  int capacity() const { return capacity_; }

  // Requires 0 <= index < count().
  const CRefString& operator[](int index) const { return items_[std::size_t(index)]; }
  CRefString& operator[](int index) { return items_[std::size_t(index)]; }

  // Appends `text`; returns its index.
  int append(const CRefString& text);
  // Removes up to `count` elements at `index` (cut to the list); later elements move down.
  void removeAt(int index, int count = 1);
  // New elements are empty texts; a negative count counts as 0.
  void setCount(int count);
  void removeAll();

 private:
  void reserveExactly(int capacity);

  std::vector<CRefString> items_;
  int capacity_ = 0;
  int growthStep_ = 1;
};

}  // namespace trv::uninstall
