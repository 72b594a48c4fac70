#include "bench/bench_support.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>

#include "core/data/database_tool.h"
#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/store/connection.h"
#include "runtime/text/date_time.h"

namespace trv::bench {
namespace {

namespace fs = std::filesystem;
using core::SercaseRecord;

std::string history(std::mt19937& rng, int entries) {
  std::string h = "Case CREATED : 10/12/26 -  9:00  by Agent Agent07";
  for (int i = 0; i < entries; ++i)
    h += "\r\n\r\nReview Note: 10/12/26 - 10:15 by Agent Agent07             \r\nCalled the "
         "client back about the printer queue; waiting for the log files " +
         std::to_string(rng() % 1000);
  return h;
}

void generate(const std::string& path, int cases) {
  const store::FileDecl& d = core::declaration(core::DataFile::Sercase);
  store::Connection conn;
  store::FileId id = -1;
  if (conn.open(d, path, store::OpenMode::Shared, &id) != store::Ok) std::abort();
  if (conn.begin() != store::Ok) std::abort();
  std::mt19937 rng(7);
  store::RecordBuffer b(d);
  const char* priorities[] = {"High", "Medium", "Minimal"};
  const std::int32_t today = benchToday();
  for (int i = 0; i < cases; ++i) {
    SercaseRecord r;
    r.CaseNr = static_cast<std::uint32_t>(i + 1);
    r.SName = "C" + std::to_string(rng() % 900);
    r.LName = "Client " + std::string(r.SName.view());
    r.Product = "Office suite";
    r.IDProduct = "P" + std::to_string(i % kProducts);
    r.SProblem = "Printer queue stalls after the nightly update, case " + std::to_string(i);
    r.Priority = priorities[rng() % 3];
    r.Owner = "Agent" + std::to_string(rng() % 12);
    r.UpdateFlag = static_cast<std::uint16_t>(rng() % 2);
    const unsigned kind = rng() % 100;
    r.Status = kind < 65 ? "Closed" : kind < 75 ? "On Hold" : "Active";
    const std::int32_t base = today - 30 + static_cast<std::int32_t>(rng() % 60);
    r.FirstEscDate = base;
    r.FirstEscTime = 1 + static_cast<std::int32_t>(rng() % 8640000);
    r.SecEscDate = base + 1;
    r.SecEscTime = r.FirstEscTime;
    r.ThirdEscDate = base + 3;
    r.ThirdEscTime = r.FirstEscTime;
    const bool firstDone = kind < 65 || rng() % 3 == 0;
    r.FirstAction = firstDone ? "D" : "N";
    r.SecAction = kind < 65 ? "D" : "N";
    r.ThirdAction = kind < 65 ? "D" : "N";
    r.Cdate = kind < 65 ? base + 5 : 0;
    std::memcpy(b.record.data(), &r, sizeof r);
    b.memos[0] = history(rng, kind < 65 ? 6 : 2);
    b.memos[1] = kind % 4 == 0 ? "Called back twice; the client prefers mail." : "";
    if (conn.add(id, b) != store::Ok) std::abort();
  }
  if (conn.commit() != store::Ok) std::abort();
  conn.close(id);
}

// The folder of the generated data: kept under TRV_BENCH_DIR, else temporary for this run.
struct DataFolder {
  fs::path folder;
  bool temporary = true;
  std::string casePath;

  DataFolder() {
    const int cases = caseCount();
    if (const char* keep = std::getenv("TRV_BENCH_DIR"); keep != nullptr && *keep != '\0') {
      folder = fs::path(keep) / ("cases-" + std::to_string(cases));
      temporary = false;
    } else {
      std::string tmpl = (fs::temp_directory_path() / "trvbenchXXXXXX").string();
      if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
      folder = tmpl;
    }
    casePath = core::filePath(folder.string(), core::DataFile::Sercase);
    const fs::path done = folder / "complete";
    if (!temporary && fs::exists(done)) return;
    std::error_code ec;
    fs::remove_all(folder, ec);  // an unfinished generation
    fs::create_directories(folder);
    std::fprintf(stderr, "generating %d cases in %s\n", cases, folder.c_str());
    generate(casePath, cases);
    std::ofstream(done) << cases << "\n";
  }
  ~DataFolder() {
    std::error_code ec;
    if (temporary) fs::remove_all(folder, ec);
  }
};

// Collects the times of every repetition of every benchmark: wall time, and processor time
// (what the benchmark's thread ran, kernel work on its behalf included).
class RepetitionReporter : public benchmark::ConsoleReporter {
 public:
  enum Clock { kWall, kProcessor };

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration || r.error_occurred || r.iterations == 0) continue;
      const double toNs = 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
      Samples& s = samples_[r.benchmark_name()];
      s[kWall].push_back(r.GetAdjustedRealTime() * toNs);
      s[kProcessor].push_back(r.GetAdjustedCPUTime() * toNs);
    }
  }
  std::optional<double> median(const std::string& name, Clock clock) const {
    auto it = samples_.find(name);
    if (it == samples_.end() || it->second[clock].empty()) return std::nullopt;
    std::vector<double> v = it->second[clock];
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  }
  double minimum(const std::string& name, Clock clock) const {
    const auto& v = samples_.at(name)[clock];
    return *std::min_element(v.begin(), v.end());
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& [name, times] : samples_) out.push_back(name);
    return out;
  }
  std::size_t repetitions(const std::string& name) const { return samples_.at(name)[kWall].size(); }

 private:
  using Samples = std::array<std::vector<double>, 2>;
  std::map<std::string, Samples> samples_;
};

