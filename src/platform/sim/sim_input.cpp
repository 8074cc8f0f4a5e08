// Input on the simulated desktop: the user's keys and clicks, other programs' text fields, and
// the input hook.

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_internal.h"

#include <algorithm>

namespace sim {

using platform::Point;
using platform::WindowHandle;

// --- other programs' text fields ---

std::string SimDesktop::TextField::selection() const {
  const auto [from, to] = std::minmax(anchor, caret);
  return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
}

SimDesktop::TextField& SimDesktop::createTextField(WindowHandle w, platform::Rect rect,
                                                   std::string text) {
  TextField& f = fields_[w];
  f.window = w;
  f.rect = rect;
  f.text = std::move(text);
  f.caret = f.anchor = static_cast<int>(f.text.size());
  addCursorRegion(rect, platform::CursorShape::IBeam);
  return f;
}

SimDesktop::TextField* SimDesktop::fieldOf(WindowHandle w) {
  auto it = fields_.find(w);
  return it == fields_.end() ? nullptr : &it->second;
}

namespace {

bool cp932Lead(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Character boundaries of a CP932 text, so the caret never stands inside a character.
int nextChar(const std::string& t, int i) {
  const auto n = static_cast<int>(t.size());
  if (i >= n) return n;
  const bool lead = cp932Lead(static_cast<unsigned char>(t[static_cast<std::size_t>(i)]));
  return std::min(n, i + (lead ? 2 : 1));
}

int prevChar(const std::string& t, int i) {
  int at = 0;
  for (int k = 0; k < i;) {
    at = k;
    k = nextChar(t, k);
  }
  return at;
}

bool isSpaceAt(const std::string& t, int i) {
  return t[static_cast<std::size_t>(i)] == ' ';
}

int wordLeft(const std::string& t, int i) {
  while (i > 0 && isSpaceAt(t, prevChar(t, i)))
    i = prevChar(t, i);
  while (i > 0 && !isSpaceAt(t, prevChar(t, i)))
    i = prevChar(t, i);
  return i;
}

int wordRight(const std::string& t, int i) {
  const auto n = static_cast<int>(t.size());
  while (i < n && !isSpaceAt(t, i))
    i = nextChar(t, i);
  while (i < n && isSpaceAt(t, i))
    i = nextChar(t, i);
  return i;
}

void replaceSelection(SimDesktop::TextField& f, std::string_view with) {
  const auto [from, to] = std::minmax(f.anchor, f.caret);
  f.text.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from), with);
  f.caret = f.anchor = from + static_cast<int>(with.size());
}

}  // namespace

void SimDesktop::applyKey(int vk, bool up) {
  if (up) {
    held_.erase(vk);
    return;
  }
  held_.insert(vk);
  TextField* f = fieldOf(foreground_);
  if (!f) return;
  const bool ctrl = keyHeld(17), shift = keyHeld(16);
  const bool selected = f->anchor != f->caret;
  auto moveTo = [&](int to) {
    f->caret = to;
    if (!shift) f->anchor = to;
  };
  switch (vk) {
    case 37:  // Left
      if (!shift && !ctrl && selected)
        moveTo(std::min(f->anchor, f->caret));
      else
        moveTo(ctrl ? wordLeft(f->text, f->caret) : prevChar(f->text, f->caret));
      return;
    case 39:  // Right
      if (!shift && !ctrl && selected)
        moveTo(std::max(f->anchor, f->caret));
      else
        moveTo(ctrl ? wordRight(f->text, f->caret) : nextChar(f->text, f->caret));
      return;
    case 46:  // Delete
      if (!selected) f->caret = nextChar(f->text, f->caret);
      replaceSelection(*f, "");
      return;
    case 8:  // Backspace
      if (!selected) f->caret = prevChar(f->text, f->caret);
      replaceSelection(*f, "");
      return;
    default:
      break;
  }
  if (ctrl) {
    if (vk == 'A') {
      f->anchor = 0;
      f->caret = static_cast<int>(f->text.size());
    } else if (vk == 'C' && selected && !clipHeld_) {
      setClipboard(ClipKind::Text, ansiText(f->selection()), nullptr);
    } else if (vk == 'V' && !clipHeld_ && clipKind_ == ClipKind::Text) {
      const std::string t = clipBytes_.substr(0, clipBytes_.find('\0'));
      f->pastes.push_back(t);
      replaceSelection(*f, t);
    }
    return;
  }
  if ((vk >= '0' && vk <= '9') || vk == ' ')
    replaceSelection(*f, std::string(1, static_cast<char>(vk)));
  else if (vk >= 'A' && vk <= 'Z')
    replaceSelection(*f, std::string(1, static_cast<char>(shift ? vk : vk - 'A' + 'a')));
}

