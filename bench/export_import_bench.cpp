// The case export and the client import against raw baselines. Export: every case read in file
// order, formatted and written, against the same read plus a write of the same bytes. Import:
// address-book lines (new, updated and refused ones) through the importer, against adding the
// same number of records in one transaction. Prints RATIO lines last.
// TRV_BENCH_CASES sets the number of cases (see bench_support.h); the import reads a tenth as
// many lines.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "bench/bench_support.h"
#include "cases/export/export_line.h"
#include "core/clients/client_importer.h"
#include "core/data/files.h"
#include "core/data/records.h"
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
  int count = bench::caseCount();

  CaseFile() {
    fs::create_directories(benchFolder());
    if (conn.open(decl, (benchFolder() / "Sercase.kvx").string(), store::OpenMode::Shared, &id) !=
        store::Ok)
      std::abort();
    if (conn.begin() != store::Ok) std::abort();
    for (int i = 1; i <= count; ++i) {
      store::RecordBuffer b(decl);
      auto& r = *reinterpret_cast<core::SercaseRecord*>(b.record.data());
      r = core::SercaseRecord();
      r.CaseNr = static_cast<std::uint32_t>(i);
      r.SName = "C" + std::to_string(i % 5000);
      r.LName = "Client \"" + std::to_string(i % 5000) + "\" Ltd";
      r.IDProduct = "WIDGET-" + std::to_string(i % 40);
      r.SProblem = "The printer jams after " + std::to_string(i % 97) + " pages, again";
      r.Status = i % 3 == 0 ? "Closed" : "Active";
      r.Owner = "Agent" + std::to_string(i % 17);
      r.SDate = 73000 + i % 365;
      r.STime = 1 + (i % 8640) * 1000;
      if (i % 3 == 0) r.Cdate = r.SDate + 2;
      if (conn.add(id, b) != store::Ok) std::abort();
    }
    if (conn.commit() != store::Ok) std::abort();
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
  while (!rows.empty()) {
    for (const store::RecordBuffer& r : rows) each(r);
    const store::RecordBuffer last = rows.back();
    rows.clear();
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
    scan([&](const store::RecordBuffer& r) { s += cases::exportLine(caseOf(r)); });
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

}  // namespace

int main(int argc, char** argv) {
  (void)caseFile();  // generated before any timing
  (void)exportBytes();
  (void)importText();
  // The import's commits wait for the disk: its ratio is of wall times.
  return bench::runBenchmarks(argc, argv,
                              {{"export_vs_raw_read_write", "BM_Export", "BM_RawReadWrite"},
                               {"import_vs_raw_insert", "BM_Import/iterations:2",
                                "BM_RawInsert/iterations:2", bench::Ratio::kWall}});
}
