#pragma once
// What the benchmarks share: the data size, one generated case file per run, and a main that
// repeats every benchmark, reports the minimum and the median of each and ends with the ratios.
//
// Data size: TRV_BENCH_CASES cases (default 10^5; TRV_BENCH_SMALL alone, as ctest sets it, gives
// a small set so that CI's run stays quick). The case file is generated into a temporary folder
// and removed at the end, or, with TRV_BENCH_DIR set, kept in that folder and reused by later
// runs of any benchmark asking for the same number of cases (scripts/bench does this, so a run
// at 10^6 generates the file once).

#include <cstdint>
#include <string>
#include <vector>

namespace trv::bench {

// The number of cases to generate.
int caseCount();

// The path of a generated case file (Sercase) of caseCount() cases, made on the first call:
// about two thirds closed, a tenth on hold, the rest active, with histories; forty products each
// shared by an equal part of the cases (25,000 of 10^6), in turn, so that a product's run of
// equal keys is spread over the whole file; 900 clients; first escalation moments over sixty
// days around kToday.
const std::string& caseFilePath();
// The folder of caseFilePath(): a database of the eight data files, the others as a starter
// database has them (made on the first call).
const std::string& databaseFolder();
// The run of equal keys the benchmarks page through: the product of caseFilePath()'s cases
// with this product id.
inline constexpr const char* kRunProduct = "P17";
inline constexpr int kProducts = 40;
// The "today" of the generated cases (a date number).
std::int32_t benchToday();

// One ratio to print at the end: the median time of `numerator` over that of `denominator`
// (benchmark names as Google Benchmark prints them, e.g. "BM_PageDown/1").
struct Ratio {
  enum Time { kProcessor, kWall };
  std::string name;
  std::string numerator;
  std::string denominator;
  // Wall time for benchmarks whose work runs on other threads (they time themselves).
  Time time = kProcessor;
  // When above 0, the denominator is this fixed time (nanoseconds) instead of a benchmark's.
  double fixedDenominatorNs = 0;
};

// Runs the benchmarks selected by the command line, five repetitions each in random order
// across the benchmarks, each after a warm-up of at least 0.5 s and running at least 1 s a
// repetition (a benchmark with fixed iterations runs those), unless the command line says
// otherwise (--benchmark_repetitions, --benchmark_enable_random_interleaving,
// --benchmark_min_warmup_time, --benchmark_min_time), so a slow first call is never a
// repetition's time; prints the minimum and median wall and processor
// time of each, then one line per ratio, last: "RATIO <name> <value>" from the medians of this
// run's processor times (0 when either benchmark did not run). Processor time is the time the
// benchmark's thread ran, kernel work for it included: on an idle machine it is the wall time,
// and on a busy one it does not count the turns other programs take. Returns the program's exit
// status.
int runBenchmarks(int argc, char** argv, const std::vector<Ratio>& ratios);

}  // namespace trv::bench
