// The case export and the client import against raw floors, over generated cases (histories of
// a few hundred bytes, escalation moments, varied times). Export: the export procedure on a
// program thread against a raw SQLite SELECT of the same rows plus a write of the identical
// bytes; the export's formatting over the store's reader against that reader plus the write.
// Import: address-book lines (new, updated and refused ones) through the importer, against raw
// SQLite inserts and updates, in one transaction, of the very rows the importer writes; and
// against adding as many records in one transaction. And the longest wait of another thread's
// window while the export or the import runs on a program thread, against 50 ms. Prints RATIO
// lines last. TRV_BENCH_CASES sets the number of cases (see bench_support.h); the import reads
// a tenth as many lines.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/window_wait.h"
#include "cases/export/export_file.h"
#include "cases/export/export_line.h"
#include "core/clients/client_importer.h"
#include "core/data/files.h"
#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/view/view_reader.h"

namespace {

using namespace trv;
namespace fs = std::filesystem;

constexpr int kBatch = 200;

fs::path benchFolder() {
  static const fs::path dir =
      fs::temp_directory_path() / ("trv_bench_export_" + std::to_string(::getpid()));
  return dir;
}

struct CaseFile {
  store::Connection conn;
  store::FileId id = -1;
  const store::FileDecl& decl = core::declaration(core::DataFile::Sercase);

