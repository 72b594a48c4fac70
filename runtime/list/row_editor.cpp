#include "runtime/list/row_editor.h"

#include <algorithm>

#include "runtime/forms/window_controller.h"
#include "runtime/store/error.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::list {
namespace {

constexpr int kSaveMask = 7;
constexpr int kYesNoCancel = data::ButtonYes | data::ButtonNo | data::ButtonCancel;
// Keys the edit takes while it lasts.
constexpr int kEditKeys[] = {ui::KeyEnter, ui::KeyEsc, ui::KeyTab, ui::KeyTab | ui::kShift,
                             ui::KeyUp,    ui::KeyDown};

bool sameContents(const store::RecordBuffer& a, const store::RecordBuffer& b) {
  return a.record == b.record && a.memos == b.memos;
}

// A failed write may leave its transaction open: nothing is asked while one is.
void rollBackOpenTransaction() {
  store::Connection& c = data::FileAccess::threadConnection();
  if (c.inTransaction()) c.rollback();
}

}  // namespace

RowEditor::RowEditor(forms::WindowController& owner, ui::Window& window, int list,
                     ListBrowser& browser, data::FileRelations& file, std::vector<int> editors,
                     int arrowAction)
    : owner_(owner),
      window_(window),
      list_(list),
      browser_(browser),
      file_(file),
      editors_(std::move(editors)),
      arrowAction_(arrowAction) {}

RowEditor::~RowEditor() = default;

bool RowEditor::isEditor(int control) const {
  return std::find(editors_.begin(), editors_.end(), control) != editors_.end();
}

int RowEditor::unstorableColumn() const {
  for (std::size_t i = 0; i < editors_.size(); ++i)
    if (!window_.unstorable(editors_[i]).empty()) return static_cast<int>(i);
  return -1;
}

bool RowEditor::refuseUnstorable() {
  const int column = unstorableColumn();
  if (column < 0) return false;
  focusColumn(column);
  owner_.context().ui.beep();
  owner_.TellUnstorable(editors_[static_cast<std::size_t>(column)]);
  return true;
}

bool RowEditor::changed() {
  // Text the records cannot hold never reached the buffer, yet it was typed.
  if (unstorableColumn() >= 0) return true;
  for (int e : editors_) window_.update(e);
  return !before_ || !sameContents(file_.file().buffer(), *before_);
}

int RowEditor::Start(ListRequest request) {
  if (editing() && !complete()) return ResponseInPlace;  // the row being edited stays
  switch (request) {
    case RequestInsert:
      begin(Mode::Insert);
      return ResponseInPlace;
    case RequestChange:
      begin(Mode::Change);
      return ResponseInPlace;
    case RequestDelete:
      return remove();
    default:
      return ResponseCancelled;
  }
}

void RowEditor::begin(Mode mode) {
  if (editors_.empty()) return;
  data::FileAccess& f = file_.file();
  if (mode == Mode::Insert) {
    f.primeRecord();
    browser_.SetPendingRow(std::max(browser_.selectedRow(), 1));
  }
  before_ = f.buffer();
  mode_ = mode;
  for (int k : kEditKeys)
    if (!window_.alerted(k)) {
      window_.alert(k);
      alerted_.push_back(k);
    }
  for (int e : editors_) {
    window_.display(e);
    window_.setHidden(e, false);
  }
  focusColumn(0);
}

void RowEditor::end() {
  for (int e : editors_) window_.setHidden(e, true);
  for (int k : alerted_) window_.unalert(k);
  alerted_.clear();
  mode_ = Mode::None;
  before_.reset();
  if (browser_.pendingRow() != 0) browser_.SetPendingRow(0);
  window_.select(list_);
}

void RowEditor::focusColumn(int index) {
  column_ = std::clamp(index, 0, static_cast<int>(editors_.size()) - 1);
  window_.select(editors_[static_cast<std::size_t>(column_)]);
}

bool RowEditor::complete() {
  if (!editing()) return true;
  // Before anything is written: the other entries' values alone would store the row half.
  if (refuseUnstorable()) return false;
  data::FileAccess& f = file_.file();
  data::MessageSink& sink = f.sink();
  if (!changed()) {
    // Nothing typed: a new row is not written, an unchanged one not rewritten.
    abandon();
    return true;
  }
  if (mode_ == Mode::Insert) {
    if (f.insert() != data::LevelOk) {  // message 13 or 4 shown: the row stays in edit
      focusColumn(column_);
      return false;
    }
    const store::RecordBuffer written = f.buffer();
    end();
    browser_.RefreshAround(written);
    return true;
  }
  for (;;) {
    const data::Outcome o = file_.update();
    if (o.ok()) {
      const store::RecordBuffer written = f.buffer();
      end();
      browser_.RefreshAround(written);
      return true;
    }
    rollBackOpenTransaction();
    if (o.level == data::LevelFatal) return false;
    sink.setFileName(f.name());
    if (o.code == store::RecordChanged) {
      // Another station wrote it first: show what is stored now, to edit again or abandon.
      (void)sink.raise(6);
      if (f.reget(f.position()) == store::Ok) before_ = f.buffer();
    } else if (o.code == store::RecordNotFound) {
      (void)sink.raise(25);  // gone meanwhile: what was typed stays on show
    } else if (o.code != store::Ok && o.code != store::DuplicateKey) {
      const data::MessageButton b = sink.showMessage(34, kYesNoCancel, data::ButtonCancel);
      if (b == data::ButtonYes) continue;
      if (b == data::ButtonNo) {
        abandon();
        return true;
      }
    }
    // Messages 13 and 31 have been shown (a restricted link is reset in the buffer).
    for (int e : editors_) window_.display(e);
    focusColumn(column_);
    return false;
  }
}

