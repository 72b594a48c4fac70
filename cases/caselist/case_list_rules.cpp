#include "cases/caselist/case_list_rules.h"

#include "runtime/text/fixed_string.h"

namespace trv::cases {

CaseButtons caseButtons(int level, bool fileEmpty, bool ownCase) {
  CaseButtons b;
  if (level < kLevelSupervisor) return b;  // a user sees none of them
  const bool some = !fileEmpty;
  b.deleteClosed = {true, some};
  b.archive = {true, some};
  b.assign = {true, some};
  b.deleteCase = {true, some};
  b.yank = {true, some && !ownCase};
  const bool admin = level >= kLevelAdministrator;
  b.exportCases = {admin, admin && some};
  return b;
}

bool ownsCase(std::string_view owner, std::string_view agent) {
  return text::equalNoCase(owner, agent);
}

std::string caseListTitle(std::uint64_t count) {
  return "Browse Cases " + std::to_string(count) + " records available";
}

std::vector<CasePopupItem> casePopupItems(int level, int queuesButton, int yankButton,
                                          int assignButton) {
  std::vector<CasePopupItem> items{{"Queues", queuesButton}};
  if (level >= kLevelSupervisor) {
    items.push_back({"Yank", yankButton});
    items.push_back({"Assign Case", assignButton});
  }
  return items;
}

}  // namespace trv::cases
