// The simulated desktop's code page, clock and message queue, and the lifetime and timers of a
// program on it. Each concern has its unit beside this one: clipboard, files, windows, input,
// shell.

#include "platform/sim/sim_desktop.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace sim {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// Code page 932 as iconv knows it. A byte sequence without a character reads as "・", as
// Windows reads it; a character without a code is written "?".

namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of in; at a sequence it cannot convert, appends replacement and skips skip(in,
  // at) bytes.
  template <class Skip>
  std::string convert(std::string_view in, std::string_view replacement, Skip skip) const {
    if (!ok()) return std::string(in);
    std::string out;
    std::string src(in);
    char* from = src.data();
    std::size_t left = src.size();
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[4096];
    while (left > 0) {
      char* to = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t r = iconv(cd_, &from, &left, &to, &room);
      out.append(buffer, static_cast<std::size_t>(to - buffer));
      if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
        out.append(replacement);
        const std::size_t n = std::min(left, skip(std::string_view(from, left)));
        from += n;
        left -= n;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

// ASCII is the same in both.
bool ascii(std::string_view s) {
  unsigned char any = 0;
  for (char c : s)
    any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

std::size_t utf8Length(std::string_view s) {
  const auto b = static_cast<unsigned char>(s[0]);
  const std::size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
  return std::max<std::size_t>(1, std::min(n, s.size()));
}

}  // namespace

std::string simDecode(std::string_view bytes) {
  if (ascii(bytes)) return std::string(bytes);
  static const Converter toUtf8("UTF-8", "CP932");
  return toUtf8.convert(bytes, "\xE3\x83\xBB", [](std::string_view rest) {
    const auto b = static_cast<unsigned char>(rest[0]);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? std::size_t{2} : 1;
  });
}

std::string simEncode(std::string_view utf8) {
  if (ascii(utf8)) return std::string(utf8);
  static const Converter toCp932("CP932", "UTF-8");
  return toCp932.convert(utf8, "?", utf8Length);
}

// ---------------------------------------------------------------------------------------------
// SimDesktop

SimDesktop::SimDesktop(fs::path directory) : dir_(std::move(directory)) {
  fs::create_directories(dir_);
}

SimDesktop::~SimDesktop() = default;

void SimDesktop::post(SimPlatform* target, std::int64_t delayMs, std::function<void()> fn) {
  queue_.push_back(Posted{now_ + delayMs, seq_++, target, std::move(fn)});
}

void SimDesktop::cancelPosts(SimPlatform* target) {
  std::erase_if(queue_, [&](const Posted& p) { return p.target == target; });
}

void SimDesktop::detach(SimPlatform* p) {
  cancelPosts(p);
  std::erase(processes_, p);
  // As the system forgets the owner whose window is gone.
  if (clipWriter_ == p) clipWriter_ = nullptr;
}

bool SimDesktop::runOne(std::int64_t limit) {
  auto it = std::min_element(queue_.begin(), queue_.end(), [](const Posted& a, const Posted& b) {
    return a.due != b.due ? a.due < b.due : a.seq < b.seq;
  });
  if (it == queue_.end() || it->due > limit) return false;
  Posted p = std::move(*it);
  queue_.erase(it);
  // A message that was due during a blocking sleep is handled now, not in the past.
  now_ = std::max(now_, p.due);
  p.fn();
  return true;
}

void SimDesktop::advance(int ms) {
  const std::int64_t limit = now_ + ms;
  while (runOne(std::max(limit, now_))) {
  }
  now_ = std::max(now_, limit);
}

// ---------------------------------------------------------------------------------------------
// SimPlatform

SimPlatform::SimPlatform(SimDesktop& desktop) : desktop_(desktop) {
  desktop_.attach(this);
  for (int b = 0; b < 256; ++b)
    leadBytes_[static_cast<std::size_t>(b)] = isLeadByte(static_cast<unsigned char>(b));
  cutMark_ = encode("…");
}

// The program's forms are gone by now: the program lives inside its platform's lifetime.
SimPlatform::~SimPlatform() {
  for (const std::string& m : mutexes_)
    desktop_.releaseMutex(m);
  desktop_.detach(this);
}

std::string SimPlatform::decode(std::string_view bytes) const {
  return simDecode(bytes);
}

std::string SimPlatform::encode(std::string_view utf8) const {
  return simEncode(utf8);
}

bool SimPlatform::isLeadByte(unsigned char b) const {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

void SimPlatform::setHintTiming(int pauseMs, int hideMs) {
  hintPause_ = pauseMs;
  hintHide_ = hideMs;
}

void SimPlatform::run() {
  while (!quit_) {
    desktop_.advance(10);
    if (desktop_.now() > 60'000'000) break;  // a demo never runs for ever
  }
}

// --- timers ---

void SimPlatform::scheduleTimer(ui::Timer& t) {
  const std::uint64_t gen = ++generation_;
  timerGeneration_[&t] = gen;
  desktop_.post(this, t.interval(), [this, tp = &t, gen] {
    auto it = timerGeneration_.find(tp);
    if (it == timerGeneration_.end() || it->second != gen) return;
    fireTimer(tp);
  });
}

void SimPlatform::fireTimer(ui::Timer* t) {
  // The next tick counts from this one, as with window timers.
  scheduleTimer(*t);
  const std::uint64_t gen = timerGeneration_[t];
  const std::int64_t nextDue = desktop_.now() + t->interval();
  dispatch([t] { t->fire(); });
  // A handler that blocked past its next tick (a sleep, a wait for the clipboard) gets no ticks
  // piled up behind it: the system holds at most one timer message, so the interval starts anew.
  auto it = timerGeneration_.find(t);
  if (it != timerGeneration_.end() && it->second == gen && desktop_.now() >= nextDue)
    scheduleTimer(*t);
}

void SimPlatform::renderText(const ui::Control& control, ui::Property what) {
  ui::Shown shown = ui::shownText(control, what, leadBytes_, cutMark_);
  nativeBytes_ += shown.chars.size();
  native_[{&control, what}] = std::move(shown);
}

ui::Shown SimPlatform::nativeShown(const ui::Control& c, ui::Property what) const {
  auto it = native_.find({&c, what});
  return it == native_.end() ? ui::Shown{} : it->second;
}

void SimPlatform::changed(ui::Control& control, ui::Property what) {
  // Showing a window activates it, unless it is shown without activation.
  if (what == ui::Property::Visible && control.kind() == ui::Control::Kind::Form &&
      control.visible() && showingNoActivate_ == 0 && !static_cast<ui::Form&>(control).noActivate)
    setForegroundWindow(handleOf(static_cast<ui::Form&>(control)));
  if (control.kind() == ui::Control::Kind::Form &&
      (what == ui::Property::Bounds || what == ui::Property::Visible)) {
    // A window manager offers the keyboard to a window that comes onto the screen, as a window
    // of no height does when it grows; a window active only when asked declines.
    auto& form = static_cast<ui::Form&>(control);
    const bool onScreen = form.visible() && form.height() > 0;
    const bool appears = onScreen && !std::exchange(onScreen_[&form], onScreen);
    if (appears && what == ui::Property::Bounds && !form.noActivate && !form.activeOnlyWhenAsked)
      setForegroundWindow(handleOf(form));
  }
  if (what == ui::Property::Text || what == ui::Property::Caption || what == ui::Property::Hint)
    renderText(control, what);
  if (what == ui::Property::TimerState) {
    auto& t = static_cast<ui::Timer&>(control);
    if (t.running())
      scheduleTimer(t);
    else
      timerGeneration_.erase(&t);
  }
}

}  // namespace sim
