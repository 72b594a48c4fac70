#pragma once
// QuorixList: the list enhancement of one record list: click-to-sort on a column header with a
// sort mark in the header (">Name", "<Name"), a header dragged beside its column moves the column
// one place, a double click on a header divider fits the column to its values, a right click on
// a header offers "Escape|Key Sequence|File Sequence", and the layout (column order, widths,
// headers, sort column and direction, font) is kept in the configuration file between runs.
//
// It attaches to a ListWindow when the list's browser is set up (its key orders registered, the
// first page not yet read): it registers an ascending and a descending sort order per sortable
// column, restores the saved layout and, unless the list opens in its key order, sorts on the
// saved sort column. It then sees every event of the window before the list does. Header mouse
// hits (press, move with the button down, release, right press and release, double click) arrive
// as alert keys of the list control with the row (0: the header), the column (display position)
// and the zone; they become the program events below, which the object then carries out.
//
// Sorting by a column reads the list from a snapshot of the file in that order
// (view::ViewReader::SetSortOrder), so a page costs the same anywhere in the order; every refresh
// of the list takes it again when the file has changed since (list::ListBrowser::Refresh); a
// column whose order a number key gives (the case number, up or down) reads that key, with no
// snapshot. While a header sort (or the file sequence) is on, choosing a tab of the list's sheet
// keeps it: only "Key Sequence" gives the tabs their orders again. The export, the print of the
// view and the graph read the view as it is when they start.
//
// Runs on the list's thread. Nothing it does reports an error of its own; a stored layout that
// does not fit the list is ignored.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "listext/column_graph.h"
#include "listext/column_model.h"
#include "listext/header_menu.h"
#include "listext/list_export.h"
#include "listext/list_print.h"
#include "listext/list_settings.h"
#include "listext/saved_layout.h"
#include "runtime/list/list_format.h"
#include "runtime/list/list_window.h"
#include "runtime/view/example_query.h"

namespace trv::listext {

// The program events of the list enhancement (the commands 1036-1080 are posted by menu items).
enum QuorixEvent : int {
  EventHeaderPress = 1025,
  EventHeaderRelease = 1026,
  EventCancelPress = 1028,
  EventRightPress = 1029,
  EventRightRelease = 1030,
  EventRefreshWindow = 1031,
  EventDragMove = 1032,
  EventDropLeft = 1034,
  EventDropRight = 1035,
  EventRestoreDefault = 1036,
  EventDesignList = 1045,
  EventColumnColours = 1063,
  EventHideColumn = 1065,
  EventFitAll = 1067,
  EventSortColumn = 1068,
  EventPrintPage = 1069,
  EventPrintView = 1070,
  EventShowGraph = 1071,
  EventExportCsv = 1072,
  EventExportHtml = 1073,
  EventFilterEqual = 1074,
  EventFilterBelow = 1075,
  EventFilterAbove = 1076,
  EventFilterNotEqual = 1077,
  EventFilterByValue = 1078,
  EventFilterClear = 1079,
  EventFilterInclusive = 1080,
  EventRefreshColumns = 1082,
};

class QuorixList final : public list::ListExtension {
 public:
  // `list` must outlive the object (it does: the list owns it).
  QuorixList(list::ListWindow& list, ListSettings settings);
  ~QuorixList() override;

  bool HandleEvent(const ui::Event& event) override;
  void Closing() override;

  // --- what the object holds (for the list procedure and tests) ---
  const ColumnModel& columns() const { return model_; }
  int sortColumn() const { return sortColumn_; }  // display position; 0 none
  bool viewOrder() const { return viewOrder_; }   // the list takes its order from a header
  bool fileSequence() const { return fileSeq_; }
  // The list's format string now (with field numbers) and the built-in one.
  std::string formatNow();
  const std::string& builtInFormat() const { return def_.origFormat; }
  // The sort-order numbers registered for the column of field number `qnos`: ascending, and
  // descending the next; 0 when it is not sortable.
  int sortOrderOf(int qnos) const;

