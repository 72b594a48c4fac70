#include "cases/priority/priority.h"

#include <gtest/gtest.h>

namespace trv::cases {
namespace {

constexpr PriorityClaim kNone{};
PriorityClaim forces(std::string_view p) {
  return {true, p};
}

// The label the form shows before the resolution; "stay as they were" must keep it.
const PriorityLabel kShown{"Product Priority", kLabelBlue};

struct Row {
  const char* name;
  PriorityClaim client, product;
  const char* priority;
  bool forced;
  PriorityOutcome outcome;
  PriorityLabel label;
};

const PriorityLabel kCase{"Case Priority", kLabelBlack};
const PriorityLabel kClient{"Client Priority", kLabelRed};
const PriorityLabel kProduct{"Product Priority", kLabelBlue};
const PriorityLabel kBoth{"Client & Product Priority", kLabelRed};

// Every row starts from a case priority of "Minimal".
const Row kRows[] = {
    {"nothing forces", kNone, kNone, "Minimal", false, PriorityOutcome::Chosen, kCase},
    {"priorities without the flag do not force",
     {false, "High"},
     {false, "High"},
     "Minimal",
     false,
     PriorityOutcome::Chosen,
     kCase},
    {"client alone", forces("High"), kNone, "High", true, PriorityOutcome::Client, kClient},
    {"client alone may lower it", forces("Minimal"), kNone, "Minimal", true,
     PriorityOutcome::Client, kClient},
    {"product alone", kNone, forces("Medium"), "Medium", true, PriorityOutcome::Product, kProduct},

    {"High / High", forces("High"), forces("High"), "High", true, PriorityOutcome::ClientAndProduct,
     kBoth},
    {"High / Medium", forces("High"), forces("Medium"), "High", true, PriorityOutcome::Client,
     kClient},
    {"High / Minimal", forces("High"), forces("Minimal"), "High", true, PriorityOutcome::Client,
     kClient},
    {"Medium / High", forces("Medium"), forces("High"), "High", true, PriorityOutcome::Product,
     kProduct},
    {"Medium / Medium", forces("Medium"), forces("Medium"), "Medium", true,
     PriorityOutcome::ClientAndProduct, kBoth},
    {"Medium / Minimal", forces("Medium"), forces("Minimal"), "Medium", true,
     PriorityOutcome::Client, kClient},
    {"Minimal / High", forces("Minimal"), forces("High"), "High", true, PriorityOutcome::Product,
     kProduct},
    {"Minimal / Medium", forces("Minimal"), forces("Medium"), "Medium", true,
     PriorityOutcome::Product, kProduct},
    {"Minimal / Minimal", forces("Minimal"), forces("Minimal"), "Minimal", true,
     PriorityOutcome::ClientAndProduct, kBoth},

    {"stored texts are padded", forces("High   "), forces("Medium "), "High", true,
     PriorityOutcome::Client, kClient},
    {"letter case is not a different priority", forces("HIGH"), kNone, "High", true,
     PriorityOutcome::Client, kClient},

    // A forced side without a valid priority: nothing is taken, the list stays locked.
    {"client blank, product High", forces(""), forces("High"), "Minimal", true,
     PriorityOutcome::Kept, kShown},
    {"client High, product unknown", forces("High"), forces("Urgent"), "Minimal", true,
     PriorityOutcome::Kept, kShown},
    {"both blank", forces(""), forces("   "), "Minimal", true, PriorityOutcome::Kept, kShown},
    {"client alone, blank", forces(""), kNone, "Minimal", true, PriorityOutcome::Kept, kShown},
    {"product alone, unknown", kNone, forces("Low"), "Minimal", true, PriorityOutcome::Kept,
     kShown},
};

TEST(PriorityResolution, Table) {
  for (const Row& row : kRows) {
    const PriorityResolution r = resolvePriority(row.client, row.product, "Minimal", kShown);
    EXPECT_EQ(r.priority, row.priority) << row.name;
    EXPECT_EQ(r.forced, row.forced) << row.name;
    EXPECT_EQ(r.listEnabled(), !row.forced) << row.name;
    EXPECT_EQ(r.outcome, row.outcome) << row.name;
    EXPECT_EQ(r.label, row.label) << row.name;
  }
}

TEST(PriorityResolution, ALaterClientThatDoesNotForceUnlocksTheLastPriority) {
  const PriorityResolution first = resolvePriority(forces("High"), kNone, "Medium", kCase);
  ASSERT_EQ(first.priority, "High");
  const PriorityResolution second = resolvePriority(kNone, kNone, first.priority, first.label);
  EXPECT_EQ(second.priority, "High");
  EXPECT_FALSE(second.forced);
  EXPECT_TRUE(second.listEnabled());
  EXPECT_EQ(second.label, kCase);
}

TEST(PriorityResolution, PriorityTexts) {
  for (Priority p : {Priority::High, Priority::Medium, Priority::Minimal})
    EXPECT_EQ(priorityFromText(priorityText(p)), p);
  for (std::string_view bad : {"", " ", "Low", "Med", "Highest"})
    EXPECT_FALSE(priorityFromText(bad)) << bad;
  EXPECT_TRUE(Priority::High > Priority::Medium && Priority::Medium > Priority::Minimal);
}

}  // namespace
}  // namespace trv::cases
