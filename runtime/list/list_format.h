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

// A control's place as a list designer states it, in dialog units: x and y from the window's top
// left, width and height (a horizontal unit is a quarter of a character, a vertical one an eighth
// of a line).
struct DialogPlace {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const DialogPlace&, const DialogPlace&) = default;
};
// The same place as the window model holds it: layout row and column (from 1), width in
// characters and height in lines (0: as the content needs).
struct ModelPlace {
  int row = 0;
  int column = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const ModelPlace&, const ModelPlace&) = default;
};
// The one conversion between the two; rounded to the nearest character and line, negative
// values count as 0. A control without a row or column hint stands at x or y 0.
ModelPlace modelPlaceOf(const DialogPlace& place);
DialogPlace dialogPlaceOf(const ModelPlace& place);

// A list's format as stored in the configuration file (for instance "ActionList1" of section
// "Browses"): the column widths in column order, comma-separated ("26,23,26,26,20,21,20").
std::string listFormat(const std::vector<ui::ListColumn>& columns);
// The columns with the widths of a stored format. A format that is empty or does not fit the
// columns (another count, a width that is no number or outside 1 to 999) leaves them as they
// are, so a damaged setting never hides a column.
std::vector<ui::ListColumn> withListFormat(std::vector<ui::ListColumn> columns,
                                           std::string_view format);

}  // namespace trv::list
