#include "cases/export/export_line.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/data/records.h"
#include "runtime/text/date_time.h"

namespace trv::cases {
namespace {

core::SercaseRecord sampleCase() {
  core::SercaseRecord r;
  r.CaseNr = 7;
  r.SName = "ACME";
  r.LName = "Acme \"Big\" Ltd, Leeds";
  r.IDProduct = "PR-1";
  r.Product = "Printer";
  r.SProblem = "Paper jam";
  r.Owner = "Admin";
  r.Status = "Active";
  r.Priority = "High";
  r.SDate = *text::dateNumber(2002, 5, 6);
  r.STime = *text::timeNumber(9, 5, 0);
  r.FirstEscDate = *text::dateNumber(2002, 12, 25);
  r.FirstEscTime = *text::timeNumber(14, 30, 0);
  r.FirstAction = "D";
  r.SecAction = "N";
  r.ThirdAction = "N";
  return r;
}

TEST(ExportLine, QuotesEveryFieldButTheNumberBlanksZeroDatesAndWritesZeroTimes) {
  EXPECT_EQ(exportLine(sampleCase()),
            "7,\"ACME\",\"Acme \"\"Big\"\" Ltd, Leeds\",\"PR-1\",\"Printer\",\"Paper jam\","
            "\"Admin\",\"Active\",\"\",\"High\",\"6/05/02\",\"9:05\",\"25/12/02\",\"14:30\",\"D\","
            "\"\",\"0:00\",\"N\",\"\",\"0:00\",\"N\"\r\n");
}

TEST(ExportLine, TextsLeaveInUtf8) {
  core::SercaseRecord r = sampleCase();
  r.LName = "Caf\xe9";  // the records' charset
  const std::string line = exportLine(r);
  EXPECT_NE(line.find("\"Caf\xc3\xa9\""), std::string::npos) << line;
}

TEST(ExportLine, AFormatterKeepsNoValueOfOneCaseForTheNext) {
  ExportFormatter f;
  std::string out;
  core::SercaseRecord a = sampleCase();
  core::SercaseRecord b = sampleCase();
  b.CaseNr = 8;
  b.SDate = a.FirstEscDate;
  b.FirstEscDate = 0;
  b.STime = *text::timeNumber(23, 59, 59);
  f.appendLine(a, out);
  f.appendLine(b, out);
  f.appendLine(a, out);
  EXPECT_EQ(out, exportLine(a) + exportLine(b) + exportLine(a));
}

// Times of one minute share a cached text: each still shows as a fresh formatter shows it, the
// day's edges and values that are no time included.
TEST(ExportLine, CachedTimesShowAsAFreshFormatterDoes) {
  ExportFormatter f;
  core::SercaseRecord r = sampleCase();
  std::vector<std::int32_t> times = {
      0, 1, 6000, 6001, 6002, text::kLastTimeNumber, text::kLastTimeNumber + 1, -5};
  for (std::int32_t t = 2; t < text::kLastTimeNumber; t += 4999) times.push_back(t);
  for (const std::int32_t t : times) {
    r.STime = t;
    std::string line, fresh;
    f.appendLine(r, line);
    ExportFormatter().appendLine(r, fresh);
    ASSERT_EQ(line, fresh) << t;
  }
}

}  // namespace
}  // namespace trv::cases
