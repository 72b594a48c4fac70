#include "runtime/automation/control.h"

#include <gtest/gtest.h>

#include <string>

namespace trv::automation {
namespace {

// A box with a text, a child box, a number and a method that echoes its arguments.
class Box final : public Object {
 public:
  MemberShape shape(std::string_view m) const override {
    if (sameName(m, "Save")) return {ArgumentStyle::WholeText, {}};
    return {};
  }
  std::optional<Value> get(std::string_view m, const Arguments& args) override {
    if (sameName(m, "Text")) return Value(text);
    if (sameName(m, "Count")) return Value(std::int64_t{3});
    if (sameName(m, "Child")) {
      if (!child) child = std::make_shared<Box>();
      return Value(ObjectPtr(child));
    }
    if (sameName(m, "Fresh")) return Value(ObjectPtr(std::make_shared<Box>()));
    if (sameName(m, "Nothing")) return Value();
    if (sameName(m, "Echo")) {
      std::string out;
      for (const Argument& a : args) out += "[" + a.name + ":" + a.value + "]";
      return Value(out);
    }
    if (sameName(m, "Save")) {
      saved = firstArgument(args).value_or("");
      return Value();
    }
    return std::nullopt;
  }
  bool set(std::string_view m, std::string_view value) override {
    if (sameName(m, "Text")) {
      text = std::string(value);
      return true;
    }
    if (sameName(m, "Save")) return get(m, {{{}, std::string(value)}}).has_value();
    return false;
  }
  std::string text = "root";
  std::string saved;
  std::shared_ptr<Box> child;
};

class ControlTest : public ::testing::Test {
 protected:
  std::shared_ptr<Box> box = std::make_shared<Box>();
  Control control{box};
};

TEST_F(ControlTest, ReadsTextsNumbersObjectsAndFailures) {
  EXPECT_EQ(control.read("Text"), "root");
  EXPECT_EQ(control.read("text"), "root");  // names in any letter case
  EXPECT_EQ(control.read("Count"), "3");
  EXPECT_EQ(control.read("Nothing"), "");
  EXPECT_EQ(control.read("Echo(1,x=\"a,b\")"), "[:1][x:a,b]");

  const std::string child = control.read("Child");
  ASSERT_EQ(child.front(), '@');
  EXPECT_EQ(control.read("Child"), child);  // the same object keeps its reference
  EXPECT_EQ(control.read(child + ".Text"), "root");
  EXPECT_EQ(control.read(child), child);
  const std::string grandChild = control.read(child + ".Child");
  EXPECT_NE(grandChild, child);
  EXPECT_EQ(control.read("Child.Child"), grandChild);

  for (const char* failing : {"Missing", "Text.Length", "Child.Missing", "@999.Text", "@999",
                              "Child(", "", "GetPropertyFailed.Text"})
    EXPECT_EQ(control.read(failing), "GetPropertyFailed") << failing;
}

TEST_F(ControlTest, PerformsAndSetsThroughPaths) {
  EXPECT_TRUE(control.perform("Save(/tmp/a,b)c.txt)"));
  EXPECT_EQ(box->saved, "/tmp/a,b)c.txt");
  EXPECT_FALSE(control.perform("Missing(1)"));

  const std::string child = control.read("Child");
  EXPECT_TRUE(control.set(child + ".Text", "changed"));
  EXPECT_EQ(box->child->text, "changed");
  EXPECT_TRUE(control.set("Child.Save", "/tmp/x)y"));  // setting a method performs it
  EXPECT_EQ(box->child->saved, "/tmp/x)y");
  EXPECT_FALSE(control.set("Count", "4"));
  EXPECT_FALSE(control.set("Echo(1)", "4"));
  EXPECT_FALSE(control.set(child, "4"));
  EXPECT_FALSE(control.set("@999.Text", "4"));
}

TEST_F(ControlTest, ReferencesUsedLastStayValid) {
  const std::string kept = control.read("Child");
  const std::string first = control.read("Fresh");
  std::string last;
  for (std::size_t i = 0; i < 2 * Control::kReferencesKept; ++i) {
    last = control.read("Fresh");
    if (i % 1000 == 0) {
      ASSERT_EQ(control.read(kept + ".Text"), "root");  // in use: kept
    }
  }
  EXPECT_LE(control.references(), 2 * Control::kReferencesKept);
  EXPECT_EQ(control.read(first + ".Text"), "GetPropertyFailed");
  EXPECT_EQ(control.read(last + ".Text"), "root");
  EXPECT_EQ(control.read(kept + ".Text"), "root");
}

TEST(Controls, BindsAnObjectOfARegisteredClassToAWindowControl) {
  ClassRegistry classes;
  classes.add("Test.Box", [] { return std::make_shared<Box>(); });
  Controls controls(classes);
  EXPECT_EQ(controls.create(1, 302, "No.Such"), nullptr);
  EXPECT_EQ(controls.find(1, 302), nullptr);
  Control* c = controls.create(1, 302, "test.box");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(controls.find(1, 302), c);
  EXPECT_EQ(controls.find(2, 302), nullptr);
  EXPECT_EQ(c->read("Text"), "root");
  controls.destroy(1, 302);
  EXPECT_EQ(controls.find(1, 302), nullptr);
}

}  // namespace
}  // namespace trv::automation
