#pragma once
// What the case list shows and offers, as pure functions of the signed-on user's level, the
// highlighted case and the number of cases: which case buttons are shown and enabled, the
// list's own popup items, the title, and the owner comparison of the take-over.
//
// Texts are UTF-8 except agent names, which are Windows-1252 as records and CurrentUserName
// hold them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trv::cases {

// The user levels (CurrentUserLevel).
inline constexpr int kLevelUser = 0;
inline constexpr int kLevelSupervisor = 1;
inline constexpr int kLevelAdministrator = 2;

// Shown and enabled, for one button.
struct ButtonState {
  bool shown = false;
  bool enabled = false;
  friend bool operator==(const ButtonState&, const ButtonState&) = default;
};

// The buttons whose state depends on the level and the case: "Delete Clo&sed", "&Archive
// Case", "A&ssign Case", "&Yank Case", "&Export" and "&Delete Case". ("&Delete Case" is also
// disabled by the list itself while it has no rows.)
struct CaseButtons {
  ButtonState deleteClosed, archive, assign, yank, exportCases, deleteCase;
  friend bool operator==(const CaseButtons&, const CaseButtons&) = default;
};

// The button states for `level`, with `fileEmpty` when the case file holds no case, and
// `ownCase` when the highlighted case belongs to the signed-on user (or no case is highlighted).
CaseButtons caseButtons(int level, bool fileEmpty, bool ownCase);

// True when the owner names the agent: upper-case comparison, trailing blanks ignored.
bool ownsCase(std::string_view owner, std::string_view agent);

// "Browse Cases " + count + " records available": the list's title and status text.
std::string caseListTitle(std::uint64_t count);

// The list's own popup items at the head of its popup menu, by level, each pressing its button:
// for a supervisor or administrator "Queues", "Yank" and "Assign Case", for a user "Queues".
struct CasePopupItem {
  std::string text;
  int button = 0;
};
std::vector<CasePopupItem> casePopupItems(int level, int queuesButton, int yankButton,
                                          int assignButton);

}  // namespace trv::cases
