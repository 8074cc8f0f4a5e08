#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "sequence/settings_window_support.h"

namespace {

using testing_support::bytes;
using testing_support::SettingsWindowFixture;

enum class Field { Start, End };

const char* fieldName(Field f) {
  return f == Field::Start ? "ComboBox1" : "Edit2";
}

const char* kindName(int kind) {
  return kind == 0 ? "Standard" : "Definition";
}

// A test name's part for a typed key or text: letters and digits as they are, the rest spelled.
std::string spelled(const std::string& text) {
  if (text.empty()) return "Empty";
  std::string out;
  for (char ch : text) {
    const auto u = static_cast<unsigned char>(ch);
    if (std::isalnum(u) && u < 128)
      out += ch;
    else if (ch == '\b')
      out += "Backspace";
    else if (ch == '\r')
      out += "Enter";
    else if (ch == ' ')
      out += "Space";
    else if (ch == '-')
      out += "Minus";
    else if (ch == '$')
      out += "Dollar";
    else
      out += "Byte" + std::to_string(u);
  }
  return out;
}

class StartEndEntry : public SettingsWindowFixture {
 protected:
  // Definition 1 holds values, so choosing it switches the rules off.
  void startWindow() { startWith("\r\n" + head(1) + ",Mon,Tue"); }
  ui::Control& control(Field f) {
    return f == Field::Start ? static_cast<ui::Control&>(w().startCombo) : w().endEdit;
  }
  std::string text(Field f) {
    return f == Field::Start ? w().startCombo.text() : w().endEdit.text().bytes();
  }
  void setTyped(Field f, const std::string& t) {
    if (f == Field::Start)
      w().startCombo.userSetText(t);
    else
      w().endEdit.userSetText(bytes(t));
  }
};

struct KeyCase {
  int kind;
  char key;
  bool kept;
};

class KeyFilter : public StartEndEntry,
                  public testing::WithParamInterface<std::tuple<Field, KeyCase>> {};

TEST_P(KeyFilter, KeepsOnlyWhatTheKindAllows) {
  const auto& [field, c] = GetParam();
  startWindow();
  chooseKind(c.kind);
  const char after = keyPress(control(field), c.key);
  EXPECT_EQ(after, c.kept ? c.key : '\0')
      << fieldName(field) << " kind " << c.kind << " key " << static_cast<int>(c.key);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyFilter,
    testing::Combine(testing::Values(Field::Start, Field::End),
                     testing::Values(KeyCase{0, '7', true}, KeyCase{0, 'F', true},
                                     KeyCase{0, 'z', true}, KeyCase{0, '\b', true},
                                     KeyCase{0, '-', false}, KeyCase{0, ' ', false},
                                     KeyCase{0, '$', false}, KeyCase{0, '\x82', false},
                                     KeyCase{0, '\r', false}, KeyCase{1, '-', true},
                                     KeyCase{1, ' ', true}, KeyCase{1, '\r', false})),
    [](const testing::TestParamInfo<std::tuple<Field, KeyCase>>& info) {
      const KeyCase& c = std::get<1>(info.param);
      return std::string(fieldName(std::get<0>(info.param))) + "_" + kindName(c.kind) + "_" +
             spelled(std::string(1, c.key)) + (c.kept ? "_Kept" : "_Dropped");
    });

struct LeaveCase {
  int kind;
  std::string typed;
  bool erased;
};

class LeaveCheck : public StartEndEntry,
                   public testing::WithParamInterface<std::tuple<Field, LeaveCase>> {};

TEST_P(LeaveCheck, InvalidStandardEntryIsErasedAndKeepsTheFocus) {
  const auto& [field, c] = GetParam();
  startWindow();
  chooseKind(c.kind);
  focus(control(field));
  setTyped(field, c.typed);
  focus(w().suffixEdit);
  EXPECT_EQ(text(field), c.erased ? "" : c.typed) << fieldName(field) << " " << c.typed;
  EXPECT_EQ(w().form.focused(), c.erased ? &control(field) : &w().suffixEdit);
  EXPECT_EQ(errorCount(), 0);
  EXPECT_TRUE(desktop->boxes.empty());  // no message for an invalid entry
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeaveCheck,
    testing::Combine(testing::Values(Field::Start, Field::End),
                     testing::Values(LeaveCase{0, "Z", false}, LeaveCase{0, "1F", false},
                                     LeaveCase{0, "099", false}, LeaveCase{0, "", false},
                                     LeaveCase{0, "ZZ", true}, LeaveCase{0, "ab", true},
                                     LeaveCase{0, "1A2", true}, LeaveCase{0, "-", true},
                                     LeaveCase{1, "ZZZ", false}, LeaveCase{1, "-", false})),
    [](const testing::TestParamInfo<std::tuple<Field, LeaveCase>>& info) {
      const LeaveCase& c = std::get<1>(info.param);
      return std::string(fieldName(std::get<0>(info.param))) + "_" + kindName(c.kind) + "_" +
             spelled(c.typed) + (c.erased ? "_Erased" : "_Kept");
    });

TEST_F(StartEndEntry, HelpTooltipOnlyWithTheStandardSequence) {
  startWindow();
  const std::string help = cp932(
      "標準時：始値～終値\r\n10進：0～999、000～999、999～000、999～0\r\n"
      "16進：0～FF、00～FF、FF～00、FF～0\r\nアルファベット：A～Z、Z～A、a～z、z～a ");
  for (ui::Label* label : {&w().startLabel, &w().endLabel}) {
    platform->mouseEnter(*label);
    EXPECT_EQ(label->hint(), help) << label->name();
    EXPECT_TRUE(label->showHint()) << label->name();
  }
  chooseKind(1);
  for (ui::Label* label : {&w().startLabel, &w().endLabel}) {
    platform->mouseEnter(*label);
    EXPECT_FALSE(label->showHint()) << label->name();
  }
  chooseKind(0);
  platform->mouseEnter(w().startLabel);
  EXPECT_TRUE(w().startLabel.showHint());
}

TEST_F(StartEndEntry, ChoosingTheStandardSequenceOrAnEmptyDefinitionEmptiesBothFields) {
  startWindow();
  chooseKind(1);
  ASSERT_EQ(w().startCombo.text(), "Mon");
  ASSERT_EQ(w().endEdit.text(), "Tue");
  for (int kind : {0, 2}) {
    chooseKind(1);
    chooseKind(kind);
    EXPECT_TRUE(w().startCombo.items().empty()) << kind;
    EXPECT_EQ(w().startCombo.text(), "") << kind;
    EXPECT_EQ(w().startCombo.itemIndex(), -1) << kind;
    EXPECT_EQ(w().endEdit.text(), "") << kind;
  }
}

}  // namespace
