// The value hint window TForm2 ("Kolvex20sub"): a small borderless, always-on-top window that
// rides beside the mouse pointer during a sequence insertion and shows the text the next insertion
// will paste. The insertion driver shows, moves, colours and closes it.
//
// Two levels of visibility: the window itself is open for the whole run (whether it is open tells
// the rest of the program that a run is on); within the run the hint is hidden by making the
// window see-through and hiding the label. The label's visibility is what arming looks at.
#pragma once

#include <string_view>

#include "platform/platform.h"
#include "ui/widgets.h"

namespace sequence {

class HintForm {
 public:
  // Offset of the window from the pointer, so the pointer never covers the hint.
  static constexpr int kPointerOffset = 10;
  // Label colours of the run's states.
  static constexpr ui::Color kArmedReplace = 65535;    // yellow: armed, replacing the field
  static constexpr ui::Color kArmedInsert = 14324814;  // blue: armed, inserting
  static constexpr ui::Color kNotArmed = ui::kClInfoBk;
  // The window's own colour, the see-through one.
  static constexpr ui::Color kFormColor = ui::kClSkyBlue;

  explicit HintForm(platform::Platform& p);
  HintForm(const HintForm&) = delete;
  HintForm& operator=(const HintForm&) = delete;

  // Creation at start-up: the window's colour is the see-through one, so only the panel shows.
  void formCreate();
  // Keeps the window above top-most windows that came up since it was last raised.
  void formActivate();

  // Below and to the right of the pointer (screen pixels). Not kept inside the screen.
  void moveTo(platform::Point pointer);
  // The caption as the value engine composes it: " " + insert text + " ". Never holds a line
  // break: the one of "改行" goes to the pasted text only.
  void setCaption(const text::Text& hintCaption);
  void showHint();
  void hideHint();
  // Whether the hint is shown within the run (the label is visible).
  bool hintShown() const { return hintLabel.visible(); }
  void setLabelColour(ui::Color colour);

  // The window for the run: opened at its start, closed at its end or stop.
  void open();
  void close();
  bool isOpen() const { return form.visible(); }

  ui::Form form{"TForm2"};
  ui::Panel hintPanel{"Panel1"};
  ui::Label hintLabel{"Label1"};
};

}  // namespace sequence
