#pragma once
// The header of a list control as the model describes it: each column's text with its
// justification and underline, whether the user may size it, the pressed-header mark, and the
// grey copy of a dragged header that follows the pointer. Also where the pointer is in header
// columns, and the sideways scroll in whole columns, as the model counts them.
//
// Qt main thread only.

#include <QtCore/qnamespace.h>

#include <QPoint>

#include "runtime/ui/control.h"

class QHeaderView;
class QTreeWidget;

namespace trv::gui {

class ControlHost;

// Shows the header part of the list's state `c`.
void showHeader(QTreeWidget* tree, const ui::ControlState& c);

// The column (from 1) under header position x; 0 left of the first column and the column count
// plus one right of the last, so that a drop beside the columns still has a side.
int headerColumnAt(const QHeaderView& header, int x);

// The pointer on the header at `pos` (header viewport coordinates): a press notes where in its
// column the header was grabbed, a move carries the drag copy along.
void headerPointer(QTreeWidget* tree, QPoint pos, bool press);

// Sends the model how many columns the list is scrolled sideways whenever that changes.
void followSidewaysScroll(QTreeWidget* tree, ControlHost& host, int number);

// Qt's alignment for a justification letter ('L', 'R', 'C', 'D').
Qt::Alignment alignmentOf(char justify);

}  // namespace trv::gui
