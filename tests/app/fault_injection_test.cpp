// Injected faults at every writer of the files and at every clipboard operation: a file that
// cannot be written at each position of its writer's order, and a clipboard another program
// holds open. The error is reported as the program reports errors (or, for the capture, dropped
// after its retry), the writer stops where the file failed, every file keeps its last good
// bytes, and the program goes on working.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace {

using testing_support::bytes;
using testing_support::SimFixture;

std::vector<std::string> slotFiles(int from, int to) {
  std::vector<std::string> out;
  for (int i = from; from <= to ? i <= to : i >= to; i += from <= to ? 1 : -1)
    out.push_back(files::slotFileName(i));
  return out;
}

class Faults;

// One writer of the files: how to reach it, how to run it, the files it writes in its order.
struct Writer {
  std::string name;
  std::vector<std::string> files;
  std::function<void(Faults&)> setup;
  std::function<void(Faults&)> act;
  // Every writer reports the failure (a save's failure is told once, until a save succeeds).
  bool reportsError = true;
  // The writer's own steps after the failing file that must not have run.
  std::function<void(Faults&)> skipped = [](Faults&) {};
};

struct FaultCase {
  const Writer* writer;
  std::size_t position;  // index into writer->files of the file that fails
};

void PrintTo(const FaultCase& c, std::ostream* os) {
  *os << c.writer->name << " failing at " << c.writer->files[c.position];
}

class Faults : public SimFixture {
 public:
  // The table rows below drive the program through these.
  using SimFixture::clipboard;
  using SimFixture::copy;
  using SimFixture::copyAndHandleAtOnce;
  using SimFixture::cp932;
  using SimFixture::desktop;
  using SimFixture::dir;
  using SimFixture::errorCount;
  using SimFixture::killAndRestart;
  using SimFixture::panel;
  using SimFixture::platform;
  using SimFixture::program;
  using SimFixture::slotFile;
  using SimFixture::slotText;
  using SimFixture::start;
  using SimFixture::store;
  using SimFixture::texts;
  using SimFixture::writeSlotFiles;

  std::vector<std::string> twenty() {
    std::vector<std::string> t;
    for (int i = 1; i <= 20; ++i)
      t.push_back("t" + std::to_string(i));
    return t;
  }
  void expand() {
    platform->trayIcon(platform::kWmLButtonDown);
    desktop->advance(100);
  }
  void startWith(const std::vector<std::string>& t, const std::string& ini = "") {
    writeSlotFiles(t, ini);
    start();
    desktop->advance(600);
  }
  void closeFromTray() {
    platform->trayIcon(platform::kWmRButtonDown);
    platform->chooseMenuItem(panel().trayCloseItem);
  }
  void deleteSlot(int i) {
    platform->rightPress(store().memo(i));
    desktop->confirmAnswers.push_back(true);
    platform->chooseMenuItem(panel().deleteItem);
    desktop->advance(600);
  }
  void allClear() {
    desktop->confirmAnswers.push_back(true);
    platform->mouseUp(panel().allClearButton, ui::MouseButton::Left);
    desktop->advance(100);
  }
  // The bytes the program means a file to hold now.
  std::string intended(const std::string& name) {
    if (name == files::kDefinitionFile) return panel().definitionLines.text().bytes();
    for (int i = 1; i <= 20; ++i)
      if (name == files::slotFileName(i)) return slotText(i).bytes();
    ADD_FAILURE() << "not a file of the program: " << name;
    return {};
  }
  // Files written or made to hold another file's bytes (the full-store shift links them).
  // Changes of the 21 files (a park is none of them).
  int fileChanges() const {
    int n = changesOf(files::kDefinitionFile);
    for (int i = 1; i <= 20; ++i)
      n += changesOf(files::slotFileName(i));
    return n;
  }
  int changesOf(const std::string& name) const {
    return desktop->writesOf(name) + desktop->linksOf(name) + desktop->movesOf(name);
  }

