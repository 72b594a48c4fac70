#include "core/import/import_rules.h"

#include <algorithm>
#include <array>

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

// Length of the UTF-8 sequence starting at s[i] (a valid text assumed).
std::size_t sequenceLength(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  return c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
}

std::string withLineBreaks(std::string_view s, std::string_view replacement) {
  if (s.find_first_of("\r\n") == std::string_view::npos) return std::string(s);
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' || s[i] == '\n') {
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      out += replacement;
    } else {
      out += s[i];
    }
  }
  return out;
}

void addUnheld(std::string_view utf8, std::string& unheld) {
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n = sequenceLength(utf8, i);
    const std::string_view c = utf8.substr(i, n);
    if (!text::fromUtf8Strict(c) && unheld.find(c) == std::string::npos) unheld += c;
    i += n;
  }
}

std::string logText(const std::vector<std::string>& fields, int at) {
  if (static_cast<std::size_t>(at) >= fields.size()) return {};
  const std::string& f = fields[static_cast<std::size_t>(at)];
  std::string s = withLineBreaks(validUtf8(f) ? f : text::toUtf8(f), " ");
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

ImportRecord importRecord(const std::vector<std::string>& fields, std::string* unheld) {
  bool utf8 = true;
  for (const std::string& f : fields) utf8 = utf8 && validUtf8(f);
  ImportRecord r;
  std::string missing;
  const std::size_t n = std::min<std::size_t>(fields.size(), kImportFields);
  for (std::size_t i = 0; i < n; ++i) {
    std::string v = withLineBreaks(fields[i], i == VktRemark ? "\r\n" : " ");
    // ASCII reads the same in both charsets.
    if (utf8 && !text::isAscii(v)) {
      std::optional<std::string> held = text::fromUtf8Strict(v);
      if (!held) {
        addUnheld(v, missing);
        continue;
      }
      v = std::move(*held);
    }
    if (v.size() > kWidths[i]) v.resize(kWidths[i]);
    r[i] = std::move(v);
  }
  if (!missing.empty()) r = ImportRecord();
  if (unheld) *unheld = std::move(missing);
  return r;
}

std::string importLogName(const std::vector<std::string>& fields) {
  for (const int i : {VktNaam, VktBedrijf, VktAnaam, VktVnaam}) {
    std::string v = logText(fields, i);
    if (v.find_first_not_of(' ') != std::string::npos) return v;
  }
  return {};
}

std::string importLogEmail(const std::vector<std::string>& fields) {
  return logText(fields, VktEmail);
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
                            const ImportErrorPlace& place) {
  std::string why = reason == ImportError::DoubleKey ? "Double key"
                    : reason == ImportError::Unheld  ? "Characters not in Windows-1252"
                                                     : "No CSV Record";
  why.resize(32, ' ');
  std::string line = text::toUtf8(text::formatPicture("d6", date) + " - " +
                                  text::formatPicture("T4", time) + " - Error :" + why);
  line += " - " + place.name + " - " + place.email + " - line " + std::to_string(place.line);
  if (reason == ImportError::Unheld) line += " - " + place.unheld;
  // One log line per refused record, whatever the fields hold.
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  std::size_t characters = 0, at = 0;
  while (at < line.size() && characters < 255) {
    at += sequenceLength(line, at);
    ++characters;
  }
  line.resize(std::min(at, line.size()));
  return line;
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
