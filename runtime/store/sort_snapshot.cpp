#include "runtime/store/sort_snapshot.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "runtime/store/record_codec.h"
#include "runtime/store/sqlite_util.h"
#include "runtime/text/charset.h"

namespace trv::store {

using detail::fromSqlite;
using detail::sqlName;
using detail::Use;

namespace {

bool isText(FieldType t) {
  return t == FieldType::String || t == FieldType::CString;
}

// A text field without trailing blanks (and, for a zero-ended one, without what follows the zero).
std::string_view textOf(const FieldDecl& f, const char* record) {
  std::string_view raw(record + f.offset, f.width);
  if (f.type == FieldType::CString) raw = raw.substr(0, strnlen(raw.data(), raw.size()));
  while (!raw.empty() && raw.back() == ' ') raw.remove_suffix(1);
  return raw;
}

// Appends one part's image; `terminated` false leaves a text without its ending zero.
void appendPart(const FileDecl& decl, const SortPart& p, const char* record, bool terminated,
                std::string& out) {
  const std::size_t start = out.size();
  const FieldDecl& f = decl.fields[static_cast<std::size_t>(p.field)];
  if (isText(f.type)) {
    for (char ch : textOf(f, record)) {
      const char c = p.caseBlind ? text::upper1252(ch) : ch;
      // Zero and one are escaped so that the terminator sorts a shorter text first.
      if (c == '\0' || c == '\1') {
        out += '\1';
        out += static_cast<char>(c + 1);
      } else {
        out += c;
      }
    }
    if (terminated) out += '\0';
  } else {
    out += numberImage(f.type, readNumber(f, record));
  }
  if (p.descending)
    for (std::size_t i = start; i < out.size(); ++i) out[i] = static_cast<char>(~out[i]);
}

bool usable(const FileDecl& decl, const SortPart& p) {
  return p.field >= 0 && static_cast<std::size_t>(p.field) < decl.fields.size();
}

using Clock = std::chrono::steady_clock;
// Work between two pauses: well inside the 20 ms that other threads may be kept waiting.
constexpr auto kPauseEvery = std::chrono::milliseconds(4);

// One record's place in the sort: the first eight bytes of its value as a number decide most
// comparisons; the whole value is in the arena.
struct Entry {
  std::uint64_t head;
  std::uint32_t offset;
  std::uint32_t size;
  std::uint32_t scanned;  // its index in the scan, which is in row order
};

std::uint64_t headOf(std::string_view v) {
  std::uint64_t h = 0;
  for (std::size_t i = 0; i < 8; ++i)
    h = (h << 8) | (i < v.size() ? static_cast<unsigned char>(v[i]) : 0u);
  return h;
}

// Calls the pause when its time has come; inside a transaction never (nothing may wait on it).
class Pacer {
 public:
  Pacer(const SortSnapshot::Pause& pause, bool allowed)
      : pause_(allowed ? &pause : nullptr), last_(Clock::now()) {}
  // Cheap enough to call for every few hundred items of work.
  void tick() {
    if (pause_ == nullptr || !*pause_ || Clock::now() - last_ < kPauseEvery) return;
    if (!(*pause_)()) pause_ = nullptr;
    last_ = Clock::now();
  }

 private:
  const SortSnapshot::Pause* pause_;
  Clock::time_point last_;
};

// The most the values' room is reserved for before the read; beyond it, it grows as it fills.
constexpr std::size_t kArenaReserve = std::size_t{1} << 28;

// The most rows the file can hold: its highest row less its lowest, plus one (0 when empty or
// unknown); at most a few million, so that a file of few rows over a long span of them
// reserves little.
std::size_t rowSpan(const RawFile& raw) {
  sqlite3_stmt* s = nullptr;
  const std::string table = raw.schema + ".records";
  const std::string sql =
      "SELECT (SELECT max(id) FROM " + table + ") - (SELECT min(id) FROM " + table + ") + 1";
  std::int64_t span = 0;
  if (sqlite3_prepare_v2(raw.db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
      sqlite3_step(s) == SQLITE_ROW)
    span = sqlite3_column_int64(s, 0);
  sqlite3_finalize(s);
  return static_cast<std::size_t>(std::clamp<std::int64_t>(span, 0, std::int64_t{1} << 22));
}

}  // namespace

std::string sortValue(const FileDecl& decl, const std::vector<SortPart>& parts,
                      const char* record) {
  std::string v;
  for (const SortPart& p : parts)
    if (usable(decl, p)) appendPart(decl, p, record, true, v);
  return v;
}

std::string sortPrefix(const FileDecl& decl, const std::vector<SortPart>& parts,
                       const char* record) {
  std::string v;
  for (const SortPart& p : parts) {
    if (!usable(decl, p)) continue;
    appendPart(decl, p, record, false, v);
    break;
  }
  return v;
}

// The snapshot's prepared statements, made again when its file is attached under another schema.
struct SortSnapshot::Statements {
  sqlite3* db = nullptr;
  std::string schema;
  sqlite3_stmt* record = nullptr;  // a whole record by its row

