#pragma once
// SortSnapshot: the records of a data file in an order that no key of the file gives (a list
// sorted by one of its columns), taken once and then read a page at a time.
//
// Taking a snapshot reads every record of the file once, a slice at a time, computes each one's
// sort value, sorts the (value, row) pairs and keeps them in memory in order, with each row's
// place, so that a page can go on from any record. Each read then reads the records at its places
// by their rows, so a page costs the same anywhere in the order and nothing is sorted again until
// the next snapshot. Records are read as they are now: one changed since the snapshot keeps its
// place and shows its new values, one deleted since is skipped, one added since is not in it. The
// snapshot keeps the file's change stamp from before it read the file, so its holder can tell
// whether it still shows the file.
//
// Sort values are byte strings whose plain byte order (memcmp) is the order: text upper-cased
// (Windows-1252) when compared without regard to case, trailing blanks dropped, ended by a zero
// byte; numbers as in key images; a descending part has its bytes inverted. Equal values keep
// the order of their rows, so paging is stable.
//
// Taking a snapshot of a large file is long work: it calls the pause it is given between its
// steps, at most about 10 ms of work apart, with no statement open (outside a transaction: inside
// one it never pauses), so the caller can let other threads run.
//
// A snapshot belongs to the connection (and thread) it was taken on and must go before that
// connection does; the file may close first (reads then fail with its code). No read statement
// stays open when an operation returns.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/store/connection.h"

namespace trv::store {

// One part of a sort order: a field of the record and its direction.
struct SortPart {
  int field = -1;  // index in the file's declaration
  bool descending = false;
  bool caseBlind = true;  // text compared without regard to letter case
  friend bool operator==(const SortPart&, const SortPart&) = default;
};

// The sort value of a record for the parts (see above).
std::string sortValue(const FileDecl& decl, const std::vector<SortPart>& parts, const char* record);
// Where a step locator starts: the first part's value without its text terminator, so that it
// comes before every value that begins with the same text (in either direction).
std::string sortPrefix(const FileDecl& decl, const std::vector<SortPart>& parts,
                       const char* record);

class SortSnapshot {
 public:
  ~SortSnapshot();
  SortSnapshot(const SortSnapshot&) = delete;
  SortSnapshot& operator=(const SortSnapshot&) = delete;

  // Called between the steps of taking a snapshot; false: the caller's program is ending, and it
  // is not called again.
  using Pause = std::function<bool()>;

  // Takes a snapshot of the open file `file` in the order of `parts` (fields that the file does
  // not have are left out). Ok, or the store's failure code with the last error set.
  [[nodiscard]] static Code take(Connection& connection, FileId file, std::vector<SortPart> parts,
                                 std::unique_ptr<SortSnapshot>* out, const Pause& pause = {});

  const std::vector<SortPart>& parts() const { return parts_; }
  // The number of records in the snapshot.
  std::int64_t size() const { return static_cast<std::int64_t>(order_.size()); }
  // The file's change stamp (Connection::changeStamp) from before the snapshot read it.
  std::uint64_t stamp() const { return stamp_; }

  // Appends up to `count` records to `out`, from place `from` (0-based) onwards (or backwards),
  // skipping those deleted since; `places` receives each one's place. Fewer than `count` only at
  // the end of the order.
  [[nodiscard]] Code read(std::int64_t from, bool forward, int count,
                          std::vector<RecordBuffer>& out, std::vector<std::int64_t>& places);
  // The place of the record at `row`; -1 when the record is not in the snapshot.
  [[nodiscard]] Code placeOf(std::int64_t row, std::int64_t* place) const;
  // The first place whose (value, row) is at or after (value, row); size() when there is none.
  [[nodiscard]] Code lowerBound(std::string_view value, std::int64_t row, std::int64_t* place);

  // The plans of the statements that read and find places (for tests: searches, never scans).
  std::string TEST_plans();

 private:
  SortSnapshot(Connection& connection, FileId file, std::vector<SortPart> parts);
  Code build(const Pause& pause);
  struct Statements;

  Connection& connection_;
  FileId file_;
  std::vector<SortPart> parts_;
  std::uint64_t stamp_ = 0;
  std::vector<std::int64_t> order_;           // the row at each place
  std::vector<std::int64_t> rows_;            // every row of the snapshot, ascending
  std::vector<std::int64_t> placeOfScanned_;  // the place of rows_[i]
  std::string arena_;                         // the sort values, one after the other
  std::vector<std::pair<std::uint32_t, std::uint32_t>> values_;  // each place's, in arena_
  std::unique_ptr<Statements> statements_;
};

}  // namespace trv::store
