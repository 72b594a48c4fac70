#include "uninstall/text_array.h"

#include <algorithm>

namespace trv::uninstall {

void CTextArray::reserveExactly(int capacity) {
  std::vector<CRefString> fresh;
  fresh.reserve(std::size_t(capacity));
  std::move(items_.begin(), items_.end(), std::back_inserter(fresh));
  items_ = std::move(fresh);
  capacity_ = capacity;
}

int CTextArray::append(const CRefString& text) {
  const int needed = count() + 1;
  if (needed > capacity_) {
    growthStep_ = std::min(growthStep_ * 4, kMaxGrowthStep);
    reserveExactly(std::max(capacity_ + growthStep_, needed));
  }
  items_.push_back(text);
  return needed - 1;
}

void CTextArray::removeAt(int index, int count) {
  if (index < 0 || index >= this->count() || count <= 0) return;
  count = std::min(count, this->count() - index);
  items_.erase(items_.begin() + index, items_.begin() + index + count);
}

void CTextArray::setCount(int count) {
  count = std::max(count, 0);
  if (count >= this->count()) {
    if (count > capacity_) reserveExactly(count);
    items_.resize(std::size_t(count));
    return;
  }
  items_.resize(std::size_t(count));
  reserveExactly(count);
  growthStep_ = 1;
}

void CTextArray::removeAll() {
  items_ = {};
  capacity_ = 0;
  growthStep_ = 1;
}

}  // namespace trv::uninstall
