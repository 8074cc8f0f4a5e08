// The twenty slots A..T as the panel's controls hold them: text in Memo<i>, keep mark in
// CheckBox<i> (check and keep letter), the row's visibility, the panel height rule, and the two
// timers of the panel (end of the keep guard window, colour pass).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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
};

class SlotStore {
 public:
  SlotStore(platform::Platform& p, PanelControls c, SlotMarks& marks, std::string fullColon);

  const std::string& text(int i) const { return row(i).memo->text(); }
  void setText(int i, std::string_view t) { row(i).memo->setText(t); }
  void setText(int i, std::string&& t) { row(i).memo->setText(std::move(t)); }
  void setText(int i, const char* t) { row(i).memo->setText(t); }
  void setText(int i, const std::string& t) { row(i).memo->setText(t); }
  bool isEmpty(int i) const { return text(i).empty(); }
  ui::CheckBox& box(int i) const { return *row(i).check; }
  ui::Memo& memo(int i) const { return *row(i).memo; }
  bool checked(int i) const { return box(i).checked(); }
  static char letter(int i) { return static_cast<char>('A' + i - 1); }
  bool hasKeepLetter(int i) const {
    const std::string& c = box(i).caption();
    return c.size() == 1 && c[0] == letter(i);
  }
  void setKeepLetter(int i, bool present) {
    const char l = letter(i);
    box(i).setCaption(present ? std::string_view(&l, 1) : std::string_view());
  }

  void showRow(int i);
  void hideRow(int i);

  // First slot, A..T, whose text equals t; 0 when none does.
  int firstMatch(std::string_view t) const;
  // The caption naming slot i as holder of the clipboard text t: "A：" + t.
  std::string clipboardCaption(int i, std::string_view t) const;
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
  ui::Form& form() const { return *c_.form; }
  const PanelControls& controls() const { return c_; }

  // Show "C,B Clear" exactly while the clipboard holds text.
  void updateClearButton();
  void requestColourPass() { c_.colourTimer->start(); }
  void openGuardWindow() { c_.guardTimer->start(); }

  // Writes slot i's text to its file, except over a file that could not be read at start while
  // the slot still holds the text it kept in its place (see loadSlot).
  void saveSlot(int i);
  // Loads slot i's file at start; false when it could not be read. A file that exists but could
  // not be read (another program held it longer than the platform waits, or it is unreadable)
  // holds history the slot never received: no save writes the slot's stand-in text over it.
  // Once the slot is given a text, its file follows the slot again.
  bool loadSlot(int i);
  // Slot i's file holds exactly the slot's text: it was saved or loaded since the text last
  // changed.
  bool fileCurrent(int i) const { return savedRevision_[k(i)] == memo(i).revision(); }
  // Slot i's file is made to hold what slot `from`'s file holds, without writing the bytes
  // again; the caller knows that this is slot i's text now.
  void takeFileOf(int i, int from);
  // Hides the rows of empty slots (unchecking them), saves their files, sets the height.
  void updateSlotRows();
  // Timer2: colours every text box and names the clipboard slot in the caption.
  void colourPass();
  // Timer1: the keep guard window is over.
  void endGuardWindow();

 private:
  const SlotRow& row(int i) const { return c_.rows[static_cast<std::size_t>(i)]; }
  static std::size_t k(int i) { return static_cast<std::size_t>(i); }
  void noteFileCurrent(int i) { savedRevision_[k(i)] = memo(i).revision(); }

  platform::Platform& p_;
  PanelControls c_;
  SlotMarks& marks_;
  std::string fullColon_;
  // Revision of each slot's text that its file is known to hold; none at first.
  std::array<std::uint64_t, files::kSlotCount + 1> savedRevision_;
  // For a slot whose existing file could not be read at start: the revision of the text it kept
  // instead, which must not reach that file.
  std::array<std::optional<std::uint64_t>, files::kSlotCount + 1> unreadFile_{};
  bool holdingPanelDown_ = false;
};

}  // namespace history
