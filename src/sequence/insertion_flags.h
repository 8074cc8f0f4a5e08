// The state of a sequence insertion run that the panel's capture and summoning also read.
#pragma once

#include <string>

#include "platform/platform.h"
#include "text/text.h"

namespace sequence {

struct InsertionFlags {
  bool insertArmed = false;
  bool ctrlDown = false;
  bool ctrlChord = false;
  text::Text lastInsertedText;

  // Where sequence insertion pastes when any window is not allowed.
  platform::WindowHandle insertTargetWindow = 0;
  platform::Point insertCursorPos;
};

}  // namespace sequence
