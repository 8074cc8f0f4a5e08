#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace {

using testing_support::bytes;
using testing_support::SimFixture;
constexpr int kStrip = sim::SimPlatform::kFrameHeight - 3;

class SlotEditor : public SimFixture {
 protected:
  void SetUp() override {
    writeSlotFiles({"a", "b", "c", "d", "e"});
    start();
    copy("a");
    other = desktop->createOtherWindow({0, 0, 800, 600});
    desktop->activateOther(other);
    expand();
  }
  void expand() {
    platform->trayIcon(platform::kWmLButtonDown);
    desktop->runPending();
  }
  // Right click on slot i's text, then "編集".
  void openOn(int i) {
    platform->rightPress(store().memo(i));
    ASSERT_EQ(platform->openMenu(), &panel().slotMenu);
    platform->chooseMenuItem(panel().editItem);
  }
  ui::Form& editorWindow() { return program->settingsForm(); }
  ui::Memo& slotEditorMemo() { return program->settings().slotEditorMemo; }
  void type(const std::string& t) { slotEditorMemo().userSetText(bytes(t)); }
  void closeWithButton() { platform->click(program->settings().editorCloseButton); }
  std::string caption(char letter, const std::string& t) {
    return std::string(1, letter) + cp932("：") + t;
  }
  std::vector<ui::Control*> interlocked() {
    std::vector<ui::Control*> out = {&panel().sequenceButton, &panel().allClearButton,
                                     &panel().deleteItem, &panel().editItem};
    for (int i = 1; i <= 20; ++i)
      out.push_back(panel().keepBoxes[static_cast<std::size_t>(i)].get());
    return out;
  }
  platform::WindowHandle other = 0;
};

TEST_F(SlotEditor, OpensOnTheRightClickedSlotInItsOwnWindowShapeThatSettingsUndo) {
  openOn(3);
  ui::Form& w = editorWindow();
  EXPECT_TRUE(w.visible());
  EXPECT_TRUE(program->settings().slotEditorPanel.visible());
  EXPECT_EQ(w.caption(), cp932("Kolvex20:編集C"));
  EXPECT_EQ(slotEditorMemo().text(), "c");
  EXPECT_EQ(w.width(), 484);
  EXPECT_EQ(w.outerHeight(), 285);
  EXPECT_TRUE(w.sizeable);
  EXPECT_TRUE(w.maximizeBox);
  EXPECT_EQ(slotEditorMemo().anchors, ui::kAnchorsAll);
  EXPECT_EQ(program->settings().editorCloseButton.anchors, ui::kAnchorRight | ui::kAnchorBottom);

  closeWithButton();
  platform->click(panel().sequenceButton);
  EXPECT_TRUE(w.visible());
  EXPECT_FALSE(program->settings().slotEditorPanel.visible());
  EXPECT_EQ(w.width(), 384);
  EXPECT_TRUE(w.dialogFrame);
  EXPECT_FALSE(w.sizeable);
  EXPECT_FALSE(w.maximizeBox);
}

TEST_F(SlotEditor, EditedTextStandsInTheSlotAndInTheSlotTheCaptureGaveIt) {
  openOn(3);
  type("new");
  closeWithButton();
  ASSERT_FALSE(editorWindow().visible());
  ASSERT_EQ(desktop->boxes.size(), 1u);
  EXPECT_EQ(desktop->boxes[0].kind, sim::SimDesktop::Box::Kind::Confirm);
  EXPECT_EQ(desktop->boxes[0].text, cp932("編集を終了しますか？"));
  EXPECT_EQ(texts()[2], "new");
  EXPECT_EQ(texts()[5], "new");  // stored by the capture inside the write
  EXPECT_EQ(clipboard(), "new");
  EXPECT_EQ(panel().form.caption(), caption('C', "new"));
  EXPECT_EQ(slotFile(6), "new");
  EXPECT_EQ(slotFile(3), "new");  // saved at once
  // Each its own file: a program that writes one in place does not change the other.
  EXPECT_EQ(std::filesystem::hard_link_count(dir / files::slotFileName(3)), 1u);
  EXPECT_EQ(std::filesystem::hard_link_count(dir / files::slotFileName(6)), 1u);
  EXPECT_FALSE(program->settings().slotEditorPanel.visible());
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(program->state().marks.slotSelection[static_cast<std::size_t>(i)], 0) << i;
  expand();
  platform->keyUp(panel().form, 16);
  EXPECT_EQ(slotFile(3), "new");
}

