#pragma once
// Where a finished report goes: the desktop draws its pages in the "Report Preview" window and
// prints them; headless runs keep them (and may write them as PDF files) for tests to read.
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
  // The preview window has opened: show the document's pages in it, from page 1.
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
