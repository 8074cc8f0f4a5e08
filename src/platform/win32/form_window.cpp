#include "platform/win32/form_window.h"

#include <commctrl.h>
#include <imm.h>
#include <windowsx.h>

#include <algorithm>
#include <set>

#include "platform/win32/win32_platform.h"
#include "ui/display_text.h"

namespace win32 {

namespace {

constexpr wchar_t kPanelClass[] = L"KolvexPanel";
constexpr UINT_PTR kSubclassId = 1;
constexpr int kFirstControlId = 100;
// Lines a drop-down list shows before it scrolls.
constexpr int kComboDropLines = 20;

using Kind = ui::Control::Kind;

bool isButtonKind(Kind k) {
  return k == Kind::Button || k == Kind::CheckBox || k == Kind::RadioButton;
}

// Panels pass the notifications of their children on to the form, which owns the handling.
LRESULT CALLBACK panelProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return ::SendMessageW(::GetAncestor(w, GA_ROOT), msg, wParam, lParam);
    default:
      return ::DefWindowProcW(w, msg, wParam, lParam);
  }
}

void registerClass(HINSTANCE instance, const std::wstring& name, WNDPROC proc, UINT style) {
  static std::set<std::wstring> registered;
  if (registered.count(name)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = name.c_str();
  if (::RegisterClassExW(&wc)) registered.insert(name);
}

// A device context of a window, released on scope exit.
class WindowDc {
 public:
  explicit WindowDc(HWND w) : window_(w), dc_(::GetDC(w)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

bool fontExists(const std::wstring& face) {
  if (face.empty()) return false;
  WindowDc dc(nullptr);
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  bool found = false;
  ::EnumFontFamiliesExW(
      dc.get(), &lf,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM p) -> int {
        *reinterpret_cast<bool*>(p) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// The system's dialog font face: the fallback when a requested face is not installed.
std::wstring messageFontFace() {
  NONCLIENTMETRICSW m{};
  m.cbSize = sizeof(m);
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0))
    return m.lfMessageFont.lfFaceName;
  return L"Tahoma";
}

// The input method of a field switched off: no composition, plain single-byte characters.
void inputMethodOff(HWND w) {
  if (w) ::ImmAssociateContextEx(w, nullptr, 0);
}

// The limit of a one-line field in bytes of the system code page; 0 when it has none. The
// native limit counts UTF-16 characters, so a double-byte character would count as one.
int byteLimit(const ui::Control& c) {
  if (c.kind() == Kind::ComboBox) return static_cast<const ui::ComboBox&>(c).maxLength;
  if (c.kind() == Kind::Edit) return static_cast<const ui::TextBox&>(c).maxLength();
  return 0;
}

// The field's text with its selection replaced by what is typed or pasted.
std::wstring withSelectionReplaced(HWND edit, std::wstring_view insert) {
  std::wstring text = windowText(edit);
  DWORD start = 0, end = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  start = std::min<DWORD>(start, static_cast<DWORD>(text.size()));
  end = std::clamp<DWORD>(end, start, static_cast<DWORD>(text.size()));
  text.replace(start, end - start, insert);
  return text;
}

std::size_t ansiBytes(std::wstring_view w) {
  return wideToAnsi(w).size();
}

// Pastes as much of the clipboard's first line as fits into the byte limit, whole characters
// only, as a field with a limit does.
void pasteWithinByteLimit(HWND edit, int limit) {
  std::wstring paste;
  if (!::OpenClipboard(edit)) return;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      paste.assign(chars, ::wcsnlen(chars, ::GlobalSize(data) / sizeof(wchar_t)));
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  if (auto lineEnd = paste.find_first_of(L"\r\n"); lineEnd != std::wstring::npos)
    paste.erase(lineEnd);
  const std::size_t rest = ansiBytes(withSelectionReplaced(edit, L""));
  const auto room = static_cast<std::size_t>(limit) > rest ? limit - rest : 0;
  std::size_t keep = 0, used = 0;
  while (keep < paste.size()) {
    const std::size_t units = IS_HIGH_SURROGATE(paste[keep]) && keep + 1 < paste.size() ? 2 : 1;
    const std::size_t bytes = ansiBytes(std::wstring_view(paste).substr(keep, units));
    if (used + bytes > room) break;
    used += bytes;
    keep += units;
  }
  paste.resize(keep);
  ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(paste.c_str()));
  if (keep == 0) ::MessageBeep(MB_OK);
}

}  // namespace

FormWindow::FormWindow(Win32Platform& platform, ui::Form& form, HWND owner)
    : platform_(platform), form_(&form) {
  const std::wstring className = utf8ToWide(form.name().empty() ? "KolvexForm" : form.name());
  registerClass(platform.instance(), className, windowProc, CS_DBLCLKS);
  registerClass(platform.instance(), kPanelClass, panelProc, 0);

  HWND w = ::CreateWindowExW(0, className.c_str(), shown(form, ui::Property::Caption).c_str(),
                             WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, form.left(), form.top(),
                             std::max(form.width(), 1), std::max(form.height(), 1), owner, nullptr,
                             platform.instance(), this);
  window_.reset(w);
  if (!w) throw platform::Error("CreateWindowEx");
  dpi_ = ::GetDpiForWindow(w);
  if (dpi_ == 0) dpi_ = 96;

  form.setPeer(this);
  createControls(form, w);
  applyStyles();
  applyFonts();
  applyColor();
  applyFormBounds();
  updateFrameHeight();
  for (auto& nc : controls_) {
    applyText(*nc);
    applyHint(*nc);
    if (nc->control->kind() == Kind::ComboBox) applyItems(*nc);
  }
  for (auto& nc : controls_)
    autoSizeParent(*nc->control);
}

FormWindow::~FormWindow() {
  // The windows go first: their last messages must not reach controls that are already freed.
  detach();
  tooltip_.reset();
  window_.reset();
}

void FormWindow::detach() {
  if (detached_) return;
  detached_ = true;
  for (auto& nc : controls_) {
    if (nc->timerId && window_) ::KillTimer(window_.get(), nc->timerId);
  }
}

FormWindow* FormWindow::fromHwnd(HWND w) {
  return reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
}

NativeControl* FormWindow::find(HWND child) {
  if (!child) return nullptr;
  for (auto& nc : controls_)
    if (nc->hwnd == child) return nc.get();
  // The edit field inside a combo box belongs to the combo box.
  HWND parent = ::GetParent(child);
  if (parent && parent != window_.get()) {
    for (auto& nc : controls_)
      if (nc->hwnd == parent && nc->control->kind() == Kind::ComboBox) return nc.get();
  }
  return nullptr;
}

NativeControl* FormWindow::find(const ui::Control& control) {
  for (auto& nc : controls_)
    if (nc->control == &control) return nc.get();
  return nullptr;
}

void FormWindow::run(const std::function<void()>& fn) {
  if (detached_) return;
  platform::runHandler(platform_, fn);
}

// --- creation ---

void FormWindow::createControls(ui::Control& parent, HWND parentHwnd) {
  for (ui::Control* c : parent.children()) {
    createControl(*c, parentHwnd);
    NativeControl* nc = find(*c);
    if (!c->children().empty()) createControls(*c, nc && nc->hwnd ? nc->hwnd : parentHwnd);
  }
}

void FormWindow::createControl(ui::Control& c, HWND parentHwnd) {
  auto nc = std::make_unique<NativeControl>();
  nc->control = &c;
  const wchar_t* cls = nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  switch (c.kind()) {
    case Kind::Button:
    case Kind::SpeedButton:
      cls = L"BUTTON";
      style |= BS_PUSHBUTTON;
      break;
    case Kind::CheckBox:
      cls = L"BUTTON";
      style |= BS_CHECKBOX;  // the model owns the state; a click asks it to toggle
      break;
    case Kind::RadioButton:
      cls = L"BUTTON";
      style |= BS_RADIOBUTTON;
      break;
    case Kind::Memo: {
      const auto& m = static_cast<const ui::Memo&>(c);
      cls = L"EDIT";
      style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL;
      if (m.readOnly())
        style |= ES_READONLY;
      else
        style |= ES_WANTRETURN;
      if (m.scrollBars) style |= WS_VSCROLL | WS_HSCROLL;
      if (!m.wordWrap) style |= ES_AUTOHSCROLL;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    }
    case Kind::Edit:
      cls = L"EDIT";
      style |= ES_AUTOHSCROLL;
      if (static_cast<const ui::Edit&>(c).readOnly()) style |= ES_READONLY;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::ComboBox:
      cls = L"COMBOBOX";
      style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL;
      break;
    case Kind::Label:
      cls = L"STATIC";
      style |= SS_LEFT | SS_NOTIFY;
      break;
    case Kind::Panel:
      cls = kPanelClass;
      style |= WS_CLIPCHILDREN;
      exStyle |= WS_EX_CONTROLPARENT;
      break;
    case Kind::Timer:
      nc->timerId = nextTimerId_++;
      break;
    default:
      break;  // menus and items have no window of their own
  }
  if (cls) {
    if (c.tabStop() && c.kind() != Kind::Label && c.kind() != Kind::Panel &&
        c.kind() != Kind::SpeedButton)
      style |= WS_TABSTOP;
    if (c.visible()) style |= WS_VISIBLE;
    if (!c.enabled()) style |= WS_DISABLED;
    const auto id = static_cast<INT_PTR>(kFirstControlId + controls_.size());
    HWND h = ::CreateWindowExW(exStyle, cls, L"", style, 0, 0, 0, 0, parentHwnd,
                               reinterpret_cast<HMENU>(id), platform_.instance(), nullptr);
    nc->hwnd = h;
    if (h) {
      ::SetWindowSubclass(h, childProc, kSubclassId, reinterpret_cast<DWORD_PTR>(nc.get()));
      if (c.kind() == Kind::ComboBox) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        if (::GetComboBoxInfo(h, &info) && info.hwndItem)
          ::SetWindowSubclass(info.hwndItem, childProc, kSubclassId,
                              reinterpret_cast<DWORD_PTR>(nc.get()));
        const int limit = static_cast<const ui::ComboBox&>(c).maxLength;
        if (limit > 0) ::SendMessageW(h, CB_LIMITTEXT, static_cast<WPARAM>(limit), 0);
        if (c.imeOff) inputMethodOff(info.hwndItem);
      }
      if (c.imeOff) inputMethodOff(h);
      if (c.kind() == Kind::Memo || c.kind() == Kind::Edit) {
        const int limit = static_cast<const ui::TextBox&>(c).maxLength();
        if (limit > 0) ::SendMessageW(h, EM_SETLIMITTEXT, static_cast<WPARAM>(limit), 0);
      }
    }
  }
  c.setPeer(this);
  NativeControl& ref = *nc;
  controls_.push_back(std::move(nc));
  if (ref.hwnd) applyControlBounds(ref);
}

