// Memo (multi-line) and Edit (one line) text boxes: native EDIT controls.
#pragma once

#include "platform/win32/controls/control_adapter.h"

namespace win32 {

class TextBoxAdapter : public ControlAdapter {
 public:
  using ControlAdapter::ControlAdapter;
  void apply(ControlSite& site, ui::Property what) override;
  Font ownFont() const override;
  void caretToModel(int bytes) override;
  void command(ControlSite& site, int code, HWND child) override;
  std::optional<LRESULT> message(ControlSite& site, HWND w, UINT msg, WPARAM wParam,
                                 LPARAM lParam) override;

 protected:
  void created(ControlSite& site) override;
  ui::Property textProperty() const override { return ui::Property::Text; }
  ui::TextBox& box() const { return static_cast<ui::TextBox&>(*control); }
};

class MemoAdapter : public TextBoxAdapter {
 public:
  using TextBoxAdapter::TextBoxAdapter;

 protected:
  WindowSpec spec() const override;
};

class EditAdapter : public TextBoxAdapter {
 public:
  using TextBoxAdapter::TextBoxAdapter;
  std::optional<LRESULT> message(ControlSite& site, HWND w, UINT msg, WPARAM wParam,
                                 LPARAM lParam) override;

 protected:
  WindowSpec spec() const override;
};

}  // namespace win32
