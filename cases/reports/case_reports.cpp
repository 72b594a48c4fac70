#include "cases/reports/case_reports.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/procedures.h"
#include "runtime/text/charset.h"
#include "runtime/text/clock.h"
#include "runtime/text/fixed_string.h"
#include "runtime/view/view_reader.h"

namespace trv::cases::reports {
namespace {

using core::ArchiveRecord;
using core::SercaseRecord;
using data::Level;

constexpr const char* kNoSelection = "No records to process with current selection";

const std::vector<Column>& listColumns() {
  static const std::vector<Column> columns = {
      {"Case Nr", 0, 600, report::Align::kRight},
      {"Owner", 750, 1150},
      {"Name", 1950, 600},
      {"Product", 2600, 1300},
      {"Problem", 3950, 4500},
      {"Status", 8500, 650},
      {"SDate", 9200, 700},
      {"STime", 9950, 700},
  };
  return columns;
}

std::string memoOf(const store::RecordBuffer& b, std::size_t i) {
  return i < b.memos.size() ? text::toUtf8(b.memos[i]) : std::string();
}

template <class R>
std::string cut(const R& field, std::size_t n) {
  return shown(field.view().substr(0, std::min(n, field.view().size())));
}

report::TextItem at(int x, int y, int width, std::string s, const report::FontSpec& font) {
  return report::TextItem{{x, y, width, report::ReportLayout::lineHeight(font)},
                          std::move(s),
                          font,
                          report::Align::kLeft};
}

// A case record begins with the fields of a knowledge-base record, laid out alike.
static_assert(sizeof(ArchiveRecord) <= sizeof(SercaseRecord));
static_assert(offsetof(SercaseRecord, CaseNr) == offsetof(ArchiveRecord, CASENR));
static_assert(offsetof(SercaseRecord, Owner) == offsetof(ArchiveRecord, OWNER));
static_assert(offsetof(SercaseRecord, ThirdAction) == offsetof(ArchiveRecord, THIRDACTION));
static_assert(offsetof(SercaseRecord, Status) == offsetof(ArchiveRecord, STATUS));

// The report's fields of a case (SercaseRecord) or knowledge-base (ArchiveRecord) record: read
// as its own type, then through the part both share.
template <class R>
ArchiveRecord sharedPart(const store::RecordBuffer& b) {
  static_assert(sizeof(ArchiveRecord) <= sizeof(R));
  static_assert(std::is_trivially_copyable_v<R>);
  ArchiveRecord r;  // cleared, as recordOf gives a record of another file
  if (b.record.size() == sizeof(R)) std::memcpy(static_cast<void*>(&r), b.record.data(), sizeof r);
  return r;
}

template <class R>
CaseFields fieldsOf(const store::RecordBuffer& b, bool withHistory) {
  const ArchiveRecord r = sharedPart<R>(b);
  CaseFields c;
  c.caseNr = r.CASENR;
  c.sname = shown(r.SNAME.view());
  c.lname = shown(r.LNAME.view());
  c.phone = shown(r.PHONE.view());
  c.product = shown(r.Product.view());
  c.idProduct = shown(r.IDPRODUCT.view());
  c.problem = shown(r.SProblem.view());
  c.priority = shown(r.PRIORITY.view());
  c.owner = std::string(text::clip(r.OWNER.view()));  // kept in the records' charset
  c.status = shown(r.STATUS.view());
  c.sdate = r.SDATE;
  c.stime = r.STIME;
  c.escDate[0] = r.FIRSTESCDATE, c.escDate[1] = r.SECESCDATE, c.escDate[2] = r.THIRDESCDATE;
  c.escTime[0] = r.FIRSTESCTIME, c.escTime[1] = r.SECESCTIME, c.escTime[2] = r.THIRDESCTIME;
  c.done[0] = r.FIRSTACTION == "D", c.done[1] = r.SECACTION == "D",
  c.done[2] = r.THIRDACTION == "D";
  if (withHistory) c.history = memoOf(b, 0);
  return c;
}

}  // namespace

CaseFields caseFields(const store::RecordBuffer& b, bool withHistory) {
  return fieldsOf<SercaseRecord>(b, withHistory);
}

CaseFields archiveFields(const store::RecordBuffer& b, bool withHistory) {
  return fieldsOf<ArchiveRecord>(b, withHistory);
}

std::string caseListTitle(const PrintOptions& o) {
  static const char* const kinds[] = {"Report of All Cases", "Report of All Active Cases",
                                      "Report of All Cases On Hold", "Report of All Closed Cases"};
  std::string t = kinds[std::clamp(o.kindChoice, 1, 4) - 1];
  if (o.agentChoice == 2) t += " of Agent " + std::string(text::clip(o.agentName));
  return t.substr(0, 75);
}

std::string archiveListTitle(const PrintOptions& o) {
  std::string t;
  switch (o.kindChoice) {
    case 2:
      t = "Report of Knowledge Base Product " + std::string(text::clip(o.productOrClient));
      break;
    case 3:
      t = "Report of Knowledge Base Client " + std::string(text::clip(o.productOrClient));
      break;
    case 4:
      return {};
    default:
      t = "Report of All Knowledge Base Cases";
  }
  if (o.agentChoice == 2) t += " of Agent " + std::string(text::clip(o.agentName));
  return t.substr(0, 75);
}

CaseList::CaseList(PrintOptions options, bool archive, std::string title, std::string date,
                   std::string time, std::string appTitle)
    : options_(std::move(options)),
      archive_(archive),
      ownerWanted_(text::fromUtf8(text::clip(options_.agentName))),
      idWanted_(text::fromUtf8(text::clip(options_.productOrClient))),
      layout_(landscapePage(), title),
      width_(contentWidth(landscapePage())),
      line_(lineBand(listColumns(), std::vector<std::string>(listColumns().size()), true, width_)
                .items) {
  HeaderLine line;
  line.dateLabel = "Date : ";
  line.date = std::move(date);
  line.title = std::move(title);
  line.time = std::move(time);
  const int width = width_;
  layout_.setPageHeader(pageHeader(line, listColumns(), width));
  layout_.setPageFooter(
      [appTitle, width](int page) { return pageFooter("(TM) ", appTitle, page, width); });
}

bool CaseList::passes(const ArchiveRecord& r) const {
  // Owners are compared exactly, letter case included.
  if (options_.agentChoice == 2 && r.OWNER.view() != ownerWanted_) return false;
  // The statuses are plain ASCII: the same in the records' charset as in UTF-8.
  const std::string_view status = r.STATUS.view();
  if (!archive_) {
    switch (options_.kindChoice) {
      case 2:
        return status == "Active";
      case 3:
        return status == "On Hold";
      case 4:
        return status == "Closed";
      default:
        return true;
    }
  }
  switch (options_.kindChoice) {
    case 1:
      return true;
    case 2:
      return text::fromUtf8(shown(r.IDPRODUCT.view())) == idWanted_;
    case 3:
      return text::fromUtf8(shown(r.SNAME.view())) == idWanted_;
    default:
      return false;  // what the Closed choice selects is not settled: it prints nothing
  }
}

Level CaseList::print(const store::RecordBuffer& record) {
  // Only the fields the line shows are read and converted, straight from the record: a list
  // runs over every case.
  static const ArchiveRecord cleared;
  const ArchiveRecord& r =
      record.record.size() == (archive_ ? sizeof(ArchiveRecord) : sizeof(SercaseRecord))
          ? *reinterpret_cast<const ArchiveRecord*>(record.record.data())
          : cleared;
  if (!passes(r)) return data::LevelNotify;
  static const text::ParsedPicture number("N06"), date("D5"), time("T1");
  const std::array<std::string_view, 8> cells = {
      pictureCell(0, number, r.CASENR), utf8(1, r.OWNER.view().substr(0, 15)),
      utf8(2, r.SNAME.view()),          utf8(3, r.IDPRODUCT.view()),
      utf8(4, r.SProblem.view()),       utf8(5, r.STATUS.view()),
      pictureCell(6, date, r.SDATE),    pictureCell(7, time, r.STIME)};
  layout_.addDetail(lineBandHeight(true), line_, cells);
  return data::LevelOk;
}

std::string_view CaseList::cell(std::size_t i, std::string s) {
  cells_[i] = std::move(s);
  return cells_[i];
}

std::string_view CaseList::pictureCell(std::size_t i, const text::ParsedPicture& picture,
                                       std::int64_t value) {
  return cell(i, pictured(picture, value));
}

std::string_view CaseList::utf8(std::size_t i, std::string_view cp1252) {
  // Plain ASCII (most record text) is shown as it stands, without a copy.
  if (text::isAscii(cp1252)) return cp1252;
  return cell(i, text::toUtf8(cp1252));
}

namespace {

// One case on a page: the fields by rows, the three escalations with their done marks, the
// history across the page.
int printOneCase(core::ProgramState& s, std::uint32_t nr, bool archive) {
  data::FileRelations& file =
      archive ? *s.dictionary.ArchiveRelations : *s.dictionary.SercaseRelations;
  // The done marks as the caller holds them: the open case form's buffer, when it holds this
  // case (its unsaved marks count); the stored record's otherwise.
  std::optional<std::array<bool, 3>> held;
  if (archive) {
    const ArchiveRecord& r = s.dictionary.ArchiveAccess->record<ArchiveRecord>();
    if (r.CASENR == nr) held = {{r.FIRSTACTION == "D", r.SECACTION == "D", r.THIRDACTION == "D"}};
  } else {
    const SercaseRecord& r = s.dictionary.SercaseAccess->record<SercaseRecord>();
    if (r.CaseNr == nr) held = {{r.FirstAction == "D", r.SecAction == "D", r.ThirdAction == "D"}};
  }
  const std::string date = pictured("D5", s.env.clock.today());
  const std::string time = pictured("T1", s.env.clock.now());
  const std::string title = "Report of Case Nr. " + pictured(archive ? "N_6" : "N06", nr);
  const report::PageSetup page;
  const int width = contentWidth(page);
  report::ReportLayout layout(page, title);
  HeaderLine line{"Date :", date, title, "Time :", time};
  layout.setPageHeader([line, width](int) { return pageHeader(line, {}, width); });
  const std::string appTitle = s.AppTitle;
  layout.setPageFooter(
      [appTitle, width](int n) { return pageFooter("(TM) ", appTitle, n, width); });

  ReportJob job;
  job.procedure = archive ? "PrintArchiveCase" : "PrintCase";
  job.file = &file;
  job.key = archive ? "ARC:CaseNrKey" : "SER:CaseNrKey";
  job.progress = [archive](const store::RecordBuffer& b) -> std::int64_t {
    return archive ? recordOf<ArchiveRecord>(b).CASENR : recordOf<SercaseRecord>(b).CaseNr;
  };
  job.narrow = [archive, nr](view::ViewReader& v) {
    store::RecordBuffer probe(v.decl());
    if (archive)
      reinterpret_cast<ArchiveRecord*>(probe.record.data())->CASENR = nr;
    else
      reinterpret_cast<SercaseRecord*>(probe.record.data())->CaseNr = nr;
    v.SetRange(probe, probe, [archive, nr](const store::RecordBuffer& b) {
      return (archive ? recordOf<ArchiveRecord>(b).CASENR : recordOf<SercaseRecord>(b).CaseNr) ==
             nr;
    });
  };
  return runReport(s, job, layout, [&](const store::RecordBuffer& b) {
    CaseFields c = archive ? archiveFields(b, true) : caseFields(b, true);
    if (held) std::copy(held->begin(), held->end(), c.done);
    const report::FontSpec& f = kLineFont;
    const report::FontSpec& lf = kHeadingFont;
    const int h = report::ReportLayout::lineHeight(f) + 60;
    auto row = [&](report::PageItems items) {
      layout.addDetail(report::Band{h, std::move(items)});
    };
    row({at(0, 0, 900, "Case Nr.", lf), at(900, 0, 800, pictured("N06", c.caseNr), f),
         at(2000, 0, 1100, "Current Status", lf), at(3100, 0, 800, c.status, f),
         at(4300, 0, 700, "Agent", lf), at(5000, 0, 2200, shown(c.owner), f)});
    row({at(0, 0, 900, "Name", lf), at(900, 0, 800, c.sname, f), at(2000, 0, 1100, "Full Name", lf),
         at(3100, 0, 2600, c.lname, f), at(5800, 0, 300, "Ph.", lf),
         at(6100, 0, 1200, c.phone, f)});
    row({at(0, 0, 900, "Product", lf), at(900, 0, 4000, c.product, f), at(5000, 0, 400, "ID.", lf),
         at(5400, 0, 1800, c.idProduct, f)});
    row({at(0, 0, 900, "Problem", lf), at(900, 0, 6300, c.problem, f)});
    row({at(0, 0, 900, "Start Date", lf), at(900, 0, 800, pictured("D5", c.sdate), f),
         at(2000, 0, 1100, "Start Time", lf), at(3100, 0, 600, pictured("T1", c.stime), f),
         at(4300, 0, 1300, archive ? "Priority" : "Current Priority", lf),
         at(5600, 0, 800, c.priority, f)});
    static const char* const esc[] = {"Esc. 1 ", "Esc. 2", "Esc. 3"};
    for (int i = 0; i < 3; ++i) {
      row({at(0, 0, 900, esc[i], lf), at(900, 0, 800, pictured("D5", c.escDate[i]), f),
           at(2000, 0, 1100, "Time", lf), at(3100, 0, 600, pictured("T1", c.escTime[i]), f),
           report::CheckItem{{4300, 0, 1000, h - 60}, "Done", c.done[i], f}});
    }
    layout.addMemo(c.history, 0, width, f);
    return data::LevelOk;
  });
}

// A list of cases after its option window; nothing at all when the window was cancelled.
void printCaseList(core::ProgramState& s, bool archive) {
  const PrintOptions o = archive ? PrintArchiveOptions(s) : PrintCaseOptions(s);
  if (o.cancelled) {
    s.globals.LastResponse = report::ResponseCancelled;
    return;
  }
  const std::string date = pictured(archive ? "D5" : "D5B", s.env.clock.today());
  const std::string time = pictured("T1", s.env.clock.now());
  const std::string title = archive ? archiveListTitle(o) : caseListTitle(o);
  CaseList list(o, archive, title, date, time, s.AppTitle);
  ReportJob job;
  job.procedure = archive ? "PrintAllArchive" : "PrintAllCases";
  job.file = archive ? s.dictionary.ArchiveRelations.get() : s.dictionary.SercaseRelations.get();
  job.key = archive ? "ARC:CaseNrKey" : "SER:CaseNrKey";
  job.progress = [archive](const store::RecordBuffer& b) -> std::int64_t {
    return archive ? recordOf<ArchiveRecord>(b).CASENR : recordOf<SercaseRecord>(b).CaseNr;
  };
  job.settings.noRecordsText = kNoSelection;
  job.settings.noRecordsCaption = s.AppTitle;
  job.settings.noRecordsIcon = ui::Icon::Exclamation;
  job.memos = false;  // a line a case, no history
  (void)runReport(s, job, list.layout(),
                  [&list](const store::RecordBuffer& b) { return list.print(b); });
}

}  // namespace

void registerCaseReports(core::ProgramState& s) {
  auto oneCase = [&s](bool archive) {
    return forms::onCallersThread([&s, archive](std::string_view arg) {
      forms::ProcedureArgs args(arg);
      const std::optional<std::uint32_t> nr = args.next<std::uint32_t>();
      if (!nr || !args.done()) {
        s.globals.LastResponse = report::ResponseCancelled;
        return;
      }
      (void)printOneCase(s, *nr, archive);
    });
  };
  s.procedures.add("PrintCase", oneCase(false));
  s.procedures.add("PrintArchiveCase", oneCase(true));
  s.procedures.add("PrintAllCases",
                   forms::onCallersThread([&s](std::string_view) { printCaseList(s, false); }));
  s.procedures.add("PrintAllArchive",
                   forms::onCallersThread([&s](std::string_view) { printCaseList(s, true); }));
}

}  // namespace trv::cases::reports
