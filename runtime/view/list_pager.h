#pragma once
// ListPager: the rows a list shows and its selected row, kept over a ViewReader.
//
// The pager holds one page of rows (the records on show, each with its position) and reads
// only what a move needs: the page at the top or the bottom, the next or previous line or page
// after or before the rows on show, or the page around a located or updated record. Rows are
// never the whole file, so every move costs the same anywhere in a large file.

#include <optional>
#include <vector>

#include "runtime/view/view_reader.h"

namespace trv::view {

class ListPager {
 public:
  // `reader` must outlive the pager. pageRows is the number of rows on show (at least 1).
  ListPager(ViewReader& reader, int pageRows);

  const std::vector<store::RecordBuffer>& rows() const { return rows_; }
  // Index of the selected row in rows(), or -1 when the list is empty.
  int selected() const { return selected_; }
  const store::RecordBuffer* current() const;
  int pageRows() const { return pageRows_; }
  void setPageRows(int rows);

  // Each move returns Ok or the store's failure code; on failure the rows stay as they were.
  [[nodiscard]] store::Code top();
  [[nodiscard]] store::Code bottom();
  [[nodiscard]] store::Code lineDown();
  [[nodiscard]] store::Code lineUp();
  [[nodiscard]] store::Code pageDown();
  [[nodiscard]] store::Code pageUp();
  // Selects the row at index (0-based) of the rows on show, clamped.
  void select(int index);
  // Shows the page from the first record at or after the probe's key fields, selecting it (the
  // last page when there is none).
  [[nodiscard]] store::Code locate(const store::RecordBuffer& probe);
  // Reads the page again around `record` (the row just written or a row that may have changed),
  // keeping it at the same place on the page when it is still in the view. A record that has
  // gone or left the view leaves the selection on its neighbour.
  [[nodiscard]] store::Code refreshAround(const store::RecordBuffer& record);
  // Reads the page again around the selected row (gain focus, another station's changes).
  [[nodiscard]] store::Code refresh();

 private:
  // Fills a page with `anchor` at index `at` (or as near as the records allow).
  store::Code pageAround(const store::RecordBuffer& anchor, bool includeAnchor, int at);

  ViewReader& reader_;
  int pageRows_;
  std::vector<store::RecordBuffer> rows_;
  int selected_ = -1;
};

}  // namespace trv::view
