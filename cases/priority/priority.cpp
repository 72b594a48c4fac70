#include "cases/priority/priority.h"

#include "runtime/text/fixed_string.h"

namespace trv::cases {
namespace {

PriorityResolution taken(PriorityOutcome outcome, Priority p) {
  PriorityResolution r;
  r.outcome = outcome;
  r.priority = std::string(priorityText(p));
  r.forced = true;
  switch (outcome) {
    case PriorityOutcome::Client:
      r.label = {"Client Priority", kLabelRed};
      break;
    case PriorityOutcome::Product:
      r.label = {"Product Priority", kLabelBlue};
      break;
    default:
      r.label = {"Client & Product Priority", kLabelRed};
      break;
  }
  return r;
}

}  // namespace

std::string_view priorityText(Priority p) {
  switch (p) {
    case Priority::High:
      return "High";
    case Priority::Medium:
      return "Medium";
    case Priority::Minimal:
      return "Minimal";
  }
  return {};
}

std::optional<Priority> priorityFromText(std::string_view text) {
  for (Priority p : {Priority::High, Priority::Medium, Priority::Minimal})
    if (text::equalNoCase(text, priorityText(p))) return p;
  return std::nullopt;
}

PriorityResolution resolvePriority(PriorityClaim client, PriorityClaim product,
                                   std::string_view current, const PriorityLabel& shownLabel) {
  if (!client.forces && !product.forces) {
    PriorityResolution r;
    r.outcome = PriorityOutcome::Chosen;
    r.priority = std::string(text::clip(current));
    r.forced = false;
    r.label = {"Case Priority", kLabelBlack};
    return r;
  }

  const std::optional<Priority> byClient =
      client.forces ? priorityFromText(client.priority) : std::nullopt;
  const std::optional<Priority> byProduct =
      product.forces ? priorityFromText(product.priority) : std::nullopt;

  // A forcing side that names no valid priority must not put a blank or stray text into the
  // case; the list stays locked because something does force.
  if ((client.forces && !byClient) || (product.forces && !byProduct)) {
    PriorityResolution r;
    r.outcome = PriorityOutcome::Kept;
    r.priority = std::string(text::clip(current));
    r.forced = true;
    r.label = shownLabel;
    return r;
  }

  if (!product.forces) return taken(PriorityOutcome::Client, *byClient);
  if (!client.forces) return taken(PriorityOutcome::Product, *byProduct);
  if (*byClient > *byProduct) return taken(PriorityOutcome::Client, *byClient);
  if (*byProduct > *byClient) return taken(PriorityOutcome::Product, *byProduct);
  return taken(PriorityOutcome::ClientAndProduct, *byClient);
}

}  // namespace trv::cases
