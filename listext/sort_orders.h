#pragma once
// The two sort orders of a sortable column, as the list enhancement registers them with the list:
// the column's sort group when it has one (else its own field), then the apply-all components.
//
// A component is written as the list's order expression shows it: "-" when its direction
// differs from the order's, then "UPPER(" name ")" for a text component when text sorts without
// regard to case; "UPPER(CLI:LName)", "-UPPER(CLI:LName)", "SER:CaseNr", "-SER:CaseNr".
//
// Pure functions.

#include <string>
#include <vector>

#include "listext/column_model.h"
#include "listext/list_settings.h"

namespace trv::listext {

struct OrderComponent {
  std::string name;  // a field label
  bool descending = false;
  bool upper = false;  // text compared without regard to case
  friend bool operator==(const OrderComponent&, const OrderComponent&) = default;
};

// The components of `column`'s order in direction `descending` (the ascending order when false).
std::vector<OrderComponent> sortOrderOf(const Column& column, bool descending,
                                        const std::vector<SortGroup>& groups,
                                        const ApplyAll& applyAll, bool upper);

// "UPPER(CLI:LName)", "-SER:CaseNr"; components joined by ",".
std::string orderText(const std::vector<OrderComponent>& components);

}  // namespace trv::listext
