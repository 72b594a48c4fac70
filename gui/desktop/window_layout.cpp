#include "gui/desktop/window_layout.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

#include "runtime/ui/control_lookup.h"

namespace trv::gui {
namespace {

using ui::ControlKind;

bool spans(ControlKind k) {
  switch (k) {
    case ControlKind::List:
    case ControlKind::Text:
    case ControlKind::Sheet:
    case ControlKind::Image:
    case ControlKind::Group:
    case ControlKind::Option:
    case ControlKind::Box:
    case ControlKind::Line:
    case ControlKind::Radio:
    case ControlKind::Progress:
      return true;
    default:
      return false;
  }
}

bool tall(ControlKind k) {
  return k == ControlKind::List || k == ControlKind::Text || k == ControlKind::Group ||
         k == ControlKind::Option || k == ControlKind::Sheet;
}

bool stretches(ControlKind k) {
  return k == ControlKind::List || k == ControlKind::Text || k == ControlKind::Sheet;
}

}  // namespace

struct WindowLayout::Container {
  QWidget* widget = nullptr;
  QGridLayout* grid = nullptr;
  QVBoxLayout* outer = nullptr;
  QHBoxLayout* buttons = nullptr;
  // Rows of buttons: the bar and the column of each button in it, in order.
  std::map<int, std::pair<QHBoxLayout*, std::vector<int>>> buttonBars;
  std::map<int, QWidget*> prompts;  // the prompt of each row
  int nextRow = 0;
  int lastColumn = 2;
  int promptRow = -1;  // a prompt without a row waits for its control
  bool stretchy = false;
  bool wideColumns = false;  // a list or text shares its row and takes its column's room
};

WindowLayout::WindowLayout(QWidget* content, QBoxLayout* into) {
  auto root = std::make_unique<Container>();
  root->widget = content;
  root->outer = new QVBoxLayout;
  root->grid = new QGridLayout;
  root->outer->addLayout(root->grid);
  into->addLayout(root->outer, 1);
  containers_[0] = std::move(root);
}

WindowLayout::~WindowLayout() = default;

void WindowLayout::plan(const std::vector<ui::ControlState>& controls) {
  std::map<std::pair<int, int>, std::pair<int, bool>> rows;  // count, all buttons
  for (const auto& c : controls) {
    if (c.row <= 0 || c.kind == ControlKind::Tab) continue;
    auto& [count, buttons] = rows.try_emplace({c.parent, c.row}, 0, true).first->second;
    ++count;
    buttons = buttons && c.kind == ControlKind::Button;
  }
  for (const auto& c : controls)
    if (c.row > 0 && c.kind != ControlKind::Box && c.kind != ControlKind::Tab)
      takenCells_.insert({c.parent, c.row, std::max(c.column, 1)});
  for (const auto& [at, row] : rows) {
    if (row.first > 1) sharedRows_.insert(at);
    if (row.second) buttonRows_.insert(at);
  }
  // A check box without a caption switches the control right beside it: they share its cell.
  for (std::size_t i = 0; i + 1 < controls.size(); ++i) {
    const auto& c = controls[i];
    if (c.kind != ControlKind::Check || !c.text.empty() || c.row <= 0) continue;
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      const auto& d = controls[j];
      if (d.parent == c.parent && d.row == c.row && d.column == std::max(c.column, 1) + 1 &&
          takesFocus(d.kind) && d.kind != ControlKind::Button)
        switched_[d.number] = c.number;
    }
  }
  std::vector<ControlKind> kinds;
  for (const auto& c : controls) kinds.push_back(c.kind);
  for (const ui::PromptPair& pair : ui::pairPrompts(kinds))
    labelled_[controls[pair.prompt].number] = controls[pair.control].number;
}

void WindowLayout::addContainer(int number, QWidget* widget) {
  auto inner = std::make_unique<Container>();
  inner->widget = widget;
  inner->outer = new QVBoxLayout(widget);
  inner->grid = new QGridLayout;
  inner->outer->addLayout(inner->grid);
  containers_[number] = std::move(inner);
}

QWidget* WindowLayout::containerWidget(int parent) {
  return containerOf(parent).widget;
}

QLayout* WindowLayout::root() const {
  return containers_.at(0)->outer;
}

WindowLayout::Container& WindowLayout::containerOf(int parent) {
  auto it = containers_.find(parent);
  return it == containers_.end() ? *containers_[0] : *it->second;
}

