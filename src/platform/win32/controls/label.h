// A label: a native STATIC control that sizes itself to its text.
#pragma once

#include "platform/win32/controls/control_adapter.h"

namespace win32 {

class LabelAdapter : public ControlAdapter {
 public:
  using ControlAdapter::ControlAdapter;
  void applyText(ControlSite& site) override;
  void applyFont(ControlSite& site) override;
  void place(ControlSite& site, int left, int top, int width, int height) override;
  Font ownFont() const override;
  bool showsParentColor() const override { return true; }

 protected:
  WindowSpec spec() const override;

 private:
  void autoSize(ControlSite& site);
};

}  // namespace win32
