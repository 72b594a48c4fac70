#pragma once
// Priority resolution: the priority of a case and whether its client or product forces it.
//
// A case's priority is the agent's choice unless the case's client or its product carries a
// forced priority. When both force, the higher one wins ("High" above "Medium" above
// "Minimal"). The outcome also decides the case form's priority label and whether its priority
// list may be changed.
//
// The resolution is pure: it reads no file and may be called from any thread. The case form
// reads the client and the product and calls it through priority_records.h.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trv::cases {

enum class Priority : std::uint8_t { Minimal, Medium, High };  // in ascending order

// "High", "Medium" or "Minimal".
[[nodiscard]] std::string_view priorityText(Priority p);
// The priority a stored text names (trailing blanks ignored, letter case not), or nothing for a
// blank or unknown text.
[[nodiscard]] std::optional<Priority> priorityFromText(std::string_view text);

// Label colours as Windows colour values.
inline constexpr std::int32_t kLabelBlack = 0;
inline constexpr std::int32_t kLabelRed = 255;
inline constexpr std::int32_t kLabelBlue = 16711680;

struct PriorityLabel {
  std::string text;
  std::int32_t colour = kLabelBlack;
  friend bool operator==(const PriorityLabel&, const PriorityLabel&) = default;
};

// What one side (the client or the product) says. A side that is not entered on the case or
// not found does not force.
struct PriorityClaim {
  bool forces = false;
  std::string_view priority;  // the side's stored priority text
};

enum class PriorityOutcome {
  Chosen,            // nothing forces: the agent's choice stands
  Client,            // the client's priority is taken
  Product,           // the product's priority is taken
  ClientAndProduct,  // both force the same priority
  Kept,              // something forces but names no valid priority: everything stays
};

struct PriorityResolution {
  PriorityOutcome outcome = PriorityOutcome::Chosen;
  std::string priority;  // the case's priority afterwards
  bool forced = false;   // the case's forced mark
  PriorityLabel label;

  // The priority list may be changed only while nothing forces.
  bool listEnabled() const { return !forced; }
};

// Resolves the priority of a case whose current priority is `current` and whose form shows
// `shownLabel`.
//
// Neither side forces: the priority stays, not forced, label "Case Priority" in black. One
// side forces: its priority, forced, label "Client Priority" in red or "Product Priority" in
// blue. Both force: the higher, with that side's label, or "Client & Product Priority" in red
// when they are equal.
//
// A forcing side whose priority is blank or unknown is never copied into the case: the
// priority and the label stay as they were, and the case is marked forced so that its list is
// locked. This holds whether that side forces alone or together with the other.
[[nodiscard]] PriorityResolution resolvePriority(PriorityClaim client, PriorityClaim product,
                                                 std::string_view current,
                                                 const PriorityLabel& shownLabel);

}  // namespace trv::cases