TEST_F(SlotEditor, TextAnotherSlotHoldsIsMatchedNotStoredAgain) {
  openOn(3);
  type("a");
  closeWithButton();
  EXPECT_EQ(texts()[0], "a");
  EXPECT_EQ(texts()[2], "a");
  EXPECT_EQ(texts()[5], "");
  EXPECT_EQ(panel().form.caption(), caption('C', "a"));
  EXPECT_EQ(store().memo(1).color(), history::kMatchColour);
}

// An edit of a full store: the capture inside the close moves the texts one slot towards A
// before the write-back, so the edited text must go where the entry under edit went, and every
// other text must stay (in the panel and in its file).
struct FullStoreCase {
  const char* name;
  std::string keptRun;  // the keep state: the last kept slot's letter
  int edited;
  std::vector<std::string> expected;  // A..T afterwards
  char captionLetter;
  friend void PrintTo(const FullStoreCase& c, std::ostream* os) { *os << c.name; }
};

// "s<from>" .. "s<to>", the texts the store starts with.
std::vector<std::string> numbered(int from, int to) {
  std::vector<std::string> out;
  for (int i = from; i <= to; ++i)
    out.push_back("s" + std::to_string(i));
  return out;
}
std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
const std::vector<std::string> kEdited = {"edited"};

class FullStoreEdit : public SlotEditor, public testing::WithParamInterface<FullStoreCase> {
 protected:
  void SetUp() override {
    writeSlotFiles(numbered(1, 20), GetParam().keptRun);
    start();
    desktop->advance(600);
    other = desktop->createOtherWindow({0, 0, 800, 600});
    desktop->activateOther(other);
    expand();
  }
};

TEST_P(FullStoreEdit, EditedTextGoesWhereItsEntryWentAndNoOtherTextIsLost) {
  const FullStoreCase& c = GetParam();
  openOn(c.edited);
  type("edited");
  closeWithButton();
  ASSERT_FALSE(editorWindow().visible());
  EXPECT_EQ(texts(), c.expected);
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(slotFile(i), c.expected[static_cast<std::size_t>(i - 1)]) << "file of slot " << i;
  EXPECT_EQ(panel().form.caption(), caption(c.captionLetter, "edited"));
  EXPECT_EQ(clipboard(), "edited");
}

INSTANTIATE_TEST_SUITE_P(
    Shifts, FullStoreEdit,
    testing::Values(
        // C's entry moved to B; A's text, the oldest, is gone.
        FullStoreCase{"NothingKept", "", 3, numbered(2, 2) + kEdited + numbered(4, 20) + kEdited,
                      'B'},
        // A and B kept: C's text, the oldest unkept, is gone; D's entry moved to C and E's text
        // to D, where the edited text used to land.
        FullStoreCase{"KeptBeforeTheEdited", "B", 4,
                      numbered(1, 2) + kEdited + numbered(5, 20) + kEdited, 'C'},
        // The entry under edit is the one the shift drops: the edited text is only in T.
        FullStoreCase{"EditedOneDropped", "B", 3, numbered(1, 2) + numbered(4, 20) + kEdited, 'T'},
        // A kept entry does not move.
        FullStoreCase{"KeptOneEdited", "B", 1, kEdited + numbered(2, 2) + numbered(4, 20) + kEdited,
                      'A'}),
    [](const testing::TestParamInfo<FullStoreCase>& info) { return info.param.name; });