void WindowLayout::place(const ui::ControlState& c, QWidget* w) {
  Container& box = containerOf(c.parent);
  if (auto s = switched_.find(c.number); s != switched_.end()) {
    if (auto pair = pairs_.find(s->second); pair != pairs_.end()) {
      // It keeps its place while its box hides it: showing it neither moves the others nor
      // resizes the window.
      QSizePolicy policy = w->sizePolicy();
      policy.setRetainSizeWhenHidden(true);
      w->setSizePolicy(policy);
      pair->second->insertWidget(1, w);
      return;
    }
  }
  if (std::any_of(switched_.begin(), switched_.end(),
                  [&c](const auto& s) { return s.second == c.number; })) {
    auto* pair = new QHBoxLayout;
    pair->addWidget(w);
    pair->addStretch(1);
    pairs_[c.number] = pair;
    box.grid->addLayout(pair, c.row, std::max(c.column, 1));
    box.nextRow = std::max(box.nextRow, c.row + 1);
    box.promptRow = -1;
    return;
  }
  if (c.kind == ControlKind::Button && c.row == 0) {
    if (!box.buttons) {
      box.buttons = new QHBoxLayout;
      box.buttons->addStretch(1);
      box.outer->addLayout(box.buttons);
    }
    box.buttons->addWidget(w);
    box.promptRow = -1;
    return;
  }
  if (c.kind == ControlKind::Button && buttonRows_.count({c.parent, c.row})) {
    auto& [bar, columns] = box.buttonBars[c.row];
    if (!bar) {
      bar = new QHBoxLayout;
      bar->addStretch(1);
      box.grid->addLayout(bar, c.row, 1, 1, -1);
      box.nextRow = std::max(box.nextRow, c.row + 1);
    }
    const int column = std::max(c.column, 1);
    auto at = std::upper_bound(columns.begin(), columns.end(), column);
    bar->insertWidget(1 + static_cast<int>(at - columns.begin()), w);
    columns.insert(at, column);
    box.promptRow = -1;
    return;
  }
  if (c.kind == ControlKind::Box && c.row > 0 &&
      takenCells_.count({c.parent, c.row, std::max(c.column, 1)})) {
    // A box drawn around controls has no place of its own in a grid.
    w->setMaximumSize(0, 0);
    return;
  }
  int row = 0;
  int column = 0;
  if (c.row > 0) {
    row = c.row;
    column = std::max(c.column, 1);
    box.promptRow = c.kind == ControlKind::Prompt ? -2 : -1;
  } else if (auto waiting = besidePrompt_.find(c.number);
             waiting != besidePrompt_.end() && waiting->second.first == c.parent) {
    // The control a prompt labels stands beside it, wherever it is declared.
    row = waiting->second.second;
    column = 2;
    box.promptRow = -1;
  } else if (box.promptRow >= 0 && c.kind != ControlKind::Prompt) {
    // A prompt that labels no input names what comes right after it (a value shown).
    row = box.promptRow;
    column = 2;
    box.promptRow = -1;
  } else {
    row = box.nextRow;
    column = c.kind == ControlKind::Prompt || spans(c.kind) ? 1 : 2;
    box.promptRow = -1;
    if (c.kind == ControlKind::Prompt) {
      if (auto to = labelled_.find(c.number); to != labelled_.end())
        besidePrompt_[to->second] = {c.parent, row};
      else
        box.promptRow = row;
    }
  }
  box.nextRow = std::max(box.nextRow, row + 1);
  bool wide = spans(c.kind) && column == 1 && !sharedRows_.count({c.parent, c.row});
  Qt::Alignment align;
  if (c.kind == ControlKind::Prompt)
    align = Qt::AlignLeft | Qt::AlignVCenter;
  else if (c.kind == ControlKind::Button)
    align = Qt::AlignLeft;  // a button is as wide as its text, not its column
  if (c.kind == ControlKind::List && !c.text.empty()) {
    // A list's text is its caption, above it.
    auto* captioned = new QVBoxLayout;
    captioned->setSpacing(2);
    auto* caption = new QLabel(QString::fromStdString(c.text), box.widget);
    caption->setTextFormat(Qt::PlainText);
    caption->setBuddy(w);
    captioned->addWidget(caption);
    captioned->addWidget(w, 1);
    box.grid->addLayout(captioned, row, column, 1, wide ? -1 : 1);
  } else {
    box.grid->addWidget(w, row, column, 1, wide ? -1 : 1, align);
  }
  box.lastColumn = std::max(box.lastColumn, column);
  if (c.kind == ControlKind::Prompt) {
    box.prompts[row] = w;
  } else if (auto p = box.prompts.find(row); p != box.prompts.end() && tall(c.kind)) {
    // Beside a control of several lines the prompt names its first line.
    box.grid->setAlignment(p->second, Qt::AlignLeft | Qt::AlignTop);
  }
  if (stretches(c.kind) || (c.kind == ControlKind::Group && c.height > 0)) {
    box.grid->setRowStretch(row, 1);
    box.stretchy = true;
    if (!wide) {
      box.grid->setColumnStretch(column, 1);
      box.wideColumns = true;
    }
  }
}

namespace {

// Takes the widget out of the layout or the layouts it holds; true when it was there.
bool takeOut(QLayout* layout, QWidget* w) {
  for (int i = 0; i < layout->count(); ++i) {
    QLayoutItem* item = layout->itemAt(i);
    if (item->widget() == w) {
      delete layout->takeAt(i);
      return true;
    }
    if (item->layout() && takeOut(item->layout(), w)) return true;
  }
  return false;
}

}  // namespace

void WindowLayout::replace(const ui::ControlState& c, QWidget* w) {
  Container& box = containerOf(c.parent);
  if (!takeOut(box.outer, w)) return;
  const int row = std::max(c.row, 1);
  const int column = std::max(c.column, 1);
  const bool wide = spans(c.kind) && column == 1 && !sharedRows_.count({c.parent, row});
  box.grid->addWidget(w, row, column, 1, wide ? -1 : 1,
                      c.kind == ControlKind::Button ? Qt::AlignLeft : Qt::Alignment());
  if (stretches(c.kind)) box.grid->setRowStretch(row, 1);
  box.grid->invalidate();
}

void WindowLayout::finish() {
  for (auto& [n, box] : containers_) {
    if (!box->grid) continue;
    // Room the controls do not take goes to an empty column at the right, so that prompts and
    // fields stay together at the left.
    box->grid->setColumnStretch(2, 1);
    if (!box->wideColumns) box->grid->setColumnStretch(box->lastColumn + 1, 1);
    if (!box->stretchy) box->grid->setRowStretch(box->nextRow, 1);
  }
}

}  // namespace trv::gui
