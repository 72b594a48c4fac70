// The list designer "Format Listbox...": which columns the list shows and in which order, the
// current column's settings, and the list's position, size, line height, scroll bars and font.

#include <algorithm>
#include <iterator>
#include <utility>

#include "listext/list_text.h"
#include "listext/quorix_list.h"
#include "runtime/list/list_format.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"

namespace trv::listext {
namespace {

enum DesignControl : int {
  kShownList = 1,
  kHeaderText = 2,
  kHeaderJustify = 3,
  kHeaderIndent = 4,
  kHeaderLeft = 5,  // to 8: "Left", "Center", "Right", "Decimal"
  kHeaderIndentPrompt = 9,
  kDataJustify = 10,
  kDataIndentPrompt = 11,
  kDataIndent = 12,
  kDataLeft = 13,  // to 16
  kWidthPrompt = 17,
  kPicture = 18,
  kWidth = 19,
  kFixed = 20,
  kUnderline = 21,
  kBorder = 22,
  kResize = 23,
  kMoveDown = 24,
  kMoveUp = 25,
  kAdd = 26,
  kHide = 27,
  kAllList = 28,
  kColours = 30,
  kDefault = 31,
  kCloseDesigner = 32,
  kXPrompt = 33,
  kX = 34,
  kYPrompt = 35,
  kY = 36,
  kListWidthPrompt = 37,
  kListWidth = 38,
  kListHeightPrompt = 39,
  kListHeight = 40,
  kLineHeightPrompt = 41,
  kLineHeight = 42,
  kVerticalBar = 43,
  kHorizontalBar = 44,
  kFont = 45,
};

// The bit of the option mask that enables each control; a control whose bit is clear is
// disabled. The lists, the add, hide and move buttons, colours, default and close do not depend
// on it.
struct MaskBit {
  std::int64_t bit;
  std::vector<int> controls;
};
const std::vector<MaskBit>& maskBits() {
  static const std::vector<MaskBit> bits = {
      {1, {kDataLeft}},
      {2, {kDataLeft + 1}},
      {4, {kDataLeft + 2}},
      {8, {kDataLeft + 3}},
      {16, {kDataIndentPrompt, kDataIndent}},
      {32, {kHeaderLeft}},
      {64, {kHeaderLeft + 1}},
      {128, {kHeaderLeft + 2}},
      {256, {kHeaderLeft + 3}},
      {512, {kHeaderIndentPrompt, kHeaderIndent}},
      {1024, {kHeaderText}},
      {2048, {kWidthPrompt, kWidth}},
      {65536, {kFixed}},
      {131072, {kUnderline}},
      {262144, {kBorder}},
      {524288, {kResize}},
      {2097152, {kXPrompt, kX}},
      {4194304, {kYPrompt, kY}},
      {8388608, {kListWidthPrompt, kListWidth}},
      {16777216, {kListHeightPrompt, kListHeight}},
      {33554432, {kFont}},
      {67108864, {kLineHeightPrompt, kLineHeight}},
      {134217728, {kHorizontalBar}},
      {268435456, {kVerticalBar}},
  };
  return bits;
}

// The four justifications of an option, as radios `first` to `first` + 3 inside it.
void addJustifications(std::vector<ui::ControlDecl>& controls, int option, int first, int row,
                       int column) {
  static const char* const kTexts[] = {"Left", "Center", "Right", "Decimal"};
  static const char* const kValues[] = {"L", "C", "R", "D"};
  for (int i = 0; i < 4; ++i)
    controls.push_back(ui::radio("?Just" + std::to_string(first + i), kTexts[i], kValues[i])
                           .withNumber(first + i)
                           .in(option)
                           .at(row, column + 10 * i));
}

char justification(const std::string& chosen) {
  return chosen == "C" || chosen == "R" || chosen == "D" ? chosen[0] : 'L';
}

}  // namespace

void QuorixList::DesignList() {
  ui::UiRuntime& ui = list_.context().ui;
  // The current column's settings and the list's, as the controls show them.
  std::string header;
  std::string hjust = "L";
  std::string fjust = "L";
  int hoffset = 0;
  int foffset = 0;
  int width = 0;
  bool fixed = false;
  bool underline = false;
  bool border = false;
  bool resize = false;
  ListLook pars = CaptureCurrentLayout();

  ui::WindowDecl d;
  d.title = "Format Listbox...";
  d.kind = ui::WindowKind::Modal;
  d.controls = {
      ui::list("?AllColumns", {{"", 2, "@s2"}, {"", 30, "@s30"}})
          .withNumber(kAllList)
          .at(1, 1)
          .size(32, 10),
      ui::button("?Add", "&Add").withNumber(kAdd).at(4, 34),
      ui::button("?Hide", "&Hide").withNumber(kHide).at(6, 34),
      ui::list("?ShownColumns", {{"", 30, "@s30"}}).withNumber(kShownList).at(1, 44).size(30, 10),
      ui::button("?MoveDown", "Down").withNumber(kMoveDown).withImage("MOVEDOWN.ICO").at(4, 76),
      ui::button("?MoveUp", "Up").withNumber(kMoveUp).withImage("MOVEUP.ICO").at(6, 76),
      ui::string("?Picture", "").withNumber(kPicture).at(11, 44),
      ui::entry("?HeaderText", "@s35", ui::useText("HeaderText", header))
          .withNumber(kHeaderText)
          .withTip("Change Column Header Text")
          .at(12, 1),
      ui::prompt("?WidthPrompt", "&Width:").withNumber(kWidthPrompt).at(12, 40),
      ui::spin("?Width", "@n3", 0, 255, ui::useNumber("Width", width))
          .withNumber(kWidth)
          .withTip("Change Column Width")
          .at(12, 48),
      ui::option("?HeaderJustify", "&Header", ui::useText("HeaderJustify", hjust))
          .withNumber(kHeaderJustify)
          .at(13, 1),
      ui::prompt("?HeaderOffsetPrompt", "Off&set:").withNumber(kHeaderIndentPrompt).at(13, 40),
      ui::spin("?HeaderOffset", "@n3", 0, 255, ui::useNumber("HeaderOffset", hoffset))
          .withNumber(kHeaderIndent)
          .withTip("Change Header Offset")
          .at(13, 48),
      ui::option("?DataJustify", "&Field", ui::useText("DataJustify", fjust))
          .withNumber(kDataJustify)
          .at(14, 1),
      ui::prompt("?DataOffsetPrompt", "Offse&t:").withNumber(kDataIndentPrompt).at(14, 40),
      ui::spin("?DataOffset", "@n3", 0, 255, ui::useNumber("DataOffset", foffset))
          .withNumber(kDataIndent)
          .withTip("Change Data Field Offset")
          .at(14, 48),
      ui::check("?Fixed", "F&ixed", ui::useNumber("Fixed", fixed))
          .withNumber(kFixed)
          .withTip("Fix all columns to the left when horizontal Scrolling")
          .at(15, 1),
      ui::check("?Underline", "&Underline", ui::useNumber("Underline", underline))
          .withNumber(kUnderline)
          .withTip("Underline the current column")
          .at(15, 14),
      ui::check("?Border", "&Border", ui::useNumber("Border", border))
          .withNumber(kBorder)
          .withTip("Right hand border line")
          .at(15, 28),
      ui::check("?Resize", "&Resize", ui::useNumber("Resize", resize))
          .withNumber(kResize)
          .withTip("Allow Column Resize with Mouse")
          .at(15, 40),
      ui::prompt("?XPrompt", "&X Pos:").withNumber(kXPrompt).at(16, 1),
      ui::spin("?X", "@n4", 0, 999, ui::useNumber("X", pars.x))
          .withNumber(kX)
          .withTip("Move Listbox Horizontally")
          .at(16, 14),
      ui::prompt("?YPrompt", "&Y Pos:").withNumber(kYPrompt).at(16, 28),
      ui::spin("?Y", "@n4", 0, 999, ui::useNumber("Y", pars.y))
          .withNumber(kY)
          .withTip("Move Listbox Vertically")
          .at(16, 40),
      ui::prompt("?ListWidthPrompt", "Wid&th:").withNumber(kListWidthPrompt).at(17, 1),
      ui::spin("?ListWidth", "@n4", 0, 999, ui::useNumber("ListWidth", pars.width))
          .withNumber(kListWidth)
          .withTip("Adjust Width of Listbox")
          .at(17, 14),
      ui::prompt("?ListHeightPrompt", "H&eight:").withNumber(kListHeightPrompt).at(17, 28),
      ui::spin("?ListHeight", "@n4", 0, 999, ui::useNumber("ListHeight", pars.height))
          .withNumber(kListHeight)
          .withTip("Adjust Height of LIstbox")
          .at(17, 40),
      ui::prompt("?LineHeightPrompt", "&LineHeight:").withNumber(kLineHeightPrompt).at(18, 1),
      ui::spin("?LineHeight", "@n3", 0, 255, ui::useNumber("LineHeight", pars.lineHeight))
          .withNumber(kLineHeight)
          .withTip("Adjust Line Height")
          .at(18, 14),
      ui::check("?VerticalBar", "&Vertical Scroll", ui::useNumber("VerticalBar", pars.vscroll))
          .withNumber(kVerticalBar)
          .withTip("Display Vertical Scroll bar")
          .at(18, 28),
      ui::check("?HorizontalBar", "Hori&zontal Scroll",
                ui::useNumber("HorizontalBar", pars.hscroll))
          .withNumber(kHorizontalBar)
          .withTip("Display Horizontal Scroll bar")
          .at(18, 40),
      ui::button("?Font", "F&ont")
          .withNumber(kFont)
          .withTip("Assign New Font to Listbox")
          .at(18, 48),
      ui::button("?Colors", "C&olors")
          .withNumber(kColours)
          .withTip("Assign New Colors to Column")
          .at(19, 1),
      ui::button("?Default", "&Default")
          .withNumber(kDefault)
          .withTip("Reset listbox back to default")
          .at(19, 20),
      ui::button("?Close", "&Close").withNumber(kCloseDesigner).at(19, 40).asDefault(),
  };
  addJustifications(d.controls, kHeaderJustify, kHeaderLeft, 13, 10);
  addJustifications(d.controls, kDataJustify, kDataLeft, 14, 10);
  std::unique_ptr<ui::Window> w = ui.open(std::move(d));
  int allRow = 1;  // the current entry of the left list
  for (const MaskBit& b : maskBits())
    for (int control : b.controls) w->setDisabled(control, (settings_.mask & b.bit) == 0);
  // A list that may not be moved or sized shows no place to move or size it to.
  if (!settings_.allowResize)
    for (int control :
         {kXPrompt, kX, kYPrompt, kY, kListWidthPrompt, kListWidth, kListHeightPrompt, kListHeight})
      w->setHidden(control, true);
  // The list's column cursor shows the designer's current column in the list itself.
  const bool cursorWas = cursorOn_;
  const int cursorColumnWas = cursorColumn_;
  cursorOn_ = true;
  // The cursor on display column `seq`; 0 (a column not displayed) puts it off.
  auto cursorTo = [&](int seq) { cursorColumn_ = seq; };
  // The display position of the column chosen on the left; 0 when it is not displayed.
  auto shownSeqOfAllRow = [&] {
    if (allRow < 1 || allRow > static_cast<int>(model_.all().size())) return 0;
    const int qnos = model_.all()[static_cast<std::size_t>(allRow - 1)].qnos;
    for (const Column& c : model_.shown())
      if (c.qnos == qnos) return c.seq;
    return 0;
  };

  auto fill = [&] {
    model_.ReadBack(controlColumns());
    std::vector<ui::ListRow> all;
    for (const Column& c : model_.all())
      all.push_back({{c.icon == 1 ? "\xE2\x9C\x93" : "", clipped(c.description)}});
    std::vector<ui::ListRow> shown;
    for (const Column& c : model_.shown()) shown.push_back({{clipped(c.description)}});
    w->setRows(kAllList, std::move(all));
    w->setRows(kShownList, std::move(shown));
    const int n = static_cast<int>(model_.shown().size());
    currentCol_ = std::clamp(currentCol_, n > 0 ? 1 : 0, n);
    w->setSelected(kShownList, currentCol_);
    w->setSelected(kAllList, allRow);
    if (const Column* c = model_.at(currentCol_)) {
      w->setText(kPicture, c->picture);
      header = clipped(headerText(*c));
      width = c->widthDlu;
      hjust = std::string(1, c->hjust);
      fjust = std::string(1, c->fjust);
      hoffset = c->hoffset;
      foffset = c->foffset;
      fixed = c->fixed;
      underline = c->uline;
      border = c->border;
      resize = c->resize;
    }
    pars = lookNow();
    w->display();
  };
  // A column setting reaches the current column of the list at once.
  auto applyColumn = [&](int control) {
    w->update(control);
    Column* c = model_.at(currentCol_);
    if (c == nullptr) return;
    if (control == kHeaderText) {
      auto cols = controlColumns();
      cols[static_cast<std::size_t>(currentCol_ - 1)].header = header;
      setControlColumns(std::move(cols));
    } else if (control == kWidth) {
      auto cols = controlColumns();
      c->widthDlu = width;
      cols[static_cast<std::size_t>(currentCol_ - 1)].width = list::charsOfDialogUnits(width);
      setControlColumns(std::move(cols));
    } else {
      // Indents are kept in a byte.
      hoffset = std::clamp(hoffset, 0, 255);
      foffset = std::clamp(foffset, 0, 255);
      c->hjust = justification(hjust);
      c->hoffset = hoffset;
      c->fjust = justification(fjust);
      c->foffset = foffset;
      c->fixed = fixed;
      c->uline = underline;
      c->border = border;
      c->resize = resize;
      showColumnStyle(currentCol_);
    }
    model_.ReadBack(controlColumns());
    // The sort column keeps its mark before the new text.
    if (viewOrder_ && currentCol_ == sortColumn_) ShowSortIndicator();
    slots_[currentSlot_].format = formatNow();
  };
  // A list setting reaches the list at once.
  auto applyList = [&](int control) {
    w->update(control);
    if (control == kLineHeight || control == kVerticalBar || control == kHorizontalBar)
      setListLines(pars.lineHeight, pars.hscroll, pars.vscroll);
    else
      setListPlace(pars);
    pars = lookNow();
    w->display(control);
  };
  currentCol_ = 1;
  fill();
  cursorTo(currentCol_);
  w->select(kAllList);

  // Keys: Alt+1 and Alt+2 go to the left and right list; Alt with an arrow presses the move,
  // add and hide buttons.
  struct DesignKey {
    int key;
    int focus;   // the list to go to, or 0
    int button;  // the button to press, or 0
  };
  static const DesignKey kKeys[] = {
      {'1' | ui::kAlt, kAllList, 0},          {'2' | ui::kAlt, kShownList, 0},
      {ui::KeyDown | ui::kAlt, 0, kMoveDown}, {ui::KeyUp | ui::kAlt, 0, kMoveUp},
      {ui::KeyRight | ui::kAlt, 0, kAdd},     {ui::KeyLeft | ui::kAlt, 0, kHide},
  };
  for (const DesignKey& k : kKeys) w->alert(k.key);
  for (int k : {ui::KeyMouseRight, ui::KeyMouseRightUp}) w->alert(k);
  int rightPressed = 0;  // the list a right button went down on

  ui::Event e;
  while (w->accept(e)) {
    if (e.number == ui::EventCloseWindow) {
      w->close();
      continue;
    }
    if (e.number == ui::EventAlertKey &&
        (e.key == ui::KeyMouseRight || e.key == ui::KeyMouseRightUp)) {
      // A right click on a row of either list (pressed and released there) makes the row
      // current and hides the column on the right, adds it on the left.
      if (e.key == ui::KeyMouseRight) {
        rightPressed = e.control;
        continue;
      }
      const int pressedIn = std::exchange(rightPressed, 0);
      if (pressedIn != e.control || (e.control != kShownList && e.control != kAllList)) continue;
      const ui::ControlState* list = w->control(e.control);
      if (e.zone != ui::ListZone::Cell || e.row < 1 || e.row > static_cast<int>(list->rows.size()))
        continue;
      w->setSelected(e.control, e.row);
      if (e.control == kShownList) {
        currentCol_ = e.row;
      } else {
        allRow = e.row;
      }
      e = ui::Event(ui::EventAccepted, e.control == kShownList ? kHide : kAdd);
    } else if (e.number == ui::EventAlertKey) {
      const DesignKey* k = std::find_if(std::begin(kKeys), std::end(kKeys),
                                        [&](const DesignKey& dk) { return dk.key == e.key; });
      if (k == std::end(kKeys)) continue;
      if (k->focus != 0) {
        w->select(k->focus);
        continue;
      }
      e = ui::Event(ui::EventAccepted, k->button, e.key);
    }
    const bool changedValue = e.number == ui::EventNewSelection || e.number == ui::EventAccepted;
    switch (e.control) {
      case kHeaderIndent:
      case kDataIndent:
      case kWidth:
        // The spin boxes apply on every change of value.
        if (changedValue) applyColumn(e.control);
        continue;
      case kX:
      case kY:
      case kListWidth:
      case kListHeight:
      case kLineHeight:
        if (changedValue) applyList(e.control);
        continue;
      default:
        break;
    }
    if (e.number == ui::EventNewSelection) {
      if (e.control == kShownList) currentCol_ = w->selected(kShownList);
      if (e.control == kAllList) allRow = w->selected(kAllList);
      fill();
      if (e.control == kShownList) cursorTo(currentCol_);
      if (e.control == kAllList) cursorTo(shownSeqOfAllRow());
      continue;
    }
    if (e.number != ui::EventAccepted) continue;
    switch (e.control) {
      case kAdd: {
        if (allRow < 1 || allRow > static_cast<int>(model_.all().size())) break;
        const int qnos = model_.all()[static_cast<std::size_t>(allRow - 1)].qnos;
        if (!model_.Show(qnos)) {
          // Shown already: it is selected on the right.
          for (const Column& c : model_.shown())
            if (c.qnos == qnos) currentCol_ = c.seq;
          ui.beep();
        } else {
          currentCol_ = static_cast<int>(model_.shown().size());
          BuildFormatString();
          RefreshColumns(true);
        }
        fill();
        cursorTo(currentCol_);
        break;
      }
      case kHide: {
        currentCol_ = w->selected(kShownList);
        const Column* c = model_.at(currentCol_);
        if (c == nullptr || model_.shown().size() <= 1) break;
        // The sort column gone, the list goes back to its key order.
        if (viewOrder_ && c->seq == sortColumn_) keySequence(false);
        if (model_.Hide(currentCol_)) {
          BuildFormatString();
          RefreshColumns(true);
        }
        fill();
        cursorTo(currentCol_);
        break;
      }
      case kMoveDown:
      case kMoveUp: {
        currentCol_ = w->selected(kShownList);
        const int before = currentCol_;
        if (e.control == kMoveDown) {
          MoveColumnRight();
          if (model_.at(before + 1)) currentCol_ = before + 1;
        } else {
          MoveColumnLeft();
          if (before > 1) currentCol_ = before - 1;
        }
        fill();
        cursorTo(currentCol_);
        break;
      }
      case kHeaderText:
      case kHeaderJustify:
      case kDataJustify:
      case kFixed:
      case kUnderline:
      case kBorder:
      case kResize:
        applyColumn(e.control);
        break;
      case kVerticalBar:
      case kHorizontalBar:
        applyList(e.control);
        break;
      case kFont:
        chooseFont();
        pars = lookNow();
        break;
      case kColours:
        EditColumnColors();
        break;
      case kDefault:
        RestoreDefaultLayout();
        currentCol_ = 1;
        allRow = 1;
        fill();
        cursorTo(currentCol_);
        break;
      case kCloseDesigner:
        w->close();
        break;
      default:
        break;
    }
  }
  cursorOn_ = cursorWas;
  cursorColumn_ = cursorColumnWas;
  w.reset();
  list_.window().select(list_.decl().list);
}

}  // namespace trv::listext
