#include "gui/desktop/list_header.h"

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTreeWidget>

#include "gui/desktop/control_view.h"
#include "gui/desktop/qt_values.h"

namespace trv::gui {
namespace {

constexpr const char* kDragCopy = "trvDragHeader";
constexpr const char* kGrabOffset = "trvGrabOffset";
constexpr const char* kPointerX = "trvPointerX";
constexpr const char* kScrolled = "trvScrolled";

QLabel* dragCopy(QTreeWidget* tree) {
  auto* copy = tree->findChild<QLabel*>(kDragCopy, Qt::FindDirectChildrenOnly);
  if (copy) return copy;
  copy = new QLabel(tree);
  copy->setObjectName(kDragCopy);
  copy->setAutoFillBackground(true);
  QPalette p = copy->palette();
  p.setColor(QPalette::Window, QColor(128, 128, 128));
  p.setColor(QPalette::WindowText, Qt::white);
  copy->setPalette(p);
  copy->setAttribute(Qt::WA_TransparentForMouseEvents);
  copy->hide();
  return copy;
}

// Puts the drag copy where the pointer is, the grabbed point under it.
void placeCopy(QTreeWidget* tree, QLabel* copy) {
  QHeaderView* header = tree->header();
  const int pointer = tree->property(kPointerX).toInt();
  const int offset = tree->property(kGrabOffset).toInt();
  const QPoint at = header->viewport()->mapTo(tree, QPoint(pointer - offset, 0));
  copy->move(at.x(), at.y());
  copy->raise();
}

}  // namespace

Qt::Alignment alignmentOf(char justify) {
  switch (justify) {
    case 'R':
    case 'D':
      return Qt::AlignRight | Qt::AlignVCenter;
    case 'C':
      return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

void showHeader(QTreeWidget* tree, const ui::ControlState& c) {
  QHeaderView* header = tree->header();
  QTreeWidgetItem* item = tree->headerItem();
  const int count = std::min(tree->columnCount(), static_cast<int>(c.columns.size()));
  for (int i = 0; i < count; ++i) {
    const ui::ListColumn& col = c.columns[static_cast<std::size_t>(i)];
    if (item->text(i) != qs(col.header)) item->setText(i, qs(col.header));
    item->setTextAlignment(i, alignmentOf(ui::headerJustification(col)));
    QFont f = tree->font();
    f.setUnderline(col.underline);
    item->setFont(i, f);
    // The pressed header looks pressed until the release (or a drag) ends the click.
    if (c.pressedHeader == i + 1) {
      item->setBackground(i, tree->palette().mid());
    } else {
      item->setData(i, Qt::BackgroundRole, QVariant());
    }
    if (i + 1 < count)
      header->setSectionResizeMode(i,
                                   col.resizable ? QHeaderView::Interactive : QHeaderView::Fixed);
  }
  QLabel* copy = dragCopy(tree);
  if (c.dragHeader.empty()) {
    copy->hide();
    return;
  }
  copy->setText(" " + qs(c.dragHeader));
  const int grabbed = tree->property("trvGrabWidth").toInt();
  copy->resize(std::max(grabbed, copy->sizeHint().width()), header->height());
  placeCopy(tree, copy);
  copy->show();
}

int headerColumnAt(const QHeaderView& header, int x) {
  const int logical = header.logicalIndexAt(x);
  if (logical >= 0) return logical + 1;
  if (header.count() == 0) return 0;
  return x < header.sectionViewportPosition(0) ? 0 : header.count() + 1;
}

void headerPointer(QTreeWidget* tree, QPoint pos, bool press) {
  QHeaderView* header = tree->header();
  tree->setProperty(kPointerX, pos.x());
  if (press) {
    const int logical = header->logicalIndexAt(pos);
    if (logical >= 0) {
      tree->setProperty(kGrabOffset, pos.x() - header->sectionViewportPosition(logical));
      tree->setProperty("trvGrabWidth", header->sectionSize(logical));
    }
    return;
  }
  QLabel* copy = dragCopy(tree);
  if (copy->isVisible()) placeCopy(tree, copy);
}

void followSidewaysScroll(QTreeWidget* tree, ControlHost& host, int number) {
  QObject::connect(tree->horizontalScrollBar(), &QScrollBar::valueChanged, host.receiver(),
                   [tree, &host, number](int offset) {
                     if (host.applying()) return;
                     // Columns wholly out of view on the left.
                     QHeaderView* header = tree->header();
                     int out = 0;
                     for (int i = 0; i < header->count(); ++i)
                       if (header->sectionPosition(i) + header->sectionSize(i) <= offset) ++out;
                     // Compared with what was sent last: the model's answer may still be
                     // on its way.
                     if (out == tree->property(kScrolled).toInt()) return;
                     tree->setProperty(kScrolled, out);
                     ui::Input in;
                     in.kind = ui::Input::Kind::Scroll;
                     in.control = number;
                     in.column = out;
                     host.post(in);
                   });
}

}  // namespace trv::gui
