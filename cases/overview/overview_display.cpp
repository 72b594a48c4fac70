#include "cases/overview/overview_display.h"

#include "runtime/list/list_format.h"
#include "runtime/text/charset.h"
#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"

namespace trv::cases {
namespace {

std::string shown(std::string_view field1252) {
  return text::toUtf8(text::clip(field1252));
}

}  // namespace

std::string iconList() {
  return std::string(kIconChanged) + "|" + kIconOnHold;
}

std::string iconOf(std::uint16_t newUpdate) {
  switch (newUpdate) {
    case 1:
      return kIconChanged;
    case 2:
      return kIconOnHold;
    default:
      return {};
  }
}

std::vector<ui::ListColumn> builtInColumns(int list) {
  std::vector<ui::ListColumn> columns = {
      {"Nr", 26, "@n_6", true},       {"Case", 23, "@n_10", false},
      {"Priority", 26, "@s7", false}, {"Client", 26, "@s6", false},
      {"Fase", 20, "@s4", false},     {"Time", list == kListLate ? 20 : 21, "@T1", false},
      {"Date", 20, "@D5", false},
  };
  columns[1].icon = true;  // the case shows its update mark's icon
  return columns;
}

std::vector<ui::ListColumn> shownColumns(std::vector<ui::ListColumn> dialogUnits) {
  for (ui::ListColumn& c : dialogUnits) c.width = list::charsOfDialogUnits(c.width);
  return dialogUnits;
}

std::string storedFormat(const std::vector<ui::ListColumn>& shown,
                         const std::vector<ui::ListColumn>& opened) {
  std::vector<ui::ListColumn> stored = opened;
  if (shown.size() != opened.size()) return list::listFormat(opened);
  for (std::size_t i = 0; i < shown.size(); ++i)
    if (list::charsOfDialogUnits(opened[i].width) != shown[i].width)
      stored[i].width = list::dialogPlaceOf({1, 1, shown[i].width, 0}).width;
  return list::listFormat(stored);
}

ui::ListRow queueRow(const core::QueueEntry& e) {
  ui::ListRow row;
  row.cells = {
      std::to_string(e.NR),
      std::to_string(e.CASENR),
      shown(e.PRIORITY.view()),
      shown(e.CLIENT.view()),
      shown(e.FASE.view()),
      text::formatPicture("@T1", e.Time),
      text::formatPicture("@D5", e.Date),
      iconOf(e.NEWUPDATE),
  };
  return row;
}

std::string titlePrefix(int level, bool ownCasesOnly) {
  switch (level) {
    case 1:
      return ownCasesOnly ? "Cases of Supervisor " : "All Open Case(s) - Supervisor ";
    case 2:
      return ownCasesOnly ? "Cases of Administrator " : "All Open Case(s) - Administrator ";
    default:
      return "Case(s) of Agent ";
  }
}

std::string overviewTitle(int level, bool ownCasesOnly, std::string_view userName1252,
                          std::string_view dateText, std::string_view timeText) {
  std::string t = titlePrefix(level, ownCasesOnly);
  t += shown(userName1252);
  t += " - Current Date - Time : ";
  t += dateText;
  t += " - ";
  t += timeText;
  return t;
}

SelectionTexts selectionTexts(const core::QueueEntry& e, int list, int level, bool ownCasesOnly) {
  SelectionTexts s;
  const std::string problem = shown(e.PROBLEM.view());
  s.problem = problem;
  if (level == 1 || level == 2) {
    if (!ownCasesOnly) {
      s.owner = shown(e.OWNER.view());
      s.tip = "Problem : " + problem + "\r\nOwner  : " + s.owner;
    } else {
      s.tip = (list == kListLate ? " Problem : " : "Problem : ") + problem;
    }
  } else {
    s.tip = "Problem : " + problem;
  }
  return s;
}

}  // namespace trv::cases
