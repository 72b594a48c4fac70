#pragma once
// RowEditor: a list's in-place row editor. A list that has no form edits its rows where they
// stand: Insert opens a blank row (above the selected one) and Change the selected row, each
// with an entry over each cell of the row, named by the column's field as its use variable
// (`{PRO:PROBLEM}`). While the edit lasts:
//   Enter            completes it: the row is written (a new record inserted, a changed one
//                    written through the file's relations, in one transaction with the records
//                    that follow it) and the list re-reads its page around it;
//   Esc              abandons it: nothing is written, the row shows what is stored;
//   Tab, Shift+Tab   move to the next or previous column; past the last or the first, as Enter;
//   Up, Down         act by the arrow action (below);
//   leaving the row  (another control chosen, another row clicked) completes it first; the
//                    close box asks message 35 when the row changed (Yes completes, No abandons,
//                    Cancel keeps editing).
// A row whose entries hold typed characters the records cannot hold is not written at all: the
// entry keeps the text and the focus, a beep and a message name the characters; it counts as
// changed at the close box and at a prompted arrow.
// A row that cannot be written (a duplicate key: message 13; a link restricted: message 31;
// changed by another station: message 6, and the entries show the stored record) stays in edit.
// A new row left blank is not written. Delete asks message 9 and deletes the selected record
// through the relations (refused with message 30 while records refer to it).
//
// The arrow action is a sum of EditAction values: its save part (the low three bits) says what
// becomes of the edited row (EditSave or EditAlways write it, EditNever abandons it,
// EditPrompted asks message 35 first); EditRemain goes on editing the row the arrow reaches (at
// either end of the list, where it reaches none, the edit ends). EditBefore places new rows
// above the selected one, as this editor always does; it changes nothing for the arrows.
//
// Runs on the list window's thread; the listed file must be open there. It owns no control: the
// list window declares the cell entries (ui::cellEditor) and hands their numbers in.

#include <optional>
#include <vector>

#include "runtime/data/file_relations.h"
#include "runtime/list/list_browser.h"
#include "runtime/ui/events.h"

namespace trv::ui {
class Window;
}
namespace trv::forms {
class WindowController;
}

namespace trv::list {

enum EditAction : int {
  EditSave = 0,  // the default: write the row
  EditAlways = 1,
  EditNever = 2,
  EditPrompted = 4,
  EditRemain = 8,
  EditBefore = 16,
};

class RowEditor {
 public:
  // `editors`: the cell entries in column order; `owner` the list window's controller, which
  // names refused characters. Everything must outlive the editor.
  RowEditor(forms::WindowController& owner, ui::Window& window, int list, ListBrowser& browser,
            data::FileRelations& file, std::vector<int> editors, int arrowAction);
  ~RowEditor();
  RowEditor(const RowEditor&) = delete;
  RowEditor& operator=(const RowEditor&) = delete;

  // An update request of the list: insert and change start an edit and answer ResponseInPlace;
  // delete answers ResponseCompleted when the record is gone, else ResponseCancelled. For change
  // and delete the selected record is in the file's buffer.
  int Start(ListRequest request);
  bool editing() const { return mode_ != Mode::None; }
  // Takes the window's events while an edit lasts; true when the event has been dealt with.
  bool HandleEvent(const ui::Event& event);

 private:
  enum class Mode { None, Insert, Change };
  void begin(Mode mode);
  void end();
  // Writes the edited row; true when it is written (or there was nothing to write) and the
  // edit has ended.
  bool complete();
  void abandon();
  int remove();
  bool isEditor(int control) const;
  // The first entry holding characters the records cannot hold (an index into editors_), or -1.
  int unstorableColumn() const;
  // True, with the focus on that entry, a beep and the message, when the row must not be written.
  bool refuseUnstorable();
  // Updates the buffer from the entries; true when the row differs from what the edit found.
  bool changed();
  void focusColumn(int index);
  // Up or Down while editing.
  void arrow(int key);
  // The close box while editing: true when the window may close.
  bool closing();

  forms::WindowController& owner_;
  ui::Window& window_;
  int list_;
  ListBrowser& browser_;
  data::FileRelations& file_;
  std::vector<int> editors_;
  int arrowAction_;
  Mode mode_ = Mode::None;
  int column_ = 0;                             // index into editors_
  std::optional<store::RecordBuffer> before_;  // the record as the edit found it
  std::vector<int> alerted_;                   // keys alerted for the edit
};

}  // namespace trv::list
