#pragma once
// The rules that decide whether and where a case enters the action queues: the first open
// escalation, its placement against today and now, and the viewer's filters. Pure functions
// of a case record; no file, clock or setting is read here.

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/data/records.h"
#include "core/queues/queue_entry.h"

namespace trv::core {

enum class QueueKind : std::uint8_t { AFT, BEF };

// The escalation a case is queued by and the queue it belongs in.
struct Placement {
  QueueKind queue = QueueKind::AFT;
  int escalation = 1;  // 1, 2 or 3
  std::int32_t date = 0;
  std::int32_t time = 0;
};

// Whom the queues are built for.
struct QueueViewer {
  std::string_view userName;  // CurrentUserName, Windows-1252; trailing blanks do not count
  int level = 0;              // 0 user, 1 supervisor, 2 administrator
  bool ownCasesOnly = false;  // OwnCasesOnly
  bool hideOnHold = false;    // HideOnHold
};

bool isClosed(const SercaseRecord& c);

// The first escalation whose action is open ("N"), in the order first, second, third, placed
// at `today` and `now`: a later date, or today at a later time, goes to AFT; today at or before
// now, or an earlier date, goes to BEF. nullopt when no escalation is open, or when the open one
// is the second or third and its date and time are both 0 (an unset moment is no deadline; an
// unset first moment is overdue).
std::optional<Placement> placeCase(const SercaseRecord& c, std::int32_t today, std::int32_t now);

// Whether `viewer` sees the case: with own cases only, the owner must equal the user's name
// exactly; on-hold cases are hidden when asked; a user (level 0) sees only cases whose owner is
// the user's name without regard to letter case.
bool viewerSees(const QueueViewer& viewer, const SercaseRecord& c);

// The entry for a placed case, numbered `nr`.
QueueEntry makeEntry(const SercaseRecord& c, const Placement& p, std::uint32_t nr);

}  // namespace trv::core
