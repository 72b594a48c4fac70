#include "runtime/view/view_reader.h"

#include <algorithm>

#include "runtime/store/record_codec.h"

namespace trv::view {

ViewReader::ViewReader(store::Connection& connection, store::FileId file,
                       const store::FileDecl& decl)
    : connection_(connection), file_(file), decl_(decl) {}

void ViewReader::SetRange(store::RecordBuffer low, store::RecordBuffer high, Predicate within) {
  range_ = Range{std::move(low), std::move(high), std::move(within)};
}

void ViewReader::ClearRange() {
  range_.reset();
}

void ViewReader::SetNamedFilter(const std::string& name, Predicate keep) {
  if (keep) {
    filters_[name] = std::move(keep);
  } else {
    filters_.erase(name);
  }
}

void ViewReader::Reset() {
  range_.reset();
  filters_.clear();
}

bool ViewReader::passesFilters(const store::RecordBuffer& record) const {
  return std::all_of(filters_.begin(), filters_.end(),
                     [&](const auto& f) { return f.second(record); });
}

bool ViewReader::shows(const store::RecordBuffer& record) const {
  if (range_ && range_->within && !range_->within(record)) return false;
  return passesFilters(record);
}

store::Code ViewReader::collect(bool forward, int count, std::vector<store::RecordBuffer>& out) {
  if (count <= 0) return store::Ok;
  // Read a little more than asked when filters may skip records.
  connection_.setBulkRows(file_, filters_.empty() ? count + 1 : std::max(count * 2, 50));
  const std::size_t start = out.size();
  while (static_cast<int>(out.size() - start) < count) {
    store::RecordBuffer buf(decl_);
    const store::Code c = forward ? connection_.next(file_, buf) : connection_.previous(file_, buf);
    if (c == store::RecordNotFound) break;
    if (c != store::Ok) return c;
    if (range_ && range_->within && !range_->within(buf)) break;
    if (!passesFilters(buf)) continue;
    out.push_back(std::move(buf));
  }
  if (!forward) std::reverse(out.begin() + static_cast<std::ptrdiff_t>(start), out.end());
  store::clearError();
  return store::Ok;
}

store::Code ViewReader::first(int count, std::vector<store::RecordBuffer>& out) {
  store::Code c = store::Ok;
  if (key_ < 0) {
    c = connection_.setFileOrder(file_);
  } else {
    c = connection_.setKeyOrder(file_, key_, range_ ? &range_->low : nullptr);
  }
  if (c != store::Ok) return c;
  return collect(true, count, out);
}

store::Code ViewReader::last(int count, std::vector<store::RecordBuffer>& out) {
  store::Code c = store::Ok;
  if (key_ < 0) {
    c = connection_.setFileOrder(file_);
  } else {
    c = connection_.setKeyOrder(file_, key_, range_ ? &range_->high : nullptr);
  }
  if (c != store::Ok) return c;
  return collect(false, count, out);
}

store::Code ViewReader::after(const store::RecordBuffer& at, int count,
                              std::vector<store::RecordBuffer>& out) {
  if (const store::Code c = connection_.setSequenceAt(file_, key_, at); c != store::Ok) return c;
  return collect(true, count, out);
}

store::Code ViewReader::before(const store::RecordBuffer& at, int count,
                               std::vector<store::RecordBuffer>& out) {
  if (const store::Code c = connection_.setSequenceAt(file_, key_, at); c != store::Ok) return c;
  return collect(false, count, out);
}

store::Code ViewReader::from(const store::RecordBuffer& probe, int count,
                             std::vector<store::RecordBuffer>& out) {
  if (key_ < 0) return first(count, out);
  const store::RecordBuffer* start = &probe;
  if (range_) {
    // A probe below the range starts at the range's low end.
    const store::KeyDecl& k = decl_.keys[static_cast<std::size_t>(key_)];
    const auto probeImage = store::keyImage(decl_, k, probe.record.data());
    const auto lowImage = store::keyImage(decl_, k, range_->low.record.data());
    if (!probeImage || (lowImage && *probeImage < *lowImage)) start = &range_->low;
  }
  if (const store::Code c = connection_.setKeyOrder(file_, key_, start); c != store::Ok) return c;
  return collect(true, count, out);
}

}  // namespace trv::view
