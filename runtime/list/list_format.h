#pragma once
// Column widths of lists: how a window declares them, how the window model holds them and how
// the configuration file keeps them.
//
// Windows declare a list column's width in dialog units; the window model (ui::ListColumn) and
// the front ends size columns in characters. charsOfDialogUnits is the one conversion between
// the two. A stored list format holds the model's widths.
//
// Pure functions; no window or setting is touched here.

#include <string>
#include <string_view>
#include <vector>

#include "runtime/ui/control.h"

namespace trv::list {

// A horizontal dialog unit is a quarter of the average character width; rounded to the
// nearest character, at least 1.
int charsOfDialogUnits(int dialogUnits);

// A list's format as stored in the configuration file (for instance "ActionList1" of section
// "Browses"): the column widths in column order, comma-separated ("26,23,26,26,20,21,20").
std::string listFormat(const std::vector<ui::ListColumn>& columns);
// The columns with the widths of a stored format. A format that is empty or does not fit the
// columns (another count, a width that is no number or outside 1 to 999) leaves them as they
// are, so a damaged setting never hides a column.
std::vector<ui::ListColumn> withListFormat(std::vector<ui::ListColumn> columns,
                                           std::string_view format);

}  // namespace trv::list