  ~Statements() { clear(); }
  Statements& on(const RawFile& raw) {
    if (db != raw.db || schema != raw.schema) {
      clear();
      db = raw.db;
      schema = raw.schema;
    }
    return *this;
  }
  void clear() {
    sqlite3_finalize(record);
    record = nullptr;
    db = nullptr;
  }
};

SortSnapshot::SortSnapshot(Connection& connection, FileId file, std::vector<SortPart> parts)
    : connection_(connection),
      file_(file),
      parts_(std::move(parts)),
      statements_(std::make_unique<Statements>()) {}

SortSnapshot::~SortSnapshot() = default;

Code SortSnapshot::take(Connection& connection, FileId file, std::vector<SortPart> parts,
                        std::unique_ptr<SortSnapshot>* out, const Pause& pause) {
  clearError();
  std::unique_ptr<SortSnapshot> s(new SortSnapshot(connection, file, std::move(parts)));
  if (const Code c = s->build(pause); c != Ok) return c;
  *out = std::move(s);
  return Ok;
}

Code SortSnapshot::build(const Pause& pause) {
  // Stamped first: a change made while the file is read makes the snapshot out of date.
  if (const Code c = connection_.changeStamp(file_, &stamp_); c != Ok) return c;
  Pacer pacer(pause, !connection_.inTransaction());
  RawFile raw = connection_.raw(file_);
  if (raw.db == nullptr) return setError(FileNotOpen);
  const FileDecl& decl = *raw.decl;

  // Only the bytes of the sorted fields are read.
  std::size_t lo = decl.recordSize;
  std::size_t hi = 0;
  for (const SortPart& p : parts_) {
    if (!usable(decl, p)) continue;
    const FieldDecl& f = decl.fields[static_cast<std::size_t>(p.field)];
    lo = std::min<std::size_t>(lo, f.offset);
    hi = std::max<std::size_t>(hi, f.offset + f.width);
  }
  if (hi <= lo) lo = hi = 0;

  std::vector<Entry> entries;
  std::string arena;
  rows_.clear();
  placeOfScanned_.clear();
  order_.clear();
  values_.clear();
  // Room for the rows the file can hold, and for their values without escapes, taken before the
  // read: grown on the way, the lists would be copied whole in one stretch each time (tens of
  // milliseconds near the end of a large file). Only what is used is ever touched.
  if (const std::size_t span = rowSpan(raw); span > 0) {
    std::size_t bound = 0;
    for (const SortPart& p : parts_)
      if (usable(decl, p)) bound += decl.fields[static_cast<std::size_t>(p.field)].width + 1;
    entries.reserve(span);
    rows_.reserve(span);
    arena.reserve(std::min(span * bound, kArenaReserve));
  }

  {
    // A slice of rows at a time, each slice its own read, so the pauses hold no lock.
    sqlite3_stmt* scan = nullptr;
    const std::string sql = "SELECT id, substr(data, " + std::to_string(lo + 1) + ", " +
                            std::to_string(hi - lo) + ") FROM " + raw.schema +
                            ".records WHERE id > ?1 ORDER BY id LIMIT ?2";
    if (int rc = sqlite3_prepare_v2(raw.db, sql.c_str(), -1, &scan, nullptr); rc != SQLITE_OK) {
      sqlite3_finalize(scan);
      return fromSqlite(raw.db, rc);
    }
    std::string record(decl.recordSize, '\0');
    std::int64_t after = 0;
    for (;;) {
      sqlite3_bind_int64(scan, 1, after);
      sqlite3_bind_int(scan, 2, 1024);
      int rc = SQLITE_ROW;
      int read = 0;
      while ((rc = sqlite3_step(scan)) == SQLITE_ROW) {
        ++read;
        const auto* data = static_cast<const char*>(sqlite3_column_blob(scan, 1));
        const auto bytes =
            std::min(static_cast<std::size_t>(sqlite3_column_bytes(scan, 1)), hi - lo);
        // A damaged record sorts as blanks where it has no bytes.
        if (data != nullptr) std::memcpy(record.data() + lo, data, bytes);
        if (bytes < hi - lo) std::memset(record.data() + lo + bytes, 0, hi - lo - bytes);
        const std::int64_t row = sqlite3_column_int64(scan, 0);
        const std::size_t start = arena.size();
        for (const SortPart& p : parts_)
          if (usable(decl, p)) appendPart(decl, p, record.data(), true, arena);
        const std::string_view value(arena.data() + start, arena.size() - start);
        entries.push_back({headOf(value), static_cast<std::uint32_t>(start),
                           static_cast<std::uint32_t>(value.size()),
                           static_cast<std::uint32_t>(rows_.size())});
        rows_.push_back(row);
        after = row;
      }
      sqlite3_reset(scan);
      if (rc != SQLITE_DONE) {
        const Code c = fromSqlite(raw.db, rc);
        sqlite3_finalize(scan);
        return c;
      }
      if (read == 0) break;
      pacer.tick();
      // The pause may have let the file be closed.
      raw = connection_.raw(file_);
      if (raw.db == nullptr) {
        sqlite3_finalize(scan);
        return setError(FileNotOpen);
      }
    }
    sqlite3_finalize(scan);
  }
  const char* base = arena.data();
  auto less = [base](const Entry& a, const Entry& b) {
    if (a.head != b.head) return a.head < b.head;
    const int c = std::string_view(base + a.offset, a.size)
                      .compare(std::string_view(base + b.offset, b.size));
    return c != 0 ? c < 0 : a.scanned < b.scanned;
  };
  // Sorted in runs, then merged, with pauses between the steps.
  constexpr std::size_t kRun = 1 << 14;
  const std::size_t n = entries.size();
  for (std::size_t at = 0; at < n; at += kRun) {
    std::sort(entries.begin() + static_cast<std::ptrdiff_t>(at),
              entries.begin() + static_cast<std::ptrdiff_t>(std::min(n, at + kRun)), less);
    pacer.tick();
  }
  // Sized in steps: zeroing a large list in one go would be a long stretch of its own.
  const auto grow = [&pacer](auto& list, std::size_t size) {
    list.reserve(size);
    while (list.size() < size) {
      list.resize(std::min(size, list.size() + (std::size_t{1} << 16)));
      pacer.tick();
    }
  };
  std::vector<Entry> merged;
  grow(merged, n > kRun ? n : 0);
  for (std::size_t width = kRun; width < n; width *= 2) {
    for (std::size_t at = 0; at < n; at += 2 * width) {
      const std::size_t mid = std::min(n, at + width);
      const std::size_t end = std::min(n, at + 2 * width);
      std::size_t a = at, b = mid, o = at;
      while (a < mid && b < end) {
        merged[o++] = less(entries[b], entries[a]) ? entries[b++] : entries[a++];
        if ((o & 1023) == 0) pacer.tick();
      }
      while (a < mid) merged[o++] = entries[a++];
      while (b < end) merged[o++] = entries[b++];
    }
    entries.swap(merged);
    pacer.tick();
  }
  merged = {};

  grow(order_, n);
  grow(placeOfScanned_, n);
  grow(values_, n);
  for (std::size_t i = 0; i < n; ++i) {
    order_[i] = rows_[entries[i].scanned];
    placeOfScanned_[entries[i].scanned] = static_cast<std::int64_t>(i);
    values_[i] = {entries[i].offset, entries[i].size};
    if ((i & 4095) == 0) pacer.tick();
  }
  arena_ = std::move(arena);
  return Ok;
}

namespace {

sqlite3_stmt* prepared(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) !=
      SQLITE_OK) {
    fromSqlite(db, sqlite3_errcode(db));
    sqlite3_finalize(s);
    return nullptr;
  }
  return s;
}

// How many places a page reads in one statement.
constexpr int kBatch = 24;

// What a page reads: the records (with their memos) at up to kBatch places, by their rows.
std::string recordSql(const RawFile& raw) {
  std::string columns = "id, version, data";
  for (const MemoDecl& m : raw.decl->memos) columns += ", " + sqlName(m.name);
  std::string rows;
  for (int i = 1; i <= kBatch; ++i) rows += (i > 1 ? ", ?" : "?") + std::to_string(i);
  return "SELECT " + columns + " FROM " + raw.schema + ".records WHERE id IN (" + rows + ")";
}

}  // namespace

