// The list control: one page of the model's view as rows, its header sized and clicked by the
// user, keys past either end of the page and mouse clicks sent to the model.

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <algorithm>
#include <cstdlib>
#include <map>

#include "gui/desktop/control_kinds.h"
#include "gui/desktop/list_header.h"
#include "gui/desktop/qt_values.h"

namespace trv::gui {
namespace {

using ui::ControlState;
using ui::Input;

constexpr int kDefaultColumnChars = 10;
constexpr int kFrame = 4;
constexpr int kNarrowestChars = 30;
constexpr int kWidestChars = 100;

constexpr int kFewestLines = 3;

// A list that asks for the width of its columns and the height of its declared lines.
class ModelList : public QTreeWidget {
 public:
  using QTreeWidget::QTreeWidget;
  int preferredWidth = 0;
  int preferredHeight = 0;

  QSize sizeHint() const override {
    QSize s = QTreeWidget::sizeHint();
    if (preferredWidth > 0) s.setWidth(preferredWidth);
    if (preferredHeight > 0) s.setHeight(preferredHeight);
    return s;
  }
};
constexpr int kColumnPadding = 12;

// A cell's own colours while its row is selected.
constexpr int kSelectedColourRole = Qt::UserRole + 1;
constexpr int kSelectedBackgroundRole = Qt::UserRole + 2;

// Draws a selected cell in its own selected colours where it has them.
class SelectedColours final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!(option->state & QStyle::State_Selected)) return;
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
      if (const QVariant bg = index.data(kSelectedBackgroundRole); bg.isValid())
        option->palette.setColor(group, QPalette::Highlight, bg.value<QColor>());
      if (const QVariant fg = index.data(kSelectedColourRole); fg.isValid())
        option->palette.setColor(group, QPalette::HighlightedText, fg.value<QColor>());
    }
  }
};

int columnPixels(const QWidget* list, int chars) {
  return chars * charWidth(list) + kColumnPadding;
}
int charsForColumn(const QWidget* list, int pixels) {
  int w = charWidth(list);
  return std::max(1, (pixels - kColumnPadding + w / 2) / w);
}
int columnChars(const ui::ListColumn& column) {
  return column.width > 0 ? column.width : kDefaultColumnChars;
}

// The column (from 1) whose right edge lies under x in the header, 0 when none. The grip is as
// wide as the one the header itself sizes columns with.
int dividerAt(const QHeaderView& header, int x) {
  const int grip =
      std::max(2, header.style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, &header));
  for (int i = 0; i < header.count(); ++i) {
    if (header.isSectionHidden(i)) continue;
    int edge = header.sectionViewportPosition(i) + header.sectionSize(i);
    if (std::abs(x - edge) <= grip) return i + 1;
  }
  return 0;
}

// Posts the widths of the list's columns that differ from the model's.
void postColumnWidths(const ControlView& view, ControlHost& host) {
  auto* tree = static_cast<QTreeWidget*>(view.widget);
  const auto& columns = view.state.columns;
  // The last column stretches with the list: its width is the window's, not the user's.
  for (std::size_t i = 0; i + 1 < columns.size(); ++i) {
    int chars = charsForColumn(tree, tree->columnWidth(static_cast<int>(i)));
    if (chars == columnChars(columns[i])) continue;
    Input in;
    in.kind = Input::Kind::ColumnWidth;
    in.control = view.state.number;
    in.column = static_cast<int>(i) + 1;
    in.width = chars;
    host.post(in);
  }
}

