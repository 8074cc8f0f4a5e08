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

// A multi-line box lays out its whole text whenever it is given one, which under Wine takes about a
// millisecond per few kilobytes. A box out of sight (a hidden row, or below the bottom of a panel
// folded to its strip) gets its text only when something first paints, reads, edits or focuses
// it: a capture that moves twenty texts is then not held up by twenty layouts nobody sees.
class MemoAdapter : public TextBoxAdapter {
 public:
  using TextBoxAdapter::TextBoxAdapter;
  void apply(ControlSite& site, ui::Property what) override;
  void applyText(ControlSite& site) override;
  std::optional<LRESULT> message(ControlSite& site, HWND w, UINT msg, WPARAM wParam,
                                 LPARAM lParam) override;

 protected:
  WindowSpec spec() const override;

 private:
  bool outOfSight() const;
  void bringUpToDate(ControlSite& site);
  bool textStale_ = false;
  bool caretStale_ = false;
};

class EditAdapter : public TextBoxAdapter {
 public:
  using TextBoxAdapter::TextBoxAdapter;

 protected:
  WindowSpec spec() const override;
};

}  // namespace win32
