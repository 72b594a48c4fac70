#include "core/import/import_rules.h"

#include <algorithm>

#include "runtime/text/charset.h"
#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"

namespace trv::core {
namespace {

constexpr std::array<std::size_t, kImportFields> kWidths = {
    256, 256, 256, 256, 256, 256, 256, 256, 20,  256, 256, 50,  50,  50, 256,
    256, 20,  20,  256, 256, 256, 50,  50,  256, 256, 256, 256, 256, 256};

bool validUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80           ? 1
                          : (c >> 5) == 0x6  ? 2
                          : (c >> 4) == 0xE  ? 3
                          : (c >> 3) == 0x1E ? 4
                                             : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2) return false;
    i += n;
  }
  return true;
}

// Address books export UTF-8 or the Windows charset; the records hold the latter.
std::string recordsCharset(std::string_view line) {
  return validUtf8(line) ? text::fromUtf8(line) : std::string(line);
}

}  // namespace

ImportRecord splitImportLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  const std::string text = recordsCharset(line);
  ImportRecord r;
  std::size_t start = 0;
  for (int i = 0; i < kImportFields && start <= text.size(); ++i) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    r[i] = text.substr(start, std::min(end - start, kWidths[i]));
    start = end + 1;
  }
  return r;
}

bool refusedCharacters(const ImportRecord& r) {
  for (const std::string& f : r)
    if (f.find_first_of(";\"'") != std::string::npos) return true;
  return false;
}

std::string importFullName(const ImportRecord& r) {
  for (const int i : {VktBedrijf, VktAnaam, VktVnaam, VktNaam}) {
    const std::string_view v = text::clip(r[i]);
    if (!v.empty()) return std::string(text::clip(v.substr(0, 50)));
  }
  return {};
}

std::string numberedName(std::string_view name, int number) {
  std::string s(text::clip(name));
  s += std::to_string(number);
  return s.substr(0, 50);
}

std::string shortNameCandidate(std::string_view fullName, int attempt) {
  if (attempt == 0) return std::string(fullName.substr(0, 6));
  if (attempt < 0 || attempt > kLastShortNameNumber) return {};
  return std::string(fullName.substr(0, 4)) + std::to_string(attempt);
}

std::string importErrorLine(std::int32_t date, std::int32_t time, ImportError reason,
                            std::string_view name, std::string_view email) {
  std::string why = reason == ImportError::DoubleKey ? "Double key" : "No CSV Record";
  why.resize(32, ' ');
  std::string line = text::formatPicture("d6", date) + " - " + text::formatPicture("T4", time) +
                     " - Error :" + why;
  if (reason == ImportError::DoubleKey) {
    line += " - ";
    line += text::clip(name);
    line += " - ";
    line += text::clip(email);
  }
  line.resize(std::min<std::size_t>(line.size(), 255));
  // One log line per refused record, whatever the fields hold.
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return text::toUtf8(line);
}

std::optional<std::string> importFinalStatus(ImportError lastError, std::uint64_t rejected,
                                             bool imported) {
  if (lastError == ImportError::None || rejected == 0)
    return "Import finished - All Data Succesvolly Imported/Updated!";
  if (lastError == ImportError::NoCsvRecord && !imported) return "No CSV File! Nothing imported...";
  // Rejected lines are always counted, whatever kind of error came last.
  return "Import finished with Error(s) : " + std::to_string(rejected) + " Records not accepted...";
}

}  // namespace trv::core
