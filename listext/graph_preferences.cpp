// The graph preferences window "Quorix Preferences": the order of the bar colours and the font of
// the graph's texts, kept in section "QuorixPreferences".

#include <array>
#include <cstdio>

#include "listext/column_graph.h"
#include "listext/quorix_list.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::listext {
namespace {

constexpr const char* kSection = "QuorixPreferences";
constexpr std::array<const char*, 16> kDefaultOrder = {
    "Maroon", "Olive",  "Navy", "Silver", "Purple",  "Green", "Teal",  "Gray",
    "Red",    "Yellow", "Blue", "Lime",   "Fuschia", "Aqua",  "White", "Black"};

enum PrefControl : int {
  kSheet = 1,
  kColoursTab,
  kFontTab,
  kColourList,
  kMoveUp,
  kMoveDown,
  kReset,
  kNote,
  kSample,
  kChangeFont,
  kOk,
};

std::string key(std::size_t i) {
  char k[8];
  std::snprintf(k, sizeof k, "Col%02d", static_cast<int>(i + 1));
  return k;
}

}  // namespace

std::string fontStyleName(int style, const std::string& shown) {
  switch (style) {
    case 400:
      return "Regular";
    case 700:
      return "Bold";
    case 4096:
      return "Italic";
    case 4796:
      return "Bold Italic";
    case 8592:
      return "Regular Underline";
    case 8892:
      return "Bold Underline";
    case 12288:
      return "Italic Underline";
    case 12988:
      return "Bold Italic Underline";
    default:
      return shown;
  }
}

