// A form refuses to save a record whose primary key is blank: the store would leave it out of
// that key, and no list could ever show, change or delete it again.

#include "runtime/forms/blank_key.h"

#include <gtest/gtest.h>

#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/message_catalog.h"
#include "runtime/forms/record_use.h"
#include "runtime/forms/window_controller.h"
#include "runtime/store/record_codec.h"
#include "tests/runtime/store/test_files.h"
#include "tests/runtime/ui/ui_fixture.h"

namespace trv::forms {
namespace {

using store::FieldType;

// Codes keyed by a typed short code, as clients are by their name id.
store::FileDecl codeDecl() {
  store::FileDecl d;
  d.name = "Code";
  d.prefix = "COD";
  d.recordSize = 26;
  d.fields = {{"COD:Code", FieldType::String, 0, 6}, {"COD:Name", FieldType::String, 6, 20}};
  d.keys = {{"COD:CodeKey", "COD:CodeKey", {0}, true, true, false},
            {"COD:NameKey", "COD:NameKey", {1}, true, false, false}};
  return d;
}

enum : int { kNamePrompt = 1, kName, kCodePrompt, kCode, kOk, kCancel };

class CodeForm : public WindowController {
 public:
  CodeForm(FormContext& c, data::FileRelations& rel)
      : WindowController(c, "UpdateCode", declFor(rel.file())) {
    PRIMARY = &rel;
    UseFile(rel);
    OKCONTROL = kOk;
    AddCloseButton(kCancel);
  }
  static ui::WindowDecl declFor(data::FileAccess& f) {
    ui::WindowDecl d;
    d.title = "Update Code";
    d.controls = {ui::prompt("?P1", "&Name:"),
                  ui::entry("?COD:Name", "@s20", useRecordField(f, "COD:Name")),
                  ui::prompt("?P2", "Code &ID:"),
                  ui::entry("?COD:Code", "@s6", useRecordField(f, "cod:code")),
                  ui::button("?OK", "&OK").asDefault(),
                  ui::button("?Cancel", "Cancel")};
    return d;
  }
};

class BlankKey : public ui::testing::UiFixture {
 protected:
  store::testing::TempFolder dir;
  MessageCatalog catalog{rt};
  FormGlobals globals;
  FormContext ctx{rt, catalog, globals};
  data::FileAccess codes{codeDecl(), catalog};
  data::FileRelations rel{codes};
  data::FileAccess station{codeDecl(), catalog};

  BlankKey() {
    catalog.Init();
    codes.setName(dir.file("Code.kvx"));
    station.setName(dir.file("Code.kvx"));
    EXPECT_EQ(station.open(), data::LevelOk);
  }
  ~BlankKey() override {
    rt.endProgram();
    EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
    station.shutdown();
  }
  void call(int request, const std::string& code = {}) {
    ASSERT_NE(rt.start([this, request, code] {
      EXPECT_EQ(codes.open(), data::LevelOk);
      if (!code.empty()) {
        codes.primeRecord();
        (void)store::setFieldText(codes.decl().fields[0], codes.buffer().record.data(), code);
        EXPECT_EQ(codes.fetch("COD:CodeKey"), store::Ok);
      }
      {
        globals.NextRequest = request;
        CodeForm form(ctx, rel);
        form.Run();
      }
      codes.close();
    }),
              0);
    ASSERT_TRUE(driver.waitIdle());
  }
  void type(int control, const std::string& text) {
    auto in = to(front(), ui::Input::Kind::Accept, control);
    in.text = text;
    input(in);
  }
  std::uint64_t count() {
    std::uint64_t n = 0;
    EXPECT_EQ(station.count(&n), store::Ok);
    return n;
  }
  // OK is refused with the blank-key message; the form stays with the focus on the code.
  void expectRefused() {
    input(to(front(), ui::Input::Kind::Press, kOk));
    auto m = driver.message();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->second.caption, "Vorn Trovanel 1.2");
    EXPECT_EQ(m->second.text,
              "Code ID must be filled in: a record without it could never be found again, so it "
              "has not been saved.");
    ASSERT_TRUE(driver.answerMessage("OK"));
    ASSERT_TRUE(driver.waitIdle());
    ASSERT_TRUE(driver.inspect([&] {
      ASSERT_NE(rt.front(), nullptr);
      EXPECT_EQ(rt.front()->title(), "Update Code");
      EXPECT_EQ(rt.front()->focus(), kCode);
    }));
  }
};

TEST_F(BlankKey, AnInsertWithABlankKeyIsRefusedAndWritesNothing) {
  call(RequestInsert);
  type(kName, "Acme Ltd");
  expectRefused();
  EXPECT_EQ(count(), 0u);
  type(kCode, "ACME");
  input(to(front(), ui::Input::Kind::Press, kOk));
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(count(), 1u);
}

TEST_F(BlankKey, AChangeThatBlanksTheKeyIsRefusedAndKeepsTheStoredRecord) {
  station.primeRecord();
  (void)store::setFieldText(codeDecl().fields[0], station.buffer().record.data(), "ACME");
  ASSERT_EQ(station.insert(), data::LevelOk);
  call(RequestChange, "ACME");
  type(kCode, "");
  expectRefused();
  ASSERT_EQ(station.setFileOrder(), store::Ok);
  ASSERT_EQ(station.next(), store::Ok);
  EXPECT_EQ(store::fieldText(codeDecl().fields[0], station.buffer().record.data()), "ACME");
}

}  // namespace
}  // namespace trv::forms
