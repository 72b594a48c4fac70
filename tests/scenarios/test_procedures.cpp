// Window procedures that exist only for the scenarios of the runtime's own behaviour: a window
// with the common controls, and an item form over a small numbered data file.

#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/record_use.h"
#include "runtime/store/record_codec.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"
#include "tests/scenarios/runner.h"

namespace trv::scenario {
namespace {

using forms::Level;
using forms::LevelOk;

// Controls: 1 prompt "&Date:", 2 date entry, 3 check "&Flag", 4 tick count, 5 list ?Browse:1,
// 6 "&Ask", 7 "&Beep", 8 "&Close", 9 what the last question, popup or header hit answered.
class TestWindow : public forms::WindowController {
 public:
  explicit TestWindow(forms::FormContext& c) : WindowController(c, "TestWindow", declaration()) {
    SINGLESLOT = "TestWindowThread";
    AddCloseButton(8);
  }

  void RegisterAlertKeys() override {
    for (int k : {ui::KeyMouseRightUp, ui::KeyMouseLeft, ui::KeyMouseMove, ui::KeyMouseLeftUp})
      window().alert(k);
  }

  void OnOpen() override {
    window().setRows(5, {{{"Admin", "2"}, ui::kColorNone, ui::kColorNone},
                         {{"Bob", "0"}, ui::kColorNone, ui::kColorNone},
                         {{"Carol", "1"}, ui::kColorNone, ui::kColorNone}});
  }

  Level HandleAccepted() override {
    if (Level l = WindowController::HandleAccepted(); l != LevelOk) return l;
    auto& ui = context().ui;
    switch (event().control) {
      case 6: {
        int b =
            ui.message({"Really?", "Vorn Trovanel 1.2", ui::Icon::Question, {"&Yes", "&No"}, 2});
        window().setText(9, b == 1 ? "yes" : "no");
        break;
      }
      case 7:
        ui.beep();
        break;
      case 5:
        if (event().key == ui::KeyMouseLeft2)
          window().setText(9, "opened row " + std::to_string(window().selected(5)));
        break;
      default:
        break;
    }
    return LevelOk;
  }

  Level HandleEvent() override {
    if (event().number == ui::EventAlertKey && event().key == ui::KeyMouseRightUp) {
      int item = context().ui.popup("&Insert|-|&Change|~&Delete");
      window().setText(9, "popup " + std::to_string(item));
      return forms::LevelNotify;
    }
    if (event().number == ui::EventAlertKey && event().control == 5 &&
        event().zone == ui::ListZone::Header) {
      // What the header was told of a click or a drag: "header 1 over 2 dropped on 2".
      const std::string column = std::to_string(event().column);
      if (event().key == ui::KeyMouseLeft) window().setText(9, "header " + column);
      if (event().key == ui::KeyMouseMove)
        window().setText(9, window().text(9) + " over " + column);
      if (event().key == ui::KeyMouseLeftUp)
        window().setText(9, window().text(9) + " dropped on " + column);
      return forms::LevelNotify;
    }
    return WindowController::HandleEvent();
  }

  Level HandleWindowEvent() override {
    if (event().number == ui::EventTimer) window().setText(4, std::to_string(++ticks_));
    return WindowController::HandleWindowEvent();
  }

 private:
  ui::WindowDecl declaration() {
    ui::WindowDecl d;
    d.title = "Test Window";
    d.timerHundredths = 100;
    d.controls = {ui::prompt("?DatePrompt", "&Date:"),
                  ui::entry("?Date", "@d6", ui::useNumber("LOC:Date", date_)),
                  ui::check("?Flag", "&Flag", ui::useNumber("LOC:Flag", flag_)),
                  ui::string("?Ticks", "0"),
                  ui::list("?Browse:1", {{"Name", 20, "@s20", false}, {"Level", 5, "@n1", true}}),
                  ui::button("?Ask", "&Ask"),
                  ui::button("?Beep", "&Beep").withTip("Sound a beep"),
                  ui::button("?Close", "&Close"),
                  ui::string("?Answer", "")};
    return d;
  }
  std::int32_t date_ = 0;
  std::int64_t flag_ = 0;
  int ticks_ = 0;
};

store::FileDecl itemDecl() {
  store::FileDecl d;
  d.name = "Item";
  d.prefix = "ITM";
  d.recordSize = 14;
  d.fields = {{"ITM:Nr", store::FieldType::ULong, 0, 4},
              {"ITM:Name", store::FieldType::String, 4, 10}};
  d.keys = {{"ITM:NrKey", "ITM:NrKey", {0}, true, true, true},
            {"ITM:NameKey", "Item name", {1}, true, false, false}};
  return d;
}

struct ItemFile {
  ItemFile(Workstation& ws) : access(itemDecl(), ws.messages), relations(access) {
    std::error_code ec;
    std::filesystem::create_directories(ws.database(), ec);
    access.setName((ws.database() / "Item.kvx").string());
  }
  ~ItemFile() { relations.shutdown(); }
  data::FileAccess access;
  data::FileRelations relations;
};

// Controls: 1 the number, 2 prompt "Name:", 3 the name, 4 "&OK", 5 "Cancel". A blank name is
// refused.
class TestForm : public forms::WindowController {
 public:
  TestForm(forms::FormContext& c, ItemFile& f) : WindowController(c, "TestForm", decl(f)) {
    PRIMARY = &f.relations;
    UseFile(f.relations);
    OKCONTROL = 4;
    AddCloseButton(5);
  }
  Level HandleAccepted() override {
    if (Level l = WindowController::HandleAccepted(); l != LevelOk) return l;
    if (event().control == 3 && window().text(3).empty()) window().select(3);
    return LevelOk;
  }

