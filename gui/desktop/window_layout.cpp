#include "gui/desktop/window_layout.h"

#include <QGridLayout>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

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

bool stretches(ControlKind k) {
  return k == ControlKind::List || k == ControlKind::Text || k == ControlKind::Sheet;
}

}  // namespace

struct WindowLayout::Container {
  QWidget* widget = nullptr;
  QGridLayout* grid = nullptr;
  QVBoxLayout* outer = nullptr;
  QHBoxLayout* buttons = nullptr;
  int nextRow = 0;
  int promptRow = -1;  // a prompt without a row waits for its control
  bool stretchy = false;
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
  int row = 0;
  int column = 0;
  if (c.row > 0) {
    row = c.row;
    column = std::max(c.column, 1);
    box.promptRow = c.kind == ControlKind::Prompt ? -2 : -1;
  } else if (box.promptRow >= 0 && c.kind != ControlKind::Prompt) {
    row = box.promptRow;
    column = 2;
    box.promptRow = -1;
  } else {
    row = box.nextRow;
    column = c.kind == ControlKind::Prompt || spans(c.kind) ? 1 : 2;
    box.promptRow = c.kind == ControlKind::Prompt ? row : -1;
  }
  box.nextRow = std::max(box.nextRow, row + 1);
  bool wide = spans(c.kind) && column == 1;
  Qt::Alignment align =
      c.kind == ControlKind::Prompt ? Qt::AlignLeft | Qt::AlignVCenter : Qt::Alignment();
  box.grid->addWidget(w, row, column, 1, wide ? -1 : 1, align);
  if (stretches(c.kind) || (c.kind == ControlKind::Group && c.height > 0)) {
    box.grid->setRowStretch(row, 1);
    box.stretchy = true;
  }
}

void WindowLayout::finish() {
  for (auto& [n, box] : containers_) {
    if (!box->grid) continue;
    box->grid->setColumnStretch(2, 1);
    if (!box->stretchy) box->grid->setRowStretch(box->nextRow, 1);
  }
}

}  // namespace trv::gui
