// A combo box: a native drop-down COMBOBOX with an edit part.
#pragma once

#include "platform/win32/controls/control_adapter.h"

namespace win32 {

class ComboBoxAdapter : public ControlAdapter {
 public:
  using ControlAdapter::ControlAdapter;
  void applyItems(ControlSite& site) override;
  void place(ControlSite& site, int left, int top, int width, int height) override;
  bool ownsChildWindows() const override { return true; }
  Font ownFont() const override { return {combo().fontName, combo().fontHeight}; }
  void caretToModel(int bytes) override;
  void command(ControlSite& site, int code, HWND child) override;
  std::optional<LRESULT> message(ControlSite& site, HWND w, UINT msg, WPARAM wParam,
                                 LPARAM lParam) override;

 protected:
  WindowSpec spec() const override;
  void created(ControlSite& site) override;
  ui::Property textProperty() const override { return ui::Property::Text; }

 private:
  ui::ComboBox& combo() const { return static_cast<ui::ComboBox&>(*control); }
};

}  // namespace win32