 private:
  static ui::WindowDecl decl(ItemFile& f) {
    ui::WindowDecl d;
    d.title = "Test Form";
    d.controls = {ui::string("?ITM:Nr", "")
                      .withPicture("@n_4")
                      .withUse(forms::useRecordField(f.access, "ITM:Nr")),
                  ui::prompt("?NamePrompt", "Name:"),
                  ui::entry("?ITM:Name", "@s10", forms::useRecordField(f.access, "ITM:Name")),
                  ui::button("?OK", "&OK").asDefault(), ui::button("?Cancel", "Cancel")};
    return d;
  }
};

// A frame with menus and a status bar: Browse/Test Window starts the test window on a thread of
// its own, Browse/Form opens the test form on the frame's thread, File/Log Out closes the test
// window's thread, File/Exit ends.
class TestFrame : public forms::WindowController {
 public:
  enum : int {
    kBrowseMenu = 1,
    kFileMenu = 2,
    kTestWindow = 10,
    kForm = 11,
    kLogOut = 12,
    kExit = 13
  };
  explicit TestFrame(forms::FormContext& c) : WindowController(c, "TestFrame", declaration()) {}

  void OnOpen() override { window().setStatus(1, "Ready"); }

  Level HandleAccepted() override {
    forms::FormContext& c = context();
    switch (event().control) {
      case kTestWindow:
        (void)c.ui.start([&c] {
          TestWindow w(c);
          w.Run();
        });
        return forms::LevelNotify;
      case kForm:
        RunProcedure("TestForm", forms::RequestInsert);
        return forms::LevelNotify;
      case kLogOut:
        c.ui.postToThread(c.globals.slot("TestWindowThread"), ui::EventCloseWindow);
        window().setStatus(1, "Signed out");
        window().setMenuDisabled(kTestWindow, true);
        return forms::LevelNotify;
      case kExit:
        window().close();
        return forms::LevelNotify;
      default:
        return WindowController::HandleAccepted();
    }
  }

 private:
  static ui::WindowDecl declaration() {
    ui::WindowDecl d;
    d.title = "Vorn Trovanel 1.2";
    d.kind = ui::WindowKind::Frame;
    d.statusZones = 2;
    d.menu = {
        ui::submenu(kBrowseMenu, "&Browse",
                    {ui::menuItem(kTestWindow, "&Test Window"), ui::menuItem(kForm, "&Form")}),
        ui::submenu(kFileMenu, "&File",
                    {ui::menuItem(kLogOut, "Log &Out"), ui::menuSeparator(),
                     ui::menuItem(kExit, "E&xit")})};
    return d;
  }
};

}  // namespace

void registerTestProcedures(Suite& suite) {
  suite.procedures.push_back([](Workstation& ws) {
    ws.procedures.add("TestWindow", {[&ws](std::string_view) {
                                       TestWindow w(ws.context);
                                       w.Run();
                                     },
                                     true, ""});
    ws.procedures.add("TestFrame", {[&ws](std::string_view) {
                                      TestFrame f(ws.context);
                                      f.Run();
                                    },
                                    true, ""});
    auto file = std::make_shared<ItemFile>(ws);
    ws.extras["Item"] = file;
    ws.procedures.add("TestForm", {[&ws, file](std::string_view arg) {
                                     data::FileAccess& f = file->access;
                                     if (f.open() != LevelOk) return;
                                     if (!arg.empty()) {
                                       f.primeRecord();
                                       (void)store::setFieldText(f.decl().fields[0],
                                                                 f.buffer().record.data(), arg);
                                       if (f.fetch("ITM:NrKey") != store::Ok) {
                                         f.close();
                                         return;
                                       }
                                     }
                                     {
                                       TestForm form(ws.context, *file);
                                       form.Run();
                                     }
                                     f.close();
                                   },
                                   false, ""});
  });
}

}  // namespace trv::scenario
