// The state of a sequence insertion run that the panel's capture and summoning also read.
#pragma once

#include <string>

#include "platform/platform.h"
#include "ui/text.h"

namespace sequence {

struct InsertionFlags {
  bool insertArmed = false;
  bool ctrlDown = false;
  bool ctrlChord = false;
  ui::Text lastInsertedText;

  // Where sequence insertion pastes when any window is not allowed.
  platform::WindowHandle insertTargetWindow = 0;
  platform::Point insertCursorPos;
};

}  // namespace sequence