  std::map<std::string, std::optional<std::string>> snapshot() {
    std::map<std::string, std::optional<std::string>> out;
    for (const std::string& n : slotFiles(1, 20))
      out[n] = desktop->fileBytes(n);
    out[files::kDefinitionFile] = desktop->fileBytes(files::kDefinitionFile);
    return out;
  }
  // The program goes on: the next copy is stored and saved.
  void expectStillWorking() {
    for (const std::string& n : slotFiles(1, 20))
      desktop->failWrite(n, false);
    desktop->failWrite(files::kDefinitionFile, false);
    desktop->otherHoldsClipboard(false);
    desktop->onWriteAttempt = nullptr;
    const int errors = errorCount();
    copy("after the fault");
    const int k = store().firstMatch(bytes("after the fault"));
    ASSERT_NE(k, 0) << "the next copy was not stored";
    EXPECT_EQ(slotFile(k), "after the fault");
    EXPECT_EQ(errorCount(), errors);
  }
  std::string clipboardError() { return cp932("クリップボードを開くことができません"); }

  // B deleted (C..E moved up) and A kept, on a panel the user summoned with the hotkey from
  // another program (so it is active, expanded and has a window to return to).
  void summonedAfterChanges() {
    startWith({"a", "b", "c", "d", "e"});
    other = desktop->createOtherWindow({0, 0, 800, 600});
    desktop->activateOther(other);
    desktop->cursor = kSummonedAt;
    platform->hotkey();
    desktop->runPending();
    ASSERT_TRUE(panel().form.active());
    deleteSlot(2);
    platform->click(store().box(1));
    desktop->advance(600);
  }
  void openEditorOn(int i) {
    platform->rightPress(store().memo(i));
    platform->chooseMenuItem(panel().editItem);
  }
  bool editorShown() {
    return program->settingsForm().visible() && program->settings().slotEditorPanel.visible();
  }
  void closeEditorWithYes() {
    desktop->confirmAnswers.push_back(true);
    platform->click(program->settings().editorCloseButton);
  }
  std::vector<ui::Control*> lockedWhileEditing() {
    std::vector<ui::Control*> out = {&panel().sequenceButton, &panel().allClearButton,
                                     &panel().deleteItem, &panel().editItem};
    for (int i = 1; i <= 20; ++i)
      out.push_back(&store().box(i));
    return out;
  }
  // A run of "No." 1～2 ")" into a text field of another program, armed over the field.
  void armedRun() {
    other = desktop->createOtherWindow({100, 100, 700, 500});
    field = &desktop->createTextField(other, {100, 150, 600, 180}, "keep");
    desktop->activateOther(other);
    desktop->cursor = kInField;
    platform->hotkey();
    desktop->advance(200);
    platform->click(panel().sequenceButton);
    desktop->advance(200);
    sequence::SettingsForm& w = program->settings();
    platform::runHandler(*platform, [&] {
      w.prefixEdit.userSetText(bytes("No."));
      w.startCombo.userSetText("1");
      w.endEdit.userSetText(bytes("2"));
      w.suffixEdit.userSetText(bytes(")"));
    });
    platform->click(w.startButton);
    desktop->advance(200);
    desktop->userMoveMouse(kInField);
    desktop->userTap(17);
    ASSERT_TRUE(program->state().insertion.insertArmed);
  }
  void chooseDefinition(int n) {
    sequence::SettingsForm& w = program->settings();
    platform::runHandler(*platform, [&] { w.form.setFocus(&w.radioButton(n)); });
    platform->click(w.radioButton(n));
  }
  void clickIntoTheField() {
    desktop->userClickAt(kInField);
    desktop->advance(600);
  }

  static constexpr platform::Point kSummonedAt{640, 300};
  static constexpr platform::Point kInField{300, 165};
  platform::WindowHandle other = 0;
  sim::SimDesktop::TextField* field = nullptr;
};

// --- every writer of the files -------------------------------------------------------------

