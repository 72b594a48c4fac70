#include "cases/caselist/case_list_rules.h"

#include <gtest/gtest.h>

namespace trv::cases {
namespace {

constexpr ButtonState kHidden{false, false};
constexpr ButtonState kOn{true, true};
constexpr ButtonState kOff{true, false};

TEST(CaseButtonsTest, ByLevelFileAndOwner) {
  struct Row {
    const char* what;
    int level;
    bool empty, own;
    CaseButtons expected;  // deleteClosed, archive, assign, yank, export, deleteCase
  };
  const Row rows[] = {
      {"user, another's case",
       kLevelUser,
       false,
       false,
       {kHidden, kHidden, kHidden, kHidden, kHidden, kHidden}},
      {"user, empty file",
       kLevelUser,
       true,
       true,
       {kHidden, kHidden, kHidden, kHidden, kHidden, kHidden}},
      {"supervisor, another's case",
       kLevelSupervisor,
       false,
       false,
       {kOn, kOn, kOn, kOn, kHidden, kOn}},
      {"supervisor, own case", kLevelSupervisor, false, true, {kOn, kOn, kOn, kOff, kHidden, kOn}},
      {"supervisor, empty file",
       kLevelSupervisor,
       true,
       true,
       {kOff, kOff, kOff, kOff, kHidden, kOff}},
      {"administrator, another's case",
       kLevelAdministrator,
       false,
       false,
       {kOn, kOn, kOn, kOn, kOn, kOn}},
      {"administrator, empty file",
       kLevelAdministrator,
       true,
       false,
       {kOff, kOff, kOff, kOff, kOff, kOff}},
  };
  for (const Row& r : rows) EXPECT_EQ(caseButtons(r.level, r.empty, r.own), r.expected) << r.what;
}

TEST(CaseButtonsTest, OwnerComparesInUpperCaseWithoutTrailingBlanks) {
  EXPECT_TRUE(ownsCase("admin               ", "Admin"));
  EXPECT_TRUE(ownsCase("\xc9lise", "\xe9LISE"));  // Windows-1252 letters fold too
  EXPECT_FALSE(ownsCase("Admin2", "Admin"));
  EXPECT_FALSE(ownsCase("", "Admin"));
}

TEST(CaseListTitleTest, CountsBeyondSixteenBits) {
  EXPECT_EQ(caseListTitle(0), "Browse Cases 0 records available");
  EXPECT_EQ(caseListTitle(65536), "Browse Cases 65536 records available");
  EXPECT_EQ(caseListTitle(1000000), "Browse Cases 1000000 records available");
}

TEST(CasePopupTest, SupervisorsGetYankAndAssign) {
  const auto texts = [](int level) {
    std::vector<std::string> out;
    for (const CasePopupItem& i : casePopupItems(level, 5, 6, 7))
      out.push_back(i.text + ":" + std::to_string(i.button));
    return out;
  };
  EXPECT_EQ(texts(kLevelUser), (std::vector<std::string>{"Queues:5"}));
  EXPECT_EQ(texts(kLevelSupervisor),
            (std::vector<std::string>{"Queues:5", "Yank:6", "Assign Case:7"}));
  EXPECT_EQ(texts(kLevelAdministrator), texts(kLevelSupervisor));
}

}  // namespace
}  // namespace trv::cases
