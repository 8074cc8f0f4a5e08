#pragma once

// Small helpers the simulated desktop's units share.

#include "platform/sim/sim_desktop.h"

namespace sim {

inline SimDesktop::ClipText ansiText(std::string bytes) {
  return {std::move(bytes), {}, true, true, true};
}

inline bool within(const platform::Rect& r, platform::Point p) {
  return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom;
}

}  // namespace sim
