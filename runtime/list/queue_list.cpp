#include "runtime/list/queue_list.h"

#include <algorithm>

#include "runtime/ui/window.h"

namespace trv::list {
namespace {

// Rows one page key moves; the lists that hold queues show about this many.
constexpr int kPageRows = 10;

}  // namespace

QueueList::QueueList(ui::Window& window, int listControl) : window_(window), list_(listControl) {
  for (int k : {ui::KeyUp, ui::KeyDown, ui::KeyPgUp, ui::KeyPgDn, ui::KeyHome, ui::KeyEnd})
    window_.alert(k);
}

void QueueList::SetRows(std::vector<ui::ListRow> rows) {
  rows_ = std::move(rows);
  if (rows_.empty()) {
    selected_ = -1;
  } else {
    selected_ = std::clamp(selected_ < 0 ? 0 : selected_, 0, static_cast<int>(rows_.size()) - 1);
  }
  window_.setRows(list_, rows_);
  show();
}

void QueueList::Select(int row) {
  if (rows_.empty()) return;
  selected_ = std::clamp(row, 0, static_cast<int>(rows_.size()) - 1);
  show();
}

void QueueList::SetListColour(int colour) {
  window_.setColours(list_, ui::kColorNone, colour);
}

void QueueList::show() {
  window_.setSelected(list_, selected_ + 1);
}

bool QueueList::HandleEvent(const ui::Event& e, bool* opened) {
  switch (e.number) {
    case ui::EventNewSelection:
      if (e.control != list_) return false;
      selected_ = window_.selected(list_) - 1;
      return true;
    case ui::EventAccepted:
      // A double click on a row.
      if (e.control != list_ || selected_ < 0) return false;
      if (opened) *opened = true;
      return true;
    case ui::EventPreAlertKey:
      return e.control == list_;
    case ui::EventAlertKey: {
      if (e.control != list_) return false;
      const int last = static_cast<int>(rows_.size()) - 1;
      if (last < 0) return true;
      switch (e.key) {
        case ui::KeyUp:
          Select(selected_ - 1);
          break;
        case ui::KeyDown:
          Select(selected_ + 1);
          break;
        case ui::KeyPgUp:
          Select(selected_ - kPageRows);
          break;
        case ui::KeyPgDn:
          Select(selected_ + kPageRows);
          break;
        case ui::KeyHome:
          Select(0);
          break;
        case ui::KeyEnd:
          Select(last);
          break;
        default:
          return false;
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace trv::list
