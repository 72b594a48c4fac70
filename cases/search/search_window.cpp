#include <memory>
#include <string>

#include "cases/search/search_scan.h"
#include "cases/search/search_windows.h"
#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/message_catalog.h"
#include "runtime/forms/procedures.h"
#include "runtime/forms/program_message.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

using data::Level;
using data::LevelFatal;
using data::LevelNotify;
using data::LevelOk;

// Records read between two looks at the window's events.
constexpr int kBatchRecords = 500;

enum SearchEvent : int {
  EventSearchBatch = ui::EventUser + 1,
  // Posted after each of the window's own message boxes: focus changes queued before it came
  // from the box, not from another window.
  EventBoxAnswered = ui::EventUser + 2,
};

struct SearchBuffers {
  std::int64_t choice = 0;  // SearchSubject; 0 none
  text::FixedString<20> phrase;
};

ui::WindowDecl searchDecl(SearchBuffers& b) {
  ui::WindowDecl d;
  d.title = "Extended Search";
  d.kind = ui::WindowKind::Modal;
  auto& c = d.controls;
  c.push_back(ui::option("?Subject", "Subject", ui::useNumber("SearchOption", b.choice))
                  .withNumber(SearchSubjectGroup)
                  .withTip("Choose subject")
                  .at(1, 1));
  const char* choices[] = {"Case &Nr.", "Client I&D", "C&lient Name", "Product &ID",
                           "&Pro&duct", "&Problem",   "&Case History"};
  for (int i = 0; i < 7; ++i)
    c.push_back(ui::radio("?Choice" + std::to_string(i + 1), choices[i], std::to_string(i + 1))
                    .withNumber(SearchFirstChoice + i)
                    .at(i + 1, 1)
                    .in(SearchSubjectGroup));
  c.push_back(ui::progress("?Progress", 0, 100).withNumber(SearchProgress).at(2, 1).size(40));
  c.push_back(
      ui::prompt("?FindPhrase:Prompt", "Find Phrase:").withNumber(SearchPhrasePrompt).at(3, 1));
  c.push_back(ui::entry("?FindPhrase", "@s20", ui::useField("FindPhrase", b.phrase))
                  .withNumber(SearchPhrase)
                  .withTip("Enter phrase and/or number")
                  .at(3, 2)
                  .size(20));
  c.push_back(ui::button("?Go", "&Go").withNumber(SearchGo).asDefault());
  c.push_back(ui::button("?NewSearch", "&New search").withNumber(SearchNew));
  c.push_back(ui::button("?Cancel", "&Cancel").withNumber(SearchCancel));
  c.push_back(ui::button("?Help", "&Help").withNumber(SearchHelp));
  return d;
}

class SearchWindow final : public forms::WindowController {
 public:
  SearchWindow(core::ProgramState& s, std::string_view scope, SearchHits& hits, SearchBuffers& b)
      : WindowController(s.forms, "Search", searchDecl(b)),
        s_(s),
        scope_(scope.substr(0, 1)),
        hits_(hits),
        b_(b) {
    FIRSTFIELD = SearchFirstChoice;
    UseFile(*s.dictionary.ArchiveRelations);
    UseFile(*s.dictionary.SercaseRelations);
    AddHelpButton(SearchHelp, "Search Options");
  }

  void OnOpen() override {
    const std::int64_t stored = s_.AppSettings.ReadNumber("Config", "SearchOption");
    b_.choice = stored >= SearchFirstChoice && stored <= SearchFirstChoice + 6
                    ? stored - SearchFirstChoice + 1
                    : 0;
    WindowController::OnOpen();
    window().display();
    window().select(SearchPhrase);
    if (scope_ == "1") window().setTitle("Searching in Current Cases");
    if (scope_ == "2") window().setTitle("Searching in Knowledge Base");
  }

  Level HandleEvent() override {
    switch (event().number) {
      case EventSearchBatch:
        searchOn();
        return LevelNotify;
      case EventBoxAnswered:
        boxPending_ = false;
        return LevelNotify;
      case ui::EventLoseFocus:
        if (!boxPending_) lostFocus();
        break;
      default:
        break;
    }
    return WindowController::HandleEvent();
  }

  Level HandleAccepted() override {
    switch (event().control) {
      case SearchSubjectGroup:
        window().select(SearchPhrase);
        return LevelNotify;
      case SearchGo:
        go();
        return LevelNotify;
      case SearchNew:
        newSearch();
        return LevelNotify;
      case SearchCancel:
        window().update();
        window().close();
        return LevelNotify;
      default:
        return WindowController::HandleAccepted();
    }
  }

  Level Shutdown() override {
    scan_.reset();
    hits_.clear();
    if (OPENED)
      (void)s_.AppSettings.WriteValue(
          "Config", "SearchOption",
          std::int64_t{b_.choice >= 1 && b_.choice <= 7 ? b_.choice + 1 : 1});
    return WindowController::Shutdown();
  }