// --- model -> window ---

void FormWindow::changed(ui::Control& control, ui::Property what) {
  if (detached_ || !window_ || modelEcho_ > 0) return;
  using P = ui::Property;
  if (&control == form_) {
    switch (what) {
      case P::Caption:
        ::SetWindowTextW(hwnd(), shown(*form_, P::Caption).c_str());
        break;
      case P::Visible:
        if (form_->visible()) {
          applyStyles();
          centerOnFirstShow();
          applyFormBounds();
          // A window without a frame is a hint riding along with the pointer: it must never take
          // the activation from the program the user works in.
          const bool framed = form_->dialogFrame || form_->sizeable;
          if (form_->maximized() && form_->sizeable)
            ::ShowWindow(hwnd(), SW_SHOWMAXIMIZED);
          else
            ::ShowWindow(hwnd(), framed && !form_->toolWindow ? SW_SHOW : SW_SHOWNOACTIVATE);
          // Back above the top-most windows that came up while it was hidden.
          if (form_->topmost()) applyTopmost();
        } else {
          ::ShowWindow(hwnd(), SW_HIDE);
        }
        break;
      case P::Enabled:
        ::EnableWindow(hwnd(), form_->enabled());
        break;
      case P::Color:
        applyColor();
        break;
      case P::Bounds:
        applyFormBounds();
        break;
      case P::Topmost:
        applyTopmost();
        break;
      case P::Transparent:
        applyTransparent();
        break;
      case P::Focus:
        applyFocus();
        break;
      case P::WindowState:
        applyWindowState();
        break;
      default:
        break;
    }
    return;
  }
  NativeControl* nc = find(control);
  if (!nc) return;
  if (what == P::TimerState) {
    applyTimer(*nc);
    return;
  }
  HWND h = nc->hwnd;
  if (!h) return;
  switch (what) {
    case P::Text:
    case P::Caption:
      applyText(*nc);
      break;
    case P::Visible:
      ::ShowWindow(h, control.visible() ? SW_SHOWNA : SW_HIDE);
      // A panel shown over other controls of its window (an editor mode) covers them.
      if (control.visible() && control.kind() == Kind::Panel)
        ::SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    case P::Enabled:
      ::EnableWindow(h, control.enabled());
      break;
    case P::Checked: {
      bool on = false;
      if (control.kind() == Kind::CheckBox) on = static_cast<ui::CheckBox&>(control).checked();
      if (control.kind() == Kind::RadioButton)
        on = static_cast<ui::RadioButton&>(control).checked();
      ::SendMessageW(h, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    }
    case P::Color:
      ::InvalidateRect(h, nullptr, TRUE);
      // Children that take their colour from this one repaint too.
      for (ui::Control* child : control.children())
        if (NativeControl* cn = find(*child); cn && cn->hwnd)
          ::InvalidateRect(cn->hwnd, nullptr, TRUE);
      break;
    case P::Hint:
      applyHint(*nc);
      break;
    case P::Bounds:
      applyControlBounds(*nc);
      autoSizeParent(control);
      break;
    case P::Items:
    case P::ItemIndex:
      applyItems(*nc);
      break;
    case P::Caret: {
      // Either the caret at the start or the whole text selected.
      const bool all = static_cast<const ui::TextBox&>(control).selLength() > 0;
      ::SendMessageW(h, EM_SETSEL, 0, all ? -1 : 0);
      ::SendMessageW(h, EM_SCROLLCARET, 0, 0);
      break;
    }
    default:
      break;
  }
}

void FormWindow::applyStyles() {
  const ui::Form& f = *form_;
  DWORD style = WS_POPUP | WS_CLIPCHILDREN | (::GetWindowLongW(hwnd(), GWL_STYLE) & WS_VISIBLE);
  DWORD exStyle = ::GetWindowLongW(hwnd(), GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_LAYERED);
  if (f.dialogFrame || f.sizeable) {
    style |= WS_CAPTION;
    // The panel has no border icons at all; the other windows keep their close box.
    if (!platform_.isMainForm(this)) style |= WS_SYSMENU;
    if (f.dialogFrame && !f.sizeable) exStyle |= WS_EX_DLGMODALFRAME;
  }
  if (f.sizeable) style |= WS_THICKFRAME;
  if (f.maximizeBox) style |= WS_MAXIMIZEBOX;
  if (f.toolWindow) exStyle |= WS_EX_TOOLWINDOW;
  if (f.noActivate) exStyle |= WS_EX_NOACTIVATE;
  if (f.topmost()) exStyle |= WS_EX_TOPMOST;
  ::SetWindowLongW(hwnd(), GWL_STYLE, static_cast<LONG>(style));
  ::SetWindowLongW(hwnd(), GWL_EXSTYLE, static_cast<LONG>(exStyle));
  ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  updateFrameHeight();
}

void FormWindow::updateFrameHeight() {
  // The frame height in layout units lets the model turn a client height into an outer height.
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(hwnd(), GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(hwnd(), GWL_EXSTYLE));
  RECT r{0, 0, 100, 100};
  ::AdjustWindowRectExForDpi(&r, style, FALSE, exStyle, dpi_);
  int framePx = (r.bottom - r.top) - 100;
  RECT wr, cr;
  if (::GetWindowRect(hwnd(), &wr) && ::GetClientRect(hwnd(), &cr) && cr.bottom > 0)
    framePx = (wr.bottom - wr.top) - cr.bottom;
  form_->setFrameHeight(scaleFromDpi(framePx, dpi_));
}

void FormWindow::applyFormBounds() {
  const ui::Form& f = *form_;
  ++nativeEcho_;
  ::SetWindowPos(hwnd(), nullptr, f.left(), f.top(), scale(f.width()),
                 scale(std::max(0, f.height())), SWP_NOZORDER | SWP_NOACTIVATE);
  // A top-most window that never takes the activation (the hint riding along with the pointer)
  // is put back on top whenever it moves: the window the user clicks under it may have been
  // raised over it (Wine raises a clicked window even over another process's top-most ones).
  // Asked from not top-most, as the system only restacks on a change.
  if (f.topmost() && f.noActivate && ::IsWindowVisible(hwnd())) {
    constexpr UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    ::SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, keep);
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, keep);
  }
  --nativeEcho_;
}