const std::vector<Writer>& writers() {
  static const std::vector<Writer> table = [] {
    std::vector<Writer> w;
    {
      auto files = slotFiles(1, 20);
      files.emplace_back(files::kDefinitionFile);
      w.push_back({"FirstStart", files, [](Faults&) {}, [](Faults& f) { f.start(); }});
    }
    w.push_back({"CaptureIntoAFreeSlot",
                 {files::slotFileName(3)},
                 [](Faults& f) {
                   f.startWith({"one", "two"});
                 },
                 [](Faults& f) { f.copy("three"); },
                 true,
                 [](Faults& f) {
                   // The text stays in its slot, named in the caption; nothing else.
                   EXPECT_EQ(f.slotText(3), "three");
                   EXPECT_EQ(f.panel().form.caption(), "C" + f.cp932("：") + "three");
                 }});
    // A and B are kept: the shift leaves their files alone and moves C..T.
    w.push_back({"CaptureShiftOfAFullStore", slotFiles(3, 20),
                 [](Faults& f) { f.startWith(f.twenty(), "B"); },
                 [](Faults& f) { f.copy("newest"); }, true,
                 [](Faults& f) {
                   EXPECT_EQ(f.slotText(20), "newest");
                   EXPECT_EQ(f.slotText(3), "t4");  // shifted once, not twice by the retry
                   EXPECT_EQ(f.slotText(1), "t1");  // kept
                 }});
    // The changes before it have all reached the disk: the close writes the keep state.
    w.push_back({"Close",
                 {files::kDefinitionFile},
                 [](Faults& f) {
                   f.startWith({"a", "b", "c", "d", "e"});
                   f.expand();
                   f.deleteSlot(2);
                   f.platform->click(f.store().box(1));
                   f.desktop->advance(600);
                 },
                 [](Faults& f) { f.closeFromTray(); },
                 true,
                 [](Faults& f) { EXPECT_FALSE(f.platform->quitRequested()); }});
    // Without kept slots: a keep-mark release inside the walk would be a writer of its own. The
    // files of slots that were empty already hold their empty text.
    w.push_back({"AllClear", slotFiles(1, 5),
                 [](Faults& f) {
                   f.startWith({"a", "b", "c", "d", "e"});
                   f.expand();
                 },
                 [](Faults& f) { f.allClear(); }});
    // C..E move up one slot: each file takes the next one's, the last is emptied.
    w.push_back({"DeleteMovesTheLaterSlots", slotFiles(2, 5),
                 [](Faults& f) {
                   f.startWith({"a", "b", "c", "d", "e"});
                   f.expand();
                 },
                 [](Faults& f) { f.deleteSlot(2); }});
    // C is kept: its text goes to A, A and B move down. C's file is parked first, then C takes
    // B's file, B takes A's and A the parked one; then the keep state.
    w.push_back({"KeepMovesTheTextUp",
                 {files::slotFileName(3), files::slotFileName(2), files::slotFileName(1),
                  files::kDefinitionFile},
                 [](Faults& f) {
                   f.startWith({"a", "b", "c", "d", "e"});
                   f.expand();
                 },
                 [](Faults& f) {
                   f.platform->click(f.store().box(3));
                   f.desktop->advance(600);
                 }});
    // A..D kept: unticking B deletes its text and moves the later ones (and marks) up.
    w.push_back({"ReleaseMovesTheLaterSlotsUp",
                 {files::slotFileName(2), files::slotFileName(3), files::slotFileName(4),
                  files::slotFileName(5), files::kDefinitionFile},
                 [](Faults& f) {
                   f.startWith({"a", "b", "c", "d", "e"}, "D");
                   f.expand();
                   for (int i = 2; i <= 4; ++i)
                     f.store().setKeepLetter(i, true);
                 },
                 [](Faults& f) {
                   f.platform->click(f.store().box(2));
                   f.desktop->advance(600);
                 }});
    // The saves before the user goes on elsewhere: line 0 and the definition file (the slot
    // files already hold the slots).
    const std::vector<std::string> everything = {files::kDefinitionFile};
    w.push_back({"ShiftRelease", everything,
                 [](Faults& f) {
                   f.summonedAfterChanges();
                   f.desktop->cursor = {1, 1};
                 },
                 [](Faults& f) { f.platform->keyUp(f.panel().form, 16); }, true,
                 [](Faults& f) {
                   // The hand-back before the save happened; the pointer's return after it did
                   // not.
                   EXPECT_EQ(f.desktop->foreground(), f.other);
                   EXPECT_EQ(f.desktop->cursor, (platform::Point{1, 1}));
                 }});
    w.push_back({"OpenTheEditor", everything,
                 [](Faults& f) {
                   f.summonedAfterChanges();
                   f.platform->rightPress(f.store().memo(3));
                 },
                 [](Faults& f) { f.platform->chooseMenuItem(f.panel().editItem); }, true,
                 [](Faults& f) {
                   EXPECT_FALSE(f.editorShown());
                   // No editor is open to unlock the panel again, so the opening does not lock it.
                   for (ui::Control* c : f.lockedWhileEditing())
                     EXPECT_TRUE(c->enabled()) << c->name();
                 }});
    w.push_back({"OpenTheSettingsWindow", everything, [](Faults& f) { f.summonedAfterChanges(); },
                 [](Faults& f) { f.platform->click(f.panel().sequenceButton); }, true,
                 [](Faults& f) {
                   EXPECT_FALSE(f.program->settingsForm().visible());
                   EXPECT_TRUE(f.panel().deleteItem.enabled());
                   EXPECT_TRUE(f.panel().editItem.enabled());
                 }});
    // Leaving the settings window's definition editor stores the definition file alone.
    w.push_back({"StoreADefinition",
                 {files::kDefinitionFile},
                 [](Faults& f) {
                   f.startWith({"a", "b"});
                   f.expand();
                   f.platform->click(f.panel().sequenceButton);
                   f.desktop->advance(200);
                   f.platform->click(f.program->settings().defineButton);
                   f.chooseDefinition(2);
                   f.program->settings().definitionMemo.userSetText(bytes("x\r\ny"));
                 },
                 [](Faults& f) { f.chooseDefinition(3); },
                 true,
                 [](Faults& f) {
                   // The definition stays in the program's copy for the next save, and the
                   // click that moved the focus still chose its definition.
                   EXPECT_EQ(ui::textLine(f.panel().definitionLines.text().bytes(), 2),
                             f.cp932("定義2") + ",x,y");
                   EXPECT_TRUE(f.program->settings().radioButton(3).checked());
                 }});
    return w;
  }();
  return table;
}

