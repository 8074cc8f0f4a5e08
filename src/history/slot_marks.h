// The marks the panel's handlers keep per slot beside the slot store.
#pragma once

#include <array>
#include <cstdint>

#include "files/slot_files.h"

namespace history {

struct SlotMarks {
  // Index 1..20; index 0 unused so the slot number reads as it is.
  std::array<std::uint8_t, files::kSlotCount + 1> slotSelection{};
  std::array<std::uint8_t, files::kSlotCount + 1> keepGuard{};

  void clearSelection() { slotSelection.fill(0); }
};

}  // namespace history