void FormWindow::applyControlBounds(NativeControl& nc) {
  const ui::Control& c = *nc.control;
  const ui::Bounds& b = c.bounds();
  int left = scale(b.left), top = scale(b.top), width = scale(b.width), height = scale(b.height);
  if (c.parent()) {
    // Anchored to both edges it grows with its parent; to the far edge only it moves along.
    const SIZE g = growth(*c.parent());
    const unsigned a = c.anchors;
    if (a & ui::kAnchorRight) (a & ui::kAnchorLeft ? width : left) += g.cx;
    if (a & ui::kAnchorBottom) (a & ui::kAnchorTop ? height : top) += g.cy;
  }
  width = std::max(0, width);
  height = std::max(0, height);
  if (c.kind() == Kind::ComboBox) height += scale(kComboDropLines * 16);
  ::SetWindowPos(nc.hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (c.kind() == Kind::Label) autoSizeLabel(nc);
}

SIZE FormWindow::growth(const ui::Control& c) const {
  if (&c == form_) {
    RECT r;
    if (!form_->sizeable || ::IsIconic(hwnd()) || !::GetWindowRect(hwnd(), &r)) return {0, 0};
    return {(r.right - r.left) - scale(form_->width()),
            (r.bottom - r.top) - scale(std::max(0, form_->height()))};
  }
  const SIZE g = c.parent() ? growth(*c.parent()) : SIZE{0, 0};
  const unsigned a = c.anchors;
  const bool wide = (a & ui::kAnchorLeft) && (a & ui::kAnchorRight);
  const bool tall = (a & ui::kAnchorTop) && (a & ui::kAnchorBottom);
  return {wide ? g.cx : 0, tall ? g.cy : 0};
}

void FormWindow::layoutAnchored() {
  // Parents come before their children in creation order, so each sees its parent's new size.
  for (auto& nc : controls_)
    if (nc->hwnd) applyControlBounds(*nc);
}

void FormWindow::applyWindowState() {
  const bool zoomed = ::IsZoomed(hwnd()) != FALSE;
  if (form_->maximized() == zoomed) return;
  if (!::IsWindowVisible(hwnd())) {
    // Shown later in the state the model has by then (see the Visible change).
    if (zoomed) {
      ::SetWindowLongW(hwnd(), GWL_STYLE, ::GetWindowLongW(hwnd(), GWL_STYLE) & ~WS_MAXIMIZE);
      applyFormBounds();
    }
    return;
  }
  ::ShowWindow(hwnd(), form_->maximized() ? SW_MAXIMIZE : SW_RESTORE);
}

HFONT FormWindow::font(const std::string& name, int height) {
  std::wstring face = fontNameToWide(name);
  if (face.empty()) face = L"Tahoma";
  if (!fontExists(face)) face = messageFontFace();
  const int px = scale(height > 0 ? height : 11);
  auto key = std::make_pair(face, px);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second.get();
  HFONT f = ::CreateFontW(-px, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  return fonts_.emplace(key, UniqueFont(f)).first->second.get();
}

HFONT FormWindow::fontFor(const ui::Control& c) {
  std::string name = form_->fontName;
  int height = form_->fontHeight;
  auto own = [&](const std::string& n, int h) {
    if (!n.empty()) name = n;
    if (h > 0) height = h;
  };
  if (c.kind() == Kind::Memo || c.kind() == Kind::Edit) {
    const auto& t = static_cast<const ui::TextBox&>(c);
    own(t.fontName, t.fontHeight);
  } else if (c.kind() == Kind::Label) {
    const auto& l = static_cast<const ui::Label&>(c);
    own(l.fontName, l.fontHeight);
  }
  return font(name, height);
}

void FormWindow::applyFonts() {
  auto old = std::move(fonts_);
  fonts_.clear();
  for (auto& nc : controls_) {
    if (!nc->hwnd || nc->control->kind() == Kind::Panel) continue;
    ::SendMessageW(nc->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(*nc->control)), TRUE);
    if (nc->control->kind() == Kind::Label) autoSizeLabel(*nc);
  }
}

void FormWindow::autoSizeLabel(NativeControl& nc) {
  // Labels size themselves to their text.
  std::wstring text = shown(*nc.control, ui::Property::Caption);
  if (text.empty()) text = L" ";
  WindowDc dc(nc.hwnd);
  HGDIOBJ old = ::SelectObject(dc.get(), fontFor(*nc.control));
  RECT r{0, 0, 0, 0};
  ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_LEFT);
  ::SelectObject(dc.get(), old);
  ::SetWindowPos(nc.hwnd, nullptr, 0, 0, r.right, r.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The model learns the size, as panels sized to their content depend on it.
  const ui::Bounds b = nc.control->bounds();
  const int width = scaleFromDpi(r.right, dpi_);
  const int height = scaleFromDpi(r.bottom, dpi_);
  if (b.width != width || b.height != height) nc.control->setBounds({b.left, b.top, width, height});
}

void FormWindow::autoSizeParent(ui::Control& child) {
  ui::Control* parent = child.parent();
  if (!parent || !parent->autoSize) return;
  bool any = false;
  int minLeft = 0, minTop = 0, right = 0, bottom = 0;
  for (const ui::Control* c : parent->children()) {
    const Kind k = c->kind();
    if (k == Kind::Timer || k == Kind::PopupMenu || k == Kind::MenuItem) continue;
    minLeft = any ? std::min(minLeft, c->left()) : c->left();
    minTop = any ? std::min(minTop, c->top()) : c->top();
    right = std::max(right, c->left() + c->width());
    bottom = std::max(bottom, c->top() + c->height());
    any = true;
  }
  if (!any) return;
  int width = right + std::max(0, minLeft);
  int height = bottom + std::max(0, minTop);
  if (parent == form_) height += form_->frameHeight();
  const ui::Bounds b = parent->bounds();
  if (b.width != width || b.height != height) parent->setBounds({b.left, b.top, width, height});
}

void FormWindow::centerOnFirstShow() {
  if (shownBefore_) return;
  shownBefore_ = true;
  if (!form_->centerOnScreen) return;
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - scale(form_->width())) / 2;
  const int top = (::GetSystemMetrics(SM_CYSCREEN) - scale(form_->height())) / 2;
  ++modelEcho_;
  form_->setBounds({left, top, form_->width(), form_->height()});
  --modelEcho_;
}

