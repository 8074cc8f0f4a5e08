// A panel: a plain window of this program's own class that holds other controls.
#pragma once

#include "platform/win32/controls/control_adapter.h"

namespace win32 {

class PanelAdapter : public ControlAdapter {
 public:
  using ControlAdapter::ControlAdapter;
  void create(ControlSite& site, HWND parent, int id) override;
  void apply(ControlSite& site, ui::Property what) override;
  void applyText(ControlSite&) override {}
  void applyFont(ControlSite&) override {}
  bool showsParentColor() const override { return true; }
  std::optional<LRESULT> message(ControlSite& site, HWND w, UINT msg, WPARAM wParam,
                                 LPARAM lParam) override;

 protected:
  WindowSpec spec() const override;
};

}  // namespace win32
