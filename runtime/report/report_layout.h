#pragma once
// ReportLayout: places a report's bands on pages.
//
// A report gives its page header and footer (built for each page, so they can carry the page
// number), then adds detail bands and memo blocks in order. A band that does not fit on the
// rest of the page starts a new page; a memo block is wrapped to its width and continues on the
// next page where the page ends. finish() closes the last page and returns the document; until
// then the pages already ended can be copied out while the report goes on.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/report/page_model.h"

namespace trv::report {

// A horizontal strip of items placed relative to its own top-left corner.
struct Band {
  int height = 0;
  PageItems items;
};

class ReportLayout {
 public:
  using BandBuilder = std::function<Band(int pageNumber)>;

  explicit ReportLayout(PageSetup setup = {}, std::string title = {});

  void setPageHeader(BandBuilder header) {
    header_ = std::move(header);
    fixedHeader_.reset();
  }
  // The same header on every page, built once.
  void setPageHeader(Band header) {
    header_ = nullptr;
    fixedHeader_ = std::move(header);
  }
  void setPageFooter(BandBuilder footer) { footer_ = std::move(footer); }

  // Places the band below the previous one, on a new page when it does not fit.
  void addDetail(const Band& band);
  // As addDetail, for a band of `height` whose items `place(items)` adds to the page's items,
  // relative to the band's top-left corner as a Band's: a report of many small bands builds
  // none on the way.
  template <class Place>
  void addDetail(int height, Place&& place) {
    PageItems& items = openDetail(height);
    const std::size_t first = items.size();
    std::forward<Place>(place)(items);
    closeDetail(first, height);
  }
  // As addDetail, for a band of `height` that is the stencil's items, item i with texts[i] for
  // its text (see PageItems::stamp).
  void addDetail(int height, const Stencil& stencil, std::span<const std::string_view> texts);
  // Places text wrapped at word boundaries to `width`, line by line, continuing on new pages.
  void addMemo(std::string_view text, int x, int width, const FontSpec& font);
  // Ends the current page (when it holds any detail) so the next band starts a fresh one.
  void breakPage();

  int pageCount() const { return static_cast<int>(doc_.pages.size()); }
  // Pages that nothing more is placed on: every page before the one being filled (footer
  // included), all of them once finished. A report can show these while it goes on.
  int completePages() const { return pageCount() - (pageOpen_ ? 1 : 0); }
  // A copy of the complete pages, with the document's title and setup.
  Document completeDocument() const;
  Document finish();

  // Splits text into lines no wider than `width` for the font (an average-width measure that
  // errs on the wide side, so printed lines never run past their block).
  static std::vector<std::string> wrap(std::string_view text, int width, const FontSpec& font);
  static int lineHeight(const FontSpec& font);

 private:
  void startPage();
  void endPage();
  int bottomLimit() const;
  // The items of the page a detail band of `height` goes on (a new page when it does not fit).
  PageItems& openDetail(int height);
  // Moves the band's items (from `first` on) to its place, below the previous band.
  void closeDetail(std::size_t first, int height);

  Document doc_;
  BandBuilder header_;
  std::optional<Band> fixedHeader_;
  BandBuilder footer_;
  Band footerBand_;  // the open page's footer
  bool pageOpen_ = false;
  bool pageHasDetail_ = false;
  // The fullest page's items and text so far, room made for as many on the next.
  std::size_t itemsPerPage_ = 0;
  std::size_t charsPerPage_ = 0;
  int y_ = 0;
};

}  // namespace trv::report
