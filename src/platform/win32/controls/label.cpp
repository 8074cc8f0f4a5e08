#include "platform/win32/controls/label.h"

#include <string>

namespace win32 {

ControlAdapter::WindowSpec LabelAdapter::spec() const {
  return {L"STATIC", SS_LEFT | SS_NOTIFY, 0, false};
}

ControlAdapter::Font LabelAdapter::ownFont() const {
  const auto& l = static_cast<const ui::Label&>(*control);
  return {l.fontName, l.fontHeight};
}

void LabelAdapter::applyText(ControlSite& site) {
  if (!hwnd) return;
  ControlAdapter::applyText(site);
  autoSize(site);
}

void LabelAdapter::applyFont(ControlSite& site) {
  ControlAdapter::applyFont(site);
  autoSize(site);
}

void LabelAdapter::place(ControlSite& site, int left, int top, int width, int height) {
  ControlAdapter::place(site, left, top, width, height);
  autoSize(site);
}

void LabelAdapter::autoSize(ControlSite& site) {
  std::wstring text = site.shown(*control, ui::Property::Caption);
  if (text.empty()) text = L" ";
  WindowDc dc(hwnd);
  HGDIOBJ old = ::SelectObject(dc.get(), site.fontFor(*this));
  RECT r{0, 0, 0, 0};
  ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_LEFT);
  ::SelectObject(dc.get(), old);
  ::SetWindowPos(hwnd, nullptr, 0, 0, r.right, r.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The model learns the size, as panels sized to their content depend on it.
  const ui::Bounds b = control->bounds();
  const int width = scaleFromDpi(r.right, site.dpi());
  const int height = scaleFromDpi(r.bottom, site.dpi());
  if (b.width != width || b.height != height) control->setBounds({b.left, b.top, width, height});
}

}  // namespace win32
