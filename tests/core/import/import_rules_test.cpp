#include "core/import/import_rules.h"

#include <gtest/gtest.h>

#include "runtime/text/date_time.h"

namespace trv::core {
namespace {

std::vector<std::string> fields(std::initializer_list<std::pair<int, const char*>> values) {
  std::vector<std::string> f(kImportFields);
  for (const auto& [i, v] : values) f[static_cast<std::size_t>(i)] = v;
  return f;
}

ImportRecord record(std::initializer_list<std::pair<int, const char*>> values) {
  return importRecord(fields(values));
}

TEST(ImportRules, FieldsAreCutToTheirWidthsAndMissingOnesAreBlank) {
  const ImportRecord r = record({{VktNaam, "Ann Lee"}, {VktRemark, "last"}});
  EXPECT_EQ(r[VktNaam], "Ann Lee");
  EXPECT_EQ(r[VktRemark], "last");

  const ImportRecord shortRecord = importRecord({"Ann", "Lee"});
  EXPECT_EQ(shortRecord[VktVnaam], "Ann");
  EXPECT_EQ(shortRecord[VktAnaam], "Lee");
  EXPECT_EQ(shortRecord[VktRemark], "");

  EXPECT_EQ(record({{VktPc, "123456789012345678901234"}})[VktPc], "12345678901234567890");

  std::vector<std::string> extra = fields({{VktRemark, "r"}});
  extra.push_back("beyond");
  EXPECT_EQ(importRecord(extra)[VktRemark], "r");
}

TEST(ImportRules, CharsetsAndLineBreaks) {
  struct Case {
    std::vector<std::string> fields;
    int at;
    const char* value;
    const char* unheld;
  } cases[] = {
      {{"Caf\xc3\xa9"}, VktVnaam, "Caf\xe9", ""},                       // UTF-8 to the records' set
      {{"Caf\xe9"}, VktVnaam, "Caf\xe9", ""},                           // already the records' set
      {{"\xe2\x82\xac 5", "Caf\xe9"}, VktVnaam, "\xe2\x82\xac 5", ""},  // no UTF-8: as it is
      {{"M\xc3\xbcller \xe2\x82\xac"}, VktVnaam, "M\xfcller \x80", ""},
      // Characters the records cannot hold: the record stays blank and says which.
      {{"Chen \xe4\xb8\xad\xe6\x96\x87 Trading", "\xe4\xb8\xad"},
       VktVnaam,
       "",
       "\xe4\xb8\xad\xe6\x96\x87"},
      {fields({{VktNaam, "Ann"}, {VktRemark, "smile \xf0\x9f\x98\x80"}}), VktNaam, "",
       "\xf0\x9f\x98\x80"},
      {fields({{VktAdres, "1 Mill Road\r\nFlat 2"}}), VktAdres, "1 Mill Road Flat 2", ""},
      {fields({{VktAdres, "1 Mill Road\nFlat 2"}}), VktAdres, "1 Mill Road Flat 2", ""},
      {fields({{VktRemark, "one\ntwo\r\nthree"}}), VktRemark, "one\r\ntwo\r\nthree", ""},
  };
  for (const Case& c : cases) {
    std::string unheld = "before";
    const ImportRecord r = importRecord(c.fields, &unheld);
    EXPECT_EQ(r[static_cast<std::size_t>(c.at)], c.value) << c.fields[0];
    EXPECT_EQ(unheld, c.unheld) << c.fields[0];
  }
}

TEST(ImportRules, LogNamesAreTheFilesOwnText) {
  EXPECT_EQ(importLogName(fields({{VktNaam, "Chen \xe4\xb8\xad"}, {VktBedrijf, "Acme"}})),
            "Chen \xe4\xb8\xad");
  EXPECT_EQ(importLogName(fields({{VktNaam, "  "}, {VktBedrijf, "Caf\xe9 Ltd  "}})),
            "Caf\xc3\xa9 Ltd");
  EXPECT_EQ(importLogName(fields({{VktVnaam, "Ann"}})), "Ann");
  EXPECT_EQ(importLogEmail(fields({{VktEmail, "ann@example.com "}})), "ann@example.com");
  EXPECT_EQ(importLogEmail({"Ann"}), "");
}

TEST(ImportRules, RefusesSemicolonsQuotesAndApostrophes) {
  struct Case {
    const char* value;
    bool refused;
  } cases[] = {{"O'Brien", true},
               {"a;b", true},
               {"say \"hi\"", true},
               {"Plain Name", false},
               {"Smith, Ann", false}};
  for (const Case& c : cases)
    EXPECT_EQ(refusedCharacters(record({{VktRemark, c.value}})), c.refused) << c.value;
}

TEST(ImportRules, FullNameTakesCompanyThenLastThenFirstThenDisplayName) {
  struct Case {
    std::vector<std::string> fields;
    const char* fullName;
  } cases[] = {
      {fields({{VktVnaam, "Ann"}, {VktAnaam, "Lee"}, {VktNaam, "Ann Lee"}, {VktBedrijf, "Acme"}}),
       "Acme"},
      {fields({{VktVnaam, "Ann"}, {VktAnaam, "Lee"}, {VktNaam, "Ann Lee"}}), "Lee"},
      {fields({{VktVnaam, "Ann"}, {VktNaam, "Ann Lee"}, {VktBedrijf, "   "}}), "Ann"},
      {fields({{VktNaam, "Ann Lee  "}}), "Ann Lee"},
      {fields({{VktEmail, "nobody@example.com"}}), ""},
      {fields({{VktBedrijf, std::string(60, 'x').c_str()}}),
       "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
  };
  for (const Case& c : cases) EXPECT_EQ(importFullName(importRecord(c.fields)), c.fullName);
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
  const std::string stamp = " 6/05/2002 - 10:00:00 - Error :";
  struct Case {
    ImportError reason;
    ImportErrorPlace place;
    std::string line;
  } cases[] = {
      {ImportError::DoubleKey,
       {"Ann Lee", "ann@example.com", 4, {}},
       stamp + "Double key                       - Ann Lee - ann@example.com - line 4"},
      {ImportError::NoCsvRecord,
       {"Finn O'Brien", "finn@example.com", 12, {}},
       stamp + "No CSV Record                    - Finn O'Brien - finn@example.com - line 12"},
      {ImportError::Unheld,
       {"Chen \xe4\xb8\xad\xe6\x96\x87", "chen@example.com", 7, "\xe4\xb8\xad\xe6\x96\x87"},
       stamp + "Characters not in Windows-1252   - Chen \xe4\xb8\xad\xe6\x96\x87 - " +
           "chen@example.com - line 7 - \xe4\xb8\xad\xe6\x96\x87"},
      {ImportError::DoubleKey,
       {"Ann\rLee", "a\n", 2, {}},
       stamp + "Double key                       - Ann Lee - a  - line 2"},
  };
  for (const Case& c : cases) EXPECT_EQ(importErrorLine(date, time, c.reason, c.place), c.line);

  // At most 255 characters, cut between characters.
  EXPECT_EQ(importErrorLine(date, time, ImportError::DoubleKey, {std::string(300, 'n'), "e", 3, {}})
                .size(),
            255u);
  std::string cjk;
  for (int i = 0; i < 40; ++i) cjk += "\xe4\xb8\xad";
  const std::string wide =
      importErrorLine(date, time, ImportError::Unheld, {std::string(150, 'a'), "y", 3, cjk});
  std::size_t characters = 0;
  for (char c : wide) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  EXPECT_EQ(characters, 255u);
  EXPECT_EQ(wide.substr(wide.size() - 3), "\xe4\xb8\xad");
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
