#include "cases/priority/priority_records.h"

#include <gtest/gtest.h>

#include "core/data/records.h"

namespace trv::cases {
namespace {

core::ClientRecord client(const char* name, std::uint8_t fix, const char* priority) {
  core::ClientRecord c;
  c.SName = name;
  c.PriorityFix = fix;
  c.Priority = priority;
  return c;
}

core::SlaRecord product(const char* id, std::uint8_t fix, const char* priority) {
  core::SlaRecord p;
  p.IDProduct = id;
  p.PriorityFix = fix;
  p.Priority = priority;
  return p;
}

TEST(PriorityRecords, WritesThePriorityAndTheForcedMarkIntoTheCase) {
  const core::ClientRecord acme = client("ACME", 1, "Minimal");
  const core::ClientRecord other = client("OTHER", 1, "High");
  const core::ClientRecord blank = client("ACME", 1, "");
  const core::SlaRecord lli = product("LLI", 1, "High");
  const core::SlaRecord free = product("LLI", 0, "High");
  const PriorityLabel shown{"Case Priority", kLabelBlack};

  struct Case {
    const char* name;
    const char* sname;
    const core::ClientRecord* client;
    const core::SlaRecord* product;
    const char* priority;
    std::uint8_t fix;
    const char* label;
  };
  const Case cases[] = {
      {"the higher forced priority wins", "acme", &acme, &lli, "High", 1, "Product Priority"},
      {"a product that does not force", "ACME", &acme, &free, "Minimal", 1, "Client Priority"},
      {"no product chosen yet", "ACME", &acme, nullptr, "Minimal", 1, "Client Priority"},
      {"client not found", "ACME", nullptr, &free, "Medium", 0, "Case Priority"},
      {"client buffer of another client", "ACME", &other, nullptr, "Medium", 0, "Case Priority"},
      {"no client entered", "", &acme, nullptr, "Medium", 0, "Case Priority"},
      {"forced blank priority is not copied", "ACME", &blank, &lli, "Medium", 1, "Case Priority"},
  };
  for (const Case& c : cases) {
    core::SercaseRecord sercase;
    sercase.SName = c.sname;
    sercase.IDProduct = "LLI";
    sercase.Priority = "Medium";
    sercase.PriorityFix = 1;
    const PriorityResolution r = resolveCasePriority(sercase, c.client, c.product, shown);
    EXPECT_EQ(sercase.Priority, c.priority) << c.name;
    EXPECT_EQ(sercase.PriorityFix, c.fix) << c.name;
    EXPECT_EQ(r.label.text, c.label) << c.name;
    EXPECT_EQ(r.listEnabled(), c.fix == 0) << c.name;
  }
}

}  // namespace
}  // namespace trv::cases