TEST_F(SlotEditor, RecallDuringEditingKeepsTheTarget) {
  openOn(3);
  type("x");
  platform->click(*panel().letterButtons[1]);
  EXPECT_EQ(clipboard(), "a");
  EXPECT_EQ(program->state().marks.slotSelection[3], 1);
  expand();
  platform->keyDown(panel().form, 'B');  // letters on the expanded panel too
  EXPECT_EQ(clipboard(), "b");
  EXPECT_EQ(program->state().marks.slotSelection[3], 1);
  closeWithButton();
  EXPECT_EQ(texts()[2], "x");
  EXPECT_EQ(texts()[0], "a");
  EXPECT_EQ(texts()[1], "b");
  EXPECT_EQ(clipboard(), "x");
}

TEST_F(SlotEditor, CancelAtTheQuestionKeepsTheEditorAndTheEdits) {
  openOn(2);
  type("changed");
  desktop->confirmAnswers = {false};
  platform->closeBox(editorWindow());
  EXPECT_TRUE(editorWindow().visible());
  EXPECT_TRUE(program->settings().slotEditorPanel.visible());
  EXPECT_EQ(slotEditorMemo().text(), "changed");
  EXPECT_EQ(texts()[1], "b");
  EXPECT_EQ(clipboard(), "a");
  EXPECT_FALSE(panel().editItem.enabled());
  platform->closeBox(editorWindow());
  EXPECT_EQ(texts()[1], "changed");
}

TEST_F(SlotEditor, EmptiedTextIsRefusedWithTheMessage) {
  openOn(2);
  type("");
  closeWithButton();
  ASSERT_EQ(desktop->boxes.size(), 1u);
  EXPECT_EQ(desktop->boxes[0].kind, sim::SimDesktop::Box::Kind::Message);
  EXPECT_EQ(
      desktop->boxes[0].text,
      cp932("編集で全ての文字列が削除されました\r\n\r\n登録内容の削除は編集モードではできません"));
  EXPECT_TRUE(editorWindow().visible());
  EXPECT_EQ(texts()[1], "b");
  EXPECT_EQ(clipboard(), "a");
}

TEST_F(SlotEditor, MaximizedEditorComesBackNormalAtItsSize) {
  openOn(2);
  platform->maximizeBox(editorWindow());
  ASSERT_TRUE(editorWindow().maximized());
  type("b2");
  closeWithButton();
  EXPECT_FALSE(editorWindow().maximized());
  expand();
  editorWindow().setBounds({0, 0, 700, 500});
  openOn(1);
  EXPECT_FALSE(editorWindow().maximized());
  EXPECT_EQ(editorWindow().width(), 484);
  EXPECT_EQ(editorWindow().outerHeight(), 285);
  EXPECT_EQ(editorWindow().caption(), cp932("Kolvex20:編集A"));
}

TEST_F(SlotEditor, EditingAKeptSlotKeepsItsMark) {
  platform->click(store().box(1));
  desktop->advance(600);
  ASSERT_TRUE(store().checked(1));
  ASSERT_TRUE(store().hasKeepLetter(1));
  openOn(1);
  type("kept, edited");
  closeWithButton();
  EXPECT_TRUE(store().checked(1));
  EXPECT_TRUE(store().hasKeepLetter(1));
  EXPECT_EQ(texts()[0], "kept, edited");
  EXPECT_EQ(texts()[5], "kept, edited");
  EXPECT_FALSE(store().checked(6));
}

