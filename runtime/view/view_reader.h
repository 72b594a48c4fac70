#pragma once
// ViewReader: the records of one data file as a list or a report sees them, a few at a time.
//
// A view is a file in one key order (or file order, or a sorted order that no key gives),
// optionally narrowed by a range (records between a low and a high key value that satisfy a bound
// test) and by named filters. Every read positions with one index search and reads only the records
// asked for (plus those the filters skip), so a page costs the same at the start, the middle and
// the end of a large file. No read statement stays open between calls: callers may yield between
// any two calls.
//
// Not thread-safe: a view belongs to the thread whose store connection it reads.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/store/connection.h"
#include "runtime/store/sort_snapshot.h"

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
  void SetKeyOrder(int key);
  int keyOrder() const { return key_; }
  // A sorted order: the records in the order of `parts`, read from a snapshot of the file taken
  // at the first read after this call (see store::SortSnapshot: a page costs the same anywhere,
  // records added since do not show until Resort). A range then only filters. The order already
  // set keeps its snapshot.
  // When a key of the file gives that very order (see keyGivingOrder), the view reads that key
  // instead and takes no snapshot: the same records in the same order, without sorting the file.
  void SetSortOrder(std::vector<store::SortPart> parts);
  bool sorted() const { return sorted_; }
  // Takes the sorted order's snapshot again at the next read when the file has changed since it
  // was taken (here or at another station); an unchanged file keeps it, at the cost of one look
  // at the file's change stamp.
  void Resort();
  // The next read takes a snapshot (it may take a while on a large file).
  bool snapshotDue() const { return snapshotted() && !snapshot_; }
  // What taking a snapshot calls between its steps (see store::SortSnapshot): the list lets the
  // other threads take their turn there.
  void SetPause(store::SortSnapshot::Pause pause) { pause_ = std::move(pause); }

  // The key whose order, read forwards or (for a descending part) backwards, is exactly the order
  // of `parts`, or -1: one part on the one field of an auto-numbered key (every record has its
  // number, so none is missing from the key). Keys compare text without regard to case, but an
  // auto-numbered key's field is a number.
  static int keyGivingOrder(const store::FileDecl& decl, const std::vector<store::SortPart>& parts);
  // The snapshots taken by every view so far (for tests).
  static int TEST_snapshotsTaken();

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

  // Takes the storage of records read earlier that the caller is done with, for the next reads
  // to fill again: a long scan that hands them back allocates nothing per record. Leaves `done`
  // empty.
  void recycle(std::vector<store::RecordBuffer>& done);

 private:
  // Reads on from the sequence already set; `forward` gives the direction of the sequence.
  store::Code collect(bool forward, int count, std::vector<store::RecordBuffer>& out);
  bool passesFilters(const store::RecordBuffer& record) const;
  // Sorted order: reads on from place `from` of the snapshot, taking it first when needed.
  store::Code collectSorted(std::int64_t from, bool forward, int count,
                            std::vector<store::RecordBuffer>& out);
  // The place after (`forward`) or before the record `at`, which the snapshot may not hold.
  store::Code placeBeside(const store::RecordBuffer& at, bool forward, std::int64_t* place);
  store::Code snapshot();
  // Sorted from a snapshot (not read through a key that gives the order).
  bool snapshotted() const { return sorted_ && sortKey_ < 0; }
  // The key the reads follow: the key order's, or the key that gives the sorted order.
  int readKey() const { return sorted_ ? sortKey_ : key_; }

  store::Connection& connection_;
  store::FileId file_;
  const store::FileDecl& decl_;
  int key_ = -1;
  bool sorted_ = false;
  std::vector<store::SortPart> sortParts_;
  int sortKey_ = -1;               // the key that gives the sorted order, or -1
  bool sortKeyBackwards_ = false;  // the sorted order is that key read backwards
  std::unique_ptr<store::SortSnapshot> snapshot_;
  store::SortSnapshot::Pause pause_;
  struct Range {
    store::RecordBuffer low;
    store::RecordBuffer high;
    Predicate within;
  };
  std::optional<Range> range_;
  std::map<std::string, Predicate> filters_;
  std::vector<store::RecordBuffer> spare_;  // see recycle()
};

}  // namespace trv::view