  // --- operations a list or a menu item reaches ---
  void RefreshColumns(bool keepSortColumn);
  void SortOnColumn();
  void ShowSortIndicator();
  void ClearSortIndicator();
  void MoveColumnLeft();
  void MoveColumnRight();
  void BuildFormatString();
  bool HandleDoubleClick(const ui::Event& hit);
  void FitAllColumns();
  void HideColumn();
  void ApplyOptionCode(const std::string& code);
  void RestoreDefaultLayout();
  // The list's position and size as they are now become the default layout's.
  void CaptureDefaultPosition();
  void ToggleColumnCursor() { cursorOn_ = !cursorOn_; }
  // The column the list's column cursor is on (display position); 0 while it is off.
  int columnCursor() const { return cursorOn_ ? cursorColumn_ : 0; }
  void ShowHeaderMenu();
  void SwitchFormatSlot(int control);
  // The list's sort-order choice: the header's order, the file order or the tab's key order.
  void RefreshSortOrder();
  // Every record of the view, with the displayed columns as shown, to the export file
  // (settings' csvFileName / htmlFileName, in the current folder unless a folder is given), then
  // the file opened with the desktop's opener when shellExecute is set. A file that cannot be
  // written is reported ("Quorix") and not opened.
  void ExportCsv();
  void ExportHtml();
  // Asks the comparison and the value of a filter on the current column; on return
  // filterSymbol() and filterValue() hold them (the value empty: no filter).
  void AskFilterValue();
  // The list as a table report: "View" every record of the view, with the column totals, to the
  // preview (allPreview); "Page" the rows on show, to the printer (pagePreview: the preview).
  // Any other mode prints nothing.
  void PrintList(const std::string& mode);
  // Counts every record of the view per value of the current column and shows the bar chart
  // until its window closes; fewer than two or more than 50 categories are reported instead.
  // Esc (or "Cancel") in the progress window asks whether to quit; "Yes" leaves no category.
  void ShowGraph();
  // "Format Listbox...": the columns shown and their order (add, hide, move); the current
  // column's header text, justification and indents, width, fixed, underline, border and resize
  // flags and colours; the list's position and size (only when the list may be moved and sized),
  // line height, scroll bars and font; the default layout. Controls whose bit of the option mask
  // is clear are disabled. Every change reaches the list at once and is kept with its saved
  // layout.
  void DesignList();
  // One number in a small window, applied as it changes: of the column under the mouse at the
  // last press, "WID" its width, "HOS" its header indent, "DOS" its data indent; of the list,
  // "XPS", "YPS" its position, "BWI", "BHI" its width and height (dialog units), "LHI" its line
  // height. Other codes show nothing.
  void EditAttribute(const std::string& code);
  // The header text of the column under the mouse ("HDR"; other codes show nothing).
  void EditHeaderText(const std::string& code);
  // The four colours of the current column, by name; "&Reset" gives it the list's own.
  void EditColumnColors();
  // "Quorix Preferences": the order of the graph's colours (the first 8 colour the bars) and its
  // font, written to section "QuorixPreferences" however the window closes (the order only
  // with "OK").
  void EditGraphPreferences();
  // Copies the image of the thread's window in front (the graph) to the desktop's clipboard; a
  // failure is reported.
  void CaptureWindow();
  // The categories of the graph on show (empty when none is).
  const std::vector<Category>& graphCategories() const { return lastGraph_; }
  // The pages of the last print (for the preview and tests).
  const std::shared_ptr<const report::Document>& lastPrint() const { return lastPrint_; }
  const std::string& filterSymbol() const { return symbol_; }
  const std::string& filterValue() const { return svalue_; }
  int currentColumn() const { return currentCol_; }
  // The list's position and size (dialog units), line height, scroll bars and font as they are
  // now (also what the saved layout keeps).
  ListLook CaptureCurrentLayout();

 private:
  struct Hit {
    int row = -1;  // 0 the header, 255 below the rows
    int column = 0;
    int zone = 0;  // 1 divider, 6 outside every column, 2 inside
  };
  struct Look {
    std::string origFormat;
    ListLook look;
  };
  struct Slot {
    int control = 0;
    std::string format = "0";
  };

  void loadColumnTables();
  void bindFields();
  void registerSortOrders();
  void applyBuiltInLayout();
  void restorePreferences();
  void sortAtOpen();

