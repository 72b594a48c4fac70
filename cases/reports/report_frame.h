#pragma once
// What every printed report of the program shares: the page frame (date, title and time above,
// the trademark line and the page number below), list columns, and the run over one data file
// in one key order with the progress window and the preview.
//
// Reports read records into buffers of their own (a view's), never into the file's record
// buffer, so a form that started a report keeps what it holds.

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/data/level.h"
#include "runtime/report/report_layout.h"
#include "runtime/report/report_runner.h"
#include "runtime/store/connection.h"
#include "runtime/text/picture.h"

namespace trv::core {
class ProgramState;
}
namespace trv::data {
class FileRelations;
}
namespace trv::view {
class ViewReader;
}

namespace trv::cases::reports {

// A copy of the record a report read (a record type of another file gives a cleared record).
template <class R>
R recordOf(const store::RecordBuffer& b) {
  static_assert(std::is_trivially_copyable_v<R>);
  R r{};
  if (b.record.size() == sizeof(R)) std::memcpy(&r, b.record.data(), sizeof(R));
  return r;
}

// A record field (Windows-1252, blank-padded) as a report shows it: UTF-8, trailing blanks cut.
std::string shown(std::string_view field);
// A value through a display picture, trailing blanks cut ("D5", "T1", "N06", ...).
std::string pictured(std::string_view picture, std::int64_t value);
std::string pictured(const text::ParsedPicture& picture, std::int64_t value);
// The progress value of a text key: its first characters as a number, so that key order is
// number order.
std::int64_t textProgress(std::string_view key);

struct Column {
  std::string header;
  int x = 0;  // thousandths of an inch from the left margin
  int width = 0;
  report::Align align = report::Align::kLeft;
};

// The texts of a page header's top line.
struct HeaderLine {
  std::string dateLabel = "Date :";
  std::string date;
  std::string title;
  std::string timeLabel = "Time :";
  std::string time;
};

inline const report::FontSpec kLineFont{"Arial", 8, false, false, false};
inline const report::FontSpec kHeadingFont{"Arial", 8, true, false, false};
inline const report::FontSpec kTitleFont{"Arial", 12, true, false, false};

// A list report's pages: landscape A4. A one-case report's: portrait A4.
report::PageSetup landscapePage();
int contentWidth(const report::PageSetup& page);

// The header band: the top line, a rule, and the column headings (when any) with a rule below.
report::Band pageHeader(const HeaderLine& line, const std::vector<Column>& columns, int width);
// The footer band: `mark` ("(TM) "), the application title and "Page N".
report::Band pageFooter(const std::string& mark, const std::string& appTitle, int page, int width);
// One list line: the cells in their columns, a thin rule under it when asked.
report::Band lineBand(const std::vector<Column>& columns, const std::vector<std::string>& cells,
                      bool ruleUnder, int width);
// The height of lineBand's band.
int lineBandHeight(bool ruleUnder);

// Hands each record of a view to a function (the report's per-record work).
class FunctionLoop final : public report::RecordLoop {
 public:
  using Each = std::function<data::Level(const store::RecordBuffer&)>;
  FunctionLoop(view::ViewReader& v, Each each) : RecordLoop(v), each_(std::move(each)) {}
  data::Level ProcessRecord(const store::RecordBuffer& r) override { return each_(r); }

 private:
  Each each_;
};

// One run of a report over a data file.
struct ReportJob {
  std::string procedure;  // the report's name (messages say where they come from)
  data::FileRelations* file = nullptr;
  std::string key;                                                   // the key order read
  std::function<std::int64_t(const store::RecordBuffer&)> progress;  // the key's value
  std::function<void(view::ViewReader&)> narrow;                     // limits the view (optional)
  bool memos = true;  // false: the report prints no memo, the records are read without them
  report::ReportSettings settings;
};

// Opens the file through its relations with bulk reading, runs the report over the view with
// the progress window, shows the preview (or the report's no-records message), closes the file.
// Sets the program's last response and returns it.
int runReport(core::ProgramState& s, const ReportJob& job, report::ReportLayout& layout,
              FunctionLoop::Each each);

}  // namespace trv::cases::reports
