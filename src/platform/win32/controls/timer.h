// A timer: no window of its own; the form's window receives its ticks.
#pragma once

#include "platform/win32/controls/control_adapter.h"

namespace win32 {

class TimerAdapter : public ControlAdapter {
 public:
  using ControlAdapter::ControlAdapter;
  void create(ControlSite& site, HWND parent, int id) override;
  void apply(ControlSite& site, ui::Property what) override;
  bool takesSpace() const override { return false; }
  void timerElapsed(ControlSite& site) override;
};

// Menus and their items: shown by the platform when they pop up, no window meanwhile.
class MenuAdapter : public ControlAdapter {
 public:
  using ControlAdapter::ControlAdapter;
  bool takesSpace() const override { return false; }
};

}  // namespace win32