  CaseFile() {
    fs::create_directories(benchFolder());
    if (conn.open(decl, bench::caseFilePath(), store::OpenMode::Shared, &id) != store::Ok)
      std::abort();
    conn.setSequenceMemos(id, false);  // the export writes no memo
  }
  ~CaseFile() {
    conn.close(id);
    fs::remove_all(benchFolder());
  }
};

CaseFile& caseFile() {
  static CaseFile f;
  return f;
}

template <class Each>
void scan(Each each) {
  CaseFile& f = caseFile();
  view::ViewReader v(f.conn, f.id, f.decl);
  v.SetKeyOrder(-1);
  std::vector<store::RecordBuffer> rows;
  if (v.first(kBatch, rows) != store::Ok) std::abort();
  store::RecordBuffer last;
  while (!rows.empty()) {
    for (const store::RecordBuffer& r : rows) each(r);
    last = rows.back();
    v.recycle(rows);  // as the export's record loop does
    if (v.after(last, kBatch, rows) != store::Ok) std::abort();
  }
}

const core::SercaseRecord& caseOf(const store::RecordBuffer& b) {
  return *reinterpret_cast<const core::SercaseRecord*>(b.record.data());
}

// The export's bytes, made once for the raw write.
const std::string& exportBytes() {
  static const std::string bytes = [] {
    std::string s;
    cases::ExportFormatter formatter;
    scan([&](const store::RecordBuffer& r) { formatter.appendLine(caseOf(r), s); });
    return s;
  }();
  return bytes;
}

void BM_RawReadWrite(benchmark::State& state) {
  const std::string& bytes = exportBytes();
  for (auto _ : state) {
    std::uint64_t sum = 0;
    scan([&](const store::RecordBuffer& r) { sum += caseOf(r).CaseNr; });
    std::ofstream out(benchFolder() / "raw.csv", std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_RawReadWrite)->Unit(benchmark::kMillisecond);

void BM_Export(benchmark::State& state) {
  for (auto _ : state) {
    std::ofstream out(benchFolder() / "cases.csv", std::ios::binary | std::ios::trunc);
    cases::ExportFormatter formatter;
    std::string line;
    scan([&](const store::RecordBuffer& r) {
      if (caseOf(r).CaseNr == 0) return;
      line.clear();
      formatter.appendLine(caseOf(r), line);
      out.write(line.data(), static_cast<std::streamsize>(line.size()));
    });
    out.close();
  }
}
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond);

// The floor: the same rows straight from SQLite in the same order, each record decoded, and the
// identical bytes written.
void BM_RawSqliteExport(benchmark::State& state) {
  const std::string& bytes = exportBytes();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(bench::caseFilePath().c_str(), &db,
                      SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
    std::abort();
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT id, data FROM records ORDER BY id", -1, &s, nullptr) !=
      SQLITE_OK)
    std::abort();
  for (auto _ : state) {
    std::uint64_t sum = 0;
    core::SercaseRecord r;
    while (sqlite3_step(s) == SQLITE_ROW) {
      if (sqlite3_column_bytes(s, 1) != sizeof r) std::abort();
      std::memcpy(static_cast<void*>(&r), sqlite3_column_blob(s, 1), sizeof r);
      sum += r.CaseNr;
    }
    sqlite3_reset(s);
    std::ofstream out(benchFolder() / "raw.csv", std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
}
BENCHMARK(BM_RawSqliteExport)->Unit(benchmark::kMillisecond)->UseRealTime();

// A program over the generated database, as the program body makes it before the first window.
struct Program {
  fs::path folder = benchFolder() / "program";
  text::ManualClock clock{bench::benchToday(), *text::timeNumber(10, 0)};
  ui::HeadlessFrontEnd frontEnd;
  ui::UiRuntime rt{clock, frontEnd};
  core::ProgramState state{
      core::ProgramEnvironment{clock, rt, nullptr, folder / "config", folder, nullptr, nullptr}};

  Program() {
    fs::create_directories(folder / "config");
    fs::create_directories(folder / "export");
    state.AppMessages.Init();
    state.AppSettings.Init(folder / "config", core::kIniFileName);
    state.dictionary.setUp(state.AppMessages);
    state.AppTitle = core::kAppTitle;
    state.ProgramFolder = folder.string();
    state.DatabaseFolder = bench::databaseFolder();
    state.dictionary.setNames(state.DatabaseFolder);
    (void)state.AppSettings.WriteValue("Config", "Export", (folder / "export").string());
  }
  ~Program() {
    rt.endProgram();
    (void)rt.waitFinished(std::chrono::seconds(30));
    state.dictionary.release();
  }
  // The export procedure on a program thread; true when it wrote the whole file.
  bool exportCases() {
    std::uint8_t failed = 0;
    cases::ProcessExportFile(state, failed);
    return failed == 0;
  }
};

Program& program() {
  static Program p;
  return p;
}

// The export procedure itself, progress window and all, on a program thread: wall time.
void BM_ExportFile(benchmark::State& state) {
  Program& p = program();
  for (auto _ : state) {
    bool ok = false;
    double seconds = 0;
    if (p.rt.start([&] {
          const auto from = std::chrono::steady_clock::now();
          ok = p.exportCases();
          seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
        }) == 0 ||
        !p.rt.waitFinished(std::chrono::minutes(10)) || !ok) {
      state.SkipWithError("the export failed");
      break;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_ExportFile)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_ExportWait(benchmark::State& state) {
  Program& p = program();
  for (auto _ : state) {
    bool ok = false;
    const double wait = bench::longestWindowWait(p.rt, [&] { ok = p.exportCases(); });
    if (wait < 0 || !ok) {
      state.SkipWithError("the export failed");
      break;
    }
    state.SetIterationTime(wait);
  }
}
BENCHMARK(BM_ExportWait)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// --- the import ---

int lineCount() {
  return std::max(100, bench::caseCount() / 10);
}

std::string field29(const std::string& first, const std::string& last, const std::string& email,
                    const std::string& company) {
  std::string f[29];
  f[0] = first, f[1] = last, f[3] = first + " " + last, f[5] = email, f[15] = "1 Mill Road";
  f[16] = "Leeds", f[17] = "LS1", f[21] = "0113 496", f[24] = company, f[28] = "imported";
  std::string s;
  for (int i = 0; i < 29; ++i) s += (i ? "," : "") + f[i];
  return s;
}

// Lines: a quarter update clients that exist, a tenth are refused, the rest are new.
const std::string& importText() {
  static const std::string text = [] {
    std::string s = "First Name,Last Name\r\n";
    for (int i = 0; i < lineCount(); ++i) {
      const std::string n = std::to_string(i);
      if (i % 10 == 0)
        s += field29("Finn", "O'Brien" + n, "finn@example.com", "") + "\r\n";
      else if (i % 4 == 1)
        s += field29("Old", "Client" + n, "old" + n + "@example.com", "") + "\r\n";
      else
        s +=
            field29("New", "Person" + n, "new" + n + "@example.com", "K" + n + " Trading") + "\r\n";
    }
    return s;
  }();
  return text;
}

struct ClientFile {
  store::Connection conn;
  store::FileId id = -1;
  const store::FileDecl& decl = core::declaration(core::DataFile::Client);
  explicit ClientFile(const std::string& name) {
    const fs::path p = benchFolder() / name;
    fs::remove(p);
    if (conn.open(decl, p.string(), store::OpenMode::Shared, &id) != store::Ok) std::abort();
    if (conn.begin() != store::Ok) std::abort();
    for (int i = 1; i < lineCount(); i += 4) {
      store::RecordBuffer b(decl);
      auto& r = *reinterpret_cast<core::ClientRecord*>(b.record.data());
      r = core::ClientRecord();
      r.LName = "Client" + std::to_string(i);
      r.SName = "O" + std::to_string(i);
      r.Email = "old" + std::to_string(i) + "@example.com";
      if (conn.add(id, b) != store::Ok) std::abort();
    }
    if (conn.commit() != store::Ok) std::abort();
  }
  ~ClientFile() { conn.close(id); }
};

void BM_RawInsert(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    ClientFile f("RawClient.kvx");
    state.ResumeTiming();
    if (f.conn.begin() != store::Ok) std::abort();
    for (int i = 0; i < lineCount(); ++i) {
      store::RecordBuffer b(f.decl);
      auto& r = *reinterpret_cast<core::ClientRecord*>(b.record.data());
      r = core::ClientRecord();
      r.LName = "Raw Person" + std::to_string(i);
      r.SName = "R" + std::to_string(i);
      r.Email = "new" + std::to_string(i) + "@example.com";
      r.Address = "1 Mill Road";
      if (f.conn.add(f.id, b) != store::Ok) std::abort();
    }
    if (f.conn.commit() != store::Ok) std::abort();
  }
}
BENCHMARK(BM_RawInsert)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Import(benchmark::State& state) {
  std::uint64_t rejected = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ClientFile f("Client.kvx");
    fs::remove(benchFolder() / "ImportError.log");
    std::istringstream in(importText());
    state.ResumeTiming();
    core::ClientImporter importer(f.conn, f.id, f.decl, benchFolder() / "ImportError.log", 73000,
                                  1);
    std::string failure;
    if (!importer.run(in, {}, &failure)) state.SkipWithError(failure.c_str());
    rejected = importer.rejected();
  }
  state.counters["rejected"] = static_cast<double>(rejected);
}
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond)->Iterations(2);

// The rows of a client file as stored, every column.
struct Rows {
  std::vector<std::string> columns;
  std::vector<std::vector<sqlite3_value*>> rows;  // column 0 is the row id
  Rows() = default;
  Rows(const Rows&) = delete;
  Rows& operator=(const Rows&) = delete;
  ~Rows() {
    for (auto& r : rows)
      for (sqlite3_value* v : r) sqlite3_value_free(v);
  }
  void read(const fs::path& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
      std::abort();
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT * FROM records ORDER BY id", -1, &s, nullptr) != SQLITE_OK)
      std::abort();
    columns.clear();
    for (int c = 0; c < sqlite3_column_count(s); ++c) columns.push_back(sqlite3_column_name(s, c));
    while (sqlite3_step(s) == SQLITE_ROW) {
      std::vector<sqlite3_value*>& r = rows.emplace_back();
      for (int c = 0; c < sqlite3_column_count(s); ++c)
        r.push_back(sqlite3_value_dup(sqlite3_column_value(s, c)));
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
  }
};

bool sameValue(sqlite3_value* a, sqlite3_value* b) {
  const int n = sqlite3_value_bytes(a);
  return sqlite3_value_type(a) == sqlite3_value_type(b) && n == sqlite3_value_bytes(b) &&
         std::memcmp(sqlite3_value_blob(a), sqlite3_value_blob(b), static_cast<std::size_t>(n)) ==
             0;
}

// What the importer writes, found by importing once: rows new to the file, and rows changed.
struct ImportWrites {
  Rows before, after;
  std::vector<const std::vector<sqlite3_value*>*> inserted, updated;
  ImportWrites() {
    {
      ClientFile f("Probe.kvx");
      fs::remove(benchFolder() / "ProbeError.log");
      before.read(benchFolder() / "Probe.kvx");
      std::istringstream in(importText());
      core::ClientImporter importer(f.conn, f.id, f.decl, benchFolder() / "ProbeError.log", 73000,
                                    1);
      std::string failure;
      if (!importer.run(in, {}, &failure)) std::abort();
    }
    after.read(benchFolder() / "Probe.kvx");
    std::map<std::int64_t, const std::vector<sqlite3_value*>*> old;
    for (const auto& r : before.rows) old[sqlite3_value_int64(r[0])] = &r;
    for (const auto& r : after.rows) {
      auto it = old.find(sqlite3_value_int64(r[0]));
      if (it == old.end()) {
        inserted.push_back(&r);
        continue;
      }
      for (std::size_t c = 1; c < r.size(); ++c)
        if (!sameValue(r[c], (*it->second)[c])) {
          updated.push_back(&r);
          break;
        }
    }
  }
};

const ImportWrites& importWrites() {
  static const ImportWrites w;
  return w;
}

// The floor of the import: the very rows it writes, inserted and updated straight in SQLite in
// one transaction.
void BM_RawSqliteImport(benchmark::State& state) {
  const ImportWrites& w = importWrites();
  const std::vector<std::string>& cols = w.after.columns;
  std::string insert = "INSERT INTO records (", values, update = "UPDATE records SET ";
  for (std::size_t c = 0; c < cols.size(); ++c) {
    insert += (c ? ", \"" : "\"") + cols[c] + "\"";
    values += (c ? ", ?" : "?") + std::to_string(c + 1);
    if (c > 0) update += (c > 1 ? ", \"" : "\"") + cols[c] + "\" = ?" + std::to_string(c + 1);
  }
  insert += ") VALUES (" + values + ")";
  update += " WHERE id = ?1";
  for (auto _ : state) {
    state.PauseTiming();
    { ClientFile f("RawSql.kvx"); }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2((benchFolder() / "RawSql.kvx").c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
      std::abort();
    state.ResumeTiming();
    sqlite3_stmt* ins = nullptr;
    sqlite3_stmt* upd = nullptr;
    if (sqlite3_prepare_v2(db, insert.c_str(), -1, &ins, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, update.c_str(), -1, &upd, nullptr) != SQLITE_OK)
      std::abort();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (auto* rows : {&w.updated, &w.inserted}) {
      sqlite3_stmt* s = rows == &w.updated ? upd : ins;
      for (const std::vector<sqlite3_value*>* r : *rows) {
        for (std::size_t c = 0; c < r->size(); ++c)
          sqlite3_bind_value(s, static_cast<int>(c + 1), (*r)[c]);
        if (sqlite3_step(s) != SQLITE_DONE) std::abort();
        sqlite3_reset(s);
      }
    }
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
    sqlite3_finalize(ins);
    sqlite3_finalize(upd);
    sqlite3_close(db);
  }
  state.counters["inserted"] = static_cast<double>(w.inserted.size());
  state.counters["updated"] = static_cast<double>(w.updated.size());
}
BENCHMARK(BM_RawSqliteImport)->Unit(benchmark::kMillisecond)->Iterations(2);

// The importer on a program thread that yields after each group and commits without the baton,
// as the import window runs it.
void BM_ImportWait(benchmark::State& state) {
  for (auto _ : state) {
    ClientFile f("WaitClient.kvx");
    fs::remove(benchFolder() / "WaitError.log");
    std::istringstream in(importText());
    text::ManualClock clock{bench::benchToday(), *text::timeNumber(10, 0)};
    ui::HeadlessFrontEnd fe;
    ui::UiRuntime rt(clock, fe);
    bool ok = false;
    const double wait = bench::longestWindowWait(rt, [&] {
      core::ClientImporter importer(f.conn, f.id, f.decl, benchFolder() / "WaitError.log", 73000,
                                    1);
      std::string failure;
      ok = importer.run(
          in, {}, &failure, [&] { return rt.yieldBaton(); },
          [&](const std::function<void()>& commit) { rt.withoutBaton(commit); });
    });
    if (wait < 0 || !ok) {
      state.SkipWithError("the import failed");
      break;
    }
    state.SetIterationTime(wait);
  }
}
BENCHMARK(BM_ImportWait)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  (void)caseFile();  // generated before any timing
  (void)exportBytes();
  (void)importText();
  (void)importWrites();
  (void)program();
  // The import's commits wait for the disk: its ratio to the records added is of wall times;
  // to the raw rows, of the processor time it takes. The export procedure runs on a program
  // thread and times itself.
  return bench::runBenchmarks(
      argc, argv,
      {{"export_vs_raw_read_write", "BM_Export", "BM_RawReadWrite"},
       {"import_vs_raw_insert", "BM_Import/iterations:2", "BM_RawInsert/iterations:2",
        bench::Ratio::kWall},
       {"export_vs_raw_sqlite", "BM_ExportFile/manual_time", "BM_RawSqliteExport/real_time",
        bench::Ratio::kWall},
       {"import_vs_raw_sqlite", "BM_Import/iterations:2", "BM_RawSqliteImport/iterations:2"},
       {"wait_export_vs_50ms", "BM_ExportWait/iterations:1/manual_time", "", bench::Ratio::kWall,
        50e6},
       {"wait_import_vs_50ms", "BM_ImportWait/iterations:1/manual_time", "", bench::Ratio::kWall,
        50e6}});
}