Code SortSnapshot::read(std::int64_t from, bool forward, int count, std::vector<RecordBuffer>& out,
                        std::vector<std::int64_t>& places) {
  clearError();
  if (count <= 0 || from < 0 || from >= size()) return Ok;
  const RawFile raw = connection_.raw(file_);
  if (raw.db == nullptr) return setError(FileNotOpen);
  Statements& st = statements_->on(raw);
  if (st.record == nullptr) {
    st.record = prepared(raw.db, recordSql(raw));
    if (st.record == nullptr) return lastError().code;
  }
  const std::size_t memos = raw.decl->memos.size();
  const int step = forward ? 1 : -1;
  int found = 0;
  std::int64_t at = from;
  // The places of a batch are read in one statement; the records come in row order and are put
  // back in the snapshot's.
  std::vector<std::pair<std::int64_t, RecordBuffer>> batch;
  while (found < count && at >= 0 && at < size()) {
    std::vector<std::int64_t> wanted;
    for (; static_cast<int>(wanted.size()) < kBatch && at >= 0 && at < size(); at += step)
      wanted.push_back(at);
    batch.clear();
    {
      Use u(st.record);
      for (int i = 0; i < kBatch; ++i) {
        if (i < static_cast<int>(wanted.size())) {
          u.bindInt(i + 1, order_[static_cast<std::size_t>(wanted[static_cast<std::size_t>(i)])]);
        } else {
          u.bindNull(i + 1);
        }
      }
      int rc = SQLITE_ROW;
      while ((rc = sqlite3_step(st.record)) == SQLITE_ROW) {
        RecordBuffer b(*raw.decl);
        b.record = u.blob(2);
        b.record.resize(raw.decl->recordSize, '\0');
        for (std::size_t m = 0; m < memos; ++m) b.memos[m] = u.blob(3 + static_cast<int>(m));
        b.position = {u.integer(0), u.integer(1)};
        batch.emplace_back(b.position.row, std::move(b));
      }
      if (rc != SQLITE_DONE) return fromSqlite(raw.db, rc);
    }
    std::sort(batch.begin(), batch.end(),
              [](const auto& x, const auto& y) { return x.first < y.first; });
    for (std::int64_t place : wanted) {
      if (found >= count) break;
      const std::int64_t row = order_[static_cast<std::size_t>(place)];
      const auto it = std::lower_bound(batch.begin(), batch.end(), row,
                                       [](const auto& x, std::int64_t r) { return x.first < r; });
      if (it == batch.end() || it->first != row) continue;  // deleted since
      places.push_back(place);
      out.push_back(std::move(it->second));
      ++found;
    }
  }
  return Ok;
}

