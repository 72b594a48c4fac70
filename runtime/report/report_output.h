#pragma once
// Where a report's pages go: the desktop draws them in the "Report Preview" window and prints
// them; headless runs keep them (and may write them as PDF files) for tests to read. A preview
// may open at a report's first page while the report goes on: it gets the pages made by then,
// and the whole report once it has ended.
//
// Called on the program thread that runs the report, with the baton held; an implementation on
// another thread (the desktop's) takes the shared document and draws it there.

#include <memory>
#include <string>

#include "runtime/report/page_model.h"

namespace trv::ui {
class Window;
}

namespace trv::report {

class ReportOutput {
 public:
  virtual ~ReportOutput() = default;
  // Show the document's pages in the preview window, from page 1: when it has opened, and again
  // with the whole report when it opened on the first pages of a report that went on. Each
  // document is a new one that never changes; a later one replaces the one shown.
  virtual void showPages(const ui::Window& preview, std::shared_ptr<const Document> document) = 0;
  // The preview has turned to `page` (from 1). Outputs that draw no pages ignore it.
  virtual void showPage(const ui::Window& preview, int page) {
    (void)preview;
    (void)page;
  }
  // Prints the document; the calling thread may give the baton up meanwhile (the user chooses a
  // printer). False when it was not printed: with the reason in *error, or with *error left
  // empty when the user cancelled (there is nothing to tell them).
  virtual bool print(const Document& document, std::string* error) = 0;
};

}  // namespace trv::report
