// The client import's reading of an address-book file: its records, the refused characters, the
// full, numbered and short names and the error-log lines, whatever bytes the file holds.

#include <cstdint>
#include <sstream>
#include <string>

#include "core/import/csv_reader.h"
#include "core/import/import_rules.h"
#include "fuzz/fuzz_check.h"

using namespace trv::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in = trv::fuzz::asText(data, size);
  std::istringstream file{std::string(in)};
  CsvReader reader(file);
  CsvRecord record;
  std::uint64_t lastLine = 0;
  while (reader.next(record)) {
    TRV_FUZZ_CHECK(record.line > lastLine);
    lastLine = record.line;
    std::string unheld;
    const ImportRecord r = importRecord(record.fields, &unheld);
    for (const std::string& f : r) TRV_FUZZ_CHECK(f.size() <= 256);
    (void)refusedCharacters(r);
    const std::string name = importFullName(r);
    TRV_FUZZ_CHECK(name.size() <= 50);
    TRV_FUZZ_CHECK(name.empty() || name.back() != ' ');
    const int n = static_cast<int>(trv::fuzz::numberFrom(in) % 1000);
    TRV_FUZZ_CHECK(numberedName(name, n).size() <= 50);
    const std::string sname = shortNameCandidate(name, n % 101);
    TRV_FUZZ_CHECK(sname.size() <= 6);
    const ImportErrorPlace place{importLogName(record.fields), importLogEmail(record.fields),
                                 record.line, unheld};
    const std::string log =
        importErrorLine(static_cast<std::int32_t>(trv::fuzz::numberFrom(in)), n,
                        unheld.empty() ? (n % 2 ? ImportError::DoubleKey : ImportError::NoCsvRecord)
                                       : ImportError::Unheld,
                        place);
    TRV_FUZZ_CHECK(log.find_first_of("\r\n") == std::string::npos);
  }
  return 0;
}
