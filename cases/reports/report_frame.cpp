#include "cases/reports/report_frame.h"

#include "core/program/program_state.h"
#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/procedures.h"
#include "runtime/text/charset.h"
#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/view/view_reader.h"

namespace trv::cases::reports {
namespace {

constexpr int kRule = 5;

// Where a report goes when the program was given no output (tools and tests without a front
// end): nothing is drawn, printing says why it cannot.
class NoOutput final : public report::ReportOutput {
 public:
  void showPages(const ui::Window&, std::shared_ptr<const report::Document>) override {}
  bool print(const report::Document&, std::string* error) override {
    *error = "no printer is set up";
    return false;
  }
};

report::TextItem text(int x, int width, int height, std::string s, const report::FontSpec& font,
                      report::Align align = report::Align::kLeft, int y = 0) {
  return report::TextItem{{x, y, width, height}, std::move(s), font, align};
}

report::LineItem rule(int y, int width, int thickness = kRule) {
  return report::LineItem{0, y, width, y, thickness};
}

}  // namespace

std::string shown(std::string_view field) {
  return text::toUtf8(text::clip(field));
}

std::string pictured(std::string_view picture, std::int64_t value) {
  return pictured(text::ParsedPicture(picture), value);
}

std::string pictured(const text::ParsedPicture& picture, std::int64_t value) {
  std::string s = picture.format(value);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::int64_t textProgress(std::string_view key) {
  std::int64_t v = 0;
  for (std::size_t i = 0; i < 4; ++i)
    v = v * 256 + (i < key.size() ? static_cast<unsigned char>(key[i]) : 0);
  return v;
}

report::PageSetup landscapePage() {
  report::PageSetup p;
  p.width = 11693;
  p.height = 8268;
  p.landscape = true;
  return p;
}

int contentWidth(const report::PageSetup& page) {
  return page.width - page.marginLeft - page.marginRight;
}

report::Band pageHeader(const HeaderLine& line, const std::vector<Column>& columns, int width) {
  const int top = report::ReportLayout::lineHeight(kTitleFont);
  report::Band b;
  b.items = {
      text(0, 600, top, line.dateLabel, kHeadingFont),
      text(600, 1000, top, line.date, kLineFont),
      text(1800, width - 3600, top, line.title, kTitleFont, report::Align::kCenter),
      text(width - 1600, 600, top, line.timeLabel, kHeadingFont),
      text(width - 1000, 1000, top, line.time, kLineFont),
      rule(top + 40, width, 10),
  };
  b.height = top + 100;
  if (!columns.empty()) {
    const int h = report::ReportLayout::lineHeight(kHeadingFont);
    for (const Column& c : columns) {
      b.items.push_back(text(c.x, c.width, h, c.header, kHeadingFont, c.align, b.height));
    }
    b.items.push_back(rule(b.height + h + 20, width));
    b.height += h + 80;
  }
  return b;
}

report::Band pageFooter(const std::string& mark, const std::string& appTitle, int page, int width) {
  // Built for every page of a report: placed straight, the page number's picture read once.
  static const text::ParsedPicture pageNumber("pPage <<<#p");
  const int h = report::ReportLayout::lineHeight(kLineFont);
  report::Band b;
  b.items.addLine(rule(0, width));
  b.items.addText({0, 40, 400, h}, mark, kLineFont);
  b.items.addText({400, 40, 2000, h}, appTitle, kLineFont);
  b.items.addText({width - 1200, 40, 1200, h}, pictured(pageNumber, page), kLineFont,
                  report::Align::kRight);
  b.height = h + 60;
  return b;
}

int lineBandHeight(bool ruleUnder) {
  return report::ReportLayout::lineHeight(kLineFont) + (ruleUnder ? 40 : 20);
}

report::Band lineBand(const std::vector<Column>& columns, const std::vector<std::string>& cells,
                      bool ruleUnder, int width) {
  report::Band b;
  b.height = lineBandHeight(ruleUnder);
  const int h = report::ReportLayout::lineHeight(kLineFont);
  for (std::size_t i = 0; i < columns.size() && i < cells.size(); ++i)
    b.items.addText({columns[i].x, 0, columns[i].width, h}, cells[i], kLineFont, columns[i].align);
  if (ruleUnder) b.items.addLine(rule(h + 10, width, 2));
  return b;
}

int runReport(core::ProgramState& s, const ReportJob& job, report::ReportLayout& layout,
              FunctionLoop::Each each) {
  int response = report::ResponseCancelled;
  s.AppMessages.PushProcedureName(job.procedure);
  if (job.file && job.file->open() == data::LevelOk) {
    data::FileAccess& f = job.file->file();
    f.setBulkRows(100);
    data::FileAccess::threadConnection().setSequenceMemos(f.fileId(), job.memos);
    {
      view::ViewReader v(data::FileAccess::threadConnection(), f.fileId(), f.decl());
      v.SetKeyOrder(f.decl().findKey(job.key));
      if (job.narrow) job.narrow(v);
      FunctionLoop loop(v, std::move(each));
      loop.Init(job.progress);
      NoOutput none;
      report::ReportRunner runner(s.env.ui, s.AppMessages, s.env.reports ? *s.env.reports : none);
      runner.SetIniSettings(&s.AppSettings);
      response = runner.Run(loop, layout, job.settings);
    }
    f.setBulkRows(1);
    data::FileAccess::threadConnection().setSequenceMemos(f.fileId(), true);
    job.file->close();
  }
  s.AppMessages.PushProcedureName(job.procedure, true);
  s.globals.LastResponse = response;
  return response;
}

}  // namespace trv::cases::reports
