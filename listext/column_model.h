#pragma once
// The list enhancement's model of a list's columns: every built-in column (`all`, in field-number
// order) and the displayed ones (`shown`, in display order), kept in step with the list control.
//
// Geometry is in the window model's units: widths, left edges and the sideways scroll in
// characters (a desktop maps them to pixels), declared widths in dialog units.
//
// Pure data and functions; QuorixList drives them against the window.

#include <optional>
#include <string>
#include <vector>

#include "listext/format_string.h"
#include "listext/list_settings.h"
#include "runtime/ui/control.h"

namespace trv::listext {

// One column: a built-in column, or a displayed one.
struct Column {
  std::string field;  // the record field: "CLI:LName"
  std::string description;
  int icon = 0;  // in `all`: 1 while displayed (the designer's mark)
  std::string header;
  int qnos = 0;  // field number in the list row, from 1
  int seq = 0;   // all: index in the column table (from 1); shown: display position (from 1)
  int col = 0;   // all: the table index while displayed, else 0; shown: display position
  int nfg = -1;
  int nbg = -1;
  int sfg = -1;
  int sbg = -1;
  int widthDlu = 0;
  int width = 0;  // shown width (0 while scrolled out of view)
  int x = 0;      // left edge, from the list's left
  char hjust = 'L';
  char fjust = 'L';
  int hoffset = 1;
  int foffset = 1;
  bool uline = false;
  bool fixed = false;
  bool border = true;
  bool resize = true;
  bool display = true;
  int ascDesc = 0;  // the direction of its sort: 0 ascending, 1 descending
  bool controlField = true;
  bool viewField = true;
  int tab = 0;
  bool total = false;
  bool graph = false;
  int graphType = 0;
  int sortField = 0;  // the number of its ascending sort order in the list; 0 not sortable
  char locator = 'S';
  bool colours = false;
  bool iconx = false;
  int maxWidth = 0;  // widest value as measured for fitting, dialog units
  std::string picture;
  int listField = -1;  // the list's field it is bound to (from 0); -1 unbound
};

class ColumnModel {
 public:
  // Fills `all` and `shown` from the column table (entries with locator 'X' and not displayed
  // take no part, but the field numbers after them still count them). Binding each column to
  // the list's field (`listField`) is the caller's.
  void Load(const std::vector<ColumnEntry>& table);

  std::vector<Column>& all() { return all_; }
  const std::vector<Column>& all() const { return all_; }
  std::vector<Column>& shown() { return shown_; }
  const std::vector<Column>& shown() const { return shown_; }

  // The built-in column of field number `qnos`; null when none.
  Column* byField(int qnos);
  // The displayed column at display position `seq` (from 1); null when none.
  Column* at(int seq);

  // Rebuilds `shown` from format groups: a copy of the built-in column of each group's field
  // number. Nothing changes (false) when a field number names no column bound to the list.
  bool ShowFormat(const std::vector<FormatColumn>& groups);
  // Rebuilds `shown` from the built-in layout: the columns shown there, in table order.
  void ShowBuiltIn();
  // Renumbers `shown` by its order.
  void Renumber();
  // The displayed column at `seq` one place left / right. False (nothing changes) at the end.
  bool MoveLeft(int seq);
  bool MoveRight(int seq);
  // Shows the built-in column of field number `qnos` last, with the settings it held when it was
  // hidden (10 dialog units wide when it has no width); false when it is shown already or the
  // list has no field for it.
  bool Show(int qnos);
  // Removes the displayed column at `seq` (its state goes back to `all`); false for the last one.
  bool Hide(int seq);

  // Takes each displayed column's state from the list control's column at its position.
  void ReadBack(const std::vector<ui::ListColumn>& control);
  // Left edges and shown widths: the list `listWidth` wide, less `scrollBar`; the first
  // `scrolled` columns that are not fixed are out of view; the last shown column takes what is
  // left. Returns the display position of the column whose field number is `sortField` (0 none).
  int Place(int listWidth, int scrollBar, int scrolled, int sortField);

  // The displayed columns as format groups and as the list control's columns.
  std::vector<FormatColumn> groups() const;
  std::vector<ui::ListColumn> controlColumns() const;
  // The list's fields the displayed columns show, in display order (for the list's rows).
  std::vector<int> listFields() const;

 private:
  bool byFieldShown(int qnos) const;

  std::vector<Column> all_;
  std::vector<Column> shown_;
};

// Conversions between a column and its format group / its list-control column.
FormatColumn groupOf(const Column& c);
ui::ListColumn controlColumnOf(const Column& c);
// The control's column as a format group (field number and widths given separately).
FormatColumn groupOf(const ui::ListColumn& c, int field, int widthDlu);
ui::ListColumn controlColumnOf(const FormatColumn& g);

}  // namespace trv::listext
