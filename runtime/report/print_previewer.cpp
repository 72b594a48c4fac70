#include "runtime/report/print_previewer.h"

#include <algorithm>

#include "runtime/ini/ini_settings.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::report {
namespace {

constexpr const char* kPositionSection = "_PreviewWindow_";

std::string pageText(int page, int pages) {
  return "Page " + std::to_string(page) + " of " + std::to_string(pages);
}

}  // namespace

bool PrintPreviewer::Preview(std::shared_ptr<const Document> document) {
  if (!document || document->pages.empty()) return false;
  const int pages = static_cast<int>(document->pages.size());
  ui::WindowDecl decl;
  decl.title = "Report Preview";
  decl.kind = ui::WindowKind::Modal;
  decl.resizable = true;
  decl.controls = {
      ui::string("?PageText", pageText(1, pages)).withNumber(kPageText).at(1, 1),
      ui::button("?Previous", "&Previous").withNumber(kPrevious).at(1, 2).asDisabled(),
      ui::button("?Next", "&Next").withNumber(kNext).at(1, 3),
      ui::button("?Print", "&Print").withNumber(kPrint).at(1, 4).asDefault(),
      ui::button("?Exit", "E&xit").withNumber(kExit).at(1, 5),
  };
  if (pages == 1) decl.controls[2].disabled = true;
  std::unique_ptr<ui::Window> w = rt_.open(std::move(decl));
  if (!w) return false;
  if (settings_) {
    if (auto r = settings_->RestoreWindowPosition(kPositionSection, true)) {
      ui::Placement p = w->placement();
      p.maximized = r->maximized;
      if (!r->maximized) {
        p.x = r->x, p.y = r->y;
        if (r->sized) p.width = r->width, p.height = r->height;
      }
      w->setPlacement(p);
    }
  }
  output_.showPages(*w, document);

  int page = 1;
  bool printed = false;
  auto showPage = [&] {
    w->setText(kPageText, pageText(page, pages));
    w->setDisabled(kPrevious, page <= 1);
    w->setDisabled(kNext, page >= pages);
    output_.showPage(*w, page);
  };
  ui::Event e;
  while (w->accept(e)) {
    if (e.number == ui::EventCloseWindow) {
      w->close();
    } else if (e.number == ui::EventAccepted) {
      switch (e.control) {
        case kPrevious:
          page = std::max(1, page - 1);
          showPage();
          break;
        case kNext:
          page = std::min(pages, page + 1);
          showPage();
          break;
        case kPrint: {
          std::string error;
          if (output_.print(*document, &error)) {
            printed = true;
            w->close();
          } else if (!error.empty()) {
            rt_.message("The report was not printed: " + error, "Report Preview");
          }
          break;
        }
        case kExit:
          w->close();
          break;
        default:
          break;
      }
    }
  }
  if (settings_) {
    const ui::Placement& p = w->placement();
    settings_->SaveWindowPosition(kPositionSection,
                                  {p.iconized, p.maximized, p.x, p.y, p.width, p.height}, true);
  }
  return printed;
}

}  // namespace trv::report
