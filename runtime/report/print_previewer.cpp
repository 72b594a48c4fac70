#include "runtime/report/print_previewer.h"

#include <algorithm>

#include "runtime/ini/ini_settings.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::report {
namespace {

constexpr const char* kPositionSection = "_PreviewWindow_";

// "Page 1 of 3..." while the report goes on: three pages so far, more to come.
std::string pageText(int page, int pages, bool finished) {
  return "Page " + std::to_string(page) + " of " + std::to_string(pages) + (finished ? "" : "...");
}

}  // namespace

PrintPreviewer::PrintPreviewer(ui::UiRuntime& runtime, ReportOutput& output)
    : rt_(runtime), output_(output) {}

PrintPreviewer::~PrintPreviewer() = default;

ui::Window* PrintPreviewer::window() const {
  return w_ && w_->isOpen() ? w_.get() : nullptr;
}

bool PrintPreviewer::Preview(std::shared_ptr<const Document> document) {
  if (!Open(std::move(document), true)) return false;
  return Run();
}

bool PrintPreviewer::Open(std::shared_ptr<const Document> document, bool finished) {
  if (w_ || !document || document->pages.empty()) return false;
  document_ = std::move(document);
  pages_ = static_cast<int>(document_->pages.size());
  finished_ = finished;
  page_ = 1;
  ui::WindowDecl decl;
  decl.title = "Report Preview";
  decl.kind = ui::WindowKind::Modal;
  decl.resizable = true;
  decl.controls = {
      ui::string("?PageText", pageText(1, pages_, finished_)).withNumber(kPageText).at(1, 1),
      ui::button("?Previous", "&Previous").withNumber(kPrevious).at(1, 2).asDisabled(),
      ui::button("?Next", "&Next").withNumber(kNext).at(1, 3),
      ui::button("?Print", "&Print").withNumber(kPrint).at(1, 4).asDefault(),
      ui::button("?Exit", "E&xit").withNumber(kExit).at(1, 5),
  };
  if (pages_ == 1 || !finished_) decl.controls[2].disabled = true;
  w_ = rt_.open(std::move(decl));
  if (!w_) return false;
  if (settings_) {
    if (auto r = settings_->RestoreWindowPosition(kPositionSection, true)) {
      ui::Placement p = w_->placement();
      p.maximized = r->maximized;
      if (!r->maximized) {
        p.x = r->x, p.y = r->y;
        if (r->sized) p.width = r->width, p.height = r->height;
      }
      w_->setPlacement(p);
    }
  }
  output_.showPages(*w_, document_);
  return true;
}

void PrintPreviewer::Progress(int pages) {
  if (!window() || finished_ || pages == pages_) return;
  pages_ = pages;
  w_->setText(kPageText, pageText(page_, pages_, false));
}

void PrintPreviewer::Finish(std::shared_ptr<const Document> document) {
  if (!window() || !document || document->pages.empty()) return;
  document_ = std::move(document);
  pages_ = static_cast<int>(document_->pages.size());
  finished_ = true;
  page_ = std::min(page_, pages_);
  output_.showPages(*w_, document_);
  showPage();
  // Whatever stood in front of it while the report went on has gone: the user works here now.
  (void)rt_.raise(*w_);
}

void PrintPreviewer::showPage() {
  w_->setText(kPageText, pageText(page_, pages_, finished_));
  w_->setDisabled(kPrevious, page_ <= 1);
  w_->setDisabled(kNext, !finished_ || page_ >= pages_);
  output_.showPage(*w_, page_);
}

void PrintPreviewer::Close() {
  if (w_) w_->close();
  w_.reset();
}

bool PrintPreviewer::Run() {
  if (!window()) return false;
  if (!finished_) {  // never print a report that did not end
    Close();
    return false;
  }
  bool printed = false;
  ui::Event e;
  while (w_->accept(e)) {
    if (e.number == ui::EventCloseWindow) {
      w_->close();
    } else if (e.number == ui::EventAccepted) {
      switch (e.control) {
        case kPrevious:
          page_ = std::max(1, page_ - 1);
          showPage();
          break;
        case kNext:
          if (finished_) page_ = std::min(pages_, page_ + 1);
          showPage();
          break;
        case kPrint: {
          std::string error;
          if (output_.print(*document_, &error)) {
            printed = true;
            w_->close();
          } else if (!error.empty()) {
            rt_.message("The report was not printed: " + error, "Report Preview");
          }
          break;
        }
        case kExit:
          w_->close();
          break;
        default:
          break;
      }
    }
  }
  if (settings_) {
    const ui::Placement& p = w_->placement();
    settings_->SaveWindowPosition(kPositionSection,
                                  {p.iconized, p.maximized, p.x, p.y, p.width, p.height}, true);
  }
  w_.reset();
  return printed;
}

}  // namespace trv::report
