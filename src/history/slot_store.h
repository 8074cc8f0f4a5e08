// The twenty slots A..T as the panel's controls hold them: text in Memo<i>, keep mark in
// CheckBox<i> (check and keep letter), the row's visibility, the panel height rule, and the two
// timers of the panel (end of the keep guard window, colour pass).
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "history/file_sync.h"
#include "history/slot_marks.h"
#include "platform/platform.h"
#include "ui/widgets.h"

namespace history {

// Colours of the slot text boxes.
inline constexpr ui::Color kMatchColour = 12639424;  // the slot holding the clipboard text
inline constexpr ui::Color kKeptColour = 11195903;   // a kept slot not on the clipboard
inline constexpr ui::Color kSelectedColour = 12910591;

struct SlotRow {
  ui::Memo* memo = nullptr;
  ui::CheckBox* check = nullptr;
  ui::SpeedButton* letter = nullptr;
};

// The controls of the panel the store works through.
struct PanelControls {
  ui::Form* form = nullptr;
  std::array<SlotRow, files::kSlotCount + 1> rows{};  // 1..20
  ui::Timer* guardTimer = nullptr;                    // Timer1
  ui::Timer* colourTimer = nullptr;                   // Timer2
  ui::SpeedButton* clipboardClear = nullptr;
  ui::Memo* definitions = nullptr;  // Memo21: line 0 holds the keep state
};

class SlotStore {
 public:
  SlotStore(platform::Platform& p, PanelControls c, SlotMarks& marks, ui::Text fullColon);

  // A slot's text moves and is copied only whole, exact form included.
  const ui::Text& text(int i) const { return row(i).memo->text(); }
  void setText(int i, ui::Text t) { row(i).memo->setText(std::move(t)); }
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
    box(i).setCaption(present ? ui::Text::fromBytes(std::string(1, letter(i))) : ui::Text());
  }

  void showRow(int i);
  void hideRow(int i);

  // First slot, A..T, whose text equals t; 0 when none does.
  int firstMatch(const ui::Text& t) const;
  // The caption naming slot i as holder of the clipboard text t: "A：" + t.
  ui::Text clipboardCaption(int i, const ui::Text& t) const;
  // Letter of the highest checked slot, T down to A; empty when none is checked.
  std::string keepStateLetter() const;

  // Panel heights: expanded by the height rule, the title-bar strip, nothing at all.
  int expandedHeight() const;
  void expand() { c_.form->setOuterHeight(expandedHeight()); }
  void toStrip() {
    c_.form->setClientHeight(0);
    c_.form->setClientHeight(-3);
  }
  void zeroHeight() { c_.form->setOuterHeight(0); }
  bool expanded() const { return c_.form->outerHeight() > 50; }
  // The colour pass is emptying the clipboard under a dropped-down panel, which stays down.
  bool holdingPanelDown() const { return holdingPanelDown_; }
  // Whether a clipboard text that no slot holds is the program's own leftover (a sequence run's
  // last value), which the colour pass takes off the clipboard. Any other text stays there.
  std::function<bool(const ui::Text&)> isOwnLeftover;
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
  std::vector<ui::Text> parkedTexts() const { return files_.parkedTexts(); }
  void discardFileLeftovers() { files_.discardLeftovers(); }
  // Every slot file comes to hold its slot's text, and line 0 of the definition file the keep
  // state; moved texts are linked into place. Throws at the first file that cannot be written,
  // or with keepGoing once every other file was tried.
  void syncFiles(bool keepGoing = false);
  // syncFiles for a change: a failure is told once, until a save succeeds again (the history
  // goes on in memory, and the next save that can writes everything pending); meanwhile the
  // system is told that changes are not saved. False when the save failed.
  bool saveChanges(bool all = false);
  void tellSaveFailure(const platform::Error& e);
  // The same, also for files removed behind the program's back (the saves of everything).
  void syncAllFiles(bool keepGoing = false) {
    files_.noteRemovedFiles();
    syncFiles(keepGoing);
  }
  // Line 0 of the definition file := the keep state, and the file written (when `always`, also
  // if the line is as it was). Never over a definition file that could not be read at start;
  // `always` (the saves of everything) first tries to read it again.
  void saveKeepLine(bool always);
  // Line 0 of the definition file as it is on disk (nullopt: unknown, so written at the next
  // sync); `unreadable` keeps the file from being written over.
  void noteKeepLineOnDisk(std::optional<std::string> line, bool unreadable = false) {
    keepLineOnDisk_ = std::move(line);
    definitionsUnread_ = unreadable;
  }
  // Whether the definitions in the program are the file's: a file that could not be read at
  // start is read again (another program may have held it for a moment). False while it still
  // cannot be read; nothing may be written over it then.
  bool definitionsCurrent();
  // Hides the rows of empty slots (unchecking them) and sets the height.
  void updateSlotRows();
  // Timer2: colours every text box and names the clipboard slot in the caption.
  void colourPass();
  // Timer1: the keep guard window is over.
  void endGuardWindow();

 private:
  const SlotRow& row(int i) const { return c_.rows[static_cast<std::size_t>(i)]; }

  platform::Platform& p_;
  PanelControls c_;
  SlotMarks& marks_;
  ui::Text fullColon_;
  SlotFileSync files_;
  std::optional<std::string> keepLineOnDisk_;
  bool definitionsUnread_ = false;
  bool holdingPanelDown_ = false;
  bool failureTold_ = false;
};

}  // namespace history
