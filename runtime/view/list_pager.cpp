#include "runtime/view/list_pager.h"

#include <algorithm>

#include "runtime/store/record_codec.h"

namespace trv::view {

using store::Code;
using store::Ok;
using store::RecordBuffer;

namespace {

// Whether the record has a place in the view's key order: a record whose key fields are all
// blank or zero is left out of that key.
bool placed(const ViewReader& reader, const RecordBuffer& r) {
  const int key = reader.keyOrder();
  if (key < 0) return true;
  const store::FileDecl& d = reader.decl();
  return store::keyImage(d, d.keys[static_cast<std::size_t>(key)], r.record.data()).has_value();
}

}  // namespace

ListPager::ListPager(ViewReader& reader, int pageRows)
    : reader_(reader), pageRows_(std::max(1, pageRows)) {}

const RecordBuffer* ListPager::current() const {
  return selected_ >= 0 && selected_ < static_cast<int>(rows_.size()) ? &rows_[selected_] : nullptr;
}

void ListPager::setPageRows(int rows) {
  pageRows_ = std::max(1, rows);
}

void ListPager::select(int index) {
  selected_ = rows_.empty() ? -1 : std::clamp(index, 0, static_cast<int>(rows_.size()) - 1);
}

Code ListPager::top() {
  std::vector<RecordBuffer> page;
  if (Code c = reader_.first(pageRows_, page); c != Ok) return c;
  rows_ = std::move(page);
  select(0);
  return Ok;
}

Code ListPager::bottom() {
  std::vector<RecordBuffer> page;
  if (Code c = reader_.last(pageRows_, page); c != Ok) return c;
  rows_ = std::move(page);
  select(static_cast<int>(rows_.size()) - 1);
  return Ok;
}

Code ListPager::lineDown() {
  if (rows_.empty()) return top();
  if (selected_ + 1 < static_cast<int>(rows_.size())) {
    ++selected_;
    return Ok;
  }
  std::vector<RecordBuffer> more;
  if (Code c = reader_.after(rows_.back(), 1, more); c != Ok) return c;
  if (more.empty()) return Ok;
  rows_.push_back(std::move(more.front()));
  if (static_cast<int>(rows_.size()) > pageRows_) rows_.erase(rows_.begin());
  select(static_cast<int>(rows_.size()) - 1);
  return Ok;
}

Code ListPager::lineUp() {
  if (rows_.empty()) return top();
  if (selected_ > 0) {
    --selected_;
    return Ok;
  }
  std::vector<RecordBuffer> more;
  if (Code c = reader_.before(rows_.front(), 1, more); c != Ok) return c;
  if (more.empty()) return Ok;
  rows_.insert(rows_.begin(), std::move(more.front()));
  if (static_cast<int>(rows_.size()) > pageRows_) rows_.pop_back();
  select(0);
  return Ok;
}

Code ListPager::pageDown() {
  if (rows_.empty()) return top();
  std::vector<RecordBuffer> more;
  if (Code c = reader_.after(rows_.back(), pageRows_, more); c != Ok) return c;
  if (more.empty()) {
    select(static_cast<int>(rows_.size()) - 1);
    return Ok;
  }
  // Keep the page full: the last pageRows of what was on show and what came after it.
  std::vector<RecordBuffer> all = std::move(rows_);
  for (auto& r : more) all.push_back(std::move(r));
  const std::size_t keep = std::min(all.size(), static_cast<std::size_t>(pageRows_));
  rows_.assign(std::make_move_iterator(all.end() - static_cast<std::ptrdiff_t>(keep)),
               std::make_move_iterator(all.end()));
  select(selected_);
  return Ok;
}

Code ListPager::pageUp() {
  if (rows_.empty()) return top();
  std::vector<RecordBuffer> more;
  if (Code c = reader_.before(rows_.front(), pageRows_, more); c != Ok) return c;
  if (more.empty()) {
    select(0);
    return Ok;
  }
  for (auto& r : rows_) more.push_back(std::move(r));
  const std::size_t keep = std::min(more.size(), static_cast<std::size_t>(pageRows_));
  rows_.assign(std::make_move_iterator(more.begin()),
               std::make_move_iterator(more.begin() + static_cast<std::ptrdiff_t>(keep)));
  select(selected_);
  return Ok;
}

Code ListPager::locate(const RecordBuffer& probe) {
  std::vector<RecordBuffer> page;
  if (Code c = reader_.from(probe, pageRows_, page); c != Ok) return c;
  if (page.empty()) return bottom();
  const int found = 0;
  int shift = 0;
  if (static_cast<int>(page.size()) < pageRows_) {
    std::vector<RecordBuffer> earlier;
    if (Code c = reader_.before(page.front(), pageRows_ - static_cast<int>(page.size()), earlier);
        c != Ok)
      return c;
    shift = static_cast<int>(earlier.size());
    for (auto& r : page) earlier.push_back(std::move(r));
    page = std::move(earlier);
  }
  rows_ = std::move(page);
  select(found + shift);
  return Ok;
}

Code ListPager::pageAround(const RecordBuffer& anchor, bool includeAnchor, int at) {
  at = std::clamp(at, 0, pageRows_ - 1);
  std::vector<RecordBuffer> page;
  if (Code c = reader_.before(anchor, at, page); c != Ok) return c;
  const int anchorIndex = static_cast<int>(page.size());
  if (includeAnchor) page.push_back(anchor);
  const int rest = pageRows_ - static_cast<int>(page.size());
  if (Code c = reader_.after(anchor, rest, page); c != Ok) return c;
  if (static_cast<int>(page.size()) < pageRows_ && !page.empty()) {
    // Near the end: fill the page from above.
    std::vector<RecordBuffer> earlier;
    if (Code c = reader_.before(page.front(), pageRows_ - static_cast<int>(page.size()), earlier);
        c != Ok)
      return c;
    const int shift = static_cast<int>(earlier.size());
    for (auto& r : page) earlier.push_back(std::move(r));
    page = std::move(earlier);
    rows_ = std::move(page);
    select(anchorIndex + shift);
    return Ok;
  }
  rows_ = std::move(page);
  select(anchorIndex);
  return Ok;
}

Code ListPager::refreshAround(const RecordBuffer& record) {
  RecordBuffer latest(reader_.decl());
  const Code got = reader_.connection().get(reader_.file(), record.position, latest);
  const int at = selected_ < 0 ? 0 : selected_;
  if (got == Ok && reader_.shows(latest) && placed(reader_, latest))
    return pageAround(latest, true, at);
  if (got != Ok && got != store::RecordNotFound) return got;
  // Gone, or no longer in the view: its old key still places its neighbours, unless it never
  // had a place in this order (another order was chosen): then the view starts at its top.
  if (!placed(reader_, record)) return top();
  if (Code c = pageAround(record, false, at); c != Ok) return c;
  if (rows_.empty()) return top();
  return Ok;
}

Code ListPager::refresh() {
  const RecordBuffer* cur = current();
  if (!cur) return top();
  const RecordBuffer anchor = *cur;
  return refreshAround(anchor);
}

}  // namespace trv::view
