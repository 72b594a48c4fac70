#pragma once
// Controls of the window model: how a window procedure declares them and the state a front end
// shows.
//
// A control is addressed by its number (its field equate). Declarations carry layout hints
// (row, column, parent group or tab), never pixel positions. Texts are UTF-8; a use variable
// converts to the records' charset itself (see use_var.h).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace trv::ui {

constexpr int kColorNone = -1;

// A value held by a control or its use variable: a number or a text.
using Value = std::variant<std::int64_t, std::string>;
std::string valueText(const Value& v);
// The number a value holds; a text that is no number reads as 0.
std::int64_t valueNumber(const Value& v);

enum class ControlKind {
  Button,
  Entry,   // one line with a picture
  Text,    // several lines
  String,  // text shown, not edited
  Prompt,  // names the control after it
  Check,
  Option,  // a group of radio buttons; its value is the chosen radio's value
  Radio,
  DropList,
  Combo,  // a drop list that also takes typed text
  Spin,
  List,
  Sheet,
  Tab,
  Progress,
  Image,
  Group,
  Box,
  Line,
};

// Whether the kind takes the focus (and so Tab and the validation pass visit it).
bool takesFocus(ControlKind kind);
const char* kindName(ControlKind kind);

struct Font {
  std::string face;
  int size = 0;
  int colour = kColorNone;
  bool bold = false;
  bool italic = false;
  friend bool operator==(const Font&, const Font&) = default;
};

struct ListColumn {
  std::string header;
  int width = 0;  // characters
  std::string picture;
  bool rightAligned = false;
  // How the header and the cells are justified: 'L', 'R', 'C' or 'D' (decimal), each with an
  // indent in dialog units; 0 follows rightAligned.
  char headerJustify = 0;
  int headerIndent = 0;
  char dataJustify = 0;
  int dataIndent = 0;
  bool fixed = false;  // stays in view when the list scrolls sideways
  bool underline = false;
  bool border = true;  // a line at its right edge
  bool resizable = true;
  // The column's own colours, normal and selected; kColorNone: the list's.
  int colour = kColorNone;
  int background = kColorNone;
  int selectedColour = kColorNone;
  int selectedBackground = kColorNone;
  // Shows the row's icon before its text: the row's cell after the last column names the image
  // (empty: none).
  bool icon = false;
  friend bool operator==(const ListColumn&, const ListColumn&) = default;
};
// The justification letter a column shows its header / its cells with.
char headerJustification(const ListColumn& column);
char dataJustification(const ListColumn& column);

// The colours of one cell, normal and selected; kColorNone: the row's, else the column's.
struct CellColours {
  int colour = kColorNone;
  int background = kColorNone;
  int selectedColour = kColorNone;
  int selectedBackground = kColorNone;
};

struct ListRow {
  std::vector<std::string> cells;
  int colour = kColorNone;
  int background = kColorNone;
  // Colours of the cells of its own, by column from the first (fewer: the rest have none).
  std::vector<CellColours> cellColours = {};
};

// What a control's USE refers to: a record field (`IDE:Name`) or a program variable.
struct UseVar {
  std::string name;
  std::function<Value()> get;
  std::function<void(const Value&)> set;
  int width = 0;  // the characters a text variable holds; 0: as many as are given
};

// One control as the window procedure declares it. Build with the factories below and the
// chained setters: `button("?OK", "&OK").asDefault().at(8, 2)`.
struct ControlDecl {
  ControlKind kind = ControlKind::String;
  int number = 0;       // 0: its position in the declaration, from 1
  std::string equate;   // "?OK", "?Browse:1"
  std::string text;     // caption, prompt text, initial text
  std::string picture;  // "@s20", "@d6", "@n06"
  std::optional<UseVar> use;
  std::string tip;
  std::string message;  // shown in the status bar while the control has the focus
  std::string cursor;   // the image of the mouse pointer over the control; empty: the usual one
  Font font;
  int colour = kColorNone;
  int background = kColorNone;
  int row = 0;  // layout hints
  int column = 0;
  int width = 0;           // characters
  int height = 0;          // lines
  int parent = 0;          // the group, option, sheet or tab that holds it
  bool isDefault = false;  // Enter presses it
  bool password = false;
  bool readOnly = false;
  bool hidden = false;
  bool disabled = false;
  std::string value;  // a radio's value, a check box's value when set ("1")
  std::string image;
  std::vector<std::string> choices;  // drop list and combo
  std::vector<ListColumn> columns;   // list
  std::int64_t low = 0;              // spin and progress range
  std::int64_t high = 0;
  // An entry that edits a list's cell in place: not laid out with the other controls, but shown
  // over the cell of list `cellOf`'s selected row in column `cellColumn` (from 1) while an edit
  // lasts (see cellEditor).
  int cellOf = 0;
  int cellColumn = 0;
  int angle = 0;  // a string's text turned anticlockwise, in tenths of a degree