std::string shortTime(double ns) {
  char out[32];
  if (ns >= 1e6)
    std::snprintf(out, sizeof out, "%.2f ms", ns / 1e6);
  else
    std::snprintf(out, sizeof out, "%.1f us", ns / 1e3);
  return out;
}

}  // namespace

int caseCount() {
  if (const char* n = std::getenv("TRV_BENCH_CASES"); n != nullptr && *n != '\0') {
    const long v = std::strtol(n, nullptr, 10);
    if (v > 0) return static_cast<int>(v);
  }
  return std::getenv("TRV_BENCH_SMALL") != nullptr ? 2000 : 100000;
}

std::int32_t benchToday() {
  static const std::int32_t today = *text::dateNumber(2026, 12, 10);
  return today;
}

static DataFolder& dataFolder() {
  static DataFolder data;
  return data;
}

const std::string& caseFilePath() {
  return dataFolder().casePath;
}

const std::string& databaseFolder() {
  static const std::string folder = [] {
    const fs::path cases = dataFolder().casePath;
    const fs::path dir = cases.parent_path();
    if (!fs::exists(dir / "starter")) {
      // The starter database refuses a folder holding data files: made aside, then moved in.
      const fs::path aside = dir / "starter.tmp";
      std::error_code ec;
      fs::remove_all(aside, ec);
      fs::create_directories(aside);
      if (!core::createStarterDatabase(aside.string()).ok) std::abort();
      for (const fs::directory_entry& e : fs::directory_iterator(aside))
        if (e.path().filename() != cases.filename())
          fs::rename(e.path(), dir / e.path().filename());
      fs::remove_all(aside, ec);
      std::ofstream(dir / "starter") << "\n";
    }
    return dir.string();
  }();
  return folder;
}

int runBenchmarks(int argc, char** argv, const std::vector<Ratio>& ratios) {
  std::vector<char*> args(argv, argv + argc);
  // Five repetitions, run in random order across the benchmarks, so that a change of load on
  // the machine spreads over both sides of a ratio; either may be given on the command line.
  std::string repetitions = "--benchmark_repetitions=5";
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  // The first calls warm the caches and are not timed; each repetition then runs long enough
  // that one slow call does not make its time.
  std::string warmUp = "--benchmark_min_warmup_time=0.5";
  std::string minTime = "--benchmark_min_time=1";
  for (std::string* flag : {&repetitions, &interleave, &warmUp, &minTime}) {
    const std::string name = flag->substr(0, flag->find('='));
    const bool given = std::any_of(args.begin() + 1, args.end(), [&](const char* a) {
      return std::strncmp(a, name.c_str(), name.size()) == 0;
    });
    if (!given) args.insert(args.begin() + 1, flag->data());
  }
  int n = static_cast<int>(args.size());
  benchmark::Initialize(&n, args.data());
  if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;
  RepetitionReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  using R = RepetitionReporter;
  std::printf("\ncases: %d\n%-44s %4s %11s %11s %11s %11s\n", caseCount(), "benchmark", "reps",
              "wall min", "wall median", "cpu min", "cpu median");
  for (const std::string& name : reporter.names())
    std::printf("%-44s %4zu %11s %11s %11s %11s\n", name.c_str(), reporter.repetitions(name),
                shortTime(reporter.minimum(name, R::kWall)).c_str(),
                shortTime(*reporter.median(name, R::kWall)).c_str(),
                shortTime(reporter.minimum(name, R::kProcessor)).c_str(),
                shortTime(*reporter.median(name, R::kProcessor)).c_str());
  for (const Ratio& r : ratios) {
    const R::Clock clock = r.time == Ratio::kWall ? R::kWall : R::kProcessor;
    const auto a = reporter.median(r.numerator, clock);
    const auto b = r.fixedDenominatorNs > 0 ? std::optional<double>(r.fixedDenominatorNs)
                                            : reporter.median(r.denominator, clock);
    const double ratio = a && b && *b > 0 ? *a / *b : 0.0;
    std::printf(ratio >= 0.1 || ratio == 0 ? "RATIO %s %.2f\n" : "RATIO %s %.4f\n", r.name.c_str(),
                ratio);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace trv::bench