TEST_F(SlotEditor, EveryInterlockedControlRefusesWhileTheEditorIsOpen) {
  openOn(3);
  for (ui::Control* c : interlocked())
    EXPECT_FALSE(c->enabled()) << c->name();
  const auto before = texts();
  platform->click(store().box(1));
  platform->click(panel().sequenceButton);
  platform->keyDown(panel().form, 'Z');
  platform->mouseUp(panel().allClearButton, ui::MouseButton::Left);
  platform->rightPress(store().memo(1));
  platform->chooseMenuItem(panel().deleteItem);
  platform->chooseMenuItem(panel().editItem);
  // The sequence button would have dropped the selection and turned the window to its settings.
  EXPECT_EQ(program->state().marks.slotSelection[3], 1);
  EXPECT_TRUE(program->settings().slotEditorPanel.visible());
  EXPECT_TRUE(desktop->boxes.empty());
  EXPECT_EQ(texts(), before);
  EXPECT_FALSE(store().checked(1));
  EXPECT_EQ(editorWindow().caption(), cp932("Kolvex20:編集C"));
  closeWithButton();
  for (ui::Control* c : interlocked())
    EXPECT_TRUE(c->enabled()) << c->name();
}

TEST_F(SlotEditor, OpeningFromTheActiveExpandedPanelFoldsItAndSavesEverything) {
  ASSERT_TRUE(panel().form.active());
  store().setText(4, bytes("d changed"));  // only a full save puts this on disk
  const int iniWrites = desktop->writesOf(files::kDefinitionFile);
  openOn(3);
  EXPECT_EQ(panel().form.outerHeight(), kStrip);
  EXPECT_TRUE(panel().form.topmost());
  EXPECT_EQ(desktop->writesOf(files::kDefinitionFile), iniWrites + 1);
  EXPECT_EQ(slotFile(4), "d changed");
}

TEST_F(SlotEditor, OpeningWhileThePanelIsNotActiveSkipsTheFoldAndTheSave) {
  desktop->activateOther(other);
  panel().form.setOuterHeight(130);
  store().setText(4, bytes("d changed"));
  const int writes = desktop->totalWrites();
  openOn(3);
  EXPECT_TRUE(editorWindow().visible());
  EXPECT_EQ(desktop->totalWrites(), writes);
  EXPECT_EQ(slotFile(4), "d");
}

TEST_F(SlotEditor, AFileThatCannotBeWrittenAtOpeningLeavesThePanelUsable) {
  desktop->failWrite(files::kDefinitionFile);
  openOn(3);
  EXPECT_FALSE(editorWindow().visible());
  EXPECT_EQ(errorCount(), 1);
  for (ui::Control* c : interlocked())
    EXPECT_TRUE(c->enabled()) << c->name();
}

TEST_F(SlotEditor, ClipboardHeldAtTheCloseLeavesTheEditorOpenAndTheSlotAsItWas) {
  openOn(3);
  type("new");
  desktop->otherHoldsClipboard(true);
  closeWithButton();
  EXPECT_EQ(errorCount(), 1);
  EXPECT_TRUE(editorWindow().visible());
  EXPECT_TRUE(program->settings().slotEditorPanel.visible());
  EXPECT_EQ(texts()[2], "c");
  desktop->otherHoldsClipboard(false);
  closeWithButton();
  EXPECT_EQ(texts()[2], "new");
}

TEST_F(SlotEditor, ClosingTheSettingsModeEnablesThePopupCommandsAndWritesNothingBack) {
  // A selection may outlive its menu (closed with Esc); only the editor mode writes back.
  platform->rightPress(store().memo(2));
  panel().deleteItem.setEnabled(false);
  panel().editItem.setEnabled(false);
  editorWindow().show();
  platform->closeBox(editorWindow());
  EXPECT_FALSE(editorWindow().visible());
  EXPECT_TRUE(desktop->boxes.empty());
  EXPECT_TRUE(panel().deleteItem.enabled());
  EXPECT_TRUE(panel().editItem.enabled());
  EXPECT_EQ(texts()[1], "b");
  EXPECT_EQ(clipboard(), "a");
}

}  // namespace
