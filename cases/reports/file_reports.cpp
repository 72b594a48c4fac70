// The client, product and activity-log reports.

#include "cases/reports/print_options.h"
#include "cases/reports/report_frame.h"
#include "cases/reports/reports.h"
#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/forms/procedures.h"
#include "runtime/text/charset.h"
#include "runtime/text/clock.h"
#include "runtime/text/fixed_string.h"

namespace trv::cases::reports {
namespace {

using core::ClientRecord;
using core::LogRecord;
using core::SlaRecord;

// The page frame of a file list: header line and column headings, footer with the mark.
void frame(report::ReportLayout& layout, HeaderLine line, std::vector<Column> columns,
           std::string mark, std::string appTitle) {
  const int width = contentWidth(landscapePage());
  layout.setPageHeader([line, columns, width](int) { return pageHeader(line, columns, width); });
  layout.setPageFooter(
      [mark, appTitle, width](int page) { return pageFooter(mark, appTitle, page, width); });
}

HeaderLine headerLine(core::ProgramState& s, std::string title) {
  HeaderLine h;
  h.date = pictured("D5", s.env.clock.today());
  h.time = pictured("T1", s.env.clock.now());
  h.title = std::move(title);
  return h;
}

void printClient(core::ProgramState& s) {
  const std::vector<Column> columns = {{"ID", 0, 600},          {"Name", 650, 2900},
                                       {"Contact", 3600, 1800}, {"Phone", 5450, 1100},
                                       {"Phone 2", 6600, 1200}, {"Email", 7850, 1800},
                                       {"Fax", 9700, 990}};
  HeaderLine h = headerLine(s, "Report of Client File");
  h.dateLabel = "Date : ";
  report::ReportLayout layout(landscapePage(), h.title);
  frame(layout, h, columns, "(TM)", s.AppTitle);
  const int width = contentWidth(landscapePage());
  ReportJob job;
  job.procedure = "PrintClient";
  job.file = s.dictionary.ClientRelations.get();
  job.key = "CLI:SNameKey";
  job.progress = [](const store::RecordBuffer& b) {
    return textProgress(recordOf<ClientRecord>(b).SName.raw());
  };
  (void)runReport(s, job, layout, [&](const store::RecordBuffer& b) {
    const ClientRecord r = recordOf<ClientRecord>(b);
    layout.addDetail(lineBand(
        columns,
        {shown(r.SName.view()), shown(r.LName.view()), shown(r.Contact.view()),
         shown(r.Phone.view()), shown(r.Phone2.view()), shown(r.Email.view()), shown(r.Fax.view())},
        false, width));
    return data::LevelOk;
  });
}

void printProducts(core::ProgramState& s) {
  const auto right = report::Align::kRight;
  const std::vector<Column> columns = {
      {"ID", 0, 1300},           {"Product", 1350, 3600},     {"Respons", 5000, 600, right},
      {"FET", 5650, 500, right}, {"FED", 6200, 350, right},   {"SET", 6600, 500, right},
      {"SED", 7150, 350, right}, {"TET", 7550, 500, right},   {"TED", 8100, 350, right},
      {"Shift", 8550, 400},      {"Start", 9000, 500, right}, {"End", 9550, 500, right}};
  HeaderLine h = headerLine(s, "Report of Product File");
  h.timeLabel = "Time : ";
  report::ReportLayout layout(landscapePage(), h.title);
  frame(layout, h, columns, "(TM) ", s.AppTitle);
  const int width = contentWidth(landscapePage());
  ReportJob job;
  job.procedure = "PrintProducts";
  job.file = s.dictionary.SlaRelations.get();
  job.key = "SLA:IDPRODUCTKEY";
  job.progress = [](const store::RecordBuffer& b) {
    return textProgress(recordOf<SlaRecord>(b).IDProduct.raw());
  };
  (void)runReport(s, job, layout, [&](const store::RecordBuffer& b) {
    const SlaRecord r = recordOf<SlaRecord>(b);
    layout.addDetail(
        lineBand(columns,
                 {shown(r.IDProduct.view()), shown(r.Product.view()), pictured("T1", r.Respons),
                  pictured("T1", r.FirstEsc), pictured("n1", r.FirstEscDays),
                  pictured("T1", r.SecEsc), pictured("n1", r.SecEscDays), pictured("T1", r.ThdEsc),
                  pictured("n1", r.ThirdEscDays), r.ServiceShift ? "yes" : "no",
                  pictured("T1B", r.ServiceStart), pictured("T1B", r.ServiceEnd)},
                 false, width));
    return data::LevelOk;
  });
}

std::string logTitle(const PrintOptions& o) {
  static const char* const kinds[] = {
      "Log-Report of All Activities", "Log-Report of All Created Cases",
      "Log-Report of All Cases On Hold", "Log-Report of All Closed Cases"};
  std::string t = kinds[std::clamp(o.kindChoice, 1, 4) - 1];
  if (o.agentChoice == 2) t += " of Agent " + std::string(text::clip(o.agentName));
  return t.substr(0, 75);
}

void printLog(core::ProgramState& s) {
  const PrintOptions o = PrintLogOptions(s);
  if (o.cancelled) {
    s.globals.LastResponse = report::ResponseCancelled;
    return;
  }
  const std::vector<Column> columns = {{"Agent", 0, 2000},
                                       {"Case Nr", 2100, 700, report::Align::kRight},
                                       {"Activity", 3000, 900},
                                       {"Date", 4000, 800},
                                       {"Time", 4900, 600}};
  HeaderLine h = headerLine(s, logTitle(o));
  report::ReportLayout layout(landscapePage(), h.title);
  frame(layout, h, columns, "(TM) ", s.AppTitle);
  const int width = contentWidth(landscapePage());
  static const char* const actions[] = {"", "Created", "On Hold", "Closed"};
  const std::string action = actions[std::clamp(o.kindChoice, 1, 4) - 1];
  const std::string agent = text::fromUtf8(text::clip(o.agentName));
  ReportJob job;
  job.procedure = "PrintLog";
  job.file = s.dictionary.LogRelations.get();
  job.key = "Log:KEYNAME";
  job.progress = [](const store::RecordBuffer& b) {
    return textProgress(recordOf<LogRecord>(b).NAME.raw());
  };
  job.settings.noRecordsText = "No records to process with current selection";
  job.settings.noRecordsCaption = "Vorn Trovanel 1.0";
  job.settings.noRecordsIcon = ui::Icon::Exclamation;
  (void)runReport(s, job, layout, [&](const store::RecordBuffer& b) {
    const LogRecord r = recordOf<LogRecord>(b);
    // Agent names are compared exactly, letter case included.
    if (o.agentChoice == 2 && r.NAME.view() != agent) return data::LevelNotify;
    if (!action.empty() && r.ACTION.view() != action) return data::LevelNotify;
    layout.addDetail(
        lineBand(columns,
                 {shown(r.NAME.view()), pictured("N_6B", r.CASENR), shown(r.ACTION.view()),
                  pictured("D5", r.ActionDate), pictured("T1", r.ActionTime)},
                 false, width));
    return data::LevelOk;
  });
}

}  // namespace

void registerFileReports(core::ProgramState& s) {
  s.procedures.add("PrintClient",
                   forms::onCallersThread([&s](std::string_view) { printClient(s); }));
  s.procedures.add("PrintProducts",
                   forms::onCallersThread([&s](std::string_view) { printProducts(s); }));
  s.procedures.add("PrintLog", forms::onCallersThread([&s](std::string_view) { printLog(s); }));
}

}  // namespace trv::cases::reports
