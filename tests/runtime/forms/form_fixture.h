#pragma once
// A small item form over a real data file, run as a window procedure on a program thread, and a
// second station on the test's own thread.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/message_catalog.h"
#include "runtime/forms/procedures.h"
#include "runtime/forms/record_use.h"
#include "runtime/forms/window_controller.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/store/record_codec.h"
#include "tests/runtime/store/test_files.h"
#include "tests/runtime/ui/ui_fixture.h"

namespace trv::forms::testing {

// Controls: 1 prompt "Name:", 2 the name entry, 3 OK, 4 Cancel. A blank name is refused.
class ItemForm : public WindowController {
 public:
  ItemForm(FormContext& c, data::FileRelations& rel)
      : WindowController(c, "UpdateItem", declFor(rel.file())) {
    PRIMARY = &rel;
    UseFile(rel);
    OKCONTROL = 3;
    AddCloseButton(4);
    SINGLESLOT = "UpdateItemThread";
  }
  Level HandleAccepted() override {
    if (Level l = WindowController::HandleAccepted(); l != LevelOk) return l;
    if (event().control == 2 && window().text(2).empty()) window().select(2);
    return LevelOk;
  }
  static ui::WindowDecl declFor(data::FileAccess& f) {
    ui::WindowDecl d;
    d.title = "Update Item";
    d.resizable = true;
    d.controls = {ui::prompt("?P", "Name:"),
                  ui::entry("?ITM:Name", "@s10", useRecordField(f, "ITM:Name")),
                  ui::button("?OK", "&OK").asDefault(), ui::button("?Cancel", "Cancel")};
    return d;
  }
};

class FormFixture : public ui::testing::UiFixture {
 protected:
  store::testing::TempFolder dir;
  MessageCatalog catalog{rt};
  FormGlobals globals;
  ProcedureRegistry procedures;
  ini::IniSettings settings;
  FormContext ctx{rt, catalog, globals, &procedures, &settings};
  data::FileAccess items{store::testing::itemDecl(), catalog};
  data::FileRelations itemRel{items};
  // Another workstation on the same file: used from the test's thread only.
  data::FileAccess station{store::testing::itemDecl(), catalog};

  FormFixture() {
    catalog.Init();
    settings.Init(dir.path(), "trvnel12.ini");
    items.setName(dir.file("Item.kvx"));
    station.setName(dir.file("Item.kvx"));
    EXPECT_EQ(station.open(), data::LevelOk);
  }
  ~FormFixture() override {
    rt.endProgram();
    EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
    station.shutdown();
  }

  // Starts the item form on a new thread with this request; `before` runs first on that thread
  // (to fetch the record a change form shows). Returns the thread number.
  int call(int request, std::function<void(ItemForm&)> before = {}, int* response = nullptr) {
    int t = rt.start([this, request, before, response] {
      // The caller's own use of the file, as a list holding the record would have.
      EXPECT_EQ(items.open(), data::LevelOk);
      {
        globals.NextRequest = request;
        ItemForm form(ctx, itemRel);
        if (before) before(form);
        int r = form.Run();
        if (response) *response = r;
      }
      items.close();
    });
    EXPECT_TRUE(driver.waitIdle());
    return t;
  }
  // Fetches the item by name into this thread's buffer (a form fetched by key).
  void fetchByName(const std::string& name) {
    items.primeRecord();
    (void)store::setFieldText(items.decl().fields[1], items.buffer().record.data(), name);
    ASSERT_EQ(items.fetch("ITM:NameKey"), store::Ok);
  }
  // The station's view of the file: "nr:name" of every record in file order.
  std::vector<std::string> rows() {
    std::vector<std::string> out;
    EXPECT_EQ(station.setFileOrder(), store::Ok);
    while (station.next() == store::Ok) {
      const char* r = station.buffer().record.data();
      out.push_back(store::fieldText(station.decl().fields[0], r) + ":" +
                    store::fieldText(station.decl().fields[1], r));
    }
    return out;
  }
  void stationAdd(const std::string& name) {
    station.primeRecord();
    (void)store::setFieldText(station.decl().fields[1], station.buffer().record.data(), name);
    ASSERT_EQ(station.insert(), data::LevelOk);
  }
  void stationRename(const std::string& from, const std::string& to) {
    station.primeRecord();
    (void)store::setFieldText(station.decl().fields[1], station.buffer().record.data(), from);
    ASSERT_EQ(station.fetch("ITM:NameKey"), store::Ok);
    (void)store::setFieldText(station.decl().fields[1], station.buffer().record.data(), to);
    ASSERT_EQ(station.put(), store::Ok);
  }
  ui::Window* form() { return front(); }
  void type(const std::string& text) {
    auto in = to(form(), ui::Input::Kind::Accept, 2);
    in.text = text;
    input(in);
  }
  void press(int control) { input(to(form(), ui::Input::Kind::Press, control)); }
  void closeBox() { input(to(form(), ui::Input::Kind::Close)); }
  std::string shownMessage() {
    auto m = driver.message();
    return m ? m->second.caption : std::string();
  }
  void answer(const std::string& button) {
    ASSERT_TRUE(driver.answerMessage(button)) << "no box or no button " << button;
    ASSERT_TRUE(driver.waitIdle());
  }
};

}  // namespace trv::forms::testing
