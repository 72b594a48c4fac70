#pragma once
// The rules of the client import that need no file or window: how the fields of one
// address-book record (csv_reader.h) become the 29 import fields, which records are refused,
// the full and short names a client gets and the lines of the error log "ImportError.log".
// Texts are in the records' charset (Windows-1252) unless said otherwise.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trv::core {

inline constexpr int kImportFields = 29;

// Field positions (from 0) of the address-book line.
enum ImportField : int {
  VktVnaam = 0,
  VktAnaam = 1,
  VktNaam = 3,
  VktEmail = 5,
  VktThuisAdres = 6,
  VktThuisPlaats = 7,
  VktThuisPc = 8,
  VktThuisRegio = 10,
  VktThuisTel = 11,
  VktThuisFax = 12,
  VktMobiel = 13,
  VktAdres = 15,
  VktPlaats = 16,
  VktPc = 17,
  VktRegio = 19,
  VktTel = 21,
  VktFax = 22,
  VktBedrijf = 24,
  VktRemark = 28,
};

using ImportRecord = std::array<std::string, kImportFields>;

// The record's fields as the import reads them, each cut to its width; missing fields are
// blank, fields past the 29th are dropped. A record in UTF-8 is converted; one that is no UTF-8
// is taken as the records' charset already. A line break inside a field becomes a blank, except
// in the remarks, which keep it (as CR LF).
// When some character has no place in the records' charset, the record is all blank and
// *unheld (when given) lists those characters in UTF-8, each once; else *unheld is empty.
ImportRecord importRecord(const std::vector<std::string>& fields, std::string* unheld = nullptr);

// The name and the e-mail of a record as the file gives them, in UTF-8, for the error log: the
// display name (VKT:NAAM), or when that is blank the name the client would get.
std::string importLogName(const std::vector<std::string>& fields);
std::string importLogEmail(const std::vector<std::string>& fields);

// True when the record's text holds a semicolon, a double quote or an apostrophe.
bool refusedCharacters(const ImportRecord& r);

// The full name: the first of company, last, first and display name that is not blank, cut to
// 50 characters without trailing blanks; empty when all four are blank.
std::string importFullName(const ImportRecord& r);

// `name` with the running number appended right after its last non-blank character, cut to 50.
std::string numberedName(std::string_view name, int number);

// Short-name candidate `attempt` for a full name: attempt 0 is its first 6 characters, attempt
// n (1..99) its first 4 characters followed by n. Empty past 99: no short name is left.
std::string shortNameCandidate(std::string_view fullName, int attempt);
inline constexpr int kLastShortNameNumber = 99;

// Unheld: the record holds characters that the records' charset cannot store.
enum class ImportError { None, DoubleKey, NoCsvRecord, Unheld };

// What the error log says of a refused record: the client's name and e-mail (UTF-8), the file
// line the record starts on and, for Unheld, the characters that cannot be stored.
struct ImportErrorPlace {
  std::string name;
  std::string email;
  std::uint64_t line = 0;
  std::string unheld;
};

// One line of the error log (UTF-8, without line end): date "d6", " - ", time "T4", " - ",
// "Error :" and the reason padded to 32, then " - " name " - " e-mail " - line " number, and
// for Unheld " - " and the characters. At most 255 characters.
std::string importErrorLine(std::int32_t date, std::int32_t time, ImportError reason,
                            const ImportErrorPlace& place);

// The status text at the end of a run; nullopt leaves the status as it was.
std::optional<std::string> importFinalStatus(ImportError lastError, std::uint64_t rejected,
                                             bool imported);

}  // namespace trv::core
