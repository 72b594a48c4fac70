#pragma once
// What the action overview shows of the queues: the columns of its two lists, one row per queue
// entry with the entry's icon, the window title and the texts of the selected entry (the stored
// list formats are list::listFormat's). Pure functions; no window, file or setting is touched here.
//
// Texts of entries are Windows-1252 as in the records; everything returned is UTF-8, ready
// for the window model.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/queues/queue_entry.h"
#include "runtime/ui/control.h"

namespace trv::cases {

// The two lists: 1 "Cases to Process" (AFT), 2 "Late Cases" (BEF).
inline constexpr int kListToProcess = 1;
inline constexpr int kListLate = 2;

// The icon list of both lists, in icon order: 1 the case was changed by another agent, 2 on
// hold.
inline constexpr const char* kIconChanged = "~letter.ico";
inline constexpr const char* kIconOnHold = "~at.ico";
std::string iconList();

// The icon file of an entry's update mark: 1 and 2 as in the icon list, anything else none ("").
std::string iconOf(std::uint16_t newUpdate);

// The built-in columns of list 1 or 2: Nr, Case, Priority, Client, Fase, Time, Date, their
// widths in dialog units as the stored formats hold them.
std::vector<ui::ListColumn> builtInColumns(int list);
// Columns of dialog units as the window model takes them: widths in characters.
std::vector<ui::ListColumn> shownColumns(std::vector<ui::ListColumn> dialogUnits);
// The format to store for a list opened with `opened` (dialog units) that now shows `shown`
// (characters): a column the user did not size keeps its dialog units, a sized one takes its
// new width.
std::string storedFormat(const std::vector<ui::ListColumn>& shown,
                         const std::vector<ui::ListColumn>& opened);

// One row: the seven cells in column order, then one cell past the columns naming the icon
// file of the Case column ("" for none). The case number is shown whole.
ui::ListRow queueRow(const core::QueueEntry& entry);

// The window title's prefix by level (0 user, 1 supervisor, 2 administrator) and own-cases
// choice; a level outside 0 to 2 reads as a user.
std::string titlePrefix(int level, bool ownCasesOnly);
// The whole title: prefix, the user's name without trailing blanks, " - Current Date - Time : ",
// the date text, " - ", the time text.
std::string overviewTitle(int level, bool ownCasesOnly, std::string_view userName1252,
                          std::string_view dateText, std::string_view timeText);

// What a new selection shows of the selected entry: the list's tooltip, the problem text and
// the owner text (blank unless a supervisor or administrator sees all cases).
struct SelectionTexts {
  std::string tip;
  std::string problem;
  std::string owner;
};
SelectionTexts selectionTexts(const core::QueueEntry& entry, int list, int level,
                              bool ownCasesOnly);

}  // namespace trv::cases
