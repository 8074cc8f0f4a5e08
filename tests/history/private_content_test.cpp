// What another program marks as private (a password manager's copy) is no text to the program:
// never in a slot, a file or the caption, and never taken off the clipboard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace {

using testing_support::SimFixture;
using Format = sim::SimDesktop::ClipFormat;
using sim::SimDesktop;

struct Marking {
  const char* name;
  std::vector<Format> formats;
  bool isPrivate;
};

void PrintTo(const Marking& m, std::ostream* os) {
  *os << m.name;
}

std::vector<Marking> markings() {
  return {
      {"ExcludeFromMonitor", {{platform::kExcludeFromMonitorFormat, ""}}, true},
      {"ViewerIgnore", {{platform::kViewerIgnoreFormat, ""}}, true},
      {"HistoryPermissionZero",
       {SimDesktop::dwordFormat(platform::kHistoryPermissionFormat, 0)},
       true},
      // A mark that cannot be read as a DWORD is a refusal too.
      {"HistoryPermissionTooShort",
       {{platform::kHistoryPermissionFormat, std::string(2, '\1')}},
       true},
      {"PermissionOneBesideExclude",
       {SimDesktop::dwordFormat(platform::kHistoryPermissionFormat, 1),
        {platform::kExcludeFromMonitorFormat, ""}},
       true},
      {"HistoryPermissionOne",
       {SimDesktop::dwordFormat(platform::kHistoryPermissionFormat, 1)},
       false},
      // Non-zero only above its low byte: still a permission.
      {"HistoryPermission256",
       {SimDesktop::dwordFormat(platform::kHistoryPermissionFormat, 256)},
       false},
      {"UnrelatedFormat", {{"Rich Text Format", "{\\rtf1}"}}, false},
  };
}

class PrivateContent : public SimFixture, public ::testing::WithParamInterface<Marking> {
 protected:
  void copyMarked(const std::string& text) {
    desktop->otherCopiesMarkedText(text, GetParam().formats);
    desktop->advance(100);
  }
  // Every file in the folder (temporaries included) that holds the text.
  std::vector<std::string> filesHolding(const std::string& text) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
      auto bytes = desktop->fileBytes(e.path().filename().string());
      if (bytes && bytes->find(text) != std::string::npos)
        out.push_back(e.path().filename().string());
    }
    return out;
  }
  bool inSlots(const std::string& text) {
    for (const std::string& t : texts())
      if (t.find(text) != std::string::npos) return true;
    return false;
  }
  bool inCaption(const std::string& text) {
    return panel().form.caption().bytes().find(text) != std::string::npos;
  }
  // The clipboard still holds the marked text, untouched.
  bool stillOnClipboard(const std::string& text) {
    return desktop->clipboardKind() == SimDesktop::ClipKind::Text &&
           desktop->clipboardBytes() == text && desktop->clipboardFormats() == GetParam().formats;
  }
  void colourPass() {
    platform->trayIcon(platform::kWmLButtonDown);
    desktop->advance(100);
  }
  void closeFromTray() {
    platform->trayIcon(platform::kWmRButtonDown);
    platform->chooseMenuItem(panel().trayCloseItem);
  }
};

TEST_P(PrivateContent, CopyIntoAStoreWithRoomIsStoredOnlyWhenNotMarkedPrivate) {
  writeSlotFiles({"one", "two"});
  start();
  copyMarked("s3cret");
  if (GetParam().isPrivate) {
    EXPECT_FALSE(inSlots("s3cret"));
    EXPECT_TRUE(filesHolding("s3cret").empty());
    EXPECT_FALSE(inCaption("s3cret"));
    EXPECT_EQ(slotText(3), "");
    EXPECT_FALSE(panel().cbClearButton.visible());  // nothing to clear as far as we know
    EXPECT_TRUE(stillOnClipboard("s3cret"));
  } else {
    EXPECT_EQ(slotText(3), "s3cret");
    EXPECT_EQ(slotFile(3), "s3cret");
    EXPECT_TRUE(inCaption("s3cret"));
  }
}

TEST_P(PrivateContent, FullStoreDoesNotShiftForAPrivateText) {
  std::vector<std::string> t;
  for (int i = 1; i <= 20; ++i)
    t.push_back("t" + std::to_string(i));
  writeSlotFiles(t);
  start();
  copyMarked("pw-full");
  EXPECT_EQ(texts() == t, GetParam().isPrivate);
  EXPECT_EQ(filesHolding("pw-full").empty(), GetParam().isPrivate);
  if (!GetParam().isPrivate) {
    EXPECT_EQ(slotText(20), "pw-full");
  }
}

TEST_P(PrivateContent, ColourPassAndCloseLeaveAPrivateTextOnTheClipboard) {
  writeSlotFiles({"one"});
  start();
  copyMarked("pw-pass");
  colourPass();
  if (!GetParam().isPrivate) {
    // An ordinary text was stored, so the pass finds it in a slot and keeps it too.
    EXPECT_EQ(slotText(2), "pw-pass");
    return;
  }
  EXPECT_TRUE(stillOnClipboard("pw-pass"));
  EXPECT_FALSE(inCaption("pw-pass"));
  closeFromTray();
  EXPECT_TRUE(platform->quitRequested());
  EXPECT_TRUE(stillOnClipboard("pw-pass"));
  EXPECT_TRUE(filesHolding("pw-pass").empty());
}

TEST_P(PrivateContent, PrivateTextOnTheClipboardAtStartIsNeitherCapturedNorEmptied) {
  writeSlotFiles({"one"});
  desktop->otherCopiesMarkedText("pw-start", GetParam().formats);
  start();
  desktop->advance(600);
  EXPECT_EQ(inSlots("pw-start"), !GetParam().isPrivate);
  EXPECT_EQ(filesHolding("pw-start").empty(), GetParam().isPrivate);
  EXPECT_EQ(inCaption("pw-start"), !GetParam().isPrivate);
  if (GetParam().isPrivate) {
    EXPECT_TRUE(stillOnClipboard("pw-start"));
  }
}

TEST_P(PrivateContent, RecallAndDeleteLeaveAPrivateTextAlone) {
  writeSlotFiles({"one", "two"});
  start();
  copyMarked("pw-del");
  if (!GetParam().isPrivate) return;
  colourPass();
  // Deleting a slot compares its text with the clipboard: a private text matches none.
  platform->rightPress(store().memo(2));
  platform->chooseMenuItem(panel().deleteItem);
  desktop->advance(600);
  EXPECT_EQ(slotText(2), "");
  EXPECT_TRUE(stillOnClipboard("pw-del"));
  // A recall replaces the clipboard, as the user asked; the private text went nowhere else.
  platform->click(*panel().letterButtons[1]);
  desktop->advance(100);
  EXPECT_EQ(clipboard(), "one");
  EXPECT_TRUE(filesHolding("pw-del").empty());
  EXPECT_FALSE(inSlots("pw-del"));
}

INSTANTIATE_TEST_SUITE_P(Markings, PrivateContent, ::testing::ValuesIn(markings()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
