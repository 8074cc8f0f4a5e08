// The slot editor: "編集" in a slot's popup menu opens the settings window TForm1 in its editor
// mode (a panel with one large text box) on the slot the user right-clicked. Closing it writes
// the edited text to the clipboard and back into the slot. While it is open, nothing on the
// panel that could move or remove slots can be used.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "history/slot_marks.h"
#include "history/slot_store.h"
#include "platform/platform.h"
#include "ui/widgets.h"

namespace recall {

class SlotEditor {
 public:
  struct Context {
    platform::Platform* platform = nullptr;
    history::SlotStore* store = nullptr;
    history::SlotMarks* marks = nullptr;
    // Disabled while the editor is open, in this order: the sequence button, All Clear, 削除, 編集;
    // then the keep-mark boxes CheckBox1..20 of the store.
    std::vector<ui::Control*> interlocked;
    ui::MenuItem* deleteItem = nullptr;
    ui::MenuItem* editItem = nullptr;
    // The editor window and its controls.
    ui::Form* window = nullptr;  // TForm1
    ui::Panel* panel = nullptr;
    ui::Memo* memo = nullptr;  // slotEditorMemo
    // Same save as on a Shift release; throws on the first file that cannot be written.
    std::function<void()> saveAll;
    text::Text captionPrefix;  // Kolvex20:編集
    std::string emptiedMessage;
    std::string confirmClose;  // 編集を終了しますか？
  };
  explicit SlotEditor(Context c) : c_(std::move(c)) {}

  // Editor mode: the slot editor panel is shown.
  bool isOpen() const { return c_.panel->visible(); }

  void editItemClick();  // open on the selected slot
  // TForm1's close request and close; in settings mode the request is granted at once and the
  // close only enables the popup commands again.
  bool formCloseQuery();
  void formClose();

  static constexpr int kWidth = 484;
  static constexpr int kHeight = 285;

 private:
  void setInterlocked(bool enabled);

  Context c_;
};

}  // namespace recall
