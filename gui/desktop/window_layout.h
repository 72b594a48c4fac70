#pragma once
// Lays out a window's controls from their declaration alone, in declaration order, inside the
// window itself or the group, option or tab page that holds them. Qt main thread only.
//
// A control with a row hint sits at (row, column) of its container's grid (column 1 when none);
// without one, a prompt starts a new row and the control after it joins that row, a field
// without a prompt starts a row in the field column, lists, texts, sheets, images, groups and
// lines span the row, and buttons without a row line up at the bottom right.

#include <map>
#include <memory>

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

  // `widget` holds the controls declared with parent `number`.
  void addContainer(int number, QWidget* widget);
  // The widget that controls with parent `parent` are created in (the window's for an unknown
  // parent).
  QWidget* containerWidget(int parent);
  // Places a control's widget; call in declaration order.
  void place(const ui::ControlState& c, QWidget* w);
  // After the last control: the field column and the rows take the room left.
  void finish();
  // The layout holding the window's own controls.
  QLayout* root() const;

 private:
  struct Container;
  Container& containerOf(int parent);
  std::map<int, std::unique_ptr<Container>> containers_;  // 0: the window itself
};

}  // namespace trv::gui
