#include "core/program/list_environment.h"

#include "core/program/program_state.h"
#include "listext/quorix_list.h"

namespace trv::core {

list::ListEnvironment listEnvironment(ProgramState& s,
                                      std::function<void(listext::ListSettings&)> adjust) {
  return {s.forms, s.ListColor, [&s, adjust = std::move(adjust)](list::ListWindow& list) {
            return listext::attachEnhancement(list, [&](listext::ListSettings& ls) {
              ls.reports = s.env.reports;  // the list's print goes where the program's reports go
              if (adjust) adjust(ls);
            });
          }};
}

}  // namespace trv::core
