// Push buttons, flat (speed) buttons, check boxes and radio buttons: native BUTTON controls.
#pragma once

#include "platform/win32/controls/control_adapter.h"

namespace win32 {

// What the button kinds share: the form's colour behind the caption, the click from the native
// control after the release.
class ButtonLikeAdapter : public ControlAdapter {
 public:
  using ControlAdapter::ControlAdapter;
  bool showsParentColor() const override { return true; }
  void command(ControlSite& site, int code, HWND) override;
  LRESULT leftButtonUp(ControlSite& site, HWND w, WPARAM wParam, LPARAM lParam,
                       bool clicked) override;
};

class ButtonAdapter : public ButtonLikeAdapter {
 public:
  using ButtonLikeAdapter::ButtonLikeAdapter;
  bool clicksOnReturn() const override { return true; }

 protected:
  WindowSpec spec() const override;
};

// Never takes the keyboard focus: pressed and released by the mouse alone.
class SpeedButtonAdapter : public ControlAdapter {
 public:
  using ControlAdapter::ControlAdapter;
  bool showsParentColor() const override { return true; }
  std::optional<LRESULT> message(ControlSite& site, HWND w, UINT msg, WPARAM wParam,
                                 LPARAM lParam) override;
  LRESULT leftButtonUp(ControlSite& site, HWND w, WPARAM wParam, LPARAM lParam,
                       bool clicked) override;

 protected:
  WindowSpec spec() const override;
};

// The model owns the state; a click asks it to toggle.
class CheckBoxAdapter : public ButtonLikeAdapter {
 public:
  using ButtonLikeAdapter::ButtonLikeAdapter;
  void apply(ControlSite& site, ui::Property what) override;

 protected:
  WindowSpec spec() const override;
};

class RadioButtonAdapter : public ButtonLikeAdapter {
 public:
  using ButtonLikeAdapter::ButtonLikeAdapter;
  void apply(ControlSite& site, ui::Property what) override;

 protected:
  WindowSpec spec() const override;
};

}  // namespace win32
