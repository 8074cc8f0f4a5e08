#include <memory>

#include "platform/win32/controls/buttons.h"
#include "platform/win32/controls/combo_box.h"
#include "platform/win32/controls/control_adapter.h"
#include "platform/win32/controls/label.h"
#include "platform/win32/controls/panel.h"
#include "platform/win32/controls/text_boxes.h"
#include "platform/win32/controls/timer.h"

namespace win32 {

std::unique_ptr<ControlAdapter> makeAdapter(ui::Control& c) {
  using Kind = ui::Control::Kind;
  switch (c.kind()) {
    case Kind::Button:
      return std::make_unique<ButtonAdapter>(c);
    case Kind::SpeedButton:
      return std::make_unique<SpeedButtonAdapter>(c);
    case Kind::CheckBox:
      return std::make_unique<CheckBoxAdapter>(c);
    case Kind::RadioButton:
      return std::make_unique<RadioButtonAdapter>(c);
    case Kind::Memo:
      return std::make_unique<MemoAdapter>(c);
    case Kind::Edit:
      return std::make_unique<EditAdapter>(c);
    case Kind::ComboBox:
      return std::make_unique<ComboBoxAdapter>(c);
    case Kind::Label:
      return std::make_unique<LabelAdapter>(c);
    case Kind::Panel:
      return std::make_unique<PanelAdapter>(c);
    case Kind::Timer:
      return std::make_unique<TimerAdapter>(c);
    case Kind::PopupMenu:
    case Kind::MenuItem:
      return std::make_unique<MenuAdapter>(c);
    case Kind::Form:
      break;  // a form is a window of its own, never a child control
  }
  return std::make_unique<ControlAdapter>(c);
}

}  // namespace win32
