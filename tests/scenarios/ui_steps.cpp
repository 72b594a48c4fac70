// Steps over the window runtime: actions a user takes and what a user sees.

#include <charconv>
#include <fstream>
#include <sstream>
#include <variant>

#include "runtime/text/fixed_string.h"
#include "runtime/ui/control_lookup.h"
#include "runtime/ui/window.h"
#include "tests/scenarios/runner.h"

namespace trv::scenario {
namespace {

using Args = std::vector<Token>;

std::string rtrim(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t')) --n;
  return std::string(s.substr(0, n));
}

std::string trim(std::string_view s) {
  std::size_t b = s.find_first_not_of(" \t");
  return b == std::string_view::npos ? std::string() : rtrim(s.substr(b));
}

std::string quote(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

bool toInt(std::string_view s, long long& out) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size() && !s.empty();
}

Outcome usage(const char* text) {
  return fail(std::string("usage: ") + text);
}

ui::Window* frame(Workstation& ws) {
  for (ui::Window* w : ws.ui.windows())
    if (w->kind() == ui::WindowKind::Frame) return w;
  return nullptr;
}

// Posts input to the control the token names in the window in front.
Outcome toControl(Workstation& ws, const Token& name, ui::Input in) {
  return looking(ws, [&] {
    Found f = findControl(ws, name);
    if (!f.error.empty()) return fail(f.error);
    in.window = f.window->id();
    in.control = f.control;
    ws.ui.post(in);
    return pass();
  });
}

Outcome toFront(Workstation& ws, ui::Input in) {
  return looking(ws, [&] {
    ui::Window* w = ws.ui.front();
    if (!w) return fail("no window is open");
    in.window = w->id();
    ws.ui.post(in);
    return pass();
  });
}

ui::Input input(ui::Input::Kind kind) {
  ui::Input in;
  in.kind = kind;
  return in;
}

// The menu item at a path of texts ("S&ystem/&Users"), "&" optional.
const ui::MenuItemState* menuAt(const ui::Window& w, const Token& path) {
  int parent = -1;
  const ui::MenuItemState* found = nullptr;
  const auto& items = w.state().menu;
  for (const std::string& text : menuPath(path)) {
    std::string part = ui::withoutAmpersand(text);
    found = nullptr;
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i].parent == parent && !items[i].separator &&
          ui::withoutAmpersand(items[i].text) == part) {
        found = &items[i];
        parent = static_cast<int>(i);
        break;
      }
    if (!found) return nullptr;
  }
  return found;
}

std::string readFile(const std::filesystem::path& p, bool& ok) {
  std::ifstream in(p, std::ios::binary);
  ok = static_cast<bool>(in);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// --- actions ---

}  // namespace

Outcome callProcedure(Workstation& ws, const forms::ProcedureEntry& entry,
                      forms::FormGlobals& globals, int request, const std::string& arg) {
  auto body = [&globals, entry, request, arg] {
    if (entry.ownThread && !entry.startSlot.empty())
      globals.slots[entry.startSlot] = ui::UiRuntime::currentThread();
    globals.NextRequest = request;
    entry.body(arg);
  };
  // As its callers do: on a thread of its own, or on the frame's thread when a frame runs.
  int frameThread = 0;
  if (!entry.ownThread) {
    Outcome o = looking(ws, [&] {
      if (ui::Window* f = frame(ws)) frameThread = f->thread();
      return pass();
    });
    if (!o.ok) return o;
  }
  if (frameThread != 0) return ws.ui.postTask(frameThread, body) ? pass() : fail("no frame");
  return ws.ui.start(body) ? pass() : fail("the program has ended");
}