std::vector<FaultCase> faultCases() {
  std::vector<FaultCase> out;
  for (const Writer& w : writers())
    for (std::size_t p = 0; p < w.files.size(); ++p)
      out.push_back({&w, p});
  return out;
}

class FileFault : public Faults, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FileFault, StopsAtTheFailingFileAndEveryFileKeepsItsLastGoodBytes) {
  const Writer& w = *GetParam().writer;
  const std::size_t failing = GetParam().position;
  w.setup(*this);
  const auto before = snapshot();
  const int errorsBefore = static_cast<int>(desktop->errors().size());
  const int changesBefore = fileChanges();
  std::map<std::string, int> changesOfBefore;
  for (const std::string& name : w.files)
    changesOfBefore[name] = changesOf(name);
  desktop->failWrite(w.files[failing]);

  w.act(*this);

  const auto errors = desktop->errors();
  if (w.reportsError) {
    ASSERT_EQ(static_cast<int>(errors.size()), errorsBefore + 1);
    EXPECT_NE(errors.back().text.find(w.files[failing]), std::string::npos) << errors.back().text;
  } else {
    EXPECT_EQ(static_cast<int>(errors.size()), errorsBefore);
  }
  // Files before the failing one hold what the writer meant; the failing one and all after it
  // were not touched.
  for (std::size_t q = 0; q < failing; ++q)
    EXPECT_EQ(desktop->fileBytes(w.files[q]), intended(w.files[q])) << w.files[q];
  for (std::size_t q = failing; q < w.files.size(); ++q)
    EXPECT_EQ(desktop->fileBytes(w.files[q]), before.at(w.files[q])) << w.files[q];
  // Nothing from the failing file on was written; a file that already held its text (a kept
  // slot at the shift) need not have been written either. One linked to the failing file's old
  // bytes is given its own copy after the failure, so no two slot files stay one file.
  EXPECT_LE(fileChanges() - changesBefore, 2 * static_cast<int>(failing));
  for (std::size_t q = failing; q < w.files.size(); ++q)
    EXPECT_EQ(changesOf(w.files[q]), changesOfBefore[w.files[q]]) << w.files[q];
  w.skipped(*this);
  expectStillWorking();
}