// The height in lines and the scroll bars; answers the rows' height in pixels from the line
// height (eighths of a line), 0 for the font's own.
int showLines(QTreeWidget* t, const ControlState& c) {
  const int font = t->fontMetrics().height();
  const int line = c.lineHeight > 0 ? std::max(1, (c.lineHeight * font + 4) / 8) : 0;
  const int lines = c.height > 0 ? c.height : 8;
  const int rowHeight = line > 0 ? line : font + 4;
  const int header = t->header()->sizeHint().height();
  // It opens with its declared lines; a smaller window still shows a few of them.
  static_cast<ModelList*>(t)->preferredHeight = lines * rowHeight + header + kFrame;
  t->setMinimumHeight(std::min(lines, kFewestLines) * rowHeight + header);
  t->setHorizontalScrollBarPolicy(c.horizontalBar ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  t->setVerticalScrollBarPolicy(c.verticalBar ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  return line;
}

class ListAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    auto* t = new ModelList(parent);
    t->setItemDelegate(new SelectedColours(t));
    t->setRootIsDecorated(false);
    t->setUniformRowHeights(true);
    t->setAllColumnsShowFocus(true);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->header()->setSectionsMovable(false);
    t->header()->setSectionsClickable(true);
    t->header()->setStretchLastSection(true);
    int number = c.number;
    QObject::connect(t, &QTreeWidget::currentItemChanged, host.receiver(), [&host, number, t] {
      if (host.applying()) return;
      int row = t->currentIndex().isValid() ? t->currentIndex().row() + 1 : 0;
      ControlView* v = host.find(number);
      if (row == 0 || !v || v->state.selected == row) return;
      Input in;
      in.kind = Input::Kind::Select;
      in.control = number;
      in.row = row;
      in.column = t->currentIndex().column() + 1;
      host.post(in);
    });
    followSidewaysScroll(t, host, number);
    return t;
  }

  std::vector<QObject*> parts(QWidget* w) const override {
    auto* tree = static_cast<QTreeWidget*>(w);
    return {tree->viewport(), tree->header(), tree->header()->viewport()};
  }

  bool sendsKey(const ControlView& view, int key) const override {
    if (ControlAdapter::sendsKey(view, key)) return true;
    auto* tree = static_cast<QTreeWidget*>(view.widget);
    int plain = key & ~ui::kModifierMask;
    int row = tree->currentIndex().isValid() ? tree->currentIndex().row() : -1;
    int last = tree->topLevelItemCount() - 1;
    // The list shows one page of its view: moving past either end asks the model for more.
    return plain == ui::KeyInsert || plain == ui::KeyDelete || plain == ui::KeyPgUp ||
           plain == ui::KeyPgDn || plain == ui::KeyHome || plain == ui::KeyEnd ||
           (plain == ui::KeyUp && row <= 0) || (plain == ui::KeyDown && row >= last) ||
           (plain < ui::kKeySpecial && (key & (ui::kCtrl | ui::kAlt)) == 0);
  }

  bool mouse(ControlView& view, QObject* obj, QMouseEvent* e, ControlHost& host) const override {
    auto* tree = static_cast<QTreeWidget*>(view.widget);
    bool onHeader = obj == tree->header() || obj == tree->header()->viewport();
    bool onRows = obj == tree->viewport();
    if (!onHeader && !onRows) return false;
    int key = ui::KeyNone;
    if (e->type() == QEvent::MouseMove) {
      // Only a drag on the header is worth the traffic: the list enhancement follows it.
      if (onHeader && (e->buttons() & Qt::LeftButton)) key = ui::KeyMouseMove;
    } else if (e->button() == Qt::RightButton) {
      key = e->type() == QEvent::MouseButtonRelease ? ui::KeyMouseRightUp : ui::KeyMouseRight;
    } else if (e->button() == Qt::LeftButton && e->type() == QEvent::MouseButtonDblClick) {
      key = ui::KeyMouseLeft2;
    } else if (e->button() == Qt::LeftButton && onHeader) {
      key = e->type() == QEvent::MouseButtonPress ? ui::KeyMouseLeft : ui::KeyMouseLeftUp;
    }
    if (key == ui::KeyNone) return false;
    const int number = view.state.number;
    Input in;
    in.kind = Input::Kind::Mouse;
    in.control = number;
    in.key = key;
    QPoint p = e->position().toPoint();
    if (onHeader) {
      QHeaderView* header = tree->header();
      int divider = dividerAt(*header, p.x());
      in.zone = divider > 0 ? ui::ListZone::Divider : ui::ListZone::Header;
      in.column = divider > 0 ? divider : headerColumnAt(*header, p.x());
      if (key == ui::KeyMouseLeft || key == ui::KeyMouseMove)
        headerPointer(tree, p, key == ui::KeyMouseLeft);
      // A drag that sized columns ends here: the widths go first, so that the procedure reads
      // them back when the release reaches it.
      if (key == ui::KeyMouseLeftUp) postColumnWidths(view, host);
    } else {
      QModelIndex at = tree->indexAt(p);
      in.zone = at.isValid() ? ui::ListZone::Cell : ui::ListZone::Below;
      in.row = at.isValid() ? at.row() + 1 : 0;
      in.column = tree->header()->logicalIndexAt(p.x() + tree->header()->offset()) + 1;
      if (at.isValid() && key != ui::KeyMouseRightUp) {
        // The row under the mouse is shown chosen at once; the model confirms it.
        Applying applying(host);
        tree->setCurrentIndex(at);
      }
    }
    host.flush(number);
    host.post(in);
    // Double clicks and right clicks are the model's to act on; presses, drags and releases on
    // the header still size its columns.
    return key != ui::KeyMouseLeft && key != ui::KeyMouseLeftUp && key != ui::KeyMouseMove;
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost& host) const override {
    auto* t = static_cast<QTreeWidget*>(view.widget);
    // Rows shown again keep the list where the user scrolled it sideways.
    const int sideways = t->horizontalScrollBar()->value();
    if (t->columnCount() != static_cast<int>(c.columns.size()))
      t->setColumnCount(static_cast<int>(c.columns.size()));
    showHeader(t, c);
    int total = 0;
    for (std::size_t i = 0; i < c.columns.size(); ++i) {
      int pixels = columnPixels(t, columnChars(c.columns[i]));
      total += pixels;
      if (i + 1 < c.columns.size()) t->setColumnWidth(static_cast<int>(i), pixels);
    }
    // As wide as declared, else as its columns as far as that is sensible; in a smaller window
    // it scrolls sideways.
    const int wanted = c.width > 0 ? c.width * charWidth(t) + kFrame
                                   : std::min(total + kFrame, kWidestChars * charWidth(t));
    t->setMinimumWidth(std::min(wanted, kNarrowestChars * charWidth(t)));
    static_cast<ModelList*>(t)->preferredWidth = wanted;
    const int line = showLines(t, c);
    t->updateGeometry();
    t->clear();
    // Icons named by the rows' extra cell, each loaded once.
    std::map<std::string, QIcon> icons;
    auto iconOf = [&](const std::string& name) {
      auto [it, fresh] = icons.try_emplace(name);
      if (fresh) {
        QImage img = host.image(name);
        if (!img.isNull()) it->second = QIcon(QPixmap::fromImage(img));
      }
      return it->second;
    };
    QList<QTreeWidgetItem*> items;
    for (const auto& row : c.rows) {
      auto* item = new QTreeWidgetItem;
      if (line > 0) item->setSizeHint(0, QSize(0, line));
      const std::size_t named = c.columns.size();
      if (named < row.cells.size() && !row.cells[named].empty())
        for (std::size_t i = 0; i < named; ++i)
          if (c.columns[i].icon) item->setIcon(static_cast<int>(i), iconOf(row.cells[named]));
      for (std::size_t i = 0; i < std::min(row.cells.size(), named); ++i) {
        item->setText(static_cast<int>(i), qs(row.cells[i]));
        const ui::ListColumn* col = i < c.columns.size() ? &c.columns[i] : nullptr;
        if (col)
          item->setTextAlignment(static_cast<int>(i), alignmentOf(ui::dataJustification(*col)));
        // A cell's own colours come first, then the row's, then the column's.
        const ui::CellColours own =
            i < row.cellColours.size() ? row.cellColours[i] : ui::CellColours{};
        auto first = [](std::initializer_list<int> colours) {
          for (int colour : colours)
            if (colour != ui::kColorNone) return colour;
          return ui::kColorNone;
        };
        const int fg = first({own.colour, row.colour, col ? col->colour : ui::kColorNone});
        const int bg =
            first({own.background, row.background, col ? col->background : ui::kColorNone});
        const int sfg = first({own.selectedColour, col ? col->selectedColour : ui::kColorNone});
        const int sbg =
            first({own.selectedBackground, col ? col->selectedBackground : ui::kColorNone});
        if (auto fgc = toQColor(fg)) item->setForeground(static_cast<int>(i), *fgc);
        if (auto bgc = toQColor(bg)) item->setBackground(static_cast<int>(i), *bgc);
        if (auto q = toQColor(sfg)) item->setData(static_cast<int>(i), kSelectedColourRole, *q);
        if (auto q = toQColor(sbg)) item->setData(static_cast<int>(i), kSelectedBackgroundRole, *q);
      }
      items << item;
    }
    t->addTopLevelItems(items);
    if (c.selected >= 1 && c.selected <= t->topLevelItemCount()) {
      t->setCurrentItem(t->topLevelItem(c.selected - 1));
      t->scrollToItem(t->currentItem());
    }
    t->horizontalScrollBar()->setValue(sideways);
  }
};

}  // namespace

const ControlAdapter& listAdapter() {
  static const ListAdapter a;
  return a;
}

}  // namespace trv::gui
