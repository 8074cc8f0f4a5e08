// Texts the code page cannot say (é, emoji, 〜 as U+301C): they come back exactly as copied,
// through the slots, the clipboard, the caption, the editor, a restart and every move of the
// files, while the slot files keep the code page bytes older copies of the program read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files/companion.h"
#include "support/sim_fixture.h"
#include "ui/display_text.h"

namespace {

namespace fs = std::filesystem;
using testing_support::bytes;
using testing_support::SimFixture;

// --- the rule that turns what a program put on the clipboard into a text ---

struct ClipCase {
  const char* name;
  platform::ClipboardFormats formats;
  std::string bytes;  // of the text
  std::string exact;  // "" when the bytes say it all
};

void PrintTo(const ClipCase& c, std::ostream* os) {
  *os << c.name;
}

class ClipboardRule : public SimFixture, public ::testing::WithParamInterface<ClipCase> {};

TEST_P(ClipboardRule, GivesTheBytesAndTheExactFormOnlyWhenNeeded) {
  const ClipCase& c = GetParam();
  const text::Text t = platform::clipboardText(c.formats, *platform);
  EXPECT_EQ(t.bytes(), c.bytes);
  EXPECT_EQ(t.hasExact(), !c.exact.empty());
  EXPECT_EQ(t.exact(), c.exact);
}

// "テ" is 83 65; ED 40 is a code that Unicode gives back as FA 5C.
INSTANTIATE_TEST_SUITE_P(
    Formats, ClipboardRule,
    ::testing::Values(
        ClipCase{"UnicodeProgramSaysItInBytes", {"\x83\x65", "テ", false, true}, "\x83\x65", ""},
        ClipCase{"UnicodeProgramBeyondTheCodePage", {"caf?", "café", false, true}, "caf?", "café"},
        // The keyboard layout's code page made the derived bytes wrong: they are made anew.
        ClipCase{"DerivedBytesOfAnotherLayoutIgnored",
                 {"caf\xE9", "caf\xC3\xA9 \xE3\x83\x86", false, true},
                 "caf? \x83\x65",
                 "café テ"},
        ClipCase{
            "BytesProgramKeepsItsBytes", {"\xED\x40", "\xE7\xBA\x8A", true, true}, "\xED\x40", ""},
        // A Unicode text derived through the wrong code page is not put beside the bytes.
        ClipCase{"MisderivedUnicodeBesideBytesIgnored",
                 {"\x83\x65\x83\x58", "\xC6\x92\x65\xC6\x92\x58", true, true},
                 "\x83\x65\x83\x58",
                 ""},
        // Written by this program: bytes first, and the exact text beside them.
        ClipCase{"OwnWriteReadsBackTheSame", {"caf?", "café", true, true}, "caf?", "café"},
        ClipCase{"BytesOfAnotherCodePageGoThroughUnicode",
                 {"caf\xE9", "café", true, false},
                 "caf?",
                 "café"},
        ClipCase{
            "BytesAlone",
            {"abc", std::nullopt, true, true},
            "abc",
            "",
        }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimFixture, TextsEqualOnlyWhenBothPartsAre) {
  const text::Text cafe = platform->fromUtf8("cafe");
  const text::Text cafeAccent = platform->fromUtf8("café");
  const text::Text cafeQuestion = bytes(cafeAccent.bytes());
  EXPECT_EQ(cafeAccent.bytes(), cafeQuestion.bytes());
  EXPECT_FALSE(cafeAccent == cafeQuestion);
  EXPECT_FALSE(cafeAccent == cafe);
  EXPECT_TRUE(cafeAccent == platform->fromUtf8("café"));
  EXPECT_FALSE(cafe.hasExact());
  // Joined, the exact form covers the whole.
  const text::Text colon = platform->fromUtf8("：");
  const text::Text joined = platform->join({&colon, &cafeAccent});
  EXPECT_EQ(joined.bytes(), colon.bytes() + cafeAccent.bytes());
  EXPECT_EQ(joined.exact(), "：café");
  EXPECT_FALSE(platform->join({&colon, &cafe}).hasExact());
}

TEST(ExactDisplay, NeverCutsACharacterInHalf) {
  ui::LeadBytes none{};
  // 😀 is four bytes: a limit inside it shows none of it.
  EXPECT_EQ(ui::displayText("a😀b", {3, 0, false}, none, "~", true), "a~");
  EXPECT_EQ(ui::displayText("a😀b", {5, 0, false}, none, "~", true), "a😀~");
  EXPECT_EQ(ui::displayText("é\r\nx", {0, 0, true}, none, "~", true), "é x");
}

// --- scenarios ---

class ExactText : public SimFixture {
 protected:
  void copyUnicode(const std::string& utf8) {
    desktop->otherCopiesUnicode(utf8);
    desktop->advance(100);
  }
  text::Text text(const char* utf8) { return platform->fromUtf8(utf8); }
  std::vector<std::string> companions() {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().extension() == ".utf8") out.push_back(e.path().filename().string());
    return out;
  }
  std::string companionOf(int slot) {
    return files::companionName(slot, files::bytesHash(slotFile(slot)));
  }
  void restart() { killAndRestart(); }
};

TEST_F(ExactText, CopiedRecalledAndRestartedItStaysExact) {
  start();
  copyUnicode("WAVE〜DASH");
  copyUnicode("emoji 😀 ok");
  copyUnicode("plain");
  EXPECT_EQ(slotText(1), text("WAVE〜DASH"));
  EXPECT_TRUE(slotText(1).hasExact());
  EXPECT_EQ(slotText(3), "plain");
  // The slot file keeps the code page bytes; the exact form stands beside it.
  EXPECT_EQ(slotFile(1), slotText(1).bytes());
  EXPECT_EQ(file(companionOf(1)), files::companionContent(slotFile(1), "WAVE〜DASH"));
  EXPECT_EQ(companions().size(), 2u);
  EXPECT_EQ(platform->unicodeOf(panel().form.caption()), "C：plain");

  platform->click(*panel().letterButtons[2]);
  desktop->advance(100);
  // Every program pastes the exact text; reading it back, the program knows it as slot B's.
  EXPECT_EQ(desktop->clipboardUnicode(), "emoji 😀 ok");
  EXPECT_EQ(desktop->clipboardBytes(), slotText(2).bytes());
  EXPECT_EQ(platform->unicodeOf(panel().form.caption()), "B：emoji 😀 ok");
  EXPECT_EQ(slotText(4), "");
  EXPECT_EQ(platform->nativeShown(panel().form, ui::Property::Caption).chars, "B：emoji 😀 ok");

  restart();
  EXPECT_EQ(slotText(1), text("WAVE〜DASH"));
  EXPECT_EQ(slotText(2), text("emoji 😀 ok"));
  EXPECT_EQ(slotText(3), "plain");
}

TEST_F(ExactText, TextsThatDifferOnlyBeyondTheCodePageAreTwo) {
  start();
  copyUnicode("café");
  copyUnicode("cafè");
  copy(text("café").bytes());  // the same bytes, said by a program that writes bytes
  EXPECT_EQ(slotText(1), text("café"));
  EXPECT_EQ(slotText(2), text("cafè"));
  EXPECT_EQ(slotText(3), text("café").bytes());
  EXPECT_EQ(slotFile(1), slotFile(2));
  restart();
  EXPECT_EQ(slotText(1), text("café"));
  EXPECT_EQ(slotText(2), text("cafè"));
  EXPECT_EQ(slotText(3), text("café").bytes());
}

TEST_F(ExactText, BytesTheCodePageHasAreKeptExactlyWithNothingBeside) {
  start();
  copy("\xED\x40 NEC");
  EXPECT_EQ(slotText(1), "\xED\x40 NEC");
  EXPECT_EQ(slotFile(1), "\xED\x40 NEC");
  EXPECT_TRUE(companions().empty());
  platform->click(*panel().letterButtons[1]);
  EXPECT_EQ(desktop->clipboardBytes(), "\xED\x40 NEC");
  EXPECT_EQ(slotText(2), "");
}

TEST_F(ExactText, ACompanionThatNoLongerBelongsToItsSlotFileIsIgnoredAndRemoved) {
  start();
  copyUnicode("naïve");
  copyUnicode("über");
  program.reset();
  platform = std::make_unique<sim::SimPlatform>(*desktop);
  // An older copy of the program (or an editor) rewrote A, and gave B the bytes A had: B's file
  // never shows A's exact text.
  const std::string oldA = slotFile(1);
  desktop->otherEmptiesClipboard();
  desktop->putFile("Kolvex1.txt", "changed elsewhere");
  desktop->putFile("Kolvex2.txt", oldA);
  start();
  EXPECT_EQ(slotText(1), "changed elsewhere");
  EXPECT_EQ(slotText(2), oldA);
  EXPECT_EQ(companions(), std::vector<std::string>{}) << "stale companions are removed";
}

TEST_F(ExactText, MovesDeletionAndAllClearTakeTheExactFormAlong) {
  std::vector<std::string> t;
  for (int i = 1; i <= 20; ++i)
    t.push_back("t" + std::to_string(i));
  writeSlotFiles(t);
  start();
  copyUnicode("first é");  // T: the shift links 2..20 down
  copyUnicode("second ✓");
  EXPECT_EQ(slotText(19), text("first é"));
  EXPECT_EQ(slotText(20), text("second ✓"));
  EXPECT_EQ(companions().size(), 2u);
  // Delete S: T moves up.
  platform->rightPress(store().memo(19));
  desktop->confirmAnswers.push_back(true);
  platform->chooseMenuItem(panel().deleteItem);
  desktop->advance(600);
  EXPECT_EQ(slotText(19), text("second ✓"));
  EXPECT_EQ(companions(), std::vector<std::string>{companionOf(19)});
  restart();
  EXPECT_EQ(slotText(19), text("second ✓"));
  desktop->confirmAnswers.push_back(true);
  platform->mouseUp(panel().allClearButton, ui::MouseButton::Left);
  EXPECT_TRUE(companions().empty());
}

TEST_F(ExactText, TheEditorEditsTheExactTextAndWritesItBackExactly) {
  start();
  copyUnicode("draft ✎");
  platform->trayIcon(platform::kWmLButtonDown);
  desktop->advance(100);
  platform->rightPress(store().memo(1));
  platform->chooseMenuItem(panel().editItem);
  ui::Memo& memo = program->settings().slotEditorMemo;
  EXPECT_EQ(memo.text(), text("draft ✎"));
  platform::runHandler(*platform, [&] { memo.userSetText(text("final ✔ — done")); });
  desktop->confirmAnswers.push_back(true);
  platform->click(program->settings().editorCloseButton);
  EXPECT_EQ(slotText(1), text("final ✔ — done"));
  EXPECT_EQ(desktop->clipboardUnicode(), "final ✔ — done");
  restart();
  EXPECT_EQ(slotText(1), text("final ✔ — done"));
}

}  // namespace
