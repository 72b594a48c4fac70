#pragma once
// SelectProd: the product pick list of the case form. It lists the products of the Sla file in
// product-id or product-name order (chosen by tab) and, when opened to select, hands the chosen
// product back in the calling thread's Sla record buffer. It has no insert, change or delete,
// and stores no column layout.
//
// Requires a program thread of the state's runtime, with the state's data dictionary set up.

#include <cstdint>

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

// Control numbers of the "Select Product" window.
namespace productpick {
enum Control : int {
  kList = 1,
  kSelect = 2,
  kSheet = 3,
  kTabId = 4,
  kTabName = 5,
  kClose = 6,
};
}  // namespace productpick

// The list colour of the pick list when key "Color" of section "Config" is 0 or missing; the
// other lists fall back on list::kDefaultListColour.
inline constexpr int kPickListColour = 12567173;

// The pick list's colour for a configured value.
int pickListColour(std::int64_t configured);

// Runs the pick list on the calling thread with the request in NextRequest. LastResponse is
// ResponseCompleted when a product was chosen ("&Select" or a double-click on a row): the Sla
// buffer of this thread then holds that product, also when no one else on the thread has the
// file open. "Close" and the close box leave ResponseCancelled.
void SelectProd(core::ProgramState& s);

// Registers "SelectProd", run on its caller's thread.
void registerSelectProd(core::ProgramState& s);

}  // namespace trv::cases
