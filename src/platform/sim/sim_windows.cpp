// Windows and their stacking on the simulated desktop: the program's forms, other programs'
// windows, the foreground and activation.

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_internal.h"

#include <algorithm>
#include <cmath>

namespace sim {

using platform::Point;
using platform::WindowHandle;

WindowHandle SimDesktop::createOtherWindow(platform::Rect rect) {
  WindowHandle w = newHandle();
  windowRects[w] = rect;
  zOrder_.push_back(w);
  return w;
}

void SimDesktop::addCursorRegion(platform::Rect rect, platform::CursorShape shape) {
  cursorRegions_.emplace_back(rect, shape);
}

platform::CursorShape SimDesktop::shapeAt(Point p) const {
  // The region added last lies on top.
  auto top = std::find_if(cursorRegions_.rbegin(), cursorRegions_.rend(),
                          [&](const auto& region) { return within(region.first, p); });
  return top != cursorRegions_.rend() ? top->second : cursorShape;
}

WindowHandle SimDesktop::windowAt(Point p) const {
  auto top = std::find_if(zOrder_.rbegin(), zOrder_.rend(), [&](WindowHandle w) {
    auto r = windowRects.find(w);
    return r != windowRects.end() && within(r->second, p);
  });
  return top != zOrder_.rend() ? *top : 0;
}

void SimDesktop::setForeground(WindowHandle w) {
  if (w == foreground_) return;
  foreground_ = w;
  // An activated window comes to the top.
  if (auto it = std::find(zOrder_.begin(), zOrder_.end(), w); it != zOrder_.end()) {
    zOrder_.erase(it);
    zOrder_.push_back(w);
  }
  for (SimPlatform* p : std::vector<SimPlatform*>(processes_))
    p->deliverActivation(w);
}

void SimDesktop::activateOther(WindowHandle w) {
  setForeground(w);
}

void SimPlatform::setupApplicationWindow(std::string_view title) {
  appTitle_ = title;
  appToolWindow_ = true;
  if (!appWindow_) appWindow_ = desktop_.newHandle();
}

void SimPlatform::bringApplicationToFront() {
  setForegroundWindow(appWindow_);
}

void SimPlatform::realize(ui::Form& form) {
  forms_.push_back(&form);
  handles_[&form] = desktop_.newHandle();
  form.setFrameHeight(kFrameHeight);
  form.setPeer(this);
  renderText(form, ui::Property::Caption);
  for (ui::Control* c : form.allControls()) {
    c->setPeer(this);
    const bool textBox = c->kind() == ui::Control::Kind::Memo ||
                         c->kind() == ui::Control::Kind::Edit ||
                         c->kind() == ui::Control::Kind::ComboBox;
    renderText(*c, textBox ? ui::Property::Text : ui::Property::Caption);
    renderText(*c, ui::Property::Hint);
    if (c->kind() == ui::Control::Kind::Timer) {
      auto* t = static_cast<ui::Timer*>(c);
      if (t->running()) scheduleTimer(*t);
    }
  }
}

void SimPlatform::setMainForm(ui::Form& form, platform::ShellEvents& events) {
  mainForm_ = &form;
  events_ = &events;
}

void SimPlatform::showNoActivate(ui::Form& form) {
  ++showingNoActivate_;
  form.show();
  --showingNoActivate_;
}

WindowHandle SimPlatform::handleOf(const ui::Form& form) const {
  auto it = handles_.find(&form);
  return it == handles_.end() ? 0 : it->second;
}

ui::Form* SimPlatform::formOf(WindowHandle w) const {
  for (const auto& [f, h] : handles_)
    if (h == w) return const_cast<ui::Form*>(f);
  return nullptr;
}

void SimPlatform::popupMenu(ui::PopupMenu& menu, Point at) {
  openMenu_ = &menu;
  menuAt_ = at;
}

Point SimPlatform::clientToScreen(const ui::Control& control, Point p) const {
  int x = p.x, y = p.y;
  const ui::Control* c = &control;
  for (; c->parent(); c = c->parent()) {
    x += c->left();
    y += c->top();
  }
  // c is the form: client origin sits inside the frame, below the title bar.
  return Point{x + c->left() + 3, y + c->top() + kFrameHeight - 3};
}

void SimPlatform::setForegroundWindow(WindowHandle w) {
  if (desktop_.refuseForeground || w == 0) return;
  desktop_.setForeground(w);
}

void SimPlatform::deliverActivation(WindowHandle w) {
  const bool ours = w == appWindow_ || formOf(w) != nullptr;
  bool wasOurs = false;
  for (ui::Form* f : forms_)
    wasOurs = wasOurs || f->active();
  if (w == appWindow_) {
    // Bringing the application window forward passes activation on, one message later, to the
    // form that was active last (the main form when that one is hidden or disabled).
    desktop_.post(this, 0, [this] {
      if (desktop_.foreground() != appWindow_) return;
      ui::Form* target = lastActive_;
      if (!target || !target->visible() || !target->enabled()) target = mainForm_;
      if (target && target->visible()) desktop_.setForeground(handleOf(*target));
    });
    return;
  }
  if (ui::Form* f = formOf(w)) lastActive_ = f;
  dispatch([&] {
    for (ui::Form* f : forms_)
      if (handleOf(*f) != w) f->setActiveFromBackend(false);
    if (ui::Form* f = formOf(w)) f->setActiveFromBackend(true);
  });
  if (!ours && wasOurs && events_) dispatch([this] { events_->applicationDeactivate(); });
}

bool SimPlatform::ownWindowAt(Point p) const {
  // The program's windows lie above the other programs' here.
  return std::any_of(forms_.begin(), forms_.end(), [&](const ui::Form* f) {
    return f->visible() && within({f->left(), f->top(), f->left() + f->width(),
                                   f->top() + std::max(0, f->height())},
                                  p);
  });
}

platform::Rect SimPlatform::windowRect(WindowHandle w) const {
  if (ui::Form* f = formOf(w))
    return {f->left(), f->top(), f->left() + f->width(), f->top() + f->height()};
  auto it = desktop_.windowRects.find(w);
  return it == desktop_.windowRects.end() ? platform::Rect{} : it->second;
}

bool SimPlatform::titleBarPress(int hitTest) {
  bool drag = false;
  // The press activates the window before it arrives, as the system does on a click.
  if (mainForm_ && !mainForm_->noActivate && mainForm_->visible() && mainForm_->height() > 0)
    desktop_.setForeground(handleOf(*mainForm_));
  if (events_) dispatch([&] { drag = events_->ncLButtonDown(hitTest); });
  return drag;
}

void SimPlatform::titleBarDoubleClick(int hitTest) {
  if (events_) dispatch([&] { events_->ncLButtonDblClk(hitTest); });
}

int SimPlatform::layoutPixels(const ui::Form&, int units) const {
  // Rounded to the nearest pixel, as the system's MulDiv does.
  return static_cast<int>(std::lround(units * desktop_.dpi / 96.0));
}

void SimPlatform::activate(ui::Form& f) {
  desktop_.setForeground(handleOf(f));
}

void SimPlatform::closeBox(ui::Form& f) {
  if ((f.dialogFrame || f.sizeable) && f.systemMenu) systemClose(f);
}

void SimPlatform::systemClose(ui::Form& f) {
  dispatch([this, &f] {
    if (f.close() && f.quitsOnClose) quit();
  });
}

void SimPlatform::maximizeBox(ui::Form& f, bool maximize) {
  if (!f.visible() || !f.sizeable || !f.maximizeBox) return;
  dispatch([&f, maximize] { f.userSetMaximized(maximize); });
}

}  // namespace sim
