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

// Check boxes and radio buttons: the model owns the state; a click asks it to change.
template <class Model, DWORD Style>
class CheckableAdapter : public ButtonLikeAdapter {
 public:
  using ButtonLikeAdapter::ButtonLikeAdapter;
  void apply(ControlSite& site, ui::Property what) override {
    if (what == ui::Property::Checked && hwnd)
      ::SendMessageW(hwnd, BM_SETCHECK,
                     static_cast<const Model&>(*control).checked() ? BST_CHECKED : BST_UNCHECKED,
                     0);
    else
      ButtonLikeAdapter::apply(site, what);
  }

 protected:
  WindowSpec spec() const override { return {L"BUTTON", Style}; }
};

using CheckBoxAdapter = CheckableAdapter<ui::CheckBox, BS_CHECKBOX>;
using RadioButtonAdapter = CheckableAdapter<ui::RadioButton, BS_RADIOBUTTON>;

}  // namespace win32
