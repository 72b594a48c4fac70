#pragma once
// Lays out a window's controls from their declaration alone, in declaration order, inside the
// window itself or the group, option or tab page that holds them. Qt main thread only.
//
// A control with a row hint sits at (row, column) of its container's grid (column 1 when none);
// without one, a prompt starts a new row and the input control it labels (ui::pairPrompts) joins
// that row, or else the control right after it, a field
// without a prompt starts a row in the field column, lists, texts, sheets, images, groups and
// lines span the row when they are alone in it, and buttons without a row line up at the bottom
// right. Buttons that share a row with nothing but buttons stand side by side at its right, in
// column order. A check box without a caption shares its cell with the control right beside it,
// which it switches and which keeps its place while hidden. A list with a text shows it as its
// caption above it. Controls keep the size their content needs (a button its text, an entry its
// picture's characters); only lists, texts and sheets take the room a larger window gives.

#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "runtime/ui/control.h"

class QWidget;
class QBoxLayout;
class QLayout;

namespace trv::gui {

class WindowLayout {
 public:
  // The window's own controls go into a box added to `into`, on `content`.
  WindowLayout(QWidget* content, QBoxLayout* into);
  ~WindowLayout();
  WindowLayout(const WindowLayout&) = delete;
  WindowLayout& operator=(const WindowLayout&) = delete;

  // Looks at every control before any is placed (rows shared by several controls).
  void plan(const std::vector<ui::ControlState>& controls);
  // `widget` holds the controls declared with parent `number`.
  void addContainer(int number, QWidget* widget);
  // The widget that controls with parent `parent` are created in (the window's for an unknown
  // parent).
  QWidget* containerWidget(int parent);
  // Places a control's widget; call in declaration order.
  void place(const ui::ControlState& c, QWidget* w);
  // After the last control: the field column and the rows take the room left.
  void finish();
  // Places a control again after it was moved at run time: it leaves its place and takes the
  // cell its row and column now name.
  void replace(const ui::ControlState& c, QWidget* w);
  // The layout holding the window's own controls.
  QLayout* root() const;
  // Prompt number -> the number of the input control it labels (after plan).
  const std::map<int, int>& labels() const { return labelled_; }

 private:
  struct Container;
  Container& containerOf(int parent);
  std::map<int, std::unique_ptr<Container>> containers_;  // 0: the window itself
  std::set<std::pair<int, int>> buttonRows_;              // (parent, row) holding only buttons
  std::set<std::pair<int, int>> sharedRows_;              // (parent, row) holding several controls
  std::set<std::tuple<int, int, int>> takenCells_;        // (parent, row, column) of controls
  std::map<int, int> labelled_;                           // prompt -> the control it labels
  std::map<int, std::pair<int, int>> besidePrompt_;       // control -> (parent, row) of its prompt
  std::map<int, int> switched_;       // control -> the check box without a caption that switches it
  std::map<int, QBoxLayout*> pairs_;  // such a check box -> the cell it shares
};

}  // namespace trv::gui
