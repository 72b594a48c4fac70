#pragma once
// PageView: one page of a report as the "Report Preview" window shows it, zoomed to fit the
// page or its width into the room it has, or at a scale of its own (then scrolled). The
// document is shared and never changes, so the view keeps it for as long as it shows it. Qt main
// thread only.
//
// makePagePane puts a view into a scroll area below a row of zoom buttons ("Fit Page",
// "Fit Width", "Zoom In", "Zoom Out"); the pane is what a window lays out.

#include <QPointer>
#include <QWidget>
#include <memory>

class QScrollArea;

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

  enum class Zoom { FitPage, FitWidth, Scaled };
  Zoom zoom() const { return zoom_; }
  // The page's pixels per inch against the screen's (1: as large as on paper).
  double scale() const;
  void fitPage();
  void fitWidth();
  // The next larger or smaller of the fixed scales.
  void zoomIn();
  void zoomOut();
  // Takes the size its zoom gives it in `room` (the scroll area's viewport).
  void fitInto(QSize room);

  // Most of the screen's height, at the page's proportions.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  friend QWidget* makePagePane(PageView* view, QWidget* parent);
  void zoomTo(double scale);
  void refit();
  // Pixels per inch of the page drawn in `room`.
  double fittedPixelsPerInch(QSizeF room) const;
  double screenDpi() const;

  std::shared_ptr<const report::Document> document_;
  int page_ = 1;
  Zoom zoom_ = Zoom::FitPage;
  double scale_ = 1.0;  // when Scaled
  QPointer<QScrollArea> area_;
};

// The view below its zoom buttons, in a scroll area; the pane takes the view.
QWidget* makePagePane(PageView* view, QWidget* parent);

}  // namespace trv::gui