namespace {

Outcome call(Workstation& ws, const Args& a) {
  if (a.size() < 2) return usage("call PROCEDURE REQUEST [ARG]");
  const forms::ProcedureEntry* p = ws.procedures.find(a[0].text);
  if (!p) {
    std::string known;
    for (const auto& n : ws.procedures.names()) known += " " + n;
    return fail("no procedure " + a[0].text + "; known:" + known);
  }
  const std::optional<int> parsed = parseRequest(a[1].text);
  if (!parsed) return fail("unknown request " + a[1].text);
  const long long request = *parsed;
  std::string arg;
  if (a.size() > 2) {
    auto v = value(ws, a[2]);
    if (!v) return fail("bad value " + a[2].text);
    arg = *v;
  }
  forms::ProcedureEntry entry = *p;
  return callProcedure(ws, entry, ws.globals, static_cast<int>(request), arg);
}

Outcome menu(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("menu \"PATH\"");
  return looking(ws, [&] {
    ui::Window* w = frame(ws);
    if (!w) return fail("no frame is open");
    const ui::MenuItemState* m = menuAt(*w, a[0]);
    if (!m) return fail("the frame has no menu item " + quote(a[0].text));
    if (m->hidden || m->disabled) return fail("menu item " + quote(a[0].text) + " is not enabled");
    ui::Input in = input(ui::Input::Kind::Press);
    in.window = w->id();
    in.control = m->number;
    ws.ui.post(in);
    return pass();
  });
}

Outcome press(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("press CONTROL");
  return toControl(ws, a[0], input(ui::Input::Kind::Press));
}

Outcome focus(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("focus CONTROL");
  return toControl(ws, a[0], input(ui::Input::Kind::Focus));
}

Outcome type(Workstation& ws, const Args& a) {
  if (a.size() != 2) return usage("type CONTROL VALUE");
  auto v = value(ws, a[1]);
  if (!v) return fail("bad value " + a[1].text);
  ui::WindowId before = 0;
  int control = 0;
  Outcome o = looking(ws, [&] {
    Found f = findControl(ws, a[0]);
    if (!f.error.empty()) return fail(f.error);
    // A list's in-place editor exists only while a row is edited.
    if (const ui::ControlState* c = f.window->control(f.control); c && c->cellOf && c->hidden)
      return fail(a[0].text + " shows no entry: no row of the list is being edited in place");
    before = f.window->id();
    control = f.control;
    ui::Input in = input(ui::Input::Kind::Focus);
    in.window = before;
    in.control = control;
    ws.ui.post(in);
    return pass();
  });
  if (!o.ok) return o;
  return looking(ws, [&] {
    ui::Window* w = ws.ui.front();
    if (!w || w->id() != before || !ws.frontEnd.pending().empty())
      return fail("giving " + a[0].text + " the focus opened another window");
    ui::Input in = input(ui::Input::Kind::Accept);
    in.window = before;
    in.control = control;
    in.text = *v;
    ws.ui.post(in);
    return pass();
  });
}

Outcome key(Workstation& ws, const Args& a) {
  if (a.empty()) return usage("key KEYS");
  for (const Token& t : a) {
    auto k = ui::parseKey(t.text);
    if (!k) return fail("unknown key " + t.text);
    ui::Input in = input(ui::Input::Kind::Key);
    in.key = *k;
    if (Outcome o = toFront(ws, in); !o.ok) return o;
  }
  return pass();
}

// select / double-click / right-click: CONTROL and a row number.
StepFn listStep(const char* usageText, ui::Input::Kind kind, int mouseKey, ui::ListZone zone) {
  return [=](Workstation& ws, const Args& a) {
    long long n = 0;
    if (a.size() != 2 || !toInt(a[1].text, n)) return usage(usageText);
    ui::Input in = input(kind);
    in.key = mouseKey;
    in.zone = zone;
    in.row = static_cast<int>(n);
    if (kind == ui::Input::Kind::Mouse && zone == ui::ListZone::Cell) {
      // A click on a row selects it first.
      ui::Input sel = input(ui::Input::Kind::Select);
      sel.row = in.row;
      if (Outcome o = toControl(ws, a[0], sel); !o.ok) return o;
    }
    return toControl(ws, a[0], in);
  };
}

// A mouse hit on a list's header (or on the divider right of a column) at column `column`.
Outcome headerHit(Workstation& ws, const Token& list, int key, long long column,
                  ui::ListZone zone = ui::ListZone::Header) {
  ui::Input in = input(ui::Input::Kind::Mouse);
  in.key = key;
  in.zone = zone;
  in.column = static_cast<int>(column);
  return toControl(ws, list, in);
}

// header-click / header-right-click / header-fit: the hits a mouse gives, as the desktop posts
// them: a press and a release; for a double click a press, a release, the double click and its
// release.
StepFn headerStep(const char* usageText, std::vector<int> keys, ui::ListZone zone) {
  return [=](Workstation& ws, const Args& a) {
    long long column = 0;
    if (a.size() != 2 || !toInt(a[1].text, column) || column < 1) return usage(usageText);
    for (int key : keys)
      if (Outcome o = headerHit(ws, a[0], key, column, zone); !o.ok) return o;
    return pass();
  };
}

// header-drag: as the desktop posts a drag on a list's header: the press on column FROM, a move
// over each column on the way, the release on column TO.
Outcome headerDrag(Workstation& ws, const Args& a) {
  long long from = 0;
  long long to = 0;
  if (a.size() != 3 || !toInt(a[1].text, from) || !toInt(a[2].text, to) || from < 1 || to < 1)
    return usage("header-drag CONTROL FROM TO");
  if (Outcome o = headerHit(ws, a[0], ui::KeyMouseLeft, from); !o.ok) return o;
  const long long step = to < from ? -1 : 1;
  for (long long c = from == to ? to : from + step;; c += step) {
    if (Outcome o = headerHit(ws, a[0], ui::KeyMouseMove, c); !o.ok) return o;
    if (c == to) break;
  }
  return headerHit(ws, a[0], ui::KeyMouseLeftUp, to);
}

Outcome popup(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("popup \"TEXT\"");
  auto p = ws.driver.popup();
  if (!p) return fail("no popup menu is shown");
  if (!ws.driver.answerPopup(a[0].text))
    return fail("the popup menu " + quote(p->second.menuText) + " has no enabled item " +
                quote(a[0].text));
  return pass();
}

Outcome answer(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("answer \"BUTTON\"");
  auto m = ws.driver.message();
  if (!m) return fail("no message box is shown");
  if (ws.driver.answerMessage(a[0].text)) return pass();
  std::string buttons;
  for (const auto& b : m->second.buttons) buttons += " " + quote(b);
  return fail("the message box has no button " + quote(a[0].text) + "; it has" + buttons);
}

StepFn dialogStep(int what) {  // 0 file, 1 folder, 2 colour, 3 cancel
  return [what](Workstation& ws, const Args& a) {
    if (!ws.driver.dialog()) return fail("no standard dialog is shown");
    ui::Answer ans;
    if (what == 3) {
      if (!a.empty()) return usage("cancel-dialog");
    } else {
      if (a.size() != 1) return usage("answer-file PATH / answer-folder PATH / answer-colour N");
      auto v = value(ws, a[0]);
      if (!v) return fail("bad value " + a[0].text);
      ans.ok = true;
      if (what == 2) {
        long long n = 0;
        if (!toInt(*v, n)) return fail("not a colour: " + *v);
        ans.colour = static_cast<int>(n);
      } else {
        std::filesystem::path p(*v);
        ans.path = (p.is_relative() ? ws.program.path() / p : p).string();
      }
    }
    (void)ws.driver.answerDialog(ans);
    return pass();
  };
}

Outcome advance(Workstation& ws, const Args& a) {
  if (a.size() != 1 || a[0].text.size() < 2) return usage("advance 31s / 5m / 2h / 2d");
  long long n = 0;
  std::string_view t = a[0].text;
  char unit = t.back();
  if (!toInt(t.substr(0, t.size() - 1), n) || n < 0) return usage("advance 31s / 5m / 2h / 2d");
  long long per = unit == 's'   ? 100
                  : unit == 'm' ? 6000
                  : unit == 'h' ? 360000
                  : unit == 'd' ? 8640000
                                : 0;
  if (per == 0) return usage("advance 31s / 5m / 2h / 2d");
  if (!ws.driver.advance(n * per)) return fail("not idle");
  return pass();
}

Outcome clock(Workstation& ws, const Args& a) {
  std::int32_t date = ws.clock.today(), time = ws.clock.now();
  for (const Token& t : a) {
    auto v = resolveValue(t);
    long long n = 0;
    if (!v || !toInt(*v, n)) return usage("clock d:YYYY-MM-DD t:HH:MM[:SS]");
    (t.text.starts_with("d:") ? date : time) = static_cast<std::int32_t>(n);
  }
  ws.clock.set(date, time);
  return pass();
}

StepFn frontInput(ui::Input::Kind kind, const char* name) {
  return [=](Workstation& ws, const Args& a) {
    if (!a.empty()) return usage(name);
    return toFront(ws, input(kind));
  };
}

Outcome iniStep(Workstation& ws, const Args& a) {
  if (a.size() != 3) return usage("ini SECTION KEY VALUE");
  auto v = value(ws, a[2]);
  if (!v) return fail("bad value " + a[2].text);
  if (!ws.settings.WriteValue(a[0].text, a[1].text, *v)) return fail("the value was not written");
  return pass();
}

Outcome fileStep(Workstation& ws, const Args& a) {
  if (a.size() != 2) return usage("file PATH \"CONTENT\"");
  auto p = value(ws, a[0]);
  auto c = value(ws, a[1]);
  if (!p || !c) return fail("bad value");
  std::filesystem::path path = ws.program.path() / *p;
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary);
  out << *c;
  return out ? pass() : fail("cannot write " + path.string());
}

