// The client import's reading of one address-book line: splitting, the refused characters, the
// full, numbered and short names and the error-log line, whatever bytes the line holds.

#include <cstdint>
#include <string>

#include "core/import/import_rules.h"
#include "fuzz/fuzz_check.h"

using namespace trv::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in = trv::fuzz::asText(data, size);
  const ImportRecord r = splitImportLine(in);
  for (const std::string& f : r) TRV_FUZZ_CHECK(f.size() <= 256);
  (void)refusedCharacters(r);
  const std::string name = importFullName(r);
  TRV_FUZZ_CHECK(name.size() <= 50);
  TRV_FUZZ_CHECK(name.empty() || name.back() != ' ');
  const int n = static_cast<int>(trv::fuzz::numberFrom(in) % 1000);
  TRV_FUZZ_CHECK(numberedName(name, n).size() <= 50);
  const std::string sname = shortNameCandidate(name, n % 101);
  TRV_FUZZ_CHECK(sname.size() <= 6);
  const std::string log = importErrorLine(static_cast<std::int32_t>(trv::fuzz::numberFrom(in)), n,
                                          n % 2 ? ImportError::DoubleKey : ImportError::NoCsvRecord,
                                          r[VktNaam], r[VktEmail]);
  TRV_FUZZ_CHECK(log.find_first_of("\r\n") == std::string::npos);
  return 0;
}
