#include "core/import/import_rules.h"

#include <gtest/gtest.h>

#include "runtime/text/date_time.h"

namespace trv::core {
namespace {

std::string line(std::initializer_list<std::pair<int, const char*>> fields) {
  std::array<std::string, kImportFields> f;
  for (const auto& [i, v] : fields) f[i] = v;
  std::string s;
  for (int i = 0; i < kImportFields; ++i) s += (i ? "," : "") + f[i];
  return s;
}

TEST(ImportRules, SplitsAtCommasCutsWidthsAndDropsTheLineEnd) {
  const ImportRecord r = splitImportLine(line({{VktNaam, "Ann Lee"}, {VktRemark, "last"}}) + "\r");
  EXPECT_EQ(r[VktNaam], "Ann Lee");
  EXPECT_EQ(r[VktRemark], "last");

  const ImportRecord shortLine = splitImportLine("Ann,Lee");
  EXPECT_EQ(shortLine[VktVnaam], "Ann");
  EXPECT_EQ(shortLine[VktAnaam], "Lee");
  EXPECT_EQ(shortLine[VktRemark], "");

  const ImportRecord longZip = splitImportLine(line({{VktPc, "123456789012345678901234"}}));
  EXPECT_EQ(longZip[VktPc], "12345678901234567890");  // 20 characters

  const ImportRecord extra = splitImportLine(line({{VktRemark, "r"}}) + ",beyond,more");
  EXPECT_EQ(extra[VktRemark], "r");

  EXPECT_EQ(splitImportLine("Caf\xc3\xa9")[VktVnaam], "Caf\xe9");  // UTF-8 to the records' set
  EXPECT_EQ(splitImportLine("Caf\xe9")[VktVnaam], "Caf\xe9");      // already the records' set
}

TEST(ImportRules, RefusesSemicolonsQuotesAndApostrophes) {
  struct Case {
    const char* value;
    bool refused;
  } cases[] = {{"O'Brien", true}, {"a;b", true}, {"say \"hi\"", true}, {"Plain Name", false}};
  for (const Case& c : cases)
    EXPECT_EQ(refusedCharacters(splitImportLine(line({{VktRemark, c.value}}))), c.refused)
        << c.value;
}

TEST(ImportRules, FullNameTakesCompanyThenLastThenFirstThenDisplayName) {
  struct Case {
    std::string text;
    const char* fullName;
  } cases[] = {
      {line({{VktVnaam, "Ann"}, {VktAnaam, "Lee"}, {VktNaam, "Ann Lee"}, {VktBedrijf, "Acme"}}),
       "Acme"},
      {line({{VktVnaam, "Ann"}, {VktAnaam, "Lee"}, {VktNaam, "Ann Lee"}}), "Lee"},
      {line({{VktVnaam, "Ann"}, {VktNaam, "Ann Lee"}, {VktBedrijf, "   "}}), "Ann"},
      {line({{VktNaam, "Ann Lee  "}}), "Ann Lee"},
      {line({{VktEmail, "nobody@example.com"}}), ""},
      {line({{VktBedrijf, std::string(60, 'x').c_str()}}),
       "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
  };
  for (const Case& c : cases) EXPECT_EQ(importFullName(splitImportLine(c.text)), c.fullName);
}

TEST(ImportRules, NumberedAndShortNames) {
  EXPECT_EQ(numberedName("Ann Lee   ", 1), "Ann Lee1");
  EXPECT_EQ(numberedName(std::string(50, 'x'), 12), std::string(50, 'x'));

  struct Case {
    const char* fullName;
    int attempt;
    const char* shortName;
  } cases[] = {{"Acme Ltd", 0, "Acme L"}, {"Acme Ltd", 1, "Acme1"}, {"Acme Ltd", 99, "Acme99"},
               {"Acme Ltd", 100, ""},     {"Al", 0, "Al"},          {"Al", 3, "Al3"}};
  for (const Case& c : cases)
    EXPECT_EQ(shortNameCandidate(c.fullName, c.attempt), c.shortName)
        << c.fullName << " " << c.attempt;
}

TEST(ImportRules, ErrorLogLines) {
  const std::int32_t date = *text::dateNumber(2002, 5, 6);
  const std::int32_t time = *text::timeNumber(10, 0, 0);
  EXPECT_EQ(importErrorLine(date, time, ImportError::DoubleKey, "Ann Lee   ", "ann@example.com "),
            " 6/05/2002 - 10:00:00 - Error :Double key                       - Ann Lee - "
            "ann@example.com");
  EXPECT_EQ(importErrorLine(date, time, ImportError::NoCsvRecord, "Ann", "ann@example.com"),
            " 6/05/2002 - 10:00:00 - Error :No CSV Record" + std::string(32 - 13, ' '));
  EXPECT_EQ(
      importErrorLine(date, time, ImportError::DoubleKey, "Ann\rLee", "a\n").find_first_of("\r\n"),
      std::string::npos);
  EXPECT_LE(importErrorLine(date, time, ImportError::DoubleKey, std::string(300, 'n'), "e").size(),
            255u);
}

TEST(ImportRules, FinalStatusAlwaysCountsRejectedLines) {
  EXPECT_EQ(*importFinalStatus(ImportError::None, 0, true),
            "Import finished - All Data Succesvolly Imported/Updated!");
  EXPECT_EQ(*importFinalStatus(ImportError::DoubleKey, 2, true),
            "Import finished with Error(s) : 2 Records not accepted...");
  EXPECT_EQ(*importFinalStatus(ImportError::NoCsvRecord, 3, false),
            "No CSV File! Nothing imported...");
  EXPECT_EQ(*importFinalStatus(ImportError::NoCsvRecord, 1, true),
            "Import finished with Error(s) : 1 Records not accepted...");
}

}  // namespace
}  // namespace trv::core