// --- checks ---

Outcome expectWindow(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("expect window \"TITLE\"");
  return looking(ws, [&] {
    ui::Window* w = ws.ui.front();
    if (!w) return fail("no window is open");
    if (rtrim(w->title()) != rtrim(a[0].text))
      return fail("the window in front is " + quote(w->title()));
    return pass();
  });
}

Outcome expectWindows(Workstation& ws, const Args& a) {
  return looking(ws, [&] {
    std::vector<std::string> open, want;
    for (ui::Window* w : ws.ui.windows())
      if (w->kind() != ui::WindowKind::Frame) open.push_back(rtrim(w->title()));
    for (const Token& t : a) want.push_back(rtrim(t.text));
    std::sort(open.begin(), open.end());
    std::sort(want.begin(), want.end());
    if (open == want) return pass();
    std::string got;
    for (const auto& t : open) got += " " + quote(t);
    return fail("open besides the frame:" + (got.empty() ? std::string(" none") : got));
  });
}

Outcome expectMessage(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("expect message \"TEXT\"");
  auto m = ws.driver.message();
  if (!m) return fail("no message box is shown");
  if (m->second.text != a[0].text) return fail("the message is " + quote(m->second.text));
  return pass();
}

// The popup menu shown reads exactly this menu text ("Queues|-|&Insert|...").
Outcome expectPopup(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("expect popup \"MENU TEXT\"");
  auto p = ws.driver.popup();
  if (!p) return fail("no popup menu is shown");
  if (p->second.menuText != a[0].text)
    return fail("the popup menu is " + quote(p->second.menuText));
  return pass();
}