 private:
  SearchSubject subject() const { return static_cast<SearchSubject>(b_.choice); }
  bool inCases() const { return scope_ == "0" || scope_ == "1"; }
  bool inArchive() const { return scope_ == "0" || scope_ == "2"; }

  // Another window took the focus, another program's or one this window opened (the case
  // form, the view, the result list): the search closes once it has the focus again.
  void lostFocus() { window().post(ui::EventCloseWindow); }

  void tell(const std::string& text) {
    boxPending_ = true;
    forms::tell(s_.forms, text);
    window().post(EventBoxAnswered);
  }

  void go() {
    window().update();
    const bool noSubject = b_.choice < 1 || b_.choice > 7;
    const bool noPhrase = b_.phrase.blank();
    if (noSubject) tell("  No subject selected");
    if (noPhrase) {
      tell("  No phrase to search for....");
      window().select(SearchPhrase);
    }
    if (noSubject || noPhrase) return;
    hits_.clear();
    if (subject() == SearchSubject::CaseNr) {
      if (!openCaseNr(phraseAsCaseNr(b_.phrase.view()))) askNewSearch();
      return;
    }
    std::vector<SearchScan::Source> sources;
    if (inCases()) sources.push_back({s_.dictionary.SercaseAccess.get(), "Case"});
    if (inArchive()) sources.push_back({s_.dictionary.ArchiveAccess.get(), "Archive"});
    label_ = std::string(subjectLabel(subject()));
    phrase_ = std::string(b_.phrase.view());
    scan_ = std::make_unique<SearchScan>(std::move(sources), subject(), b_.phrase.raw(), hits_);
    window().setValue(SearchProgress, std::int64_t{0});
    for (int c : {SearchGo, SearchNew, SearchSubjectGroup, SearchPhrase})
      window().setDisabled(c, true);
    window().post(EventSearchBatch);
  }

  // The case form or the view of the number found; false when neither file of the scope has it.
  bool openCaseNr(std::uint32_t nr) {
    core::Dictionary& d = s_.dictionary;
    if (inCases()) {
      d.SercaseAccess->record<core::SercaseRecord>().CaseNr = nr;
      if (d.SercaseAccess->fetch("SER:CaseNrKey") == store::Ok) {
        RunProcedure("ChangeCases", forms::RequestChange, std::to_string(nr));
        lostFocus();
        return true;
      }
    }
    if (inArchive()) {
      d.ArchiveAccess->record<core::ArchiveRecord>().CASENR = nr;
      if (d.ArchiveAccess->fetch("ARC:CaseNrKey") == store::Ok) {
        RunProcedure("ViewArchive", forms::RequestChange, std::to_string(nr));
        lostFocus();
        return true;
      }
    }
    return false;
  }

  void searchOn() {
    if (!scan_) return;
    const bool more = scan_->Step(kBatchRecords);
    window().setValue(SearchProgress, std::int64_t{scan_->percent()});
    if (scan_->failure() != store::Ok) {
      data::FileAccess* f = scan_->failedFile();
      ERRORS->SetFileName(f ? f->name() : std::string());
      boxPending_ = true;
      if (ERRORS->Raise(scan_->failure() == store::RecordNotAvailable ? 28 : 1) == LevelFatal)
        return;
      window().post(EventBoxAnswered);
      scan_->SkipFailedFile();
      window().post(EventSearchBatch);
      return;
    }
    if (more) {
      window().post(EventSearchBatch);
      return;
    }
    scan_.reset();
    window().setValue(SearchProgress, std::int64_t{0});
    for (int c : {SearchGo, SearchNew, SearchSubjectGroup, SearchPhrase})
      window().setDisabled(c, false);
    if (hits_.empty()) {
      askNewSearch();
      return;
    }
    SearchResult(s_, hits_, phrase_, label_);
    lostFocus();
  }

  void askNewSearch() {
    boxPending_ = true;
    const int answer = forms::ask(s_.forms, "No matching phrase found, new search?",
                                  ui::Icon::Question, {"&Yes", "&No"}, 1);
    window().post(EventBoxAnswered);
    if (answer == 1)
      newSearch();
    else
      window().close();
  }

  void newSearch() {
    window().update();
    hits_.clear();
    b_.phrase = "";
    window().display(SearchPhrase);
    window().select(SearchPhrase);
  }

  core::ProgramState& s_;
  std::string scope_;
  SearchHits& hits_;
  SearchBuffers& b_;
  std::unique_ptr<SearchScan> scan_;
  std::string label_;
  std::string phrase_;  // Windows-1252, clipped
  bool boxPending_ = false;
};

}  // namespace

void Search(core::ProgramState& s, std::string_view scope) {
  // The hits of the program: one list, emptied by each search and when the window closes.
  SearchHits hits;
  SearchBuffers b;
  SearchWindow w(s, scope, hits, b);
  w.Run();
}

void registerSearch(core::ProgramState& s) {
  s.procedures.add("Search",
                   forms::onCallersThread([&s](std::string_view scope) { Search(s, scope); }));
}

}  // namespace trv::cases