void FormWindow::applyText(NativeControl& nc) {
  if (!nc.hwnd) return;
  ui::Control& c = *nc.control;
  if (c.kind() == Kind::Panel) return;
  const bool text = c.kind() == Kind::Memo || c.kind() == Kind::Edit || c.kind() == Kind::ComboBox;
  const std::wstring wide = shown(c, text ? ui::Property::Text : ui::Property::Caption);
  ++nativeEcho_;
  ::SetWindowTextW(nc.hwnd, wide.c_str());
  --nativeEcho_;
  if (c.kind() == Kind::Label) autoSizeLabel(nc);
}

std::wstring FormWindow::shown(const ui::Control& c, ui::Property what) const {
  return ansiToWide(ui::displayText(ui::propertyText(c, what), ui::displayLimit(c, what),
                                    platform_.leadBytes(), platform_.cutMark()));
}

void FormWindow::applyItems(NativeControl& nc) {
  auto& combo = static_cast<ui::ComboBox&>(*nc.control);
  ++nativeEcho_;
  ::SendMessageW(nc.hwnd, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : combo.items())
    ::SendMessageW(nc.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ansiToWide(item).c_str()));
  if (combo.itemIndex() >= 0)
    ::SendMessageW(nc.hwnd, CB_SETCURSEL, static_cast<WPARAM>(combo.itemIndex()), 0);
  else
    ::SetWindowTextW(nc.hwnd, ansiToWide(combo.text()).c_str());
  --nativeEcho_;
}