Outcome expectCaption(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("expect caption \"TEXT\"");
  auto m = ws.driver.message();
  if (!m) return fail("no message box is shown");
  if (m->second.caption != a[0].text) return fail("the caption is " + quote(m->second.caption));
  return pass();
}

// The icon of the message box shown: none, information, exclamation, question or stop.
Outcome expectIcon(Workstation& ws, const Args& a) {
  static const std::pair<const char*, ui::Icon> kIcons[] = {{"none", ui::Icon::None},
                                                            {"information", ui::Icon::Information},
                                                            {"exclamation", ui::Icon::Exclamation},
                                                            {"question", ui::Icon::Question},
                                                            {"stop", ui::Icon::Hand}};
  if (a.size() != 1) return usage("expect icon none|information|exclamation|question|stop");
  auto m = ws.driver.message();
  if (!m) return fail("no message box is shown");
  for (const auto& [name, icon] : kIcons)
    if (a[0].text == name) {
      if (m->second.icon == icon) return pass();
      for (const auto& [shownName, shown] : kIcons)
        if (m->second.icon == shown) return fail(std::string("its icon is ") + shownName);
      return fail("its icon is another");
    }
  return usage("expect icon none|information|exclamation|question|stop");
}

Outcome expectNoMessage(Workstation& ws, const Args& a) {
  if (!a.empty()) return usage("expect no-message");
  auto m = ws.driver.message();
  if (m) return fail("a message box is shown: " + quote(m->second.text));
  return pass();
}

