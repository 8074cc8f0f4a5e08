#include "platform/win32/controls/timer.h"

#include <algorithm>

namespace win32 {

void TimerAdapter::create(ControlSite& site, HWND, int) {
  timerId = site.newTimerId();
}

void TimerAdapter::apply(ControlSite& site, ui::Property what) {
  if (what != ui::Property::TimerState) return;
  const auto& timer = static_cast<const ui::Timer&>(*control);
  if (timer.running())
    ::SetTimer(site.formHwnd(), timerId, static_cast<UINT>(std::max(1, timer.interval())), nullptr);
  else
    ::KillTimer(site.formHwnd(), timerId);
}

void TimerAdapter::timerElapsed(ControlSite& site) {
  auto* timer = static_cast<ui::Timer*>(control);
  site.run([timer] { timer->fire(); });
}

}  // namespace win32