// --- input of the desktop ---

void SimDesktop::postInput(platform::InputEvent e) {
  post(nullptr, 0, [this, e] {
    for (SimPlatform* p : std::vector<SimPlatform*>(processes_))
      p->hookEvent(e);
    if (e.kind == platform::InputEvent::Kind::KeyDown ||
        e.kind == platform::InputEvent::Kind::KeyUp)
      applyKey(e.vk, e.kind == platform::InputEvent::Kind::KeyUp);
  });
}

void SimDesktop::injectKey(int vk, bool up) {
  sentKeys.push_back({vk, up, now_});
  postInput({up ? platform::InputEvent::Kind::KeyUp : platform::InputEvent::Kind::KeyDown, vk});
}

void SimDesktop::userMoveMouse(Point p) {
  cursor = p;
  postInput({platform::InputEvent::Kind::Other, 0});
  runPending();
}

void SimDesktop::userClickAt(Point p) {
  cursor = p;
  postInput({platform::InputEvent::Kind::LButtonDown, 0});
  post(nullptr, 0, [this, p] {
    const WindowHandle w = windowAt(p);
    if (w) setForeground(w);
    if (TextField* f = fieldOf(w); f && within(f->rect, p))
      f->caret = f->anchor = static_cast<int>(f->text.size());
  });
  postInput({platform::InputEvent::Kind::LButtonUp, 0});
  runPending();
}

void SimDesktop::userKey(int vk, bool up) {
  postInput({up ? platform::InputEvent::Kind::KeyUp : platform::InputEvent::Kind::KeyDown, vk});
  runPending();
}

void SimDesktop::userChord(int modifier, int key) {
  userKey(modifier, false);
  userTap(key);
  userKey(modifier, true);
}

void SimPlatform::installInputHook() {
  hookInstalled_ = true;
  ++hookInstalls_;
}

void SimPlatform::sendKey(int vk, bool up) {
  // Synthetic keys come back through the input hook like real ones, once this handler is done.
  desktop_.injectKey(vk, up);
}

void SimPlatform::hookEvent(platform::InputEvent e) {
  if (hookInstalled_ && events_) dispatch([this, e] { events_->inputEvent(e); });
}

// --- the user's actions ---

void SimPlatform::click(ui::Control& c) {
  if (!c.usable()) return;
  dispatch([&c] { c.userClick(); });
}

void SimPlatform::mouseDown(ui::Control& c, ui::MouseButton b) {
  if (!c.usable()) return;
  dispatch([&c, b] { c.userMouseDown(b); });
}

void SimPlatform::mouseUp(ui::Control& c, ui::MouseButton b) {
  if (!c.usable()) return;
  dispatch([&c, b] { c.userMouseUp(b); });
}

void SimPlatform::rightPress(ui::TextBox& c) {
  if (!c.usable()) return;
  dispatch([&c] { c.userMouseDown(ui::MouseButton::Right); });
  if (c.popupMenu) openMenu_ = c.popupMenu;
}

void SimPlatform::mouseEnter(ui::Control& c) {
  if (!c.showing()) return;
  dispatch([&c] { c.userMouseEnter(); });
}

void SimPlatform::chooseMenuItem(ui::MenuItem& item) {
  openMenu_ = nullptr;
  if (!item.enabled()) return;
  dispatch([&item] { item.userClick(); });
}

void SimPlatform::keyDown(ui::Form& f, int vk) {
  dispatch([&f, vk] {
    if (f.keyPreview && f.onFormKeyDown) f.onFormKeyDown(vk);
    if (ui::Control* c = f.focused(); c && c->onKeyDown) c->onKeyDown(vk);
  });
}

void SimPlatform::keyUp(ui::Form& f, int vk) {
  dispatch([&f, vk] {
    if (f.keyPreview && f.onFormKeyUp) f.onFormKeyUp(vk);
    if (ui::Control* c = f.focused(); c && c->onKeyUp) c->onKeyUp(vk);
  });
}

void SimPlatform::input(platform::InputEvent e) {
  if (hookInstalled_ && events_) dispatch([this, e] { events_->inputEvent(e); });
}

}  // namespace sim
