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
enum ListResponse : int { ResponseCompleted = 1, ResponseCancelled = 2 };

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
  // The order that tab position `tab` (from 1) of the sheet `sheet` selects; other tabs select
  // `fallbackOrder`.
  void SetSheet(int sheet, std::vector<int> orderByTab, int fallbackOrder);
  void SetOrder(int order);
  int order() const { return order_; }

  void SetButtons(const Buttons& buttons);
  // The list's own popup items, shown before the standard ones and a separator.
  void SetOwnPopupItems(std::vector<PopupItem> items) { ownPopup_ = std::move(items); }
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
  // Reads the page again around the selected row (another station's changes, gain focus).
  void Refresh();
  // Reads the page again from the top (a changed order, range or filter).
  void Reset();

  // The record of the selected row, read again by its position into the file's buffer (the
  // change watch). False when there is none or it has gone (the list is refreshed then).
  bool LoadCurrent();
  int response() const { return response_; }

  // Rows on show, and every row of the view (reads the whole view: for checks, not for display).
  const std::vector<store::RecordBuffer>& rows() const { return pager_->rows(); }
  std::uint64_t CountAll();
  // The text of one cell of a record, as the list shows it.
  std::string CellText(const store::RecordBuffer& record, std::size_t column) const;

  // The popup menu text: the list's own items and "-" when it has any, then the items for the
  // buttons the list has, "&Select" when selecting, then "-", "&Close" and "&Help".
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
  };
  void show();
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
  std::vector<Order> orders_;
  int order_ = 0;
  int sheet_ = 0;
  std::vector<int> orderByTab_;
  int fallbackOrder_ = 0;
  Buttons buttons_;
  std::vector<PopupItem> ownPopup_;
  AskProcedure ask_;
  bool selecting_ = false;
  int colour_ = kDefaultListColour;
  std::function<int()> colourSource_;
  int response_ = ResponseCancelled;
  std::string typed_;  // what a collecting locator has been given so far
};

}  // namespace trv::list
