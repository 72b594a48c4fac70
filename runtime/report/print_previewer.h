#pragma once
// PrintPreviewer: the "Report Preview" window over a report's pages.
//
// The window shows one page at a time with "Page n of N"; the user prints the report or leaves.
// Its position is kept in the configuration file under "_PreviewWindow_". Runs on the calling
// program thread.
//
// Preview() shows a finished report and returns when the window has closed. A report that is
// still going on opens the window at its first page instead (Open with the pages made so far),
// tells it how many pages it has made (Progress) while its own progress window stays in front,
// and at its end hands over the whole report (Finish) and runs the window (Run), or closes it
// (Close) when the report was cancelled. The preview's loop does not run before Run, so nothing
// the user does reaches it meanwhile.

#include <memory>

#include "runtime/report/page_model.h"
#include "runtime/report/report_output.h"

namespace trv::ini {
class IniSettings;
}
namespace trv::ui {
class UiRuntime;
class Window;
}  // namespace trv::ui

namespace trv::report {

class PrintPreviewer {
 public:
  // Control numbers of the preview window.
  enum : int { kPageText = 1, kPrevious = 2, kNext = 3, kPrint = 4, kExit = 5 };

  PrintPreviewer(ui::UiRuntime& runtime, ReportOutput& output);
  ~PrintPreviewer();
  PrintPreviewer(const PrintPreviewer&) = delete;
  PrintPreviewer& operator=(const PrintPreviewer&) = delete;

  // Keeps the window position in `settings` (may be null).
  void SetIniSettings(ini::IniSettings* settings) { settings_ = settings; }

  // Shows the document until the user leaves. True when it was printed.
  bool Preview(std::shared_ptr<const Document> document);

  // Opens the window over `document` at page 1 without running it. `finished` false: the report
  // goes on, so the page text says the count is not final ("Page 1 of 3...") and Next waits for
  // Finish. False when the document has no page or the window could not open.
  bool Open(std::shared_ptr<const Document> document, bool finished);
  // The report has made `pages` pages so far (the page text follows).
  void Progress(int pages);
  // The whole report: the window shows it from the page it is at and comes to the front.
  void Finish(std::shared_ptr<const Document> document);
  // Runs the open window until the user leaves, then closes it. True when the report was
  // printed. A window opened over an unfinished report that never got Finish closes at once.
  bool Run();
  // Closes the window without running it (the report was cancelled).
  void Close();

  // The open window; null before Open and after it closed.
  ui::Window* window() const;

 private:
  void showPage();

  ui::UiRuntime& rt_;
  ReportOutput& output_;
  ini::IniSettings* settings_ = nullptr;
  std::unique_ptr<ui::Window> w_;
  std::shared_ptr<const Document> document_;
  int page_ = 1;
  int pages_ = 0;
  bool finished_ = false;
};

}  // namespace trv::report
