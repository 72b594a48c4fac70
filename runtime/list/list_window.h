#pragma once
// ListWindow: a record list declared as a table and run by one controller.
//
// A list procedure states what is particular to it in a ListDecl: its window, the columns, the
// key orders and the tabs that choose them, the update buttons, the form that inserts, changes
// and deletes, the list colour. ListWindow runs it: it opens the listed file through its
// relations, sets the list control's columns, sets up a ListBrowser with the orders and buttons,
// reads the first page, applies the list colour when the window opens and again on gain focus,
// calls the form for the update buttons, and in select mode leaves the chosen record in the
// file's buffer. A list with behaviour of its own derives from ListWindow and overrides the
// controller's handlers as any window does, calling the base for everything else.
//
// Lists that offer header sorting, column moves and saved layouts set `enhanced`: the program's
// ListEnvironment then attaches its ListExtension when the list opens, and the extension sees
// every event before the browser.
//
// A list without a form may edit its rows in place instead (`inPlace`): ListWindow then adds one
// cell entry per column to the window, named by the column's field as its use variable and
// numbered after the window's own controls, and runs a RowEditor for Insert, Change and Delete.
//
// Runs on the thread that calls Run (any program thread); the listed file's relations must be
// set up. Failures are the browser's and the controller's (messages 1, 28, 24).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/forms/window_controller.h"
#include "runtime/list/list_browser.h"
#include "runtime/list/row_editor.h"

namespace trv::list {

class ListWindow;

// One column: its header, its width in dialog units as the window declares it, the record field
// it shows and the picture it shows it with.
struct ListColumnDecl {
  std::string header;
  int widthDlu = 0;
  std::string field;
  std::string picture;  // "@s16", "@N06", "@T1B"
  bool rightAligned = false;
  int indent = 0;  // of the header and the cells, in dialog units
  // How the header and the cells are justified ('L', 'R', 'C' or 'D'); 0 follows rightAligned.
  char headerJustify = 0;
  char dataJustify = 0;
  // Held in the list's rows but not shown: the list control has no column for it (the list
  // enhancement offers it as a column that can be shown). Not for lists edited in place.
  bool hidden = false;
};

// One sort order, in registration order: a key of the listed file (empty: the file's stored
// order), the field its locator works on (empty: none) and the tab that chooses it.
struct KeyOrderDecl {
  std::string key;
  std::string locator;
  int tab = 0;             // control number of the tab; 0: no tab chooses it
  bool byDefault = false;  // the list opens in it, and tabs without an order choose it
  // The locator collects what is typed ("12" finds 12) instead of locating on each character.
  bool collecting = false;
};

enum class SelectMode {
  OnRequest,  // Select is shown and acts when the list was opened with RequestSelect
  Never,      // the list is never called to select; Select stays hidden
};

struct ListDecl {
  // Procedure name: "%Procedure" in messages and the section of the saved window position.
  std::string procedure;
  // Every control of the window; the list control's columns are filled from `columns`.
  ui::WindowDecl window;
  int list = 0;  // the list control
  std::vector<ListColumnDecl> columns;
  // The listed file, opened through its relations for the life of the list.
  data::FileRelations* file = nullptr;
  std::vector<KeyOrderDecl> orders;
  int sheet = 0;  // the tab sheet whose tabs choose the order; 0: none
  // The window's buttons that act on the list; `close` closes it with the response cancelled.
  ListBrowser::Buttons buttons;
  // The procedure that inserts, changes and deletes (called by name with the request in
  // NextRequest and the record in the file's buffer); empty: none.
  std::string form;
  SelectMode select = SelectMode::OnRequest;
  // The colour when key "Color" of section "Config" is 0 or missing.
  int defaultColour = kDefaultListColour;
  // Where the column widths are kept between runs (section "Browses", key "SLABrowse"): read
  // when the list opens (list::withListFormat: a format that does not fit is ignored), written
  // back when it closes. Empty key: not kept.
  std::string formatSection;
  std::string formatKey;
  // Items of the list's own at the head of its popup menu ("Queues", pressing its button).
  std::vector<ListBrowser::PopupItem> popup;
  // The texts of the popup's closing items, pressing Close and Help.
  std::string popupClose = "&Close";
  std::string popupHelp = "&Help";
  // The thread slot of a single-instance list ("BrowsLogThread"); empty: any number.
  std::string singleSlot;
  // Header sorting, column moves and saved layouts through the program's list extension.
  bool enhanced = false;
  // Rows edited in place (RowEditor) rather than through `form`; `arrowAction` is a sum of
  // EditAction values.
  struct InPlace {
    int arrowAction = EditSave;
  };
  std::optional<InPlace> inPlace;
};

// The controls that open most list windows, in this order: the list control ("?Browse:1",
// numbered `decl.list`, with `tip`, `width` characters by `height` lines, at the top) and, in a
// row under it, the buttons of `decl.buttons` that have numbers among "&Select", "&Insert",
// "&Change" and "&Delete" (equates "?Select", "?Insert", ...). The window's other controls follow.
std::vector<ui::ControlDecl> browseControls(const ListDecl& decl, std::string tip, int width,
                                            int height);

// What attaches to every enhanced list. Made when the list's browser is set up (its orders
// registered, before the first page is read); gone before the browser and the files close.
class ListExtension {
 public:
  virtual ~ListExtension() = default;
  // True when it took the event: the browser and the procedure then do not see it.
  virtual bool HandleEvent(const ui::Event& event) = 0;
  // The list is closing (its window still open when it was opened): save what is kept.
  virtual void Closing() = 0;
};

// What every list window of the program shares; what it refers to must outlive the lists.
struct ListEnvironment {
  forms::FormContext& forms;
  // The program's list colour (ListColor): set when a list opens, applied again on gain focus
  // (the frame changes it meanwhile).
  int& listColour;
  // Makes the extension of an enhanced list; empty: enhanced lists run without one.
  std::function<std::unique_ptr<ListExtension>(ListWindow& list)> enhancement;
};

class ListWindow : public forms::WindowController {
 public:
  ListWindow(const ListEnvironment& environment, ListDecl decl);
  ~ListWindow() override;

  // As WindowController::Run; after a completed selection the chosen record is in the listed
  // file's buffer of this thread, also when closing the list closed the file.
  int Run() override;

  const ListDecl& decl() const { return decl_; }
  // The cell entries of an in-place list, in column order (empty for other lists).
  const std::vector<int>& cellEditors() const { return editors_; }
  // Between Init and Shutdown.
  ListBrowser& browser() { return *browser_; }
  bool hasBrowser() const { return browser_ != nullptr; }

 protected:
  data::Level Init() override;
  void OnOpen() override;
  data::Level Shutdown() override;
  data::Level HandleEvent() override;
  // Inserts, changes or deletes for an update button; the record is in the file's buffer (the
  // current row's for change and delete). By default the form procedure; returns its response.
  virtual int RunUpdate(ListRequest request);

 private:
  bool keepsFormat();

  ListEnvironment env_;
  ListDecl decl_;
  std::unique_ptr<ListBrowser> browser_;
  std::unique_ptr<ListExtension> extension_;
  std::vector<int> editors_;
  std::unique_ptr<RowEditor> editor_;
  std::optional<store::RecordBuffer> chosen_;
};

}  // namespace trv::list
