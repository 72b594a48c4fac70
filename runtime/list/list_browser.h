#pragma once
// ListBrowser: a list control over the records of one data file.
//
// The browser shows a page of rows around the current record in one of several key orders
// (chosen by the window's tab sheet), moves with the list keys, locates with typed characters,
// narrows the view by range limits and named filters, and hands its current record to the
// window's form for insert, change and delete, or back to the caller in select mode. Before a
// button acts, the current row is read again by its position, so a later save notices another
// station's change. It reads only the rows it shows: every move costs the same anywhere in a
// large file.
//
// Runs on the thread of its window; the data file must be open on that thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/data/file_access.h"
#include "runtime/data/level.h"
#include "runtime/store/sort_snapshot.h"
#include "runtime/ui/events.h"
#include "runtime/view/list_pager.h"
#include "runtime/view/view_reader.h"

namespace trv::ui {
class UiRuntime;
class Window;
}  // namespace trv::ui

namespace trv::list {

// The list colour every list applies (key "Color" of section "Config"; 0 or missing gives this).
inline constexpr int kDefaultListColour = 12975860;
// Reads the list colour as lists do: a configured 0 (or a missing key) gives `fallback`.
int listColour(std::int64_t configured, int fallback = kDefaultListColour);

enum ListRequest : int {
  RequestInsert = 1,
  RequestChange = 2,
  RequestDelete = 3,
  RequestSelect = 4
};
enum ListResponse : int {
  ResponseCompleted = 1,
  ResponseCancelled = 2,
  // What an ask procedure answers when it edits the row in place (RowEditor): the edit goes on
  // after it returns, so the page stays as shown.
  ResponseInPlace = 3,
};

class ListBrowser {
 public:
  // Buttons of the window that act on the list; 0 for a button the window does not have.
  struct Buttons {
    int select = 0;
    int insert = 0;
    int change = 0;
    int remove = 0;
    int print = 0;
    int query = 0;
    int close = 0;
    int help = 0;
  };
  // An item of the list's own at the head of the popup menu: it presses its button.
  struct PopupItem {
    std::string text;
    int button = 0;
  };
  // Calls the window's form with the request (the record is in the file's buffer) and returns
  // its response.
  using AskProcedure = std::function<int(ListRequest request)>;

  // `window` and `file` must outlive the browser.
  ListBrowser(ui::Window& window, int listControl, data::FileAccess& file, int pageRows = 20);
  ~ListBrowser();

  // One column of the list: the record field it shows and its picture, in column order.
  void AddField(std::string fieldName, std::string picture);
  // Registers a sort order on a key (empty name: file order) with an optional locator field;
  // returns its number from 1. The locator moves to the first record whose field starts with the
  // character typed in the list; a collecting locator moves on what has been typed so far ("1",
  // then "12" finds case 12) until the list moves otherwise.
  int AddKeyOrder(std::string keyName, std::string locatorField = {}, bool collecting = false);
  // Registers a sort order that no key gives (a column's order): the view is sorted once each
  // time the order is chosen (see view::ViewReader::SetSortOrder). The locator works on
  // `locatorField` from its first character (collecting what is typed, as a key order's may).
  // Returns its number from 1.
  int AddSortOrder(std::vector<store::SortPart> parts, std::string locatorField = {},
                   bool collecting = false);
  bool isSortOrder(int order) const;
  // The order that tab position `tab` (from 1) of the sheet `sheet` selects; other tabs select
  // `fallbackOrder`.
  void SetSheet(int sheet, std::vector<int> orderByTab, int fallbackOrder);
  // The order the sheet's selected tab chooses (the first order when there is no sheet).
  int sheetOrder() const;
  void SetOrder(int order);
  int order() const { return order_; }
  // Chooses the order (a sorted one anew) and reads the page again around the selected row;
  // `closeWindow` is set when reading failed and the window must close.
  void SwitchOrder(int order, bool* closeWindow = nullptr);

  // The fields (by their place in AddField's order, from 0) that the list's columns show, in
  // display order; shows the rows again.
  void SetDisplayColumns(std::vector<int> fields);

