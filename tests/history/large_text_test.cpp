// Large texts: the model keeps and compares exact bytes while the native controls get a bounded
// preview; the full-store shift moves files instead of rewriting them, and a crash or a failing
// file at any step leaves every file whole with its old or its new text; a briefly busy
// clipboard is waited for; the start-up capture leaves the clipboard as it was.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "support/sim_fixture.h"
#include "ui/display_text.h"

namespace {

using namespace std::string_literals;
using testing_support::SimFixture;
using ui::Property;

// --- the bounding rule itself ---

ui::LeadBytes cp932Leads() {
  ui::LeadBytes l{};
  for (int b = 0; b < 256; ++b)
    l[static_cast<std::size_t>(b)] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  return l;
}

struct BoundCase {
  const char* name;
  std::string text;
  ui::DisplayLimit limit;
  std::string shown;
};

void PrintTo(const BoundCase& c, std::ostream* os) {
  *os << c.name;
}

class Bound : public ::testing::TestWithParam<BoundCase> {};

TEST_P(Bound, ShowsAtMostTheLimitAndMarksACut) {
  EXPECT_EQ(ui::displayText(GetParam().text, GetParam().limit, cp932Leads(), "~"),
            GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Bound,
    ::testing::Values(
        BoundCase{"ShortTextWhole", "abc", {8, 2, false}, "abc"},
        BoundCase{"ExactlyTheLimitIsNotCut", "abcd", {4, 0, false}, "abcd"},
        BoundCase{"LongTextCutWithMark", "abcdef", {4, 0, false}, "abcd~"},
        // 83 65 is one character: cutting after 83 would show half of it
        BoundCase{"DoubleByteNeverHalved", "ab\x83\x65\x83\x65", {3, 0, false}, "ab~"},
        BoundCase{"DoubleByteThatFitsIsKept", "a\x83\x65z", {3, 0, false}, "a\x83\x65~"},
        // 5C after a lead byte is its second byte, not a character of its own
        BoundCase{"TrailByteIsPartOfItsCharacter", "\x95\x5c\x95\x5c", {3, 0, false}, "\x95\x5c~"},
        BoundCase{"OneLineTurnsEveryBreakIntoASpace", "a\r\nb\nc\rd", {0, 0, true}, "a b c d"},
        BoundCase{"LinesBeyondTheLimitAreCut", "1\r\n2\r\n3\r\n4", {100, 3, false}, "1\r\n2\r\n3~"},
        BoundCase{"UnboundedIsWhole", std::string(10000, 'x'), {}, std::string(10000, 'x')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BoundRule, EditableBoxesGetTheirWholeTextReadOnlyOnesAPreview) {
  ui::Memo editable("e");
  ui::Memo readOnly("r");
  readOnly.setReadOnly(true);
  ui::Form form("f");
  EXPECT_EQ(ui::displayLimit(editable, Property::Text).maxBytes, 0u);
  EXPECT_GT(ui::displayLimit(readOnly, Property::Text).maxBytes, 0u);
  EXPECT_TRUE(ui::displayLimit(form, Property::Caption).oneLine);
  EXPECT_GT(ui::displayLimit(editable, Property::Hint).maxBytes, 0u);
}

// --- scenarios on the simulated desktop ---

constexpr std::size_t kMB = std::size_t{1000} * 1000;

// A multi-line text of about n bytes; texts of different seeds differ from the first line on.
std::string large(int seed, std::size_t n = 5 * kMB) {
  std::string t = "log " + std::to_string(seed) + "\r\n";
  while (t.size() < n)
    t += "2026-12-08 03:00:00 a line of a large log file\r\n";
  return t;
}

class LargeText : public SimFixture {
 protected:
  std::string colon() { return cp932("："); }
  std::string mark() { return cp932("…"); }
  // Fifteen small texts, then five large ones: the store is full.
  void fillWithLarge() {
    start();
    for (int i = 1; i <= 15; ++i)
      copy("small " + std::to_string(i));
    for (int i = 1; i <= 5; ++i)
      copy(large(i));
  }
  std::map<int, std::string> files() {
    std::map<int, std::string> out;
    for (int i = 1; i <= 20; ++i)
      out[i] = slotFile(i);
    return out;
  }
};

TEST_F(LargeText, ModelHoldsTheExactTextWhileTheNativeSideGetsAPreview) {
  start();
  const std::string big = large(1);
  copy(big);
  ui::Memo& a = store().memo(1);
  EXPECT_EQ(a.text(), big);
  EXPECT_EQ(slotFile(1), big);
  EXPECT_EQ(panel().form.caption(), "A" + colon() + big);
  const std::string box = platform->nativeText(a, Property::Text);
  EXPECT_LE(box.size(), 1024u);
  EXPECT_EQ(box.substr(0, 7), "log 1\r\n");
  EXPECT_EQ(box.substr(box.size() - mark().size()), mark());
  const std::string caption = platform->nativeText(panel().form, Property::Caption);
  EXPECT_LE(caption.size(), 1024u);
  EXPECT_EQ(caption.substr(0, 3 + 7), "A" + colon() + "log 1 2");
  EXPECT_EQ(caption.find('\r'), std::string::npos);
  EXPECT_EQ(caption.find('\n'), std::string::npos);
  // hovering shows the text as a hint: exact in the model, bounded in the tooltip
  platform->mouseEnter(a);
  EXPECT_EQ(a.hint(), big);
  EXPECT_LE(platform->nativeText(a, Property::Hint).size(), 4096u);
}

TEST_F(LargeText, ComparisonStaysExactForTextsThatDifferOnlyAtTheEnd) {
  start();
  const std::string big = large(1);
  copy(big);
  std::string almost = big;
  almost.back() = 'X';
  copy(almost);  // a preview cannot tell them apart; the model must
  EXPECT_EQ(slotText(2), almost);
  copy(big);
  EXPECT_EQ(panel().form.caption(), "A" + colon() + big);
  EXPECT_EQ(slotText(3), "");
}

TEST_F(LargeText, ShiftOfAFullStoreMovesFilesAndPassesLittleToNativeControls) {
  fillWithLarge();
  const std::size_t nativeBefore = platform->nativeBytes();
  std::vector<int> writesBefore;
  for (int i = 1; i <= 20; ++i)
    writesBefore.push_back(desktop->writesOf(files::slotFileName(i)));
  copy("after");
  EXPECT_LT(platform->nativeBytes() - nativeBefore, 64u * 1024);
  EXPECT_EQ(slotText(15), large(1));
  EXPECT_EQ(slotText(19), large(5));
  EXPECT_EQ(slotText(20), "after");
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(slotFile(i), slotText(i)) << i;
  // only the new text is written; every moved one arrives by a link
  for (int i = 1; i < 20; ++i)
    EXPECT_EQ(desktop->writesOf(files::slotFileName(i)),
              writesBefore[static_cast<std::size_t>(i - 1)])
        << i;
  EXPECT_EQ(desktop->writesOf(files::slotFileName(20)), writesBefore[19] + 1);
}

TEST_F(LargeText, WithoutHardLinksTheShiftCopiesAndEndsTheSame) {
  fillWithLarge();
  desktop->hardLinks = false;
  copy("after");
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(slotFile(i), slotText(i)) << i;
}

TEST_F(LargeText, FileThatDoesNotHoldItsSlotsTextIsWrittenNotMoved) {
  // slot B's file has a lone LF: the slot holds CR LF, and so must A's file after the move
  std::vector<std::string> t;
  for (int i = 1; i <= 20; ++i)
    t.push_back("t" + std::to_string(i));
  t[1] = "x\ny";
  writeSlotFiles(t);
  start();
  copy("n0");
  ASSERT_EQ(slotText(1), "x\r\ny");
  EXPECT_EQ(slotFile(1), "x\r\ny");
  // slot T's save fails once (capture retries once, then drops): its file stays stale
  copy("n1");
  desktop->failWrite("Kolvex20.txt");
  copy("n2");
  desktop->failWrite("Kolvex20.txt", false);
  ASSERT_EQ(slotText(20), "n2");
  ASSERT_NE(slotFile(20), "n2");
  copy("n3");
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(slotFile(i), slotText(i)) << i;
  EXPECT_EQ(slotFile(19), "n2");
}

// A crash after any step of the shift: every file whole, holding its text from before or after,
// and every text that stays in the history is in some file.
class ShiftCrash : public LargeText, public ::testing::WithParamInterface<int> {};

TEST_P(ShiftCrash, EveryStepLeavesEveryFileWithItsOldOrNewText) {
  const int kept = GetParam();
  std::vector<std::string> t;
  for (int i = 1; i <= 20; ++i)
    t.push_back(i % 4 == 0 ? large(i, 200000) : "text " + std::to_string(i));
  writeSlotFiles(t, kept ? std::string(1, static_cast<char>('A' + kept - 1)) : "");
  start();
  desktop->advance(600);
  for (int i = 1; i <= 20; ++i)
    ASSERT_EQ(store().checked(i), i <= kept);
  const std::map<int, std::string> before = files();
  std::vector<std::map<int, std::string>> states;
  desktop->afterFileStep = [&] { states.push_back(files()); };
  copy("new");
  desktop->afterFileStep = nullptr;
  const std::map<int, std::string> after = files();
  ASSERT_GE(states.size(), 2u);
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(after.at(i), slotText(i));
  std::set<std::string> staying(t.begin(), t.end());
  staying.erase(t[static_cast<std::size_t>(kept)]);  // the oldest unkept text is dropped
  for (std::size_t s = 0; s < states.size(); ++s) {
    std::set<std::string> onDisk;
    for (int i = 1; i <= 20; ++i) {
      const std::string& f = states[s].at(i);
      EXPECT_TRUE(f == before.at(i) || f == after.at(i)) << "step " << s << " file " << i;
      onDisk.insert(f);
    }
    for (const std::string& text : staying)
      EXPECT_TRUE(onDisk.count(text)) << "step " << s << " lost " << text.substr(0, 12);
  }
}

INSTANTIATE_TEST_SUITE_P(Kept, ShiftCrash, ::testing::Values(0, 2, 19), [](const auto& info) {
  return info.param == 0 ? std::string("NothingKept")
                         : "AThrough" + std::string(1, history::SlotStore::letter(info.param));
});

// A file that cannot be written at any step: the user is told, the files stay whole, and the next
// save of all files brings every one up to date.
class ShiftFault : public LargeText, public ::testing::WithParamInterface<int> {};

TEST_P(ShiftFault, FailingFileLeavesOldOrNewTextAndTheNextSaveMends) {
  std::vector<std::string> t;
  for (int i = 1; i <= 20; ++i)
    t.push_back("text " + std::to_string(i));
  writeSlotFiles(t);
  start();
  const std::map<int, std::string> before = files();
  const std::string failing = files::slotFileName(GetParam());
  desktop->failWrite(failing);
  copy("new");
  EXPECT_EQ(errorCount(), 1);
  EXPECT_EQ(slotText(20), "new");
  for (int i = 1; i <= 20; ++i) {
    const std::string f = slotFile(i);
    EXPECT_TRUE(f == before.at(i) || f == slotText(i)) << i;
  }
  EXPECT_EQ(slotFile(GetParam()), before.at(GetParam()));
  desktop->failWrite(failing, false);
  panel().saveAll();
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(slotFile(i), slotText(i)) << i;
}

INSTANTIATE_TEST_SUITE_P(Failing, ShiftFault, ::testing::Values(1, 2, 10, 19, 20),
                         [](const auto& info) { return "Slot" + std::to_string(info.param); });

// --- a clipboard held for a moment ---

TEST_F(LargeText, ClipboardHeldBrieflyIsWaitedForHeldLongerIsAnError) {
  start();
  copy("alpha");
  copy("beta");
  desktop->otherHoldsClipboardFor(30);
  platform->click(*panel().letterButtons[1]);
  desktop->advance(100);
  EXPECT_EQ(errorCount(), 0);
  EXPECT_EQ(clipboard(), "alpha");
  desktop->otherHoldsClipboardFor(200);
  platform->click(*panel().letterButtons[2]);
  desktop->advance(300);
  EXPECT_EQ(errorCount(), 1);
  EXPECT_EQ(desktop->errors()[0].text, cp932("クリップボードを開くことができません"));
  EXPECT_EQ(clipboard(), "alpha");
}

TEST_F(LargeText, CopyWhileTheBridgeStillHoldsTheClipboardIsStored) {
  start();
  desktop->otherCopiesText("rendered late");
  desktop->otherHoldsClipboardFor(120);  // past the capture's 50 ms wait, within its retries
  desktop->advance(300);
  EXPECT_EQ(errorCount(), 0);
  EXPECT_EQ(slotText(1), "rendered late");
}

// --- start-up ---

TEST_F(LargeText, StartupCaptureLeavesTheClipboardAsItWas) {
  writeSlotFiles({"one", "two"});
  desktop->otherCopiesText("kept as is\0with more"s);
  const auto sequence = desktop->clipboardSequence();
  start();
  EXPECT_EQ(desktop->clipboardSequence(), sequence);
  EXPECT_EQ(desktop->clipboardBytes(), "kept as is\0with more"s);
  EXPECT_EQ(slotText(3), "kept as is");
  EXPECT_EQ(slotFile(3), "kept as is");
  EXPECT_EQ(panel().form.caption(), "C" + colon() + "kept as is");
  EXPECT_EQ(store().memo(3).color(), history::kMatchColour);
  EXPECT_TRUE(panel().cbClearButton.visible());
  EXPECT_EQ(panel().form.clientHeight(), 0);
}

TEST_F(LargeText, StartupTextIntoAFullStoreShiftsOnceAfterTheFilesAreLoaded) {
  std::vector<std::string> t;
  for (int i = 1; i <= 20; ++i)
    t.push_back("t" + std::to_string(i));
  writeSlotFiles(t);
  desktop->otherCopiesText("at start");
  start();
  EXPECT_EQ(slotText(1), "t2");
  EXPECT_EQ(slotText(20), "at start");
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(slotFile(i), slotText(i)) << i;
  EXPECT_EQ(panel().form.caption(), "T" + colon() + "at start");
}

}  // namespace