ui::Color FormWindow::effectiveColor(const ui::Control& c) const {
  // Captions and panels without a colour of their own take their parent's, as the form shows
  // through behind them.
  const ui::Control* k = &c;
  while (k->parent() && k->color() == ui::kClWindow &&
         (k->kind() == Kind::CheckBox || k->kind() == Kind::RadioButton ||
          k->kind() == Kind::Label || k->kind() == Kind::Panel || k->kind() == Kind::Button ||
          k->kind() == Kind::SpeedButton))
    k = k->parent();
  return k->color();
}

HBRUSH FormWindow::brush(COLORREF c) {
  auto it = brushes_.find(c);
  if (it != brushes_.end()) return it->second.get();
  return brushes_.emplace(c, UniqueBrush(::CreateSolidBrush(c))).first->second.get();
}

void FormWindow::applyColor() {
  applyTransparent();
  ::InvalidateRect(hwnd(), nullptr, TRUE);
  for (auto& nc : controls_)
    if (nc->hwnd) ::InvalidateRect(nc->hwnd, nullptr, TRUE);
}

void FormWindow::applyTopmost() {
  ::SetWindowPos(hwnd(), form_->topmost() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FormWindow::applyTransparent() {
  // A transparent form is not seen at all (a hint hidden within its run). A form without a
  // frame shows only its content: its own colour is see-through.
  const LONG ex = ::GetWindowLongW(hwnd(), GWL_EXSTYLE);
  const bool frameless = !form_->dialogFrame && !form_->sizeable;
  if (form_->transparent()) {
    ::SetWindowLongW(hwnd(), GWL_EXSTYLE, ex | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(hwnd(), 0, 0, LWA_ALPHA);
  } else if (frameless) {
    ::SetWindowLongW(hwnd(), GWL_EXSTYLE, ex | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(hwnd(), toColorRef(form_->color()), 255, LWA_COLORKEY);
  } else if (ex & WS_EX_LAYERED) {
    ::SetWindowLongW(hwnd(), GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
  }
}

void FormWindow::applyHint(NativeControl& nc) {
  if (!nc.hwnd) return;
  const ui::Control& c = *nc.control;
  const bool want = c.showHint() && !c.hint().empty();
  if (!want && !nc.hasTool) return;
  if (!tooltip_) {
    tooltip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                     WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                     platform_.instance(), nullptr));
    if (!tooltip_) return;
    // Slot texts may hold several lines.
    ::SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, scale(600));
    applyHintTiming(platform_.hintPauseMs(), platform_.hintHideMs());
  }
  std::wstring text = shown(c, ui::Property::Hint);
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = hwnd();
  ti.uId = reinterpret_cast<UINT_PTR>(nc.hwnd);
  ti.lpszText = text.data();
  if (want && !nc.hasTool) {
    nc.hasTool = ::SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  } else if (want) {
    ::SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  } else {
    ::SendMessageW(tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    nc.hasTool = false;
  }
}

void FormWindow::applyHintTiming(int pauseMs, int hideMs) {
  if (!tooltip_) return;
  ::SendMessageW(tooltip_.get(), TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(pauseMs, 0));
  ::SendMessageW(tooltip_.get(), TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(hideMs, 0));
  ::SendMessageW(tooltip_.get(), TTM_SETDELAYTIME, TTDT_RESHOW, MAKELPARAM(pauseMs, 0));
}

void FormWindow::applyTimer(NativeControl& nc) {
  auto& timer = static_cast<ui::Timer&>(*nc.control);
  if (timer.running())
    ::SetTimer(hwnd(), nc.timerId, static_cast<UINT>(std::max(1, timer.interval())), nullptr);
  else
    ::KillTimer(hwnd(), nc.timerId);
}

void FormWindow::applyFocus() {
  ui::Control* c = form_->focused();
  if (!c) return;
  NativeControl* nc = find(*c);
  if (!nc || !nc->hwnd) return;
  // An inactive window keeps the choice until it is activated (see WM_ACTIVATE), so that moving
  // the focus never activates a window by itself.
  if (::GetActiveWindow() != hwnd()) return;
  if (::IsWindowVisible(nc->hwnd) && ::IsWindowEnabled(nc->hwnd) && ::GetFocus() != nc->hwnd) {
    ++nativeEcho_;
    ::SetFocus(nc->hwnd);
    --nativeEcho_;
  }
}

void FormWindow::showNoActivate() {
  ++modelEcho_;
  form_->setVisible(true);
  --modelEcho_;
  applyStyles();
  centerOnFirstShow();
  applyFormBounds();
  ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
}

void FormWindow::popupMenuFor(NativeControl& nc, POINT screen) {
  if (nc.control->kind() != Kind::Memo && nc.control->kind() != Kind::Edit) return;
  ui::PopupMenu* menu = static_cast<ui::TextBox&>(*nc.control).popupMenu;
  if (!menu) return;
  run([&] { platform_.showMenu(*menu, screen, hwnd()); });
}

// --- keys ---

bool FormWindow::preTranslateKey(MSG& msg, NativeControl* target) {
  if (detached_) return false;
  ui::Control* c = target ? target->control : nullptr;
  const int vk = static_cast<int>(msg.wParam);
  auto caretToModel = [&] {
    if (!c || !target->hwnd) return;
    HWND edit = msg.hwnd;
    DWORD start = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    // The model counts bytes of the system code page.
    const std::wstring text = windowText(edit);
    const int bytes = static_cast<int>(
        wideToAnsi(std::wstring_view(text).substr(0, std::min<std::size_t>(start, text.size())))
            .size());
    if (c->kind() == Kind::Memo || c->kind() == Kind::Edit)
      static_cast<ui::TextBox&>(*c).userSetCaret(bytes);
    else if (c->kind() == Kind::ComboBox)
      static_cast<ui::ComboBox&>(*c).userSetCaret(bytes);
  };
  switch (msg.message) {
    case WM_KEYDOWN:
      if (form_->keyPreview || !c)
        run([&] {
          if (form_->onFormKeyDown) form_->onFormKeyDown(vk);
        });
      if (c) {
        caretToModel();
        run([&] {
          if (c->onKeyDown) c->onKeyDown(vk);
        });
      }
      if (vk == VK_TAB && ::GetKeyState(VK_CONTROL) >= 0) {
        HWND next = ::GetNextDlgTabItem(hwnd(), ::GetFocus(), ::GetKeyState(VK_SHIFT) < 0);
        if (next) ::SetFocus(next);
        return true;
      }
      if (vk == VK_RETURN && c && c->kind() == Kind::Button && ::GetFocus() == target->hwnd) {
        run([&] { c->userClick(); });
        return true;
      }
      return false;
    case WM_KEYUP:
      if (form_->keyPreview || !c)
        run([&] {
          if (form_->onFormKeyUp) form_->onFormKeyUp(vk);
        });
      if (c)
        run([&] {
          if (c->onKeyUp) c->onKeyUp(vk);
        });
      return false;
    case WM_CHAR: {
      if (!c || !c->onKeyPress) return false;
      const wchar_t wc = static_cast<wchar_t>(msg.wParam);
      const std::string bytes = wideToAnsi(std::wstring_view(&wc, 1));
      if (bytes.size() != 1) return false;  // double-byte characters pass untouched
      char ch = bytes[0];
      run([&] { c->onKeyPress(ch); });
      if (ch == 0) return true;
      if (ch != bytes[0]) {
        const std::wstring w = ansiToWide(std::string_view(&ch, 1));
        if (!w.empty()) msg.wParam = w[0];
      }
      return false;
    }
    default:
      return false;
  }
}

// --- window procedures ---

LRESULT CALLBACK FormWindow::windowProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<FormWindow*>(cs->lpCreateParams);
    ::SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    ::EnableNonClientDpiScaling(w);
  }
  FormWindow* self = fromHwnd(w);
  if (!self || self->detached_ || !self->window_) return ::DefWindowProcW(w, msg, wParam, lParam);
  return self->handle(msg, wParam, lParam);
}

LRESULT FormWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND w = hwnd();
  if (platform_.isMainForm(this)) {
    LRESULT result = 0;
    if (platform_.handleMainMessage(msg, wParam, lParam, result)) return result;
  }
  switch (msg) {
    case WM_COMMAND:
      return handleCommand(wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return controlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ERASEBKGND: {
      RECT r;
      ::GetClientRect(w, &r);
      ::FillRect(reinterpret_cast<HDC>(wParam), &r, brush(toColorRef(form_->color())));
      return 1;
    }
    case WM_TIMER:
      for (auto& nc : controls_) {
        if (nc->timerId == wParam) {
          auto* timer = static_cast<ui::Timer*>(nc->control);
          run([timer] { timer->fire(); });
          return 0;
        }
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        platform_.noteActiveForm(this);
        run([this] { form_->setActiveFromBackend(true); });
        if (ui::Control* c = form_->focused()) {
          NativeControl* nc = find(*c);
          if (nc && nc->hwnd && ::IsWindowVisible(nc->hwnd) && ::IsWindowEnabled(nc->hwnd)) {
            ++nativeEcho_;
            ::SetFocus(nc->hwnd);
            --nativeEcho_;
            return 0;
          }
        }
      } else {
        run([this] { form_->setActiveFromBackend(false); });
      }
      break;
    case WM_CLOSE: {
      bool closed = false;
      run([&] { closed = form_->close(); });
      if (closed && platform_.isMainForm(this)) platform_.quit();
      return 0;
    }
    case WM_GETMINMAXINFO: {
      // The panel can shrink to its title bar and to nothing at all.
      auto* mmi = reinterpret_cast<MINMAXINFO*>(lParam);
      mmi->ptMinTrackSize = {0, 0};
      return 0;
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED && form_->sizeable) {
        // The user maximized, restored or sized the window: the state reaches the model, the
        // anchored controls follow the frame.
        const bool zoomed = wParam == SIZE_MAXIMIZED;
        if (form_->maximized() != zoomed) run([this, zoomed] { form_->userSetMaximized(zoomed); });
        layoutAnchored();
      }
      break;
    case WM_WINDOWPOSCHANGED: {
      // A drag by the user moves the model too; sizes stay the model's, and so does the
      // position while the window is maximized (it comes back there when restored).
      const auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (nativeEcho_ == 0 && !(wp->flags & SWP_NOMOVE) && !::IsZoomed(w) &&
          (wp->x != form_->left() || wp->y != form_->top())) {
        ++modelEcho_;
        form_->setBounds({wp->x, wp->y, form_->width(), form_->height()});
        --modelEcho_;
      }
      break;
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      ++modelEcho_;
      form_->setBounds({suggested->left, suggested->top, form_->width(), form_->height()});
      --modelEcho_;
      applyFonts();
      applyFormBounds();
      for (auto& nc : controls_)
        if (nc->hwnd) applyControlBounds(*nc);
      updateFrameHeight();
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcW(w, msg, wParam, lParam);
}

LRESULT FormWindow::handleCommand(WPARAM wParam, LPARAM lParam) {
  HWND child = reinterpret_cast<HWND>(lParam);
  NativeControl* nc = find(child);
  if (!nc || nativeEcho_ > 0) return 0;
  ui::Control* c = nc->control;
  const int code = HIWORD(wParam);
  switch (c->kind()) {
    case Kind::Button:
    case Kind::CheckBox:
    case Kind::RadioButton:
      if (code == BN_CLICKED) run([c] { c->userClick(); });
      break;
    case Kind::Memo:
    case Kind::Edit:
      if (code == EN_CHANGE) {
        auto* t = static_cast<ui::TextBox*>(c);
        // A read-only box shows a preview: its window text must never replace the model's.
        if (t->readOnly()) break;
        const std::string text = wideToAnsi(windowText(child));
        run([t, &text] { t->userSetText(text); });
      }
      break;
    case Kind::ComboBox: {
      auto* combo = static_cast<ui::ComboBox*>(c);
      if (code == CBN_SELCHANGE) {
        const int index = static_cast<int>(::SendMessageW(child, CB_GETCURSEL, 0, 0));
        run([combo, index] { combo->userSelect(index); });
      } else if (code == CBN_EDITCHANGE) {
        const std::string text = wideToAnsi(windowText(child));
        run([combo, &text] { combo->userSetText(text); });
      }
      break;
    }
    default:
      break;
  }
  return 0;
}

LRESULT FormWindow::controlColor(HDC dc, HWND child) {
  NativeControl* nc = find(child);
  if (!nc) return reinterpret_cast<LRESULT>(brush(toColorRef(form_->color())));
  const COLORREF bg = toColorRef(effectiveColor(*nc->control));
  ::SetBkColor(dc, bg);
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(brush(bg));
}

// The window that holds a field's text: the edit control itself, or a combo box's edit part.
bool FormWindow::isEditField(const NativeControl& nc, HWND w) {
  const Kind k = nc.control->kind();
  return (k == Kind::Edit && w == nc.hwnd) || (k == Kind::ComboBox && w != nc.hwnd);
}

LRESULT CALLBACK FormWindow::childProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR ref) {
  auto* nc = reinterpret_cast<NativeControl*>(ref);
  if (msg == WM_NCDESTROY) {
    ::RemoveWindowSubclass(w, childProc, kSubclassId);
    return ::DefSubclassProc(w, msg, wParam, lParam);
  }
  FormWindow* self = fromHwnd(::GetAncestor(w, GA_ROOT));
  if (!self || self->detached_) return ::DefSubclassProc(w, msg, wParam, lParam);
  return self->handleChild(*nc, w, msg, wParam, lParam);
}

LRESULT FormWindow::handleChild(NativeControl& nc, HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  ui::Control* c = nc.control;
  const Kind kind = c->kind();
  const bool speed = kind == Kind::SpeedButton;
  switch (msg) {
    case WM_SETFOCUS:
      // The model's enter and exit handlers may change other controls, so their changes must
      // reach the windows: no syncing guard here (applyFocus sees the focus is already there).
      if (nativeEcho_ == 0 && form_->focused() != c) run([this, c] { form_->setFocus(c); });
      break;
    case WM_MOUSEMOVE:
      if (!nc.mouseInside) {
        nc.mouseInside = true;
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_LEAVE;
        tme.hwndTrack = w;
        ::TrackMouseEvent(&tme);
        run([c] { c->userMouseEnter(); });
      }
      if (speed && nc.leftPressed) {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT r;
        ::GetClientRect(w, &r);
        ::SendMessageW(w, BM_SETSTATE, ::PtInRect(&r, p), 0);
        return 0;
      }
      break;
    case WM_MOUSELEAVE:
      nc.mouseInside = false;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      nc.leftPressed = true;
      run([c] { c->userMouseDown(ui::MouseButton::Left); });
      if (speed) {
        // A speed button never takes the keyboard focus: press it without the default handling.
        ::SetCapture(w);
        ::SendMessageW(w, BM_SETSTATE, TRUE, 0);
        return 0;
      }
      break;
    case WM_RBUTTONDOWN:
      run([c] { c->userMouseDown(ui::MouseButton::Right); });
      break;
    case WM_MBUTTONDOWN:
      run([c] { c->userMouseDown(ui::MouseButton::Middle); });
      break;
    case WM_RBUTTONUP:
      run([c] { c->userMouseUp(ui::MouseButton::Right); });
      break;
    case WM_MBUTTONUP:
      run([c] { c->userMouseUp(ui::MouseButton::Middle); });
      break;
    case WM_LBUTTONUP: {
      const bool wasPressed = nc.leftPressed;
      nc.leftPressed = false;
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT r;
      ::GetClientRect(w, &r);
      const bool inside = ::PtInRect(&r, p) != FALSE;
      if (speed) {
        ::ReleaseCapture();
        ::SendMessageW(w, BM_SETSTATE, FALSE, 0);
        run([c] { c->userMouseUp(ui::MouseButton::Left); });
        if (wasPressed && inside) run([c] { c->userClick(); });
        return 0;
      }
      if (isButtonKind(kind)) {
        // Buttons report the release first, then their click (BN_CLICKED) from the default.
        run([c] { c->userMouseUp(ui::MouseButton::Left); });
        break;
      }
      const LRESULT result = ::DefSubclassProc(w, msg, wParam, lParam);
      if (wasPressed && inside) run([c] { c->userClick(); });
      run([c] { c->userMouseUp(ui::MouseButton::Left); });
      return result;
    }
    case WM_CHAR:
      // The limit counts bytes: a double-byte character that no longer fits is refused whole.
      if (const int limit = byteLimit(*c); limit > 0 && isEditField(nc, w) && wParam >= L' ') {
        const wchar_t ch = static_cast<wchar_t>(wParam);
        if (ansiBytes(withSelectionReplaced(w, std::wstring_view(&ch, 1))) >
            static_cast<std::size_t>(limit)) {
          ::MessageBeep(MB_OK);
          return 0;
        }
      }
      break;
    case WM_PASTE:
      if (const int limit = byteLimit(*c);
          limit > 0 && isEditField(nc, w) && !(::GetWindowLongW(w, GWL_STYLE) & ES_READONLY)) {
        pasteWithinByteLimit(w, limit);
        return 0;
      }
      break;
    case WM_CONTEXTMENU: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (p.x == -1 && p.y == -1) {
        RECT r;
        ::GetWindowRect(w, &r);
        p = {r.left, r.top};
      }
      if ((kind == Kind::Memo || kind == Kind::Edit) && static_cast<ui::TextBox*>(c)->popupMenu) {
        popupMenuFor(nc, p);
        return 0;
      }
      break;
    }
    case WM_SETCURSOR:
      if (c->handCursor() && LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_ERASEBKGND:
      if (kind == Kind::Panel) {
        RECT r;
        ::GetClientRect(w, &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, brush(toColorRef(effectiveColor(*c))));
        return 1;
      }
      break;
    default:
      break;
  }
  return ::DefSubclassProc(w, msg, wParam, lParam);
}

}  // namespace win32
