#pragma once
// QueueList: a list control over rows the program holds in memory (the action queues, the search
// results), with the list keys, a selected row that survives a refresh of the rows, and the
// double click or Enter that opens the selected row.
//
// Runs on the thread of its window.

#include <functional>
#include <vector>

#include "runtime/ui/control.h"
#include "runtime/ui/events.h"

namespace trv::ui {
class Window;
}

namespace trv::list {

class QueueList {
 public:
  // `window` must outlive the list.
  QueueList(ui::Window& window, int listControl);

  // Shows these rows; the selection stays on the same row number, clamped to the rows there are.
  void SetRows(std::vector<ui::ListRow> rows);
  const std::vector<ui::ListRow>& rows() const { return rows_; }
  // The selected row (from 0), -1 when the list is empty.
  int selected() const { return selected_; }
  void Select(int row);
  void SetListColour(int colour);

  // Handles an event of the window; true when the list took it. `opened` is set when the user
  // asked to open the selected row (double click, Enter on the list).
  bool HandleEvent(const ui::Event& event, bool* opened);

 private:
  void show();

  ui::Window& window_;
  int list_;
  std::vector<ui::ListRow> rows_;
  int selected_ = -1;
};

}  // namespace trv::list
