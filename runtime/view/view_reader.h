#pragma once
// ViewReader: the records of one data file as a list or a report sees them, a few at a time.
//
// A view is a file in one key order (or file order), optionally narrowed by a range (records
// between a low and a high key value that satisfy a bound test) and by named filters. Every read
// positions with one index search and reads only the records asked for (plus those the filters
// skip), so a page costs the same at the start, the middle and the end of a large file. No read
// statement stays open between calls: callers may yield between any two calls.
//
// Not thread-safe: a view belongs to the thread whose store connection it reads.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runtime/store/connection.h"

namespace trv::view {

using Predicate = std::function<bool(const store::RecordBuffer&)>;

class ViewReader {
 public:
  // `connection`, `decl` and the open file `file` must outlive the view.
  ViewReader(store::Connection& connection, store::FileId file, const store::FileDecl& decl);

  const store::FileDecl& decl() const { return decl_; }
  store::Connection& connection() { return connection_; }
  store::FileId file() const { return file_; }

  // Key order by the key's index in the declaration, or -1 for file order.
  void SetKeyOrder(int key) { key_ = key; }
  int keyOrder() const { return key_; }

  // Narrows the view to records from `low` (key fields) up to `high`, as long as `within` holds
  // for each record read; reading stops at the first record for which it fails. Key order only.
  void SetRange(store::RecordBuffer low, store::RecordBuffer high, Predicate within);
  void ClearRange();
  // Adds, replaces (same name) or, with an empty predicate, removes a filter; a record shows only
  // when every filter keeps it.
  void SetNamedFilter(const std::string& name, Predicate keep);
  bool hasFilter(const std::string& name) const { return filters_.count(name) > 0; }
  // Drops the range and every filter.
  void Reset();

  // Each read appends up to `count` records to `out` in view order and returns Ok (also when
  // fewer were found), or the store's failure code (the store's last error says more).
  [[nodiscard]] store::Code first(int count, std::vector<store::RecordBuffer>& out);
  [[nodiscard]] store::Code last(int count, std::vector<store::RecordBuffer>& out);
  // The records after / before `at` (a record read earlier, found by its key fields and row).
  [[nodiscard]] store::Code after(const store::RecordBuffer& at, int count,
                                  std::vector<store::RecordBuffer>& out);
  [[nodiscard]] store::Code before(const store::RecordBuffer& at, int count,
                                   std::vector<store::RecordBuffer>& out);
  // The records from the first whose key is at or after the key fields of `probe` (locators).
  [[nodiscard]] store::Code from(const store::RecordBuffer& probe, int count,
                                 std::vector<store::RecordBuffer>& out);

  // True when the record is in the view (range and filters).
  bool shows(const store::RecordBuffer& record) const;

 private:
  // Reads on from the sequence already set; `forward` gives the direction of the sequence.
  store::Code collect(bool forward, int count, std::vector<store::RecordBuffer>& out);
  bool passesFilters(const store::RecordBuffer& record) const;

  store::Connection& connection_;
  store::FileId file_;
  const store::FileDecl& decl_;
  int key_ = -1;
  struct Range {
    store::RecordBuffer low;
    store::RecordBuffer high;
    Predicate within;
  };
  std::optional<Range> range_;
  std::map<std::string, Predicate> filters_;
};

}  // namespace trv::view