  Hit hitOf(const ui::Event& e) const;
  bool mouse(const ui::Event& e);
  void handleHeaderPress();
  void cancelHeaderPress();
  void trackHeaderDrag();
  void handleHeaderRelease(bool showMessage);
  void handleHeaderRightClick();
  void dropMove(bool left);
  void keySequence(bool fileOrder);
  void filterByValue(int event);
  void exportList(ExportFormat format);
  void filterByAskedValue();
  // Before a pass over the whole view (export, print, graph): the list's order and filter
  // applied, the file as it is now (a stale header sort sorted again), from the start.
  void readyView();
  // The records a pass over the view expects: the file's count, else the view's.
  std::uint64_t expectedRecords();
  void redrawGraph(ui::Window& w, const GraphPreferences& prefs, std::size_t bars);
  std::vector<PrintColumn> printColumns();
  std::string headerText(const Column& c) const;
  std::string orderText();
  std::string filterText() const;
  // Notes the limit text of a field for the print's footer; an empty field clears them all.
  void noteLimit(const std::string& field, const std::string& limit);
  int getSortOrderNumber();
  void onSortColumnChanged(const Column& column);

  // The list control's columns; setting them shows them.
  std::vector<ui::ListColumn> controlColumns() const;
  void setControlColumns(std::vector<ui::ListColumn> columns);
  // Shows the model's displayed columns in the list, in their order.
  void applyShown();
  // Sets the list's columns from format groups (the displayed columns must match them).
  void applyGroups(const std::vector<FormatColumn>& groups);
  // The width (dialog units) that fits display column `seq`'s widest loaded value.
  int fittedWidth(int seq) const;
  int addColumnPadding(const Column& c, int width) const;
  ListLook lookNow() const;
  // Gives the list the line height, scroll bars and font of `look`, and its position and size
  // too when `withPlace`.
  void applyLook(const ListLook& look, bool withPlace);
  // The list moved and sized to `look`'s position and size (dialog units, each kept within
  // 0 to 32767).
  void setListPlace(const ListLook& look);
  void setListLines(int lineHeight, bool horizontalBar, bool verticalBar);
  bool scrollBar(bool horizontal) const;
  // The font dialog on the list's font; the chosen one is given to the list.
  void chooseFont();
  // Shows the model's justification, indents and flags of display column `seq` in the list.
  void showColumnStyle(int seq);
  // A small editor of the list: it opens at the mouse, its texts in the list's font.
  void besideList(ui::WindowDecl& decl) const;
  void setHeaderMarks();
  std::string currentValue(const Column& c) const;
  int fileOrder() const;
  int listWidth() const;

  list::ListWindow& list_;
  ListSettings settings_;
  ColumnModel model_;
  view::ExampleQuery query_;
  std::vector<MenuItem> listBoxMenu_;
  std::vector<Slot> slots_;
  std::size_t currentSlot_ = 0;
  Look def_;
  // The list's position and size as last set in dialog units (the window model keeps whole
  // characters and lines): they stand while the list is still there.
  ListLook pars_;
  // Where the list stood as declared, for the default layout.
  list::ModelPlace builtInPlace_;

  // Option fields.
  bool upper_ = true;
  int ascDesc_ = 0;  // the direction the next new sort column takes
  bool filterEqual_ = false;
  std::string hdrToken_ = ">";
  const std::string ascToken_ = ">";
  const std::string descToken_ = "<";

  // The list's sort state.
  bool viewOrder_ = false;
  bool fileSeq_ = false;
  bool restoreHeader_ = false;
  int sortColumn_ = 0;  // display position of the sort column
  int qnos_ = 0;        // field number of the sort column
  int currentCol_ = 0;
  bool cursorOn_ = false;
  int cursorColumn_ = 0;

  // Header gestures.
  Hit press_;
  Hit release_;
  Hit doubleClick_;
  bool armed_ = false;
  bool pressing_ = false;  // the left button is down since a press on the list
  bool maskShown_ = false;
  std::string maskText_;
  int pressedMark_ = 0;
  int dragColumn_ = 0;

  // The filter window's fields.
  std::string symbol_ = "EQ";
  std::string svalue_;

  std::map<std::string, std::string> limitTexts_;
  std::shared_ptr<const report::Document> lastPrint_;
  std::vector<Category> lastGraph_;
};

// The enhancement of an enhanced list with settings made from its declaration, adjusted by
// `adjust` when given.
std::unique_ptr<list::ListExtension> attachEnhancement(
    list::ListWindow& list, const std::function<void(ListSettings&)>& adjust = {});

}  // namespace trv::listext
