// The in-place row editor's entry: a line edit that stands over one cell of its list (the
// selected row, the entry's column) while the model shows it, and follows the cell when the
// list scrolls, is sized or gets new rows. Typing stays in the widget; Enter, Esc and the arrows
// go to the model, which writes or abandons the row (Tab leaves the widget, which writes it).

#include <QHeaderView>
#include <QPointer>
#include <QScrollBar>
#include <QTreeWidget>

#include "gui/desktop/control_kinds.h"
#include "gui/desktop/qt_values.h"

namespace trv::gui {
namespace {

using ui::ControlState;

QTreeWidget* listOf(const ControlState& c, ControlHost& host) {
  ControlView* list = host.find(c.cellOf);
  return list ? qobject_cast<QTreeWidget*>(list->widget) : nullptr;
}

// Puts the editor over its cell; hidden while the list has no such cell.
void place(QWidget* editor, const ControlState& c, QTreeWidget* tree, int selected) {
  if (!tree || c.hidden) return;
  const QModelIndex cell = tree->model()->index(selected - 1, c.cellColumn - 1);
  const QRect r = cell.isValid() ? tree->visualRect(cell) : QRect();
  if (r.isEmpty()) {
    editor->hide();
    return;
  }
  editor->setGeometry(r);
  editor->show();
  editor->raise();
}

class CellEditorAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    QTreeWidget* tree = listOf(c, host);
    QWidget* w = entryAdapter().create(c, tree ? tree->viewport() : parent, host);
    w->setMinimumWidth(0);
    if (!tree) return w;
    // Follows its cell: the list's rows, scrolling and column widths move it.
    const int number = c.number;
    QPointer<QWidget> editor(w);
    auto follow = [&host, number, editor, tree] {
      ControlView* self = host.find(number);
      ControlView* list = host.find(self ? self->state.cellOf : 0);
      if (editor && self && list) place(editor, self->state, tree, list->state.selected);
    };
    QObject::connect(tree->model(), &QAbstractItemModel::rowsInserted, host.receiver(), follow);
    QObject::connect(tree->header(), &QHeaderView::sectionResized, host.receiver(), follow);
    QObject::connect(tree->verticalScrollBar(), &QScrollBar::valueChanged, host.receiver(), follow);
    QObject::connect(tree->horizontalScrollBar(), &QScrollBar::valueChanged, host.receiver(),
                     follow);
    return w;
  }

  bool laidOut(const ControlState&, ControlHost&) const override { return false; }

  void update(ControlView& view, const ControlState& c, ControlHost& host) const override {
    entryAdapter().update(view, c, host);
    show(view, c, host);
  }

  std::optional<std::string> typed(const QWidget* w) const override {
    return entryAdapter().typed(w);
  }

  bool sendsKey(const ControlView& view, int key) const override {
    const int plain = key & ~ui::kModifierMask;
    return ControlAdapter::sendsKey(view, key) || plain == ui::KeyUp || plain == ui::KeyDown;
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost& host) const override {
    ControlView* list = host.find(c.cellOf);
    place(view.widget, c, listOf(c, host), list ? list->state.selected : 0);
  }
};

}  // namespace

const ControlAdapter& cellEditorAdapter() {
  static const CellEditorAdapter a;
  return a;
}

}  // namespace trv::gui
