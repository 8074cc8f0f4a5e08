#include "platform/win32/controls/text_boxes.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "platform/win32/controls/field_limit.h"

namespace win32 {

void TextBoxAdapter::created(ControlSite&) {
  // No limit in the model is none here either: 0 lifts the native default of 32,767 characters,
  // which would make a longer slot text impossible to edit.
  ::SendMessageW(hwnd, EM_SETLIMITTEXT, static_cast<WPARAM>(std::max(0, box().maxLength())), 0);
}

void TextBoxAdapter::apply(ControlSite& site, ui::Property what) {
  if (what != ui::Property::Caret || !hwnd) return ControlAdapter::apply(site, what);
  // Either the caret at the start or the whole text selected.
  const bool all = box().selLength() > 0;
  ::SendMessageW(hwnd, EM_SETSEL, 0, all ? -1 : 0);
  ::SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
}

ControlAdapter::Font TextBoxAdapter::ownFont() const {
  return {box().fontName, box().fontHeight};
}

void TextBoxAdapter::caretToModel(int bytes) {
  box().userSetCaret(bytes);
}

void TextBoxAdapter::command(ControlSite& site, int code, HWND child) {
  if (code != EN_CHANGE) return;
  ui::TextBox* t = &box();
  // A read-only box shows a preview: its window text must never replace the model's.
  if (t->readOnly()) return;
  text::Text text = site.typedText(windowText(child));
  site.run([t, &text] { t->userSetText(std::move(text)); });
}

std::optional<LRESULT> TextBoxAdapter::message(ControlSite& site, HWND w, UINT msg, WPARAM wParam,
                                               LPARAM lParam) {
  // The box passed the focus on while it was being given (a slot box hands it to its focus sink
  // at once): the edit control must not set up a caret for a focus it no longer has.
  if (msg == WM_SETFOCUS && ::GetFocus() != w) return 0;
  if (w == hwnd) {
    const ui::TextBox& b = box();
    const FieldRule rule{b.maxLength(), b.codePageOnly || b.maxLength() > 0,
                         b.kind() == ui::Control::Kind::Memo};
    if (auto handled = limitFieldInput(w, msg, wParam, rule)) return handled;
  }
  if (msg != WM_CONTEXTMENU || !box().popupMenu) return {};
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (p.x == -1 && p.y == -1) {
    // From the keyboard: at the box's corner.
    RECT r;
    ::GetWindowRect(w, &r);
    p = {r.left, r.top};
  }
  site.showMenu(*box().popupMenu, p);
  return 0;
}

ControlAdapter::WindowSpec MemoAdapter::spec() const {
  const auto& m = static_cast<const ui::Memo&>(*control);
  DWORD style = ES_MULTILINE | ES_AUTOVSCROLL;
  // A read-only box never keeps the focus, so what the mouse selected in it is never shown.
  style |= m.readOnly() ? ES_READONLY : ES_WANTRETURN | ES_NOHIDESEL;
  if (m.scrollBars) style |= WS_VSCROLL | WS_HSCROLL;
  if (!m.wordWrap) style |= ES_AUTOHSCROLL;
  return {L"EDIT", style, WS_EX_CLIENTEDGE};
}

namespace {

// Messages that neither show nor hand out nor change a box's text: they may reach a box whose
// window text is behind its model without bringing it up to date.
bool leavesTextAlone(UINT msg) {
  switch (msg) {
    case WM_SETTEXT:  // the update itself
    case WM_SHOWWINDOW:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_MOVE:
    case WM_SIZE:
    case WM_NCCALCSIZE:
    case WM_SETFONT:
    case WM_SETREDRAW:
    case WM_ENABLE:
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
    case WM_DESTROY:
    case WM_NCDESTROY:
      return true;
    default:
      return false;
  }
}

}  // namespace

void MemoAdapter::apply(ControlSite& site, ui::Property what) {
  if (what == ui::Property::Caret && textStale_) {
    caretStale_ = true;  // set with the text
    return;
  }
  TextBoxAdapter::apply(site, what);
}

bool MemoAdapter::outOfSight() const {
  if (!::IsWindowVisible(hwnd)) return true;
  HWND root = ::GetAncestor(hwnd, GA_ROOT);
  RECT box, client, both;
  if (!::GetWindowRect(hwnd, &box) || !::GetClientRect(root, &client)) return false;
  ::MapWindowPoints(root, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return ::IntersectRect(&both, &box, &client) == FALSE;
}

void MemoAdapter::applyText(ControlSite& site) {
  if (!hwnd) return;
  if (outOfSight()) {
    textStale_ = true;
    return;
  }
  textStale_ = caretStale_ = false;
  TextBoxAdapter::applyText(site);
}

void MemoAdapter::bringUpToDate(ControlSite& site) {
  const bool caret = caretStale_;
  textStale_ = caretStale_ = false;
  TextBoxAdapter::applyText(site);
  if (caret) TextBoxAdapter::apply(site, ui::Property::Caret);
}

std::optional<LRESULT> MemoAdapter::message(ControlSite& site, HWND w, UINT msg, WPARAM wParam,
                                            LPARAM lParam) {
  if (w == hwnd && textStale_ && !leavesTextAlone(msg)) bringUpToDate(site);
  return TextBoxAdapter::message(site, w, msg, wParam, lParam);
}

ControlAdapter::WindowSpec EditAdapter::spec() const {
  return {L"EDIT", static_cast<DWORD>(ES_AUTOHSCROLL | (box().readOnly() ? ES_READONLY : 0)),
          WS_EX_CLIENTEDGE};
}

}  // namespace win32