Code SortSnapshot::placeOf(std::int64_t row, std::int64_t* place) const {
  clearError();
  const auto it = std::lower_bound(rows_.begin(), rows_.end(), row);
  *place = it != rows_.end() && *it == row
               ? placeOfScanned_[static_cast<std::size_t>(it - rows_.begin())]
               : -1;
  return Ok;
}

Code SortSnapshot::lowerBound(std::string_view value, std::int64_t row, std::int64_t* place) {
  clearError();
  // Places are in (value, row) order, by the values the snapshot found.
  std::int64_t lo = 0;
  std::int64_t hi = size();
  while (lo < hi) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    const auto m = static_cast<std::size_t>(mid);
    const std::string_view v(arena_.data() + values_[m].first, values_[m].second);
    const int c = v.compare(value);
    const bool before = c != 0 ? c < 0 : order_[m] < row;
    if (before) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  *place = lo;
  return Ok;
}

std::string SortSnapshot::TEST_plans() {
  const RawFile raw = connection_.raw(file_);
  if (raw.db == nullptr) return {};
  std::string plans;
  for (const std::string& sql : {recordSql(raw)}) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(raw.db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &s, nullptr) ==
        SQLITE_OK)
      while (sqlite3_step(s) == SQLITE_ROW)
        plans += std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 3))) + "\n";
    sqlite3_finalize(s);
  }
  return plans;
}

}  // namespace trv::store
