#pragma once
// PageView: one page of a report drawn whole at the widget's size, as the "Report Preview"
// window shows it. The document is shared and never changes, so the view keeps it for as long
// as it shows it. Qt main thread only.

#include <QWidget>
#include <memory>

namespace trv::report {
struct Document;
}

namespace trv::gui {

class PageView final : public QWidget {
 public:
  // `document` must not be null.
  explicit PageView(std::shared_ptr<const report::Document> document, QWidget* parent = nullptr);

  // Shows `document` (not null) in place of the one shown, at the same page where it has it
  // (a report shown at its first pages gets its whole document).
  void setDocument(std::shared_ptr<const report::Document> document);
  // Shows page `page` (from 1), kept within the document's pages.
  void setPage(int page);
  int page() const { return page_; }
  int pageCount() const;
  const report::Document& document() const { return *document_; }

  // Most of the screen's height, at the page's proportions.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::shared_ptr<const report::Document> document_;
  int page_ = 1;
};

}  // namespace trv::gui