Outcome expectBeep(Workstation& ws, bool want) {
  if ((ws.beepsBefore > 0) != want)
    return fail(want ? "no beep was sounded" : std::to_string(ws.beepsBefore) + " beep(s)");
  return pass();
}

Outcome expectEnded(Workstation& ws, const Args&) {
  if (ws.ui.ended() || ws.ui.threads().empty()) return pass();
  return fail("the program still runs");
}

Outcome expectTitle(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("expect title \"TEXT\"");
  return looking(ws, [&] {
    ui::Window* w = frame(ws);
    if (!w) return fail("no frame is open");
    if (w->title() != a[0].text) return fail("the frame's title is " + quote(w->title()));
    return pass();
  });
}

Outcome expectStatus(Workstation& ws, const Args& a) {
  long long zone = 0;
  if (a.size() != 2 || !toInt(a[0].text, zone)) return usage("expect status ZONE \"TEXT\"");
  return looking(ws, [&] {
    ui::Window* w = frame(ws);
    if (!w) return fail("no frame is open");
    std::string got = w->status(static_cast<int>(zone));
    const std::string want = value(ws, a[1]).value_or(a[1].text);
    if (rtrim(got) != rtrim(want)) return fail("zone " + a[0].text + " shows " + quote(got));
    return pass();
  });
}

Outcome expectMenu(Workstation& ws, const Args& a) {
  if (a.size() != 2) return usage("expect menu \"PATH\" STATE");
  return looking(ws, [&] {
    ui::Window* w = frame(ws);
    if (!w) return fail("no frame is open");
    const ui::MenuItemState* m = menuAt(*w, a[0]);
    if (!m) return fail("the frame has no menu item " + quote(a[0].text));
    const std::string& s = a[1].text;
    bool ok = s == "hidden"      ? m->hidden
              : s == "visible"   ? !m->hidden
              : s == "disabled"  ? m->disabled
              : s == "enabled"   ? !m->disabled
              : s == "checked"   ? m->checked
              : s == "unchecked" ? !m->checked
                                 : false;
    if (ok) return pass();
    return fail(std::string("the item is") + (m->hidden ? " hidden" : " visible") +
                (m->disabled ? " disabled" : " enabled") + (m->checked ? " checked" : ""));
  });
}

Outcome expectIni(Workstation& ws, const Args& a) {
  if (a.size() != 3) return usage("expect ini SECTION KEY \"VALUE\"");
  auto v = value(ws, a[2]);
  std::string got = ws.settings.ReadValue(a[0].text, a[1].text);
  if (!v || got != *v) return fail("the configuration file holds " + quote(got));
  return pass();
}

Outcome expectFile(Workstation& ws, const Args& a) {
  if (a.size() != 2) return usage("expect file PATH \"CONTENT\"");
  auto p = value(ws, a[0]);
  auto c = value(ws, a[1]);
  if (!p || !c) return fail("bad value");
  bool ok = false;
  std::string got = readFile(ws.program.path() / *p, ok);
  if (!ok) return fail("no file " + *p);
  if (got != *c) return fail("the file holds " + quote(got));
  return pass();
}

Outcome expectFileExists(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("expect file-exists PATH");
  auto p = value(ws, a[0]);
  if (!p) return fail("bad value");
  std::error_code ec;
  if (!std::filesystem::exists(ws.program.path() / *p, ec)) return fail("no file " + *p);
  return pass();
}

// expect CONTROL WORD ...
using ControlCheck =
    std::function<Outcome(Workstation&, const ui::Window&, const ui::ControlState&, const Args&)>;

StepFn controlStep(std::size_t argCount, const char* usageText, ControlCheck check) {
  return [=](Workstation& ws, const Args& a) {
    if (a.size() < 2 || (argCount != 0 && a.size() != argCount)) return usage(usageText);
    return looking(ws, [&] {
      Found f = findControl(ws, a[0]);
      if (!f.error.empty()) return fail(f.error);
      const ui::ControlState* c = f.window->control(f.control);
      if (!c) return fail("the control is a menu item");
      Args rest(a.begin() + 2, a.end());
      return check(ws, *f.window, *c, rest);
    });
  };
}