void QuorixList::EditGraphPreferences() {
  ui::UiRuntime& ui = list_.context().ui;
  ini::IniSettings* ini = list_.context().settings;
  std::array<std::string, 16> order;
  for (std::size_t i = 0; i < order.size(); ++i) {
    order[i] = ini ? ini->ReadValue(kSection, key(i)) : std::string();
    if (order[i].empty()) order[i] = kDefaultOrder[i];
  }
  std::array<std::string, 16> kept = order;  // what is written when the window closes
  std::string fontName = "Arial";
  int fontSize = 8, fontColour = 0, fontStyle = 700;
  if (ini) {
    if (std::string f = ini->ReadValue(kSection, "FontName"); !f.empty()) fontName = f;
    auto number = [&](const char* k, int& into) {
      if (!ini->ReadValue(kSection, k).empty())
        into = static_cast<int>(ini->ReadNumber(kSection, k));
    };
    number("FontSize", fontSize);
    number("FontColor", fontColour);
    number("FontStyle", fontStyle);
  }
  std::string styleName;

  ui::WindowDecl d;
  d.title = "Quorix Preferences";
  d.kind = ui::WindowKind::Modal;
  d.controls = {
      ui::sheet("?Sheet").withNumber(kSheet).at(1, 1),
      ui::tab("?ColorsTab", "&Colors").withNumber(kColoursTab).in(kSheet),
      ui::tab("?FontTab", "Font").withNumber(kFontTab).in(kSheet),
      ui::list("?GraphColors", {{"Graph Colors", 12, "@s12"}, {"", 4, "@s4"}})
          .withNumber(kColourList)
          .at(2, 1)
          .size(18, 16)
          .in(kColoursTab),
      ui::button("?MoveUp", "Up")
          .withNumber(kMoveUp)
          .withImage("MOVEUP.ICO")
          .at(3, 21)
          .in(kColoursTab),
      ui::button("?MoveDown", "Down")
          .withNumber(kMoveDown)
          .withImage("MOVEDOWN.ICO")
          .at(5, 21)
          .in(kColoursTab),
      ui::button("?Reset", "&Reset").withNumber(kReset).at(7, 21).in(kColoursTab),
      ui::string("?Note", "Note: Only the top 8 colors will be used for graphing")
          .withNumber(kNote)
          .at(19, 1)
          .in(kColoursTab),
      ui::string("?Sample", "").withNumber(kSample).at(2, 1).in(kFontTab),
      ui::button("?ChangeFont", "Change &Font").withNumber(kChangeFont).at(5, 1).in(kFontTab),
      ui::button("?OK", "OK").withNumber(kOk).at(21, 20).asDefault(),
  };
  std::unique_ptr<ui::Window> w = ui.open(std::move(d));
  auto fillColours = [&](int selected) {
    std::vector<ui::ListRow> rows;
    for (const std::string& name : order) {
      // The swatch beside the name shows the colour, also while selected.
      const int colour = colourOfName(name, 0);
      const int white = colourOfName("White", 0);
      ui::ListRow r;
      r.cells = {name, ""};
      r.cellColours = {{},
                       {name == "Black" ? white : 0, colour, name == "White" ? 0 : white, colour}};
      rows.push_back(std::move(r));
    }
    w->setRows(kColourList, std::move(rows));
    w->setSelected(kColourList, selected);
  };
  auto showFont = [&] {
    styleName = fontStyleName(fontStyle, styleName);
    w->setText(kSample, fontName + std::to_string(fontSize) + " pt " + styleName);
    ui::Font f;
    f.face = fontName;
    f.size = fontSize;
    f.colour = fontColour;
    f.bold = fontStyle % 4096 >= 700;
    f.italic = (fontStyle & 4096) != 0;
    w->setFont(kSample, f);
  };
  // The selected tab's caption is bold, the other's regular.
  auto showTabs = [&] {
    for (int tab : {int{kColoursTab}, int{kFontTab}}) {
      ui::Font f = w->control(tab)->font;
      f.bold = w->selected(kSheet) == tab - kSheet;
      w->setFont(tab, f);
    }
  };
  fillColours(1);
  showFont();
  w->setSelected(kSheet, 1);
  showTabs();
  ui::Event e;
  while (w->accept(e)) {
    if (e.number == ui::EventCloseWindow) {
      w->close();
      continue;
    }
    if (e.number == ui::EventNewSelection && e.control == kSheet) {
      showTabs();
      continue;
    }
    if (e.number != ui::EventAccepted) continue;
    const int row = w->selected(kColourList);
    switch (e.control) {
      case kMoveUp:
      case kMoveDown: {
        const int to = e.control == kMoveUp ? row - 1 : row + 1;
        if (row < 1 || to < 1 || to > static_cast<int>(order.size())) {
          ui.beep();
          break;
        }
        std::swap(order[static_cast<std::size_t>(row - 1)],
                  order[static_cast<std::size_t>(to - 1)]);
        fillColours(to);
        break;
      }
      case kReset:
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = kDefaultOrder[i];
        kept = order;
        fillColours(1);
        break;
      case kChangeFont: {
        ui::DialogRequest r;
        r.kind = ui::DialogKind::Font;
        r.title = "Select a Font for Vertical Legend on Graphs";
        r.font.face = fontName;
        r.font.size = fontSize;
        r.font.colour = fontColour;
        r.font.bold = fontStyle % 4096 >= 700;
        r.font.italic = (fontStyle & 4096) != 0;
        const ui::Answer a = ui.dialog(r);
        if (a.ok) {
          fontName = a.font.face;
          fontSize = a.font.size;
          fontColour = a.font.colour;
          fontStyle = (a.font.bold ? 700 : 400) + (a.font.italic ? 4096 : 0);
          showFont();
        }
        break;
      }
      case kOk:
        kept = order;
        w->close();
        break;
      default:
        break;
    }
  }
  w.reset();
  if (!ini) return;
  for (std::size_t i = 0; i < kept.size(); ++i) (void)ini->WriteValue(kSection, key(i), kept[i]);
  (void)ini->WriteValue(kSection, "FontName", fontName);
  (void)ini->WriteValue(kSection, "FontSize", std::int64_t{fontSize});
  (void)ini->WriteValue(kSection, "FontColor", std::int64_t{fontColour});
  (void)ini->WriteValue(kSection, "FontStyle", std::int64_t{fontStyle});
}

}  // namespace trv::listext
