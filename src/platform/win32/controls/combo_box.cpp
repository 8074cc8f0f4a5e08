#include "platform/win32/controls/combo_box.h"

#include <string>

#include "platform/win32/controls/field_limit.h"

namespace win32 {

namespace {

// Lines the drop-down list shows before it scrolls.
constexpr int kDropLines = 20;

}  // namespace

ControlAdapter::WindowSpec ComboBoxAdapter::spec() const {
  return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL};
}

void ComboBoxAdapter::created(ControlSite& site) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  // The edit part's keys and mouse go through the form as the combo box's own.
  if (::GetComboBoxInfo(hwnd, &info) && info.hwndItem) site.subclass(info.hwndItem, *this);
  const int limit = combo().maxLength;
  if (limit > 0) ::SendMessageW(hwnd, CB_LIMITTEXT, static_cast<WPARAM>(limit), 0);
  if (control->imeOff) inputMethodOff(info.hwndItem);
}

void ComboBoxAdapter::applyItems(ControlSite& site) {
  const ui::ComboBox& c = combo();
  NativeEcho echo(site);
  ::SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : c.items())
    ::SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ansiToWide(item).c_str()));
  if (c.itemIndex() >= 0)
    ::SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(c.itemIndex()), 0);
  else
    ::SetWindowTextW(hwnd, ansiToWide(c.text()).c_str());
}

void ComboBoxAdapter::place(ControlSite& site, int left, int top, int width, int height) {
  // The window's height holds the dropped-down list too.
  ControlAdapter::place(site, left, top, width, height + site.scale(kDropLines * 16));
}

void ComboBoxAdapter::caretToModel(int bytes) {
  combo().userSetCaret(bytes);
}

void ComboBoxAdapter::command(ControlSite& site, int code, HWND child) {
  ui::ComboBox* c = &combo();
  if (code == CBN_SELCHANGE) {
    const int index = static_cast<int>(::SendMessageW(child, CB_GETCURSEL, 0, 0));
    site.run([c, index] { c->userSelect(index); });
  } else if (code == CBN_EDITCHANGE) {
    const std::string text = wideToAnsi(windowText(child));  // only code page characters get in
    site.run([c, &text] { c->userSetText(text); });
  }
}

std::optional<LRESULT> ComboBoxAdapter::message(ControlSite&, HWND w, UINT msg, WPARAM wParam,
                                                LPARAM) {
  // The limit is the edit part's.
  if (w == hwnd) return {};
  // Its items and its text are code page bytes alone.
  return limitFieldInput(w, msg, wParam, {combo().maxLength, true, false});
}

}  // namespace win32
