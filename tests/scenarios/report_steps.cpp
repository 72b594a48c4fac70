// Checks on the report shown in the "Report Preview" window in front, read from its page model.

#include <algorithm>

#include "runtime/ui/window.h"
#include "tests/scenarios/runner.h"

namespace trv::scenario {

void ScenarioReports::showPages(const ui::Window& preview,
                                std::shared_ptr<const report::Document> document) {
  shown_[preview.id()] = std::move(document);
}

bool ScenarioReports::print(const report::Document& document, std::string*) {
  printed_.push_back(document);
  return true;
}

std::shared_ptr<const report::Document> ScenarioReports::shownIn(ui::WindowId preview) const {
  auto it = shown_.find(preview);
  return it == shown_.end() ? nullptr : it->second;
}

namespace {

using Args = std::vector<Token>;

std::string trim(std::string_view s) {
  const std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  const std::size_t e = s.find_last_not_of(" \t");
  return std::string(s.substr(b, e - b + 1));
}

std::string quote(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

// A printed line: the text items of one page whose boxes share their top edge, left to right.
using Line = std::vector<report::ItemView>;

std::vector<Line> lines(const report::Page& page) {
  std::map<int, Line> byTop;
  for (const report::ItemView item : page.items)
    if (item.kind() == report::ItemKind::kText) byTop[item.box().y].push_back(item);
  std::vector<Line> out;
  for (auto& [top, line] : byTop) {
    std::stable_sort(line.begin(), line.end(),
                     [](const auto& a, const auto& b) { return a.box().x < b.box().x; });
    out.push_back(std::move(line));
  }
  return out;
}

// Every page's lines and check boxes, for a failing check.
std::string describe(const report::Document& doc) {
  std::string out;
  for (const report::Page& page : doc.pages) {
    out += "\n    page " + std::to_string(page.number) + ":";
    for (const Line& line : lines(page)) {
      out += "\n     ";
      for (const report::ItemView& t : line) out += " " + quote(t.text());
    }
    for (const report::ItemView item : page.items)
      if (item.kind() == report::ItemKind::kCheck)
        out += std::string("\n      [") + (item.checked() ? "x" : " ") + "] " + quote(item.text());
  }
  return out;
}

using ReportCheck = std::function<Outcome(Workstation&, const report::Document&, const Args&)>;

// Runs check on the document of the "Report Preview" window in front.
StepFn reportStep(const char* usageText, std::size_t minArgs, std::size_t maxArgs,
                  ReportCheck check) {
  return [=](Workstation& ws, const Args& a) {
    if (a.size() < minArgs || a.size() > maxArgs) return fail(std::string("usage: ") + usageText);
    return looking(ws, [&] {
      ui::Window* w = ws.ui.front();
      if (!w || w->title() != "Report Preview")
        return fail("the window in front is " + (w ? quote(w->title()) : std::string("none")) +
                    ", not the \"Report Preview\"");
      const auto doc = ws.reports.shownIn(w->id());
      if (!doc) return fail("the \"Report Preview\" in front shows no report");
      Outcome o = check(ws, *doc, a);
      if (!o.ok) o.found += "; the report holds:" + describe(*doc);
      return o;
    });
  };
}

bool holds(const report::Document& doc, const std::string& text) {
  for (const report::Page& page : doc.pages)
    for (const report::ItemView item : page.items)
      if ((item.kind() == report::ItemKind::kText || item.kind() == report::ItemKind::kCheck) &&
          item.text().find(text) != std::string_view::npos)
        return true;
  return false;
}

Outcome reportText(Workstation& ws, const report::Document& doc, const Args& a, bool wanted) {
  const std::string text = value(ws, a[0]).value_or(a[0].text);
  if (holds(doc, text) == wanted) return pass();
  return fail(wanted ? "no text item or label contains " + quote(text)
                     : "a text item or label contains " + quote(text));
}

Outcome reportRow(Workstation& ws, const report::Document& doc, const Args& a) {
  std::vector<std::optional<std::string>> want;  // nothing: any cell
  for (const Token& t : a) {
    if (!t.quoted && t.text == "*") {
      want.emplace_back();
      continue;
    }
    auto v = value(ws, t);
    if (!v) return fail("bad value " + t.text);
    want.emplace_back(trim(*v));
  }
  for (const report::Page& page : doc.pages)
    for (const Line& line : lines(page)) {
      if (line.size() < want.size()) continue;
      bool all = true;
      for (std::size_t i = 0; i < want.size() && all; ++i)
        all = !want[i] || trim(line[i].text()) == *want[i];
      if (all) return pass();
    }
  return fail("no printed line begins with these cells");
}

Outcome reportCheck(Workstation&, const report::Document& doc, const Args& a) {
  long long n = 0;
  try {
    n = std::stoll(a[1].text);
  } catch (...) {
    n = 0;
  }
  const std::string& state = a[2].text;
  if (n < 1 || (state != "checked" && state != "unchecked"))
    return fail("usage: expect report-check \"LABEL\" N checked|unchecked");
  long long seen = 0;
  for (const report::Page& page : doc.pages)
    for (const report::ItemView item : page.items) {
      if (item.kind() != report::ItemKind::kCheck || trim(item.text()) != trim(a[0].text) ||
          ++seen != n)
        continue;
      if (item.checked() == (state == "checked")) return pass();
      return fail("check box " + a[1].text + " labelled " + quote(a[0].text) + " is " +
                  (item.checked() ? "checked" : "unchecked"));
    }
  return fail("the report has " + std::to_string(seen) + " check boxes labelled " +
              quote(a[0].text));
}

Outcome reportPages(Workstation&, const report::Document& doc, const Args& a) {
  if (std::to_string(doc.pages.size()) == a[0].text) return pass();
  return fail("the report has " + std::to_string(doc.pages.size()) + " pages");
}

}  // namespace

void registerReportSteps(StepTable& s) {
  s.add("expect report-text", reportStep("expect report-text \"TEXT\"", 1, 1,
                                         [](Workstation& ws, const report::Document& d,
                                            const Args& a) { return reportText(ws, d, a, true); }));
  s.add("expect report-lacks",
        reportStep("expect report-lacks \"TEXT\"", 1, 1,
                   [](Workstation& ws, const report::Document& d, const Args& a) {
                     return reportText(ws, d, a, false);
                   }));
  s.add("expect report-row", reportStep("expect report-row \"CELL\" ...", 1, 1000, reportRow));
  s.add("expect report-check",
        reportStep("expect report-check \"LABEL\" N checked|unchecked", 3, 3, reportCheck));
  s.add("expect report-pages", reportStep("expect report-pages N", 1, 1, reportPages));
}

}  // namespace trv::scenario