  void SetButtons(const Buttons& buttons);
  // The list's own popup items, shown before the standard ones and a separator.
  void SetOwnPopupItems(std::vector<PopupItem> items) { ownPopup_ = std::move(items); }
  // The texts of the procedure's own closing items, last in the popup ("&Close", "&Help").
  void SetClosingPopupTexts(std::string close, std::string help) {
    popupClose_ = std::move(close);
    popupHelp_ = std::move(help);
  }
  void SetAskProcedure(AskProcedure ask) { ask_ = std::move(ask); }
  // Select mode: Select and a double click leave the record in the buffer and close the window.
  void SetSelecting(bool selecting);
  bool selecting() const { return selecting_; }
  void SetListColour(int colour);
  // Where the list colour is read again when the window regains focus (the frame may have
  // changed it meanwhile).
  void SetListColourSource(std::function<int()> source) { colourSource_ = std::move(source); }

  view::ViewReader& view() { return *reader_; }

  // Reads the first page. LevelOk, or LevelFatal after message 1 (the window must close).
  [[nodiscard]] data::Level Open();
  // Handles an event of the window. True when the browser took it; `closeWindow` is set when the
  // window must close (a selection was made, or reading failed).
  bool HandleEvent(const ui::Event& event, bool* closeWindow);
  // Each of these shows the file as it is now: a sorted order whose file has changed since its
  // snapshot (here or at another station) is sorted again first, under the busy cursor and giving
  // the other program threads their turn while it sorts; an unchanged file is not sorted again.
  // Reads the page again around the selected row (another station's changes, gain focus).
  void Refresh();
  // Reads the page again from the top (a changed order, range or filter).
  void Reset();
  // Reads the page again around `record` (one just written) and selects it.
  void RefreshAround(const store::RecordBuffer& record);
  // A blank row shown at place `at` (from 1) of the page and selected, for a record that is
  // being inserted in place; 0: none. The page's own rows move down past it.
  void SetPendingRow(int at);
  int pendingRow() const { return pendingAt_; }
  // The selected row's place on the page (from 1; 0 none), the pending row counted.
  int selectedRow() const;
  // The record of the selected row as last read; null when the page is empty.
  const store::RecordBuffer* current() const { return pager_->current(); }

  // The record of the selected row, read again by its position into the file's buffer (the
  // change watch). False when there is none or it has gone (the list is refreshed then).
  bool LoadCurrent();
  int response() const { return response_; }

  // Rows on show, and every row of the view (reads the whole view: for checks, not for display).
  const std::vector<store::RecordBuffer>& rows() const { return pager_->rows(); }
  std::uint64_t CountAll();
  // The text of one cell (display column from 0) of a record, as the list shows it.
  std::string CellText(const store::RecordBuffer& record, std::size_t column) const;

  // The popup menu text: the list's own items and "-" when it has any, then the items for the
  // buttons the list has, "&Select" when selecting, then "-" and the two closing items.
  std::string PopupText() const;

 private:
  struct Column {
    int field = -1;
    std::string picture;
  };
  struct Order {
    int key = -1;
    int locatorField = -1;
    bool collecting = false;
    bool sorted = false;
    std::vector<store::SortPart> parts;
  };
  void show();
  // Runs a read of the pager that shows the file as it is now (see Refresh).
  store::Code fresh(const std::function<store::Code()>& read);
  bool moved(store::Code c, bool* closeWindow);
  bool handleKey(int key, bool* closeWindow);
  bool runUpdate(ListRequest request, bool* closeWindow);
  bool select(bool* closeWindow);
  bool locate(char32_t typed, bool* closeWindow);
  bool popup(bool* closeWindow);

  ui::Window& window_;
  int list_;
  data::FileAccess& file_;
  std::unique_ptr<view::ViewReader> reader_;
  std::unique_ptr<view::ListPager> pager_;
  std::vector<Column> columns_;
  std::vector<int> display_;  // columns_ index of each display column
  std::vector<Order> orders_;
  int order_ = 0;
  int sheet_ = 0;
  std::vector<int> orderByTab_;
  int fallbackOrder_ = 0;
  Buttons buttons_;
  std::vector<PopupItem> ownPopup_;
  std::string popupClose_ = "&Close";
  std::string popupHelp_ = "&Help";
  AskProcedure ask_;
  bool selecting_ = false;
  int colour_ = kDefaultListColour;
  std::function<int()> colourSource_;
  int response_ = ResponseCancelled;
  int pendingAt_ = 0;
  std::string typed_;  // what a collecting locator has been given so far
};

}  // namespace trv::list