INSTANTIATE_TEST_SUITE_P(EveryWriterEveryFile, FileFault, ::testing::ValuesIn(faultCases()),
                         [](const auto& info) {
                           std::string file = info.param.writer->files[info.param.position];
                           std::erase(file, '.');
                           return info.param.writer->name + "_" + file;
                         });

// --- a clipboard held open at every clipboard operation --------------------------------------

struct HeldCase {
  std::string name;
  std::function<void(Faults&)> setup;
  // Runs the operation while another program holds the clipboard.
  std::function<void(Faults&)> act;
  int errors = 1;
  // What the operation must have left as it was.
  std::function<void(Faults&)> unchanged = [](Faults&) {};
  // Once the other program lets go, the user's second try does what the first one could not.
  std::function<void(Faults&)> retried = [](Faults&) {};
  // The operation had changed the slots before it met the clipboard: the files follow the panel.
  bool filesFollowThePanel = false;
};

void PrintTo(const HeldCase& c, std::ostream* os) {
  *os << c.name;
}

std::vector<HeldCase> heldCases() {
  auto threeSlots = [](Faults& f) {
    f.startWith({"one", "two", "three"});
    f.expand();
  };
  std::vector<HeldCase> c;
  c.push_back({"Capture", threeSlots,
               [](Faults& f) {
                 f.desktop->otherCopiesText("copied while held");
                 f.desktop->otherHoldsClipboard(true);
                 f.desktop->advance(platform::kClipboardSettleMs + platform::kClipboardBusyWaitMs +
                                    50);
               },
               // Reported where the user looks for the copy, in the caption: the user may be
               // typing in another program, and no box may take the keyboard from it.
               0,
               [](Faults& f) {
                 EXPECT_EQ(f.store().firstMatch(bytes("copied while held")), 0);
                 EXPECT_EQ(f.panel().form.caption(), f.clipboardError());
               }});
  c.push_back({"Recall", threeSlots,
               [](Faults& f) {
                 f.desktop->otherHoldsClipboard(true);
                 f.platform->click(*f.panel().letterButtons[2]);
                 f.desktop->advance(100);
               },
               1,
               [](Faults& f) {
                 EXPECT_EQ(f.clipboard(), "");
                 EXPECT_EQ(f.panel().form.caption(), "");
               }});
  c.push_back({"ColourPass", threeSlots,
               [](Faults& f) {
                 // A copy whose capture gave up on the held clipboard: the pass must look.
                 f.desktop->otherCopiesText("copied while held");
                 f.desktop->otherHoldsClipboard(true);
                 f.desktop->advance(platform::kClipboardSettleMs + platform::kClipboardBusyWaitMs +
                                    50);
                 // A right press asks for a pass without reading the clipboard itself.
                 f.platform->rightPress(f.store().memo(2));
                 // Told once: the pass does not try again at every tick.
                 f.desktop->advance(50 + 10 * platform::kClipboardOpenWaitMs);
                 EXPECT_FALSE(f.panel().colourTimer.running());
               },
               1, [](Faults& f) { EXPECT_EQ(f.program->state().marks.slotSelection[2], 1); }});
  c.push_back({"Delete", threeSlots,
               [](Faults& f) {
                 // The slot's text is on the clipboard: the delete must take it off.
                 f.copy("two");
                 f.platform->rightPress(f.store().memo(2));
                 f.desktop->advance(100);
                 f.desktop->otherHoldsClipboard(true);
                 f.desktop->confirmAnswers.push_back(true);
                 f.platform->chooseMenuItem(f.panel().deleteItem);
               },
               1,
               [](Faults& f) {
                 EXPECT_EQ(f.texts()[1], "two");
                 EXPECT_FALSE(f.panel().deleteItem.enabled());
               }});
  c.push_back({"AllClear", threeSlots,
               [](Faults& f) {
                 f.desktop->otherHoldsClipboard(true);
                 f.allClear();
               },
               1,
               [](Faults& f) {
                 // Stopped at the clipboard, after the slots were emptied: the panel keeps its
                 // height, and no restart brings the cleared history back.
                 EXPECT_NE(f.panel().form.outerHeight(), 0);
                 EXPECT_EQ(f.texts(), std::vector<std::string>(20));
               },
               [](Faults&) {}, true});
  c.push_back({"ClipboardClear",
               [](Faults& f) {
                 f.startWith({"one"});
                 f.copy("to clear");
                 f.expand();
               },
               [](Faults& f) {
                 f.desktop->otherHoldsClipboard(true);
                 f.platform->click(f.panel().cbClearButton);
               },
               1, [](Faults& f) { EXPECT_EQ(f.clipboard(), "to clear"); }});
  c.push_back({"CloseWithTheInsertedValueOnTheClipboard",
               [](Faults& f) {
                 f.startWith({"one", "two"});
                 f.copy("001");
                 f.program->state().insertion.lastInsertedText = bytes("001");
               },
               [](Faults& f) {
                 f.desktop->otherHoldsClipboard(true);
                 f.closeFromTray();
               },
               1,
               [](Faults& f) {
                 EXPECT_FALSE(f.platform->quitRequested());
                 EXPECT_EQ(f.clipboard(), "001");
               }});
  c.push_back({"RecallByLetterKey", threeSlots,
               [](Faults& f) {
                 f.desktop->otherHoldsClipboard(true);
                 f.platform->keyDown(f.panel().form, 'B');
               },
               1,
               [](Faults& f) {
                 EXPECT_EQ(f.clipboard(), "");
                 EXPECT_EQ(f.panel().form.caption(), "");
               },
               [](Faults& f) {
                 f.desktop->otherHoldsClipboard(false);
                 f.platform->keyDown(f.panel().form, 'B');
                 EXPECT_EQ(f.clipboard(), "two");
               }});
  c.push_back({"EditorWriteBack",
               [threeSlots](Faults& f) {
                 threeSlots(f);
                 f.openEditorOn(3);
                 ASSERT_TRUE(f.editorShown());
                 f.program->settings().slotEditorMemo.userSetText(bytes("edited"));
                 // The user takes a moment to type: the right press's colour pass has run.
                 f.desktop->advance(100);
               },
               [](Faults& f) {
                 f.desktop->otherHoldsClipboard(true);
                 f.closeEditorWithYes();
               },
               1,
               [](Faults& f) {
                 EXPECT_TRUE(f.editorShown());
                 EXPECT_EQ(f.program->settings().slotEditorMemo.text(), "edited");
                 EXPECT_EQ(f.slotText(3), "three");
                 EXPECT_EQ(f.store().firstMatch(bytes("edited")), 0);
                 EXPECT_NE(f.clipboard(), "edited");
               },
               [](Faults& f) {
                 f.desktop->otherHoldsClipboard(false);
                 f.closeEditorWithYes();
                 EXPECT_FALSE(f.editorShown());
                 EXPECT_EQ(f.slotText(3), "edited");
                 for (ui::Control* c : f.lockedWhileEditing())
                   EXPECT_TRUE(c->enabled()) << c->name();
               }});
  c.push_back({"InsertionDuringARun",
               [](Faults& f) {
                 f.startWith({"one", "two", "three"});
                 f.armedRun();
               },
               [](Faults& f) {
                 f.desktop->otherHoldsClipboard(true);
                 f.clickIntoTheField();
               },
               1,
               [](Faults& f) {
                 EXPECT_EQ(f.field->text, "keep");
                 EXPECT_EQ(f.program->state().insertion.lastInsertedText, "");
                 EXPECT_EQ(f.program->hint().hintLabel.caption(), " No.1) ");
               },
               [](Faults& f) {
                 // The same value, then the one after it, and only then the run ends: none was
                 // used up by the failure.
                 f.desktop->otherHoldsClipboard(false);
                 f.clickIntoTheField();
                 EXPECT_EQ(f.field->text, "keepNo.1)");
                 f.desktop->userTap(17);
                 f.clickIntoTheField();
                 EXPECT_EQ(f.field->text, "keepNo.1)No.2)");
                 EXPECT_EQ(f.panel().sequenceButton.caption(), f.cp932("連番入力"));
               }});
  return c;
}

