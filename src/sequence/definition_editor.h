// The definition editor of the settings window and the sequence-kind list: the ten user-defined
// value lists are edited one at a time in a text box (one value per line), stored as lines of the
// definition buffer (the panel's hidden definitionLines) and offered as kinds "定義1".."定義10".
//
// The unit works on the controls it is given; the settings window owns them and routes its
// events here.
#pragma once

#include <array>

#include "files/definition_file.h"
#include "ui/widgets.h"

namespace sequence {

class DefinitionEditor {
 public:
  struct Controls {
    ui::Form* form = nullptr;
    ui::Panel* panel = nullptr;                       // the editor
    ui::Memo* values = nullptr;                       // one value per line
    std::array<ui::RadioButton*, 10> radioButtons{};  // RadioButton1..10
    ui::ComboBox* kinds = nullptr;
    ui::ComboBox* start = nullptr;
    ui::Edit* end = nullptr;
    // The definition file and its buffer (line n is definition n), written at every store.
    files::DefinitionFile* file = nullptr;
  };

  explicit DefinitionEditor(Controls controls);

  // The kinds list's items from the buffer, "標準" selected.
  void buildKinds();
  // "連番定義": labels the radio buttons of the stored definitions and shows the editor.
  void open();
  // A radio button chosen: its definition into the editor, the focus into the editor.
  void choose(int n);
  // The editor lost the focus: stores it into the checked definition and saves the file at once.
  void store();
  // "設定終了": stores a pending edit, hides the editor and resets the kind to "標準".
  void close();
  // Another kind chosen in the kinds list: the start list and the end value follow it.
  void chooseKind();
  // The pointer entered radio button n: its whole caption as its tooltip.
  void showCaptionHint(int n);

 private:
  ui::Memo& buffer() const { return c_.file->buffer(); }
  ui::RadioButton& radio(int n) { return *c_.radioButtons[static_cast<std::size_t>(n - 1)]; }
  // 1..10 of the checked radio button, 0 when none is checked.
  int checkedDefinition() const;
  void clearStartAndEnd();

  Controls c_;
};

}  // namespace sequence
