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
  d.window.controls = {
      ui::list("?Browse:1", {})
          .withNumber(ProblemsList)
          .withTip("Browsing Problems")
          .at(1, 1)
          .size(50, 15),
      ui::button("?Insert", "&Insert").withNumber(ProblemsInsert).at(2, 1),
      ui::button("?Change", "&Change").withNumber(ProblemsChange).at(2, 2),
      ui::button("?Delete", "&Delete").withNumber(ProblemsDelete).at(2, 3),
      ui::button("?OK", "&OK").withNumber(ProblemsOk).at(3, 1),
  };
  d.list = ProblemsList;
  d.columns = {{"Problem", 80, "PRO:PROBLEM", "@s50"}};
  d.file = s.dictionary.ProblemRelations.get();
  d.orders = {{"PRO:KeyProblem", "PRO:PROBLEM", 0, true}};
  d.buttons = {.insert = ProblemsInsert,
               .change = ProblemsChange,
               .remove = ProblemsDelete,
               .close = ProblemsOk};
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
