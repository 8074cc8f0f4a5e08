// The twenty slots A..T as the panel's controls hold them: text in Memo<i>, keep mark in
// CheckBox<i> (check and keep letter), the row's visibility, the panel height rule, and the two
// timers of the panel (end of the keep guard window, colour pass).
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "files/definition_file.h"
#include "history/file_sync.h"
#include "history/slot_marks.h"
#include "platform/platform.h"
#include "ui/widgets.h"

namespace history {

// Colours of the slot text boxes.
inline constexpr ui::Color kMatchColour = 12639424;  // the slot holding the clipboard text
inline constexpr ui::Color kKeptColour = 11195903;   // a kept slot not on the clipboard
inline constexpr ui::Color kSelectedColour = 12910591;

// The panel's geometry. It hangs from the top edge of the screen with its top 3 pixels above it;
// the strip shows the title bar alone (a client height of -3). A panel at zero height is first
// given the outer height of its title bar and frame, so that the strip steps work on it.
inline constexpr int kPanelTop = -3;
inline constexpr int kStripClientHeight = -3;
inline constexpr int kTitleBarHeight = 33;
// Expanded: the header and one row for every two slots; taller than the threshold counts as so.
inline constexpr int kHeaderHeight = 55;
inline constexpr int kRowHeight = 25;
inline constexpr int kExpandedThreshold = 50;

struct SlotRow {
  ui::Memo* memo = nullptr;
  ui::CheckBox* check = nullptr;
  ui::SpeedButton* letter = nullptr;
};

// The controls of the panel the store works through.
struct PanelControls {
  ui::Form* form = nullptr;
  std::array<SlotRow, files::kSlotCount + 1> rows{};  // 1..20
  ui::Timer* guardTimer = nullptr;
  ui::Timer* colourTimer = nullptr;
  ui::SpeedButton* clipboardClear = nullptr;
  files::DefinitionFile* definitions = nullptr;  // line 0 holds the keep state
};

class SlotStore {
 public:
  SlotStore(platform::Platform& p, PanelControls c, SlotMarks& marks, text::Text fullColon);

  // A slot's text moves and is copied only whole, exact form included.
  const text::Text& text(int i) const { return row(i).memo->text(); }
  void setText(int i, text::Text t) { row(i).memo->setText(std::move(t)); }
  void clearText(int i) { row(i).memo->clear(); }
  bool isEmpty(int i) const { return text(i).empty(); }
  ui::CheckBox& box(int i) const { return *row(i).check; }
  ui::Memo& memo(int i) const { return *row(i).memo; }
  bool checked(int i) const { return box(i).checked(); }
  static char letter(int i) { return static_cast<char>('A' + i - 1); }
  bool hasKeepLetter(int i) const {
    const std::string& c = box(i).caption().bytes();
    return c.size() == 1 && c[0] == letter(i);
  }
  void setKeepLetter(int i, bool present) {
    box(i).setCaption(present ? text::Text::fromBytes(std::string(1, letter(i))) : text::Text());
  }

  void showRow(int i);
  void hideRow(int i);

  // A new text into the full store: every unkept text moves one slot towards A, the kept ones stay
  // where they are, and the oldest unkept text is gone. Slot T is left for the caller to fill.
  void shiftTowardsA();
  // Entries followed through the shifts to come: where the text that stood in slot i when the
  // following began stands now (0: a shift dropped it).
  void followEntries();
  int followedEntry(int i) const { return followed_[static_cast<std::size_t>(i)]; }

  // First slot, A..T, whose text equals t; 0 when none does.
  int firstMatch(const text::Text& t) const;
  // The slot of the later copy of a text two slots hold (0: none).
  int secondCopy() const;
  // The caption naming slot i as holder of the clipboard text t: "A：" + t.
  text::Text clipboardCaption(int i, const text::Text& t) const;
  // Letter of the highest checked slot, T down to A; empty when none is checked.
  std::string keepStateLetter() const;

  // Panel heights: expanded by the height rule, the title-bar strip, nothing at all.
  int expandedHeight() const;
  void expand() { c_.form->setOuterHeight(expandedHeight()); }
  void toStrip() {
    c_.form->setClientHeight(0);
    c_.form->setClientHeight(kStripClientHeight);
  }
  void zeroHeight() { c_.form->setOuterHeight(0); }
  bool expanded() const { return c_.form->outerHeight() > kExpandedThreshold; }
  // The colour pass is emptying the clipboard under a dropped-down panel, which stays down.
  bool holdingPanelDown() const { return holdingPanelDown_; }
  // Whether a clipboard text that no slot holds is the program's own leftover (a sequence run's
  // last value), which the colour pass takes off the clipboard. Any other text stays there.
  std::function<bool(const text::Text&)> isOwnLeftover;
  ui::Form& form() const { return *c_.form; }
  const PanelControls& controls() const { return c_; }

  // Show "C,B Clear" exactly while the clipboard holds text.
  void updateClearButton();
  void requestColourPass() { c_.colourTimer->start(); }
  void openGuardWindow() { c_.guardTimer->start(); }

  // Loads slot i's file (and the exact form beside it) at start; false when it could not be
  // read, and then the file is not written while the slot keeps the text it has now.
  bool loadSlot(int i);
  // Texts a kill left in the middle of moving files, and the removal of such leftovers.
  std::vector<text::Text> parkedTexts() const { return files_.parkedTexts(); }
  void discardFileLeftovers() { files_.discardLeftovers(); }
  // Finishes a save a kill cut short (start-up); false when it is not finished yet.
  bool finishUnfinishedSave() { return files_.finishUnfinishedSave(); }
  // Every slot file comes to hold its slot's text, and line 0 of the definition file the keep
  // state (written when it changed); moved texts are linked into place. Throws at the first file
  // that cannot be written, or with keepGoing once every other file was tried.
  void syncFiles(bool keepGoing = false);
  // A save of everything: line 0 and the definition file written first, then the slot files as
  // syncFiles brings them, also those removed behind the program's back.
  void syncAllFiles(bool keepGoing = false);
  // syncFiles for a change: a failure is told once, until a save succeeds again (the history
  // goes on in memory, and the next save that can writes everything pending); meanwhile the
  // system is told that changes are not saved. False when the save failed.
  bool saveChanges(bool all = false);
  void tellSaveFailure(const platform::Error& e);
  // Hides the rows of empty slots (unchecking them) and sets the height.
  void updateSlotRows();
  // The colour pass: colours every text box and names the clipboard slot in the caption.
  void colourPass();
  // The keep guard window is over.
  void endGuardWindow();

 private:
  const SlotRow& row(int i) const { return c_.rows[static_cast<std::size_t>(i)]; }

  platform::Platform& p_;
  PanelControls c_;
  SlotMarks& marks_;
  text::Text fullColon_;
  SlotFileSync files_;
  bool holdingPanelDown_ = false;
  std::array<int, files::kSlotCount + 1> followed_{};
  bool failureTold_ = false;
};

}  // namespace history
