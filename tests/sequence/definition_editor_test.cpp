#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "sequence/settings_window_support.h"

namespace {

using Values = std::vector<std::string>;
using testing_support::SettingsWindowFixture;

std::string crlf(int count) {
  std::string s;
  for (int i = 0; i < count; ++i)
    s += "\r\n";
  return s;
}

class DefinitionEditor : public SettingsWindowFixture {};

TEST_F(DefinitionEditor, KindsComeFromTheLoadedFileAtStart) {
  startWith("B\r\n\r\n\r\n" + head(3) + ",Mon,Tue,Wed");
  EXPECT_EQ(w().form.caption(), cp932("Kolvex20:連番設定"));
  const Values& kinds = w().kindCombo.items();
  ASSERT_EQ(kinds.size(), 11u);
  EXPECT_EQ(kinds[0], cp932("標準"));
  EXPECT_EQ(kinds[1], cp932("定義1"));
  EXPECT_EQ(kinds[3], cp932("定義3:Mon～Wed"));
  EXPECT_EQ(kinds[10], cp932("定義10"));
  EXPECT_EQ(w().kindCombo.itemIndex(), 0);
  EXPECT_FALSE(w().definitionPanel.visible());
}

TEST_F(DefinitionEditor, LeavingTheEditorStoresAtOnceAndTheKindFollowsAfterClosing) {
  startWith("A\r\n");  // a short file: padded at the first store
  openEditor();
  EXPECT_TRUE(w().definitionPanel.showing());
  chooseDefinition(2);
  EXPECT_EQ(w().form.focused(), &w().definitionMemo);
  type("a\r\nb\r\nc");
  const int writesBefore = desktop->writesOf("Kolvex20.ini");
  chooseDefinition(3);  // leaving the editor for another definition

  EXPECT_EQ(desktop->writesOf("Kolvex20.ini"), writesBefore + 1);
  EXPECT_EQ(ini(), "A\r\n\r\n" + head(2) + ",a,b,c" + crlf(10));
  EXPECT_EQ(buffer().text(), ini());
  EXPECT_EQ(w().radioButton(2).caption(), cp932("a～c"));
  EXPECT_EQ(w().definitionMemo.text(), "");  // definition 3 is empty
  // The kinds are refreshed only when the editor closes.
  EXPECT_EQ(w().kindCombo.items()[2], cp932("定義2"));

  platform->mouseEnter(w().radioButton(2));
  EXPECT_EQ(w().radioButton(2).hint(), cp932("a～c"));
  EXPECT_TRUE(w().radioButton(2).showHint());

  finishEditing();
  EXPECT_FALSE(w().definitionPanel.visible());
  EXPECT_EQ(w().kindCombo.items()[2], cp932("定義2:a～c"));
  EXPECT_EQ(w().kindCombo.itemIndex(), 0);

  chooseKind(2);
  EXPECT_EQ(w().startCombo.items(), (Values{"a", "b", "c"}));
  EXPECT_EQ(w().startCombo.itemIndex(), 0);
  EXPECT_EQ(w().startCombo.text(), "a");
  EXPECT_EQ(w().endEdit.text(), "c");
  EXPECT_EQ(errorCount(), 0);
}

TEST_F(DefinitionEditor, ReopeningShowsTheLastEditAndTheCheckedDefinition) {
  startWith("\r\n" + head(1) + ",p,q");
  openEditor();
  chooseDefinition(1);
  EXPECT_EQ(w().definitionMemo.text(), "p\r\nq\r\n");
  finishEditing();
  openEditor();
  EXPECT_TRUE(w().radioButton(1).checked());
  EXPECT_EQ(w().definitionMemo.text(), "p\r\nq\r\n");
  EXPECT_EQ(w().radioButton(1).caption(), cp932("p～q"));
}

// Closing the editor while its text box still has the focus must store the edit before the
// kinds are rebuilt, whichever way it is closed.
enum class CloseBy { FinishButton, CloseBox };

void PrintTo(CloseBy c, std::ostream* os) {
  *os << (c == CloseBy::FinishButton ? "FinishButton" : "CloseBox");
}

class ClosingWithFocusInEditor : public DefinitionEditor,
                                 public testing::WithParamInterface<CloseBy> {};

TEST_P(ClosingWithFocusInEditor, StoresBeforeTheKindsAreRebuilt) {
  startWith(crlf(3) + head(3) + ",m,n");
  chooseKind(3);
  ASSERT_EQ(w().endEdit.text(), "n");
  openEditor();
  chooseDefinition(5);
  type("x\r\ny");
  ASSERT_EQ(w().form.focused(), &w().definitionMemo);
  if (GetParam() == CloseBy::FinishButton)
    finishEditing();
  else
    platform->closeBox(w().form);

  EXPECT_EQ(buffer().text(), crlf(3) + head(3) + ",m,n" + crlf(2) + head(5) + ",x,y" + crlf(7));
  EXPECT_EQ(ini(), buffer().text());
  EXPECT_EQ(w().kindCombo.items()[5], cp932("定義5:x～y"));
  EXPECT_FALSE(w().definitionPanel.visible());
  EXPECT_NE(w().form.focused(), &w().definitionMemo);
  EXPECT_EQ(w().kindCombo.itemIndex(), 0);
  EXPECT_EQ(w().startCombo.items(), Values{});
  EXPECT_EQ(w().startCombo.text(), "");
  EXPECT_EQ(w().endEdit.text(), "");
  EXPECT_EQ(w().form.visible(), GetParam() == CloseBy::FinishButton);
}

INSTANTIATE_TEST_SUITE_P(Ways, ClosingWithFocusInEditor,
                         testing::Values(CloseBy::FinishButton, CloseBy::CloseBox),
                         [](const testing::TestParamInfo<CloseBy>& info) {
                           return info.param == CloseBy::FinishButton ? "FinishButton" : "CloseBox";
                         });

// What the editor's text becomes: the stored line, the captions and the kind it offers.
struct StoreCase {
  const char* name;
  int n;
  std::string editor;
  std::string storedRest;     // after "定義n"
  const char* captionStored;  // UTF-8
  const char* captionReopened;
  const char* kindItem;
  Values startItems;
  std::string end;
};

void PrintTo(const StoreCase& c, std::ostream* os) {
  *os << c.name;
}

class StoredDefinition : public DefinitionEditor, public testing::WithParamInterface<StoreCase> {};

TEST_P(StoredDefinition, LineCaptionsAndKind) {
  const StoreCase& c = GetParam();
  // Every definition starts out stored, so an emptied one really changes.
  std::string file = "K";
  for (int n = 1; n <= 10; ++n)
    file += "\r\n" + head(n) + ",old1,old2";
  startWith(file);
  openEditor();
  chooseDefinition(c.n);
  type(c.editor);
  chooseDefinition(c.n == 1 ? 2 : 1);

  EXPECT_EQ(bufferLineOf(c.n), head(c.n) + c.storedRest);
  EXPECT_EQ(bufferLineOf(0), "K");
  EXPECT_EQ(bufferLineOf(c.n == 3 ? 4 : 3), head(c.n == 3 ? 4 : 3) + ",old1,old2");
  EXPECT_EQ(ini(), buffer().text());
  EXPECT_EQ(w().radioButton(c.n).caption(), cp932(c.captionStored));

  finishEditing();
  EXPECT_EQ(w().kindCombo.items()[static_cast<std::size_t>(c.n)], cp932(c.kindItem));
  chooseKind(c.n);
  EXPECT_EQ(w().startCombo.items(), c.startItems);
  EXPECT_EQ(w().startCombo.text(), c.startItems.empty() ? "" : c.startItems.front());
  EXPECT_EQ(w().endEdit.text(), c.end);

  openEditor();
  EXPECT_EQ(w().radioButton(c.n).caption(), cp932(c.captionReopened));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredDefinition,
    testing::Values(
        StoreCase{"EmptyLineInBetween",
                  1,
                  "a\r\n\r\nb",
                  ",a,,b",
                  "a～b",
                  "a～b",
                  "定義1:a～b",
                  {"a", "", "b"},
                  "b"},
        StoreCase{"TrailingLineBreakAddsNoValue",
                  2,
                  "a\r\nb\r\n",
                  ",a,b",
                  "a～b",
                  "a～b",
                  "定義2:a～b",
                  {"a", "b"},
                  "b"},
        StoreCase{"EmptiedBecomesTheBareHead", 4, "", "", "", "", "定義4", {}, ""},
        StoreCase{"SingleValue", 1, "X", ",X", "X～X", "～X", "定義1:～X", {"X"}, "X"},
        StoreCase{"TenWithOneEmptyValueCounts", 10, "\r\n", ",", "～", "～", "定義10:～", {""}, ""},
        StoreCase{"NineWithOneEmptyValueIsEmpty", 9, "\r\n", ",", "～", "～", "定義9", {}, ""}),
    [](const testing::TestParamInfo<StoreCase>& info) { return std::string(info.param.name); });

TEST_F(DefinitionEditor, ALongValueStaysWholeThroughEditingAndChoosing) {
  const std::string longValue(5000, 'v');
  const std::string line = head(1) + ",a," + longValue;
  startWith("\r\n" + line + "\r\n" + head(2) + ",z");
  openEditor();
  EXPECT_EQ(w().radioButton(1).caption(), cp932("a～") + longValue);
  chooseDefinition(1);
  EXPECT_EQ(w().definitionMemo.text(), "a\r\n" + longValue + "\r\n");
  chooseDefinition(2);  // stores definition 1 unchanged
  EXPECT_EQ(bufferLineOf(1), line);
  EXPECT_EQ(ini(), buffer().text());
  finishEditing();
  chooseKind(1);
  EXPECT_EQ(w().endEdit.text(), longValue);
}

TEST_F(DefinitionEditor, AFailingWriteIsReportedAndTheBufferKeepsEveryDefinition) {
  // Slot A alone is filled and kept: line 0 says so.
  const std::string original = "A\r\n" + head(1) + ",a\r\n" + head(2) + ",b\r\n" + head(3) + ",c";
  startWith(original);
  desktop->failWrite("Kolvex20.ini");
  openEditor();
  chooseDefinition(2);
  type("new");
  chooseDefinition(3);

  ASSERT_EQ(errorCount(), 1);
  EXPECT_NE(desktop->errors()[0].text.find("Kolvex20.ini"), std::string::npos);
  EXPECT_EQ(ini(), original);  // untouched on disk
  // Padded to twelve lines by the store.
  EXPECT_EQ(buffer().text(),
            "A\r\n" + head(1) + ",a\r\n" + head(2) + ",new\r\n" + head(3) + ",c" + crlf(9));
  // The click that moved the focus still chose its definition.
  EXPECT_TRUE(w().radioButton(3).checked());
  EXPECT_EQ(w().definitionMemo.text(), "c\r\n");

  // The failing store of "設定終了" ends it with the editor still open.
  type("c2");
  finishEditing();
  EXPECT_EQ(errorCount(), 2);
  EXPECT_TRUE(w().definitionPanel.visible());

  desktop->failWrite("Kolvex20.ini", false);
  focus(w().definitionMemo);
  type("c3");
  finishEditing();
  EXPECT_EQ(errorCount(), 2);
  EXPECT_FALSE(w().definitionPanel.visible());
  EXPECT_EQ(ini(), "A\r\n" + head(1) + ",a\r\n" + head(2) + ",new\r\n" + head(3) + ",c3" + crlf(9));
}

TEST_F(DefinitionEditor, LeavingWithNoDefinitionChosenOnlyPadsTheBuffer) {
  startWith("A");
  openEditor();
  focus(w().definitionMemo);
  type("lost");
  focus(w().radioButton(1));
  EXPECT_EQ(buffer().text(), "A" + crlf(12));
  EXPECT_EQ(ini(), "A");
}

}  // namespace