ControlCheck flag(bool ui::ControlState::*field, bool want, const char* what) {
  return [=](Workstation&, const ui::Window&, const ui::ControlState& c, const Args&) {
    if ((c.*field) == want) return pass();
    return fail(std::string("the control is not ") + what);
  };
}

ControlCheck number(int ui::ControlState::*field, const char* what) {
  return [=](Workstation&, const ui::Window&, const ui::ControlState& c, const Args& r) {
    long long n = 0;
    if (!toInt(r[0].text, n)) return fail(std::string("not a number: ") + r[0].text);
    if (c.*field == n) return pass();
    return fail(std::string("its ") + what + " is " + std::to_string(c.*field));
  };
}

// --- lists: every row a user reaches by scrolling ---

ui::Window* windowById(Workstation& ws, ui::WindowId id) {
  for (ui::Window* w : ws.ui.windows())
    if (w->id() == id) return w;
  return nullptr;
}

// The list the token names, with what its reach answered on the list window's own thread (a
// list without a reach holds all its rows and answers nothing).
struct ListAnswer {
  ui::WindowId window = 0;
  int control = 0;
  bool reached = false;  // the list has a reach, and `answer` is what it said
  std::int64_t answer = 0;
};

std::variant<ListAnswer, Outcome> askList(
    Workstation& ws, const Token& name,
    const std::function<std::int64_t(const ui::ListReach&)>& ask) {
  ListAnswer out;
  auto answer = std::make_shared<std::optional<std::int64_t>>();
  Outcome o = looking(ws, [&] {
    Found f = findControl(ws, name);
    if (!f.error.empty()) return fail(f.error);
    const ui::ControlState* c = f.window->control(f.control);
    if (!c || c->kind != ui::ControlKind::List) return fail(name.text + " is not a list");
    out.window = f.window->id();
    out.control = f.control;
    const ui::ListReach* reach = f.window->listReach(f.control);
    if (!reach) return pass();
    out.reached = true;
    const bool posted =
        ws.ui.postTask(f.window->thread(), [&ws, answer, ask, id = out.window, n = out.control] {
          ui::Window* w = windowById(ws, id);
          const ui::ListReach* r = w ? w->listReach(n) : nullptr;
          if (r) *answer = ask(*r);
        });
    return posted ? pass() : fail("the list's thread takes no task");
  });
  if (!o.ok) return o;
  if (!out.reached) return out;
  if (Outcome idle = looking(ws, [] { return pass(); }); !idle.ok) return idle;
  if (!answer->has_value())
    return fail("the list did not answer: its thread is busy elsewhere (a message box?)");
  out.answer = **answer;
  return out;
}

Outcome expectRows(Workstation& ws, const Args& a) {
  long long n = 0;
  if (a.size() != 3 || !toInt(a[2].text, n)) return usage("expect CONTROL rows N");
  auto asked = askList(ws, a[0], [](const ui::ListReach& r) {
    return r.rowsInAll ? r.rowsInAll() : std::int64_t{-1};
  });
  if (auto* o = std::get_if<Outcome>(&asked)) return *o;
  const ListAnswer& l = std::get<ListAnswer>(asked);
  return looking(ws, [&] {
    ui::Window* w = windowById(ws, l.window);
    const ui::ControlState* c = w ? w->control(l.control) : nullptr;
    if (!c) return fail("the list's window has closed");
    const std::int64_t all =
        l.reached && l.answer >= 0 ? l.answer : static_cast<std::int64_t>(c->rows.size());
    if (all == n) return pass();
    return fail("the list has " + std::to_string(all) + " rows in all (" +
                std::to_string(c->rows.size()) + " on show)");
  });
}

