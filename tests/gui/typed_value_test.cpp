// What is typed into the control with the focus reaches the model before Enter or a click on OK
// acts on it, for every kind of input control; and an entry takes no more than its field holds.

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include "runtime/text/fixed_string.h"
#include "runtime/ui/use_var.h"
#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

using namespace trv::ui;
using testing::DesktopTest;

enum : int { kEntry = 1, kSpin, kCombo, kDrop, kText, kNarrow, kOk };

// The variables behind the controls, as the OK button found them.
struct Values {
  std::string entry = "old";
  std::int64_t spin = 7;
  std::string combo = "Red";
  std::string drop = "High";
  std::string text = "old";
  text::FixedString<10> narrow;
  std::string atOk;  // the tested control's variable when OK was accepted
};

std::string valueOf(Values& v, int control) {
  switch (control) {
    case kEntry:
      return v.entry;
    case kSpin:
      return std::to_string(v.spin);
    case kCombo:
      return v.combo;
    case kDrop:
      return v.drop;
    case kText:
      return v.text;
    default:
      return {};
  }
}

struct Form {
  Values values;
  int tested = 0;

  WindowDecl decl() {
    WindowDecl d;
    d.title = "Typing";
    d.kind = WindowKind::Modal;
    d.controls = {
        entry("?Entry", "@s20", useText("Entry", values.entry)).withNumber(kEntry),
        spin("?Spin", "@n3", 0, 999, useNumber("Spin", values.spin)).withNumber(kSpin),
        combo("?Combo", "@s10", useText("Combo", values.combo))
            .withChoices({"Red", "Green"})
            .withNumber(kCombo),
        dropList("?Drop", {"High", "Medium", "Minimal"}, useText("Drop", values.drop))
            .withNumber(kDrop),
        textBox("?Text", useText("Text", values.text)).withNumber(kText).size(20, 3),
        entry("?Narrow", "@s20", useField("Narrow", values.narrow)).withNumber(kNarrow),
        button("?OK", "&OK").withNumber(kOk).asDefault(),
    };
    return d;
  }

  void run(UiRuntime& rt) {
    auto w = rt.open(decl());
    w->display();
    Event e;
    while (w->accept(e)) {
      if (e.number == EventAccepted && e.control == kOk) {
        values.atOk = valueOf(values, tested);
        w->close();
      }
      if (e.number == EventCloseWindow) w->close();
    }
  }
};

class TypedValue : public DesktopTest {
 protected:
  Form form;
  WindowView* v = nullptr;

  void open(int tested) {
    form.tested = tested;
    run([this] { form.run(*rt); });
    v = view(0);
    ASSERT_NE(v, nullptr);
    // The window is up before display() has written the variables into it: typing sooner would
    // be written over.
    ASSERT_TRUE(inModel([] {}));
    desktop.flush();
    v->window()->activateWindow();
  }
  // The widget that takes the keys of control n.
  QWidget* typingWidget(int n) {
    QWidget* w = v->controlWidget(n);
    if (auto* cb = qobject_cast<QComboBox*>(w); cb && cb->lineEdit()) return cb->lineEdit();
    return w;
  }
};

struct Typing {
  int control;
  const char* keys;  // typed over what is there
  int downs;         // then so many presses of the down arrow
  const char* stored;
};

// Enter in a text box is a new line: the text box comes last, and only a click is tried there.
constexpr Typing kTypings[] = {
    {kEntry, "Typed", 0, "Typed"}, {kSpin, "16", 0, "16"},       {kCombo, "Blue", 0, "Blue"},
    {kDrop, "", 2, "Minimal"},     {kText, "Typed", 0, "Typed"},
};
constexpr const char* kNames[] = {"", "Entry", "Spin", "Combo", "DropList", "TextBox"};

enum class Act { Enter, ClickOk };

void PrintTo(const Typing& t, std::ostream* os) {
  *os << kNames[t.control] << " \"" << t.keys << "\"";
}
void PrintTo(Act a, std::ostream* os) {
  *os << (a == Act::Enter ? "Enter" : "click on OK");
}

class TypedValueActs : public TypedValue,
                       public ::testing::WithParamInterface<std::tuple<Typing, Act>> {};

TEST_P(TypedValueActs, TheModelHoldsWhatWasTypedWhenOkActs) {
  const auto [typing, act] = GetParam();
  open(typing.control);
  QWidget* w = typingWidget(typing.control);
  ASSERT_NE(w, nullptr);
  w->setFocus();
  ASSERT_TRUE(waitFor([&] { return w->hasFocus(); }));
  QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);  // over what is there
  QTest::keyClicks(w, typing.keys);
  for (int i = 0; i < typing.downs; ++i) QTest::keyClick(w, Qt::Key_Down);
  if (act == Act::Enter)
    QTest::keyClick(w, Qt::Key_Return);
  else
    QTest::mouseClick(v->controlWidget(kOk), Qt::LeftButton);
  ASSERT_TRUE(rt->waitFinished(std::chrono::milliseconds(kWaitMs)));
  EXPECT_EQ(form.values.atOk, typing.stored);
}

std::string caseName(const ::testing::TestParamInfo<TypedValueActs::ParamType>& info) {
  const auto& [typing, act] = info.param;
  return std::string(kNames[typing.control]) + (act == Act::Enter ? "ThenEnter" : "ThenClickOk");
}

INSTANTIATE_TEST_SUITE_P(Enter, TypedValueActs,
                         ::testing::Combine(::testing::ValuesIn(std::begin(kTypings),
                                                                std::end(kTypings) - 1),
                                            ::testing::Values(Act::Enter)),
                         caseName);
INSTANTIATE_TEST_SUITE_P(Click, TypedValueActs,
                         ::testing::Combine(::testing::ValuesIn(kTypings),
                                            ::testing::Values(Act::ClickOk)),
                         caseName);

TEST_F(TypedValue, AnEntryTakesNoMoreThanItsFieldHolds) {
  open(0);
  auto* narrow = widget<QLineEdit>(v, kNarrow);
  ASSERT_NE(narrow, nullptr);
  EXPECT_EQ(narrow->maxLength(), 10);  // the field's 10, not the picture's 20
  narrow->setFocus();
  narrow->insert("A paste longer than the field");
  EXPECT_EQ(narrow->text(), "A paste lo");
}

}  // namespace
}  // namespace trv::gui
