#include "platform/win32/form_window.h"

#include <commctrl.h>
#include <imm.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "platform/platform.h"

namespace win32 {

namespace {

constexpr int kFirstControlId = 100;

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

}  // namespace

FormWindow::FormWindow(FormHost& host, ui::Form& form, HWND owner) : host_(host), form_(&form) {
  const std::wstring className = utf8ToWide(form.name().empty() ? "KolvexForm" : form.name());
  registerWindowClass(host.instance(), className, windowProc, CS_DBLCLKS);

  // Top-most is a place in the z-order: given at creation, later only by SetWindowPos.
  const DWORD exStyle = form.topmost() ? WS_EX_TOPMOST : 0;
  HWND w = ::CreateWindowExW(exStyle, className.c_str(), shown(form, ui::Property::Caption).c_str(),
                             WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, form.left(), form.top(),
                             std::max(form.width(), 1), std::max(form.height(), 1), owner, nullptr,
                             host.instance(), this);
  window_.reset(w);
  if (!w) throw platform::Error("CreateWindowEx");
  dpi_ = ::GetDpiForWindow(w);
  if (dpi_ == 0) dpi_ = 96;

  form.setPeer(this);
  // A form that is not shown yet gets its controls' windows when it is first shown: under Wine
  // the settings window's controls alone hold over a megabyte, and it may never be opened.
  childWindows_ = form.visible();
  createControls(form, w);
  applyInputMethod();
  applyStyles();
  applyFonts();
  applyColor();
  applyFormBounds();
  updateFrameHeight();
  if (childWindows_) applyControlState();
  for (auto& nc : controls_)
    autoSizeParent(*nc->control);
}

void FormWindow::ensureChildWindows() {
  if (childWindows_) return;
  childWindows_ = true;
  createChildWindows(*form_, hwnd());
  applyInputMethod();
  for (ui::Control* c : std::exchange(visibilityChanges_, {}))
    if (NativeControl* nc = find(*c)) nc->apply(*this, ui::Property::Visible);
  applyFonts();
  applyControlState();
  for (auto& nc : controls_)
    autoSizeParent(*nc->control);
}

void FormWindow::createChildWindows(ui::Control& parent, HWND parentHwnd) {
  for (ui::Control* c : parent.children()) {
    NativeControl* nc = find(*c);
    if (nc && !nc->hwnd && nc->hasWindow()) {
      const auto index = std::find_if(controls_.begin(), controls_.end(),
                                      [nc](const auto& e) { return e.get() == nc; }) -
                         controls_.begin();
      nc->create(*this, parentHwnd, kFirstControlId + static_cast<int>(index));
      if (nc->hwnd) applyControlBounds(*nc);
    }
    if (!c->children().empty()) createChildWindows(*c, nc && nc->hwnd ? nc->hwnd : parentHwnd);
  }
}

void FormWindow::applyControlState() {
  // What the model may have changed since the controls were made; visibility and the enabled
  // state are given at creation.
  for (auto& nc : controls_) {
    if (!nc->hwnd) continue;
    nc->applyText(*this);
    applyHint(*nc);
    nc->applyItems(*this);
    nc->apply(*this, ui::Property::Checked);
    nc->apply(*this, ui::Property::Caret);
  }
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
  // A window inside a control (a combo box's edit part) may belong to it.
  HWND parent = ::GetParent(child);
  if (parent && parent != window_.get()) {
    for (auto& nc : controls_)
      if (nc->hwnd == parent && nc->ownsChildWindows()) return nc.get();
  }
  return nullptr;
}

NativeControl* FormWindow::find(const ui::Control& control) const {
  for (auto& nc : controls_)
    if (nc->control == &control) return nc.get();
  return nullptr;
}

void FormWindow::run(const std::function<void()>& fn) {
  if (detached_) return;
  host_.runHandler(fn);
}

void FormWindow::showMenu(ui::PopupMenu& menu, POINT screen) {
  run([&] { host_.showMenu(menu, screen, hwnd()); });
}

void FormWindow::subclass(HWND w, ControlAdapter& a) {
  ::SetWindowSubclass(w, childProc, kSubclassId, reinterpret_cast<DWORD_PTR>(&a));
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
  std::unique_ptr<NativeControl> nc = makeAdapter(c);
  if (childWindows_ || !nc->hasWindow())
    nc->create(*this, parentHwnd, kFirstControlId + static_cast<int>(controls_.size()));
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
          ensureChildWindows();
          applyStyles();
          centerOnFirstShow();
          applyFormBounds();
          if (form_->maximized() && form_->sizeable)
            ::ShowWindow(hwnd(), SW_SHOWMAXIMIZED);
          else
            ::ShowWindow(hwnd(), form_->noActivate ? SW_SHOWNOACTIVATE : SW_SHOW);
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
        sizeRestores_ = 0;
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
  if (what == P::Visible && !childWindows_) {
    std::erase(visibilityChanges_, &control);
    visibilityChanges_.push_back(&control);
    return;
  }
  if (what == P::Hint) {
    applyHint(*nc);
  } else if (what == P::Bounds) {
    if (!nc->hwnd) return;
    applyControlBounds(*nc);
    autoSizeParent(control);
  } else {
    nc->apply(*this, what);
  }
}

void FormWindow::applyStyles() {
  const ui::Form& f = *form_;
  DWORD style = WS_POPUP | WS_CLIPCHILDREN | (::GetWindowLongW(hwnd(), GWL_STYLE) & WS_VISIBLE);
  DWORD exStyle = ::GetWindowLongW(hwnd(), GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_LAYERED);
  if (f.dialogFrame || f.sizeable) {
    style |= WS_CAPTION;
    if (f.systemMenu) style |= WS_SYSMENU;
    if (f.dialogFrame && !f.sizeable) exStyle |= WS_EX_DLGMODALFRAME;
  }
  if (f.sizeable) style |= WS_THICKFRAME;
  if (f.maximizeBox) style |= WS_MAXIMIZEBOX;
  if (f.toolWindow) exStyle |= WS_EX_TOOLWINDOW;
  if (f.noActivate || (f.activeOnlyWhenAsked && ::GetActiveWindow() != hwnd()))
    exStyle |= WS_EX_NOACTIVATE;
  // The top-most bit stays as it is: SetWindowLong cannot change it (see applyTopmost).
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
  const int width = scale(f.width()), height = scale(std::max(0, f.height()));
  // The model restates its bounds often (every capture folds an already folded panel); under
  // Wine even an unchanged position costs a round of window-manager work, right before a save.
  RECT now;
  const bool unchanged = ::GetWindowRect(hwnd(), &now) && !::IsIconic(hwnd()) &&
                         now.left == f.left() && now.top == f.top() &&
                         now.right - now.left == width && now.bottom - now.top == height;
  if (!unchanged)
    ::SetWindowPos(hwnd(), nullptr, f.left(), f.top(), width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  // A window of no height is not on the screen at all under Wine: coming back (the panel at a
  // copy) it is put on top again, as when it is shown, and not activated.
  const bool reappears = !unchanged && now.bottom == now.top && height > 0;
  // A top-most window that never takes the activation (the hint riding along with the pointer)
  // is put back on top whenever it moves: the window the user clicks under it may have been
  // raised over it (Wine raises a clicked window even over another process's top-most ones).
  // Asked from not top-most, as the system only restacks on a change.
  if (f.topmost() && (f.noActivate || reappears) && ::IsWindowVisible(hwnd())) {
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
  nc.place(*this, left, top, std::max(0, width), std::max(0, height));
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
  // A Windows whose language is not Japanese may know the panel's font by its English name only.
  if (!fontExists(face) && face == L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF")
    face = L"MS PGothic";
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

HFONT FormWindow::fontFor(const ControlAdapter& a) {
  const ControlAdapter::Font own = a.ownFont();
  return font(own.name.empty() ? form_->fontName : own.name,
              own.height > 0 ? own.height : form_->fontHeight);
}

void FormWindow::applyFonts() {
  auto old = std::move(fonts_);
  fonts_.clear();
  for (auto& nc : controls_)
    if (nc->hwnd) nc->applyFont(*this);
}

void FormWindow::autoSizeParent(ui::Control& child) {
  ui::Control* parent = child.parent();
  if (!parent || !parent->autoSize) return;
  bool any = false;
  int minLeft = 0, minTop = 0, right = 0, bottom = 0;
  for (const ui::Control* c : parent->children()) {
    if (const NativeControl* nc = find(*c); nc && !nc->takesSpace()) continue;
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

std::wstring FormWindow::shown(const ui::Control& c, ui::Property what) const {
  const ui::Shown s = ui::shownText(c, what, host_.leadBytes(), host_.cutMark());
  return s.utf8 ? utf8ToWide(s.chars) : ansiToWide(s.chars);
}

text::Text FormWindow::typedText(std::wstring_view typed) const {
  return host_.codec().fromUtf8(wideToUtf8(typed));
}

ui::Color FormWindow::effectiveColor(const ui::Control& c) const {
  // Captions and panels without a colour of their own take their parent's, as the form shows
  // through behind them.
  const ui::Control* k = &c;
  while (k->parent() && k->color() == ui::kClWindow) {
    const NativeControl* nc = find(*k);
    if (!nc || !nc->showsParentColor()) break;
    k = k->parent();
  }
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

void FormWindow::applyInputMethod() {
  if (!form_->noInputMethod) return;
  // Without an input context a key comes as itself (not as VK_PROCESSKEY) whatever input method
  // the user has switched on. The association covers only the windows that exist now.
  ::ImmAssociateContextEx(hwnd(), nullptr, IACE_CHILDREN);
  ::ImmAssociateContextEx(hwnd(), nullptr, 0);
}

void FormWindow::applyTransparent() {
  // A transparent form is not seen at all; one with a see-through colour shows what is behind
  // it wherever it is painted in that colour.
  const LONG ex = ::GetWindowLongW(hwnd(), GWL_EXSTYLE);
  if (form_->transparent()) {
    ::SetWindowLongW(hwnd(), GWL_EXSTYLE, ex | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(hwnd(), 0, 0, LWA_ALPHA);
  } else if (const auto& key = form_->transparentColor()) {
    ::SetWindowLongW(hwnd(), GWL_EXSTYLE, ex | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(hwnd(), toColorRef(*key), 255, LWA_COLORKEY);
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
                                     host_.instance(), nullptr));
    if (!tooltip_) return;
    // Slot texts may hold several lines.
    ::SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, scale(600));
    applyHintTiming(host_.hintPauseMs(), host_.hintHideMs());
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

// A window active only when asked carries WS_EX_NOACTIVATE while it is inactive: coming back onto
// the screen it is not activated, neither by the system nor, under Wine, by a window manager that
// offers the keyboard to a window it maps (SWP_NOACTIVATE alone does not stop that). The user's
// press on it and the program's own foreground request lift the style first.
void FormWindow::allowActivation() {
  if (!form_->activeOnlyWhenAsked || form_->noActivate) return;
  const LONG ex = ::GetWindowLongW(hwnd(), GWL_EXSTYLE);
  if (ex & WS_EX_NOACTIVATE) ::SetWindowLongW(hwnd(), GWL_EXSTYLE, ex & ~WS_EX_NOACTIVATE);
}

void FormWindow::refuseActivation() {
  if (!form_->activeOnlyWhenAsked) return;
  const LONG ex = ::GetWindowLongW(hwnd(), GWL_EXSTYLE);
  if (!(ex & WS_EX_NOACTIVATE)) ::SetWindowLongW(hwnd(), GWL_EXSTYLE, ex | WS_EX_NOACTIVATE);
}

void FormWindow::userPress(UINT mouseMessage) {
  if (!form_->activeOnlyWhenAsked || form_->noActivate || ::GetActiveWindow() == hwnd()) return;
  if (mouseMessage != WM_LBUTTONDOWN && mouseMessage != WM_RBUTTONDOWN &&
      mouseMessage != WM_MBUTTONDOWN && mouseMessage != WM_NCLBUTTONDOWN &&
      mouseMessage != WM_NCRBUTTONDOWN)
    return;
  // A press activates a window, as one without the style is activated by it; the process that
  // received the input may take the foreground.
  allowActivation();
  ::SetForegroundWindow(hwnd());
}

void FormWindow::showNoActivate() {
  ++modelEcho_;
  form_->setVisible(true);
  --modelEcho_;
  ensureChildWindows();
  applyStyles();
  centerOnFirstShow();
  applyFormBounds();
  ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  // Above whatever top-most windows came up before it.
  if (form_->topmost()) applyTopmost();
}

}  // namespace win32