class HeldClipboard : public Faults, public ::testing::WithParamInterface<HeldCase> {};

TEST_P(HeldClipboard, ReportsTheClipboardErrorChangesNoFileAndGoesOn) {
  const HeldCase& c = GetParam();
  c.setup(*this);
  const auto before = snapshot();
  const int errorsBefore = static_cast<int>(desktop->errors().size());
  const int writesBefore = desktop->totalWrites();

  c.act(*this);

  const auto errors = desktop->errors();
  ASSERT_EQ(static_cast<int>(errors.size()), errorsBefore + c.errors);
  for (std::size_t e = static_cast<std::size_t>(errorsBefore); e < errors.size(); ++e)
    EXPECT_EQ(errors[e].text, clipboardError());
  // Whatever the operation left undone, no file lost its bytes; or every file holds what the
  // panel shows.
  for (const auto& [name, bytes] : before) {
    EXPECT_EQ(desktop->fileBytes(name), c.filesFollowThePanel ? intended(name) : bytes) << name;
  }
  if (!c.filesFollowThePanel) {
    EXPECT_EQ(desktop->totalWrites(), writesBefore);
  }
  c.unchanged(*this);
  c.retried(*this);
  expectStillWorking();
}

INSTANTIATE_TEST_SUITE_P(EveryClipboardOperation, HeldClipboard, ::testing::ValuesIn(heldCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

// --- the volume and the folder the files live in ---------------------------------------------

struct VolumeCase {
  std::string name;
  std::function<void(Faults&)> run;
};

void PrintTo(const VolumeCase& c, std::ostream* os) {
  *os << c.name;
}

class VolumeFault : public Faults, public ::testing::WithParamInterface<VolumeCase> {};

TEST_P(VolumeFault, SavesWhatTheFolderAllowsTellsOnceAndLosesNothing) {
  GetParam().run(*this);
  expectStillWorking();
}

std::vector<VolumeCase> volumeCases() {
  std::vector<VolumeCase> c;
  // FAT32 and exFAT sticks: a shift moves every text by renaming its file, none is written
  // again, and each file stays its own.
  c.push_back({"VolumeWithoutLinks", [](Faults& f) {
                 f.desktop->hardLinks = false;
                 f.startWith(f.twenty());
                 f.copy("newest");
                 for (int i = 1; i <= 19; ++i) {
                   EXPECT_EQ(f.slotFile(i), "t" + std::to_string(i + 1));
                   EXPECT_EQ(f.desktop->writesOf(files::slotFileName(i)), 0) << i;
                 }
                 EXPECT_EQ(f.slotFile(20), "newest");
                 EXPECT_EQ(f.errorCount(), 0);
               }});
  // A folder made read-only after the start: each copy fails at once (no wait), the user is
  // told once, the history goes on; writable again, the next change saves everything.
  c.push_back({"FolderThatCannotBeWritten", [](Faults& f) {
                 f.startWith({"a"});
                 f.desktop->folderWritable = false;
                 for (const char* t : {"b", "c", "d"}) {
                   const auto t0 = f.desktop->now();
                   f.copyAndHandleAtOnce(t);
                   EXPECT_EQ(f.desktop->now() - t0, 50) << t;  // the capture's own wait only
                 }
                 EXPECT_EQ(f.texts()[3], "d");
                 EXPECT_EQ(f.slotFile(2), "");
                 EXPECT_EQ(f.errorCount(), 1);
                 EXPECT_FALSE(f.platform->unsavedReason().empty());
                 f.desktop->folderWritable = true;
                 f.copy("e");
                 for (int i = 1; i <= 5; ++i)
                   EXPECT_EQ(f.slotFile(i), std::string(1, static_cast<char>('a' + i - 1)));
                 EXPECT_TRUE(f.platform->unsavedReason().empty());
               }});
  // A keep's park that another program holds: the text it carries reaches its slot at the next
  // save; a park left behind that way is not taken back at the next start once the user has
  // deleted its text.
  c.push_back({"ParkThatCannotBeRemoved", [](Faults& f) {
                 f.startWith({"a", "b", "c", "d"});
                 f.desktop->failRemove("Kolvex3.txt.park");
                 f.platform->click(f.store().box(3));
                 f.desktop->advance(600);
                 ASSERT_EQ(f.texts()[0], "c");
                 EXPECT_EQ(f.errorCount(), 1);
                 f.deleteSlot(1);
                 ASSERT_EQ(f.store().firstMatch(bytes("c")), 0);
                 EXPECT_TRUE(f.desktop->fileBytes("Kolvex3.txt.park").has_value());
                 f.killAndRestart();
                 EXPECT_EQ(f.store().firstMatch(bytes("c")), 0) << "a deleted text came back";
                 f.desktop->failRemove("Kolvex3.txt.park", false);
               }});
  // A leftover temporary file that is a second name of another slot's file and cannot be
  // removed: nothing is written through it.
  c.push_back({"TemporaryThatCannotBeRemoved", [](Faults& f) {
                 f.startWith({"a", "b"});
                 namespace fs = std::filesystem;
                 fs::create_hard_link(f.dir / "Kolvex1.txt", f.dir / "Kolvex3.txt.tmp");
                 f.desktop->failRemove("Kolvex3.txt.tmp");
                 f.copy("c");
                 EXPECT_EQ(f.slotFile(1), "a");
                 EXPECT_EQ(f.texts()[2], "c");
                 ASSERT_EQ(f.errorCount(), 1);
                 EXPECT_NE(f.desktop->errors()[0].text.find("Kolvex3.txt"), std::string::npos);
                 f.desktop->failRemove("Kolvex3.txt.tmp", false);
               }});
  // Files another program held through the whole start (or a program just ended, whose handles
  // the system is still closing): the shift of the next copy moves what their slots show, but
  // writes it into no file, so their history is not destroyed.
  c.push_back({"FilesUnreadableAtTheStart", [](Faults& f) {
                 f.writeSlotFiles(f.twenty());
                 for (int i = 1; i <= 3; ++i)
                   f.desktop->failRead(files::slotFileName(i));
                 f.start();
                 f.desktop->advance(600);
                 for (int i = 1; i <= 3; ++i)
                   f.desktop->failRead(files::slotFileName(i), false);
                 f.copy("newest");
                 // A and B were given what B and C showed; C took D's text.
                 EXPECT_EQ(f.slotFile(1), "t1");
                 EXPECT_EQ(f.slotFile(2), "t2");
                 EXPECT_EQ(f.slotFile(3), "t4");
                 EXPECT_EQ(f.slotFile(20), "newest");
               }});
  return c;
}

INSTANTIATE_TEST_SUITE_P(Folders, VolumeFault, ::testing::ValuesIn(volumeCases()),
                         [](const auto& info) { return info.param.name; });