  ControlDecl& withNumber(int n) {
    number = n;
    return *this;
  }
  ControlDecl& at(int r, int c) {
    row = r;
    column = c;
    return *this;
  }
  ControlDecl& size(int w, int h = 0) {
    width = w;
    height = h;
    return *this;
  }
  ControlDecl& in(int parentNumber) {
    parent = parentNumber;
    return *this;
  }
  ControlDecl& withUse(UseVar u) {
    use = std::move(u);
    return *this;
  }
  ControlDecl& withTip(std::string t) {
    tip = std::move(t);
    return *this;
  }
  ControlDecl& withMessage(std::string m) {
    message = std::move(m);
    return *this;
  }
  ControlDecl& withCursor(std::string pointer) {
    cursor = std::move(pointer);
    return *this;
  }
  ControlDecl& withPicture(std::string p) {
    picture = std::move(p);
    return *this;
  }
  ControlDecl& withValue(std::string v) {
    value = std::move(v);
    return *this;
  }
  ControlDecl& withImage(std::string i) {
    image = std::move(i);
    return *this;
  }
  ControlDecl& withChoices(std::vector<std::string> c) {
    choices = std::move(c);
    return *this;
  }
  ControlDecl& withColours(int fg, int bg) {
    colour = fg;
    background = bg;
    return *this;
  }
  ControlDecl& withFont(Font f) {
    font = std::move(f);
    return *this;
  }
  ControlDecl& range(std::int64_t lo, std::int64_t hi) {
    low = lo;
    high = hi;
    return *this;
  }
  ControlDecl& turned(int tenthsOfADegree) {
    angle = tenthsOfADegree;
    return *this;
  }
  ControlDecl& asDefault() {
    isDefault = true;
    return *this;
  }
  ControlDecl& asPassword() {
    password = true;
    return *this;
  }
  ControlDecl& asReadOnly() {
    readOnly = true;
    return *this;
  }
  ControlDecl& asHidden() {
    hidden = true;
    return *this;
  }
  ControlDecl& asDisabled() {
    disabled = true;
    return *this;
  }
};

ControlDecl button(std::string equate, std::string text);
ControlDecl entry(std::string equate, std::string picture, std::optional<UseVar> use = {});
ControlDecl textBox(std::string equate, std::optional<UseVar> use = {});
ControlDecl string(std::string equate, std::string text);
ControlDecl prompt(std::string equate, std::string text);
ControlDecl check(std::string equate, std::string text, std::optional<UseVar> use = {});
ControlDecl option(std::string equate, std::string text, std::optional<UseVar> use = {});
ControlDecl radio(std::string equate, std::string text, std::string value = {});
ControlDecl dropList(std::string equate, std::vector<std::string> choices,
                     std::optional<UseVar> use = {});
ControlDecl combo(std::string equate, std::string picture, std::optional<UseVar> use = {});
ControlDecl spin(std::string equate, std::string picture, std::int64_t low, std::int64_t high,
                 std::optional<UseVar> use = {});
ControlDecl list(std::string equate, std::vector<ListColumn> columns);
// The entry of a list's in-place row editor for list column `column` (from 1) of list `list`:
// hidden until an edit shows it over the cell.
ControlDecl cellEditor(std::string equate, int list, int column, std::string picture,
                       std::optional<UseVar> use = {});
ControlDecl sheet(std::string equate);
ControlDecl tab(std::string equate, std::string text);
ControlDecl progress(std::string equate, std::int64_t low = 0, std::int64_t high = 100);
ControlDecl image(std::string equate, std::string file);
ControlDecl group(std::string equate, std::string text);
ControlDecl box(std::string equate);
ControlDecl line(std::string equate);

// The run-time state of one control: a copy of it is what a front end is sent.
struct ControlState {
  int number = 0;
  ControlKind kind = ControlKind::String;
  std::string equate;
  std::string useName;
  std::string text;  // what the control shows (an entry's formatted value, a caption)
  Value value;       // an entry's value, 1/0 of a check, the chosen radio's value ...
  int selected = 0;  // list row, choice, tab or radio position, from 1; 0 none
  bool hidden = false;
  bool disabled = false;
  bool readOnly = false;
  bool isDefault = false;
  bool password = false;
  Font font;
  int colour = kColorNone;
  int background = kColorNone;
  std::string tip;
  std::string message;
  std::string cursor;
  std::string image;
  std::string picture;
  int parent = 0;
  int row = 0;
  int column = 0;
  int width = 0;
  int height = 0;
  std::vector<std::string> choices;
  std::vector<ListColumn> columns;
  std::vector<ListRow> rows;
  // A list's header as the pointer works it: the column shown pressed (from 1; 0 none) and the
  // text of the header being dragged, shown grey under the pointer (empty: no drag).
  int pressedHeader = 0;
  std::string dragHeader;
  int scrolledColumns = 0;  // a list's columns scrolled out of view on the left
  // A list's line height in eighths of a line (0: as its font needs) and whether it offers its
  // scroll bars (shown when its columns or rows do not fit).
  int lineHeight = 0;
  bool horizontalBar = true;
  bool verticalBar = true;
  std::int64_t low = 0;
  std::int64_t high = 0;
  std::string radioValue;  // a radio's own value
  int cellOf = 0;          // an in-place cell editor: its list and column (see ControlDecl)
  int cellColumn = 0;
  int angle = 0;  // a string's text turned anticlockwise, tenths of a degree
  // The characters a text control takes: its picture's width or its use variable's, whichever
  // is less (0: no limit). Longer text is cut there, in the model as at the desktop.
  int maxChars = 0;
};

}  // namespace trv::ui
