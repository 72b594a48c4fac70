#include "tests/support/window_fixture.h"

#include "core/data/database_tool.h"
#include "runtime/forms/procedures.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/control_lookup.h"
#include "runtime/ui/window.h"

namespace trv::testing {

WindowFixture::WindowFixture()
    : WindowFixture(*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)) {}

WindowFixture::WindowFixture(std::int32_t date, std::int32_t time)
    : clock(date, time),
      state(core::ProgramEnvironment{clock, rt, nullptr, configFolder(), programFolder(), nullptr,
                                     nullptr}) {
  std::filesystem::create_directories(database());
  std::filesystem::create_directories(configFolder());
  EXPECT_TRUE(core::createStarterDatabase(database()).ok);
  state.AppMessages.Init();
  state.AppSettings.Init(configFolder(), core::kIniFileName);
  state.dictionary.setUp(state.AppMessages);
  state.AppTitle = core::kAppTitle;
  state.ProgramFolder = programFolder().string();
  state.DatabaseFolder = database();
  state.dictionary.setNames(database());
}

WindowFixture::~WindowFixture() {
  rt.endProgram();
  EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(10)));
  state.dictionary.release();
}

void WindowFixture::insert(const std::vector<std::pair<std::string, std::string>>& fields) {
  const core::ToolResult r = core::insertRecord(database(), fields);
  EXPECT_TRUE(r.ok) << r.message;
}

void WindowFixture::start(std::function<void()> body) {
  ASSERT_NE(rt.start(std::move(body)), 0) << "the program has ended";
  ASSERT_TRUE(driver.waitIdle()) << driver.describe();
}

void WindowFixture::call(std::string_view procedure, int request, std::string arg) {
  const forms::ProcedureEntry* p = state.procedures.find(procedure);
  ASSERT_NE(p, nullptr) << procedure << " is not registered";
  // A starter of its own, as the frame starts procedures.
  start([this, entry = *p, request, arg] {
    state.globals.NextRequest = request;
    forms::startProcedure(state.forms, entry, arg);
  });
}

void WindowFixture::waitEnded() {
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(10))) << driver.describe();
}

ui::Window* WindowFixture::window() {
  ui::Window* w = nullptr;
  EXPECT_TRUE(driver.inspect([&] { w = rt.front(); }));
  return w;
}

std::string WindowFixture::title() {
  std::string t;
  EXPECT_TRUE(driver.inspect([&] { t = rt.front() ? rt.front()->title() : "(no window)"; }));
  return t;
}

ui::ControlState WindowFixture::control(int number) {
  ui::ControlState c;
  EXPECT_TRUE(driver.inspect([&] {
    const ui::ControlState* p = rt.front() ? rt.front()->control(number) : nullptr;
    if (p) c = *p;
    EXPECT_NE(p, nullptr) << "no control #" << number << " in the window in front";
  }));
  return c;
}

ui::ControlState WindowFixture::control(std::string_view name) {
  const int n = find(name);
  return n ? control(n) : ui::ControlState{};
}

int WindowFixture::find(std::string_view name) {
  int found = 0;
  EXPECT_TRUE(driver.inspect([&] {
    const ui::Window* w = rt.front();
    if (!w) {
      ADD_FAILURE() << "no window to find " << name << " in";
      return;
    }
    const std::vector<int> n = ui::findControls(*w, ui::parseControlRef(name, false));
    if (n.size() == 1) {
      found = n.front();
    } else {
      ADD_FAILURE() << (n.empty() ? "no control " : "several controls ") << name << " in:\n"
                    << ui::describeControls(*w);
    }
  }));
  return found;
}

std::vector<std::string> WindowFixture::column(int list, std::size_t col) {
  std::vector<std::string> out;
  for (const ui::ListRow& r : control(list).rows)
    out.push_back(col < r.cells.size() ? r.cells[col] : std::string());
  return out;
}

std::optional<ui::MessageRequest> WindowFixture::message() {
  EXPECT_TRUE(driver.waitIdle());
  const auto m = driver.message();
  if (!m) return std::nullopt;
  return m->second;
}

ui::Input WindowFixture::to(ui::Input::Kind kind, int control) {
  ui::Input in;
  in.kind = kind;
  in.control = control;
  return in;
}

void WindowFixture::post(ui::Input in) {
  ASSERT_TRUE(driver.inspect([&] {
    if (rt.front()) in.window = rt.front()->id();
  })) << driver.describe();
  rt.post(std::move(in));
  ASSERT_TRUE(driver.waitIdle()) << driver.describe();
}

void WindowFixture::press(int control) {
  post(to(ui::Input::Kind::Press, control));
}

void WindowFixture::press(std::string_view name) {
  if (const int n = find(name)) press(n);
}

void WindowFixture::focus(int control) {
  post(to(ui::Input::Kind::Focus, control));
}

void WindowFixture::type(int control, std::string text) {
  focus(control);
  ui::Input in = to(ui::Input::Kind::Accept, control);
  in.text = std::move(text);
  post(std::move(in));
}

void WindowFixture::select(int list, int row) {
  ui::Input in = to(ui::Input::Kind::Select, list);
  in.row = row;
  post(std::move(in));
}

void WindowFixture::mouse(int list, int row, int key) {
  ui::Input in = to(ui::Input::Kind::Mouse, list);
  in.key = key;
  in.row = row;
  in.zone = ui::ListZone::Cell;
  post(std::move(in));
}

void WindowFixture::doubleClick(int list, int row) {
  mouse(list, row, ui::KeyMouseLeft2);
}

void WindowFixture::key(int k, int control) {
  ui::Input in = to(ui::Input::Kind::Key, control);
  in.key = k;
  post(std::move(in));
}

void WindowFixture::closeWindow() {
  post(to(ui::Input::Kind::Close));
}

void WindowFixture::activate() {
  post(to(ui::Input::Kind::Activate));
}

void WindowFixture::deactivate() {
  post(to(ui::Input::Kind::Deactivate));
}

void WindowFixture::answer(std::string_view button) {
  ASSERT_TRUE(driver.waitIdle());
  ASSERT_TRUE(driver.answerMessage(button)) << "no message box with " << button << "\n"
                                            << driver.describe();
  ASSERT_TRUE(driver.waitIdle()) << driver.describe();
}

}  // namespace trv::testing
