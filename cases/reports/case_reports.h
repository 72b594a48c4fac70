#pragma once
// The case reports: one case on a page with its history (PrintCase, PrintArchiveCase) and the
// lists of cases and of knowledge-base cases (PrintAllCases, PrintAllArchive).

#include <array>
#include <cstdint>
#include <string>

#include "cases/reports/print_options.h"
#include "cases/reports/report_frame.h"

namespace trv::core {
struct ArchiveRecord;
}

namespace trv::cases::reports {

// The fields the case reports print, from a case or a knowledge-base record (both files share
// the case record's first fields).
struct CaseFields {
  std::uint32_t caseNr = 0;
  std::string sname, lname, phone, product, idProduct, problem, priority, owner, status;
  std::int32_t sdate = 0, stime = 0;
  std::int32_t escDate[3] = {0, 0, 0};
  std::int32_t escTime[3] = {0, 0, 0};
  bool done[3] = {false, false, false};
  std::string history;
};
// The history is taken only when asked for (the lists do not print it).
CaseFields caseFields(const store::RecordBuffer& sercase, bool withHistory = false);
CaseFields archiveFields(const store::RecordBuffer& archive, bool withHistory = false);

// The title of the case list ("Report of All Active Cases of Agent Anna").
std::string caseListTitle(const PrintOptions& o);
// The title of the knowledge-base list; blank for the property choice Closed.
std::string archiveListTitle(const PrintOptions& o);

// A list of cases, one line each, for the records that pass the options: what PrintAllCases and
// PrintAllArchive print on their layout.
class CaseList {
 public:
  // `archive`: the records are knowledge-base cases (their property choice filters them).
  CaseList(PrintOptions options, bool archive, std::string title, std::string date,
           std::string time, std::string appTitle);
  report::ReportLayout& layout() { return layout_; }
  // Prints the record's line when it passes: LevelOk, else LevelNotify.
  data::Level print(const store::RecordBuffer& record);

 private:
  bool passes(const core::ArchiveRecord& shared) const;
  // A line's cell `i` kept in cells_ (the view is valid until the next line).
  std::string_view cell(std::size_t i, std::string s);
  // The value through the picture as pictured() shows it, kept in cell `i`.
  std::string_view pictureCell(std::size_t i, const text::ParsedPicture& picture,
                               std::int64_t value);
  // A record's text as UTF-8: the text itself when plain ASCII, else converted into cell `i`.
  std::string_view utf8(std::size_t i, std::string_view cp1252);

  PrintOptions options_;
  bool archive_;
  std::string ownerWanted_;  // the agent name in the records' charset
  std::string idWanted_;
  report::ReportLayout layout_;
  int width_;
  report::Stencil line_;              // a case's line, its cells to be filled
  std::array<std::string, 8> cells_;  // a line's cells that are not the record's own text
};

}  // namespace trv::cases::reports