Outcome expectRow(Workstation& ws, const Args& a) {
  long long n = 0;
  if (a.size() < 3 || !toInt(a[2].text, n)) return usage("expect CONTROL row R \"CELL\" ...");
  auto asked = askList(ws, a[0], [n](const ui::ListReach& r) {
    return r.scrollTo ? std::int64_t{r.scrollTo(n)} : std::int64_t{-1};
  });
  if (auto* o = std::get_if<Outcome>(&asked)) return *o;
  const ListAnswer& l = std::get<ListAnswer>(asked);
  return looking(ws, [&] {
    ui::Window* w = windowById(ws, l.window);
    const ui::ControlState* c = w ? w->control(l.control) : nullptr;
    if (!c) return fail("the list's window has closed");
    // Without a reach the rows held are all the rows.
    const long long at = l.reached && l.answer >= 0 ? l.answer : n;
    if (at < 1 || at > static_cast<long long>(c->rows.size()))
      return fail("the list has no row " + std::to_string(n) + "; it shows " +
                  std::to_string(c->rows.size()) + " rows");
    const auto& cells = c->rows[static_cast<std::size_t>(at - 1)].cells;
    std::string got;
    for (const auto& cell : cells) got += " " + quote(trim(cell));
    for (std::size_t i = 3; i < a.size(); ++i) {
      if (!a[i].quoted && a[i].text == "*") continue;
      auto v = value(ws, a[i]);
      const std::size_t col = i - 3;
      if (col >= cells.size() || !v || trim(cells[col]) != trim(*v))
        return fail("row " + a[2].text + " shows" + got);
    }
    return pass();
  });
}

}  // namespace

