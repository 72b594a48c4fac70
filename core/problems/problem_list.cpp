#include "core/problems/problem_list.h"

#include "core/program/list_environment.h"
#include "core/program/program_state.h"
#include "runtime/list/list_window.h"

namespace trv::core {
namespace {

// Up and Down write the row and go on editing the row they reach.
constexpr int kArrowAction = list::EditRemain | list::EditBefore;

list::ListDecl problemListDecl(ProgramState& s) {
  list::ListDecl d;
  d.procedure = "BrowsProblem";
  d.window.title = "Problems  - PreSelection";
  d.window.kind = ui::WindowKind::Child;
  d.window.resizable = true;
  d.list = ProblemsList;
  d.buttons = {.insert = ProblemsInsert,
               .change = ProblemsChange,
               .remove = ProblemsDelete,
               .close = ProblemsOk};
  d.window.controls = list::browseControls(d, "Browsing Problems", 50, 15);
  d.window.controls.push_back(ui::button("?OK", "&OK").withNumber(ProblemsOk).at(3, 1));
  d.columns = {{"Problem", 80, "PRO:PROBLEM", "@s50"}};
  d.file = s.dictionary.ProblemRelations.get();
  d.orders = {{"PRO:KeyProblem", "PRO:PROBLEM", 0, true}};
  d.select = list::SelectMode::Never;
  d.inPlace = list::ListDecl::InPlace{kArrowAction};
  return d;
}

class ProblemList final : public list::ListWindow {
 public:
  explicit ProblemList(ProgramState& s) : ListWindow(listEnvironment(s), problemListDecl(s)) {}

  data::Level Init() override {
    if (data::Level l = ListWindow::Init(); l != data::LevelOk) return l;
    // The colour is taken once, when the list opens; a later change waits for the next opening.
    browser().SetListColourSource({});
    return data::LevelOk;
  }
};

}  // namespace

void BrowsProblem(ProgramState& s) {
  ProblemList list(s);
  list.Run();
}

void registerBrowsProblem(ProgramState& s) {
  s.procedures.add("BrowsProblem",
                   forms::onCallersThread([&s](std::string_view) { BrowsProblem(s); }));
}

}  // namespace trv::core