void RowEditor::abandon() {
  if (!editing()) return;
  if (before_) file_.file().buffer() = *before_;
  end();
  browser_.Refresh();
}

int RowEditor::remove() {
  data::FileAccess& f = file_.file();
  data::MessageSink& sink = f.sink();
  sink.setFileName(f.name());
  if (sink.raise(9) != data::LevelOk) return ResponseCancelled;
  for (;;) {
    const data::Outcome o = file_.remove();
    if (o.ok()) return ResponseCompleted;
    rollBackOpenTransaction();
    // Refused with message 30 (code Ok), or the program has ended.
    if (o.level == data::LevelFatal || o.code == store::Ok) return ResponseCancelled;
    sink.setFileName(f.name());
    if (o.code == store::RecordChanged) {
      (void)sink.raise(6);
      return ResponseCancelled;
    }
    if (sink.showMessage(33, data::ButtonYes | data::ButtonNo, data::ButtonNo) != data::ButtonYes)
      return ResponseCancelled;
  }
}

void RowEditor::arrow(int key) {
  const int save = arrowAction_ & kSaveMask;
  if (save == EditNever) {
    abandon();
  } else if (save == EditPrompted) {
    if (changed()) {
      const data::MessageButton b =
          file_.file().sink().showMessage(35, kYesNoCancel, data::ButtonCancel);
      if (b == data::ButtonCancel) {
        focusColumn(column_);
        return;
      }
      if (b == data::ButtonYes && !complete()) return;
    }
    abandon();
  } else if (!complete()) {
    return;
  }
  const store::RecordBuffer* at = browser_.current();
  const std::int64_t from = at ? at->position.row : 0;
  (void)browser_.HandleEvent(ui::Event(ui::EventAlertKey, list_, key), nullptr);
  if (!(arrowAction_ & EditRemain)) return;
  at = browser_.current();
  // At either end of the list the arrow reaches no other row: the edit ends there.
  if (!at || at->position.row == from) return;
  if (browser_.LoadCurrent()) begin(Mode::Change);
}

bool RowEditor::closing() {
  if (!changed()) {
    abandon();
    return true;
  }
  const data::MessageButton b =
      file_.file().sink().showMessage(35, kYesNoCancel, data::ButtonCancel);
  if (b == data::ButtonYes) return complete();
  if (b == data::ButtonNo) {
    abandon();
    return true;
  }
  focusColumn(column_);
  return false;
}

bool RowEditor::HandleEvent(const ui::Event& e) {
  if (!editing()) return false;
  if (e.control == 0) {
    switch (e.number) {
      case ui::EventCloseWindow:
        return !closing();
      case ui::EventCloseDown:
        abandon();
        return false;
      case ui::EventGainFocus:
        return true;  // the page stays as shown beneath the edit
      default:
        return false;
    }
  }
  if (isEditor(e.control)) {
    // The entry clicked is the column Tab goes on from.
    column_ =
        static_cast<int>(std::find(editors_.begin(), editors_.end(), e.control) - editors_.begin());
    if (e.number == ui::EventRejected) {
      owner_.TellUnstorable(e.control);  // the entry keeps the text and the focus
      return true;
    }
    if (e.number != ui::EventAlertKey) return true;  // typed values are in the buffer already
    switch (e.key) {
      case ui::KeyEnter:
        complete();
        return true;
      case ui::KeyEsc:
        abandon();
        return true;
      case ui::KeyTab:
        if (column_ + 1 < static_cast<int>(editors_.size())) {
          focusColumn(column_ + 1);
        } else {
          complete();
        }
        return true;
      case ui::KeyTab | ui::kShift:
        if (column_ > 0) {
          focusColumn(column_ - 1);
        } else {
          complete();
        }
        return true;
      case ui::KeyUp:
      case ui::KeyDown:
        arrow(e.key);
        return true;
      default:
        return true;
    }
  }
  switch (e.number) {
    case ui::EventAccepted:
    case ui::EventNewSelection:
    case ui::EventSelected:
    case ui::EventAlertKey:
      // The user went elsewhere: the row is written first, or the edit keeps the focus.
      if (!complete()) {
        focusColumn(column_);
        return true;
      }
      // Another row clicked: the page has been read again around the row written.
      return e.number == ui::EventNewSelection && e.control == list_;
    default:
      return false;
  }
}

}  // namespace trv::list