void registerUiSteps(StepTable& s) {
  using K = ui::Input::Kind;
  s.add("call", call);
  s.add("menu", menu);
  s.add("press", press);
  s.add("focus", focus);
  s.add("type", type);
  s.add("key", key);
  s.add("select", listStep("select CONTROL ROW", K::Select, ui::KeyNone, ui::ListZone::Cell));
  s.add("double-click",
        listStep("double-click CONTROL ROW", K::Mouse, ui::KeyMouseLeft2, ui::ListZone::Cell));
  s.add("right-click",
        listStep("right-click CONTROL ROW", K::Mouse, ui::KeyMouseRightUp, ui::ListZone::Cell));
  s.add("header-click", headerStep("header-click CONTROL COLUMN",
                                   {ui::KeyMouseLeft, ui::KeyMouseLeftUp}, ui::ListZone::Header));
  s.add("header-right-click",
        headerStep("header-right-click CONTROL COLUMN", {ui::KeyMouseRight, ui::KeyMouseRightUp},
                   ui::ListZone::Header));
  s.add("header-fit",
        headerStep("header-fit CONTROL COLUMN",
                   {ui::KeyMouseLeft, ui::KeyMouseLeftUp, ui::KeyMouseLeft2, ui::KeyMouseLeftUp},
                   ui::ListZone::Divider));
  s.add("header-drag", headerDrag);
  s.add("popup", popup);
  s.add("answer", answer);
  s.add("answer-file", dialogStep(0));
  s.add("answer-folder", dialogStep(1));
  s.add("answer-colour", dialogStep(2));
  s.add("cancel-dialog", dialogStep(3));
  s.add("advance", advance);
  s.add("clock", clock);
  s.add("blur", frontInput(K::Deactivate, "blur"));
  s.add("refocus", frontInput(K::Activate, "refocus"));
  s.add("close", frontInput(K::Close, "close"));
  s.add("ini", iniStep);
  s.add("file", fileStep);

  s.add("expect window", expectWindow);
  s.add("expect windows", expectWindows);
  s.add("expect message", expectMessage);
  s.add("expect caption", expectCaption);
  s.add("expect icon", expectIcon);
  s.add("expect popup", expectPopup);
  s.add("expect no-message", expectNoMessage);
  s.add("expect beep", [](Workstation& ws, const Args&) { return expectBeep(ws, true); });
  s.add("expect no-beep", [](Workstation& ws, const Args&) { return expectBeep(ws, false); });
  s.add("expect ended", expectEnded);
  s.add("expect title", expectTitle);
  s.add("expect status", expectStatus);
  s.add("expect menu", expectMenu);
  s.add("expect ini", expectIni);
  s.add("expect file", expectFile);
  s.add("expect file-exists", expectFileExists);

  s.add(
      "expect-control text",
      controlStep(3, "expect CONTROL text \"TEXT\"",
                  [](Workstation& ws, const ui::Window&, const ui::ControlState& c, const Args& r) {
                    const std::string want = value(ws, r[0]).value_or(r[0].text);
                    if (rtrim(c.text) == rtrim(want)) return pass();
                    return fail("it shows " + quote(c.text));
                  }));
  s.add("expect-control value", controlStep(3, "expect CONTROL value VALUE",
                                            [](Workstation& ws, const ui::Window&,
                                               const ui::ControlState& c, const Args& r) {
                                              auto v = value(ws, r[0]);
                                              std::string got = ui::valueText(c.value);
                                              if (v && rtrim(got) == rtrim(*v)) return pass();
                                              return fail("it holds " + quote(got));
                                            }));
  s.add("expect-control hidden",
        controlStep(2, "expect CONTROL hidden", flag(&ui::ControlState::hidden, true, "hidden")));
  s.add("expect-control visible", controlStep(2, "expect CONTROL visible",
                                              flag(&ui::ControlState::hidden, false, "visible")));
  s.add("expect-control disabled",
        controlStep(2, "expect CONTROL disabled",
                    flag(&ui::ControlState::disabled, true, "disabled")));
  s.add("expect-control enabled", controlStep(2, "expect CONTROL enabled",
                                              flag(&ui::ControlState::disabled, false, "enabled")));
  s.add("expect-control colour",
        controlStep(3, "expect CONTROL colour N", number(&ui::ControlState::colour, "colour")));
  s.add("expect-control background",
        controlStep(3, "expect CONTROL background N",
                    number(&ui::ControlState::background, "background")));
  s.add("expect-control tip",
        controlStep(3, "expect CONTROL tip \"TEXT\"",
                    [](Workstation&, const ui::Window&, const ui::ControlState& c, const Args& r) {
                      if (c.tip == r[0].text) return pass();
                      return fail("its tip is " + quote(c.tip));
                    }));
  s.add(
      "expect-control image",
      controlStep(3, "expect CONTROL image \"FILE\"",
                  [](Workstation& ws, const ui::Window&, const ui::ControlState& c, const Args& r) {
                    const std::string want = value(ws, r[0]).value_or(r[0].text);
                    if (c.image == want) return pass();
                    return fail("its image is " + quote(c.image));
                  }));
  s.add("expect-control focus",
        controlStep(2, "expect CONTROL focus",
                    [](Workstation&, const ui::Window& w, const ui::ControlState& c, const Args&) {
                      if (w.focus() == c.number) return pass();
                      return fail("the focus is on #" + std::to_string(w.focus()));
                    }));
  s.add("expect-control header",
        controlStep(4, "expect CONTROL header N \"TEXT\"",
                    [](Workstation&, const ui::Window&, const ui::ControlState& c, const Args& r) {
                      long long n = 0;
                      if (!toInt(r[0].text, n)) return fail("not a number: " + r[0].text);
                      std::string got;
                      for (const auto& col : c.columns) got += " " + quote(col.header);
                      if (n >= 1 && n <= static_cast<long long>(c.columns.size()) &&
                          rtrim(c.columns[static_cast<std::size_t>(n - 1)].header) ==
                              rtrim(r[1].text))
                        return pass();
                      return fail("the list's headers are" + got);
                    }));
  s.add("expect-control align",
        controlStep(
            4, "expect CONTROL align N left|right|centre",
            [](Workstation&, const ui::Window&, const ui::ControlState& c, const Args& r) {
              long long n = 0;
              if (!toInt(r[0].text, n) || n < 1 || n > static_cast<long long>(c.columns.size()))
                return fail("the list has no column " + r[0].text);
              const ui::ListColumn& col = c.columns[static_cast<std::size_t>(n - 1)];
              auto named = [&](char j) -> std::string {
                if (j == 0) j = col.rightAligned ? 'R' : 'L';
                return j == 'L' ? "left" : j == 'R' ? "right" : j == 'C' ? "centre" : "decimal";
              };
              const std::string header = named(col.headerJustify);
              const std::string cells = named(col.dataJustify);
              if (header == r[1].text && cells == r[1].text) return pass();
              return fail("its header is " + header + ", its cells " + cells);
            }));
  s.add("expect-control rows", expectRows);
  s.add("expect-control row", expectRow);
}

}  // namespace trv::scenario
