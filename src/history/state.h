// Program-wide state shared between the panel's handlers and the sequence insertion.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace history {

struct ProgramState {
  // Index 1..20; index 0 unused so the slot number reads as it is.
  std::array<std::uint8_t, 21> slotSelection{};
  std::array<std::uint8_t, 21> keepGuard{};

  // Sequence insertion flags read by capture and summoning.
  bool insertArmed = false;
  bool ctrlDown = false;
  bool ctrlChord = false;
  std::string lastInsertedText;

  // Where the hotkey summoned the panel from.
  platform::WindowHandle returnWindow = 0;
  platform::Point returnCursorPos;

  // Where sequence insertion pastes when any window is not allowed.
  platform::WindowHandle insertTargetWindow = 0;
  platform::Point insertCursorPos;

  void clearSelection() { slotSelection.fill(0); }
};

}  // namespace history
