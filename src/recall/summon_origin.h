// Where the hotkey summoned the panel from, so that the Shift release can hand back to it.
#pragma once

#include "platform/platform.h"

namespace recall {

struct SummonOrigin {
  platform::WindowHandle returnWindow = 0;
  platform::Point returnCursorPos;
};

}  // namespace recall
