#include "platform/sim/sim_desktop.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <iterator>

namespace sim {

namespace fs = std::filesystem;
using platform::Error;
using platform::FileError;
using platform::Point;
using platform::WindowHandle;

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

void SimDesktop::setClipboard(ClipKind kind, ClipText text, SimPlatform* writer,
                              std::vector<ClipFormat> formats) {
  clipKind_ = kind;
  clip_ = std::move(text);
  clipFormats_ = std::move(formats);
  clipWriter_ = writer;
  rendered_.clear();
  ++clipSequence_;
  // The writer's own listener runs nested inside the write; everyone else hears it later. Only
  // the listeners registered now hear of it: one that registers later gets no notification.
  for (SimPlatform* p : std::vector<SimPlatform*>(processes_)) {
    if (p == writer)
      p->clipboardChanged(writer);
    else if (p->listening())
      post(p, 0, [p, writer] { p->clipboardChanged(writer); });
  }
}

namespace {
SimDesktop::ClipText ansiText(std::string bytes) {
  return {std::move(bytes), {}, true, true, true};
}
}  // namespace

std::string SimDesktop::clipboardUnicode() const {
  if (!clip_.unicodeDerived) return clip_.unicode;
  return simDecode(std::string_view(clip_.bytes).substr(0, clip_.bytes.find('\0')));
}

void SimDesktop::otherCopiesText(std::string bytes) {
  setClipboard(ClipKind::Text, ansiText(std::move(bytes)), nullptr);
}

void SimDesktop::otherCopiesUnicode(std::string utf8) {
  std::string bytes = simEncode(utf8);
  setClipboard(ClipKind::Text, {std::move(bytes), std::move(utf8), false, true}, nullptr);
}

void SimDesktop::otherCopiesLate(std::string utf8, int renderMs, bool fails) {
  std::string bytes = simEncode(utf8);
  ClipText t{std::move(bytes), std::move(utf8), false, true};
  t.renderMs = renderMs;
  t.renderFails = fails;
  setClipboard(ClipKind::Text, std::move(t), nullptr);
}

bool SimDesktop::handOverText(bool unicode, const std::function<void(int)>& wait) {
  ++textReads_;
  if (clip_.renderMs > 0 && !rendered_.contains(unicode)) {
    ++renders_;
    wait(clip_.renderMs);
    if (clip_.renderFails) return false;
    rendered_.insert(unicode);
  }
  return true;
}

void SimDesktop::otherCopiesForeignBytes(std::string bytes, std::string utf8) {
  setClipboard(ClipKind::Text, {std::move(bytes), std::move(utf8), true, false}, nullptr);
}
SimDesktop::ClipFormat SimDesktop::dwordFormat(std::string name, std::uint32_t value) {
  std::string data(4, '\0');
  for (std::size_t i = 0; i < 4; ++i)
    data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return {std::move(name), std::move(data)};
}

void SimDesktop::otherCopiesMarkedText(std::string bytes, std::vector<ClipFormat> formats) {
  setClipboard(ClipKind::Text, ansiText(std::move(bytes)), nullptr, std::move(formats));
}

void SimDesktop::otherCopiesNonText() {
  setClipboard(ClipKind::Other, {}, nullptr);
}
void SimDesktop::otherEmptiesClipboard() {
  setClipboard(ClipKind::Empty, {}, nullptr);
}

void SimDesktop::failRead(const std::string& name, bool fail) {
  if (fail)
    failRead_.insert(name);
  else
    failRead_.erase(name);
}

void SimDesktop::failWrite(const std::string& name, bool fail) {
  if (fail)
    failWrite_.insert(name);
  else
    failWrite_.erase(name);
}

void SimDesktop::failRemove(const std::string& name, bool fail) {
  if (fail)
    failRemove_.insert(name);
  else
    failRemove_.erase(name);
}

int SimDesktop::movesOf(const std::string& name) const {
  auto it = moves_.find(name);
  return it == moves_.end() ? 0 : it->second;
}

bool SimDesktop::fileHeld(const std::string& name) const {
  auto it = fileHeldUntil_.find(name);
  return it != fileHeldUntil_.end() && now_ < it->second;
}

std::optional<std::string> SimDesktop::fileBytes(const std::string& name) const {
  std::ifstream in(dir_ / name, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void SimDesktop::putFile(const std::string& name, const std::string& bytes) const {
  std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int SimDesktop::linksOf(const std::string& name) const {
  auto it = links_.find(name);
  return it == links_.end() ? 0 : it->second;
}

int SimDesktop::writesOf(const std::string& name) const {
  auto it = writes_.find(name);
  return it == writes_.end() ? 0 : it->second;
}

void SimDesktop::countWrite(const std::string& name) {
  ++writes_[name];
  ++totalWrites_;
}

std::vector<SimDesktop::Box> SimDesktop::errors() const {
  std::vector<Box> out;
  for (const Box& b : boxes)
    if (b.kind == Box::Kind::Error) out.push_back(b);
  return out;
}

WindowHandle SimDesktop::createOtherWindow(platform::Rect rect) {
  WindowHandle w = newHandle();
  windowRects[w] = rect;
  zOrder_.push_back(w);
  return w;
}

void SimDesktop::addCursorRegion(platform::Rect rect, platform::CursorShape shape) {
  cursorRegions_.emplace_back(rect, shape);
}

namespace {
bool within(const platform::Rect& r, Point p) {
  return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom;
}
}  // namespace

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

// ---------------------------------------------------------------------------------------------
// SimPlatform

SimPlatform::SimPlatform(SimDesktop& desktop) : desktop_(desktop) {
  desktop_.attach(this);
  for (int b = 0; b < 256; ++b)
    leadBytes_[static_cast<std::size_t>(b)] = isLeadByte(static_cast<unsigned char>(b));
  cutMark_ = fromUtf8("…");
}

// The program's forms are gone by now: the program lives inside its platform's lifetime.
SimPlatform::~SimPlatform() {
  for (const std::string& m : mutexes_)
    desktop_.releaseMutex(m);
  desktop_.detach(this);
}

namespace {
// Where a save writes before it renames over the file.
// Writes every byte to an open file, flushes it to the disk when asked, and closes it; false
// when any step failed.
bool writeAllAndClose(int fd, std::string_view bytes, bool sync) {
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0)
      ok = false;
    else
      done += static_cast<std::size_t>(w);
  }
  if (ok && sync && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  return ok;
}

std::string temporaryName(const std::string& name) {
  return name + ".tmp";
}
}  // namespace

std::string SimPlatform::decode(std::string_view bytes) const {
  return simDecode(bytes);
}

std::string SimPlatform::encode(std::string_view utf8) const {
  return simEncode(utf8);
}

bool SimPlatform::isLeadByte(unsigned char b) const {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool SimPlatform::acquireInstanceMutex(std::string_view name) {
  std::string n(name);
  if (!desktop_.takeMutex(n)) return false;
  mutexes_.push_back(n);
  return true;
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

void SimPlatform::messageBox(std::string_view text) {
  desktop_.boxes.push_back({SimDesktop::Box::Kind::Message, std::string(text)});
}

bool SimPlatform::confirm(std::string_view text) {
  desktop_.boxes.push_back({SimDesktop::Box::Kind::Confirm, std::string(text)});
  if (desktop_.confirmAnswers.empty()) return desktop_.defaultConfirm;
  bool answer = desktop_.confirmAnswers.front();
  desktop_.confirmAnswers.pop_front();
  return answer;
}

void SimPlatform::showError(std::string_view text) {
  desktop_.boxes.push_back({SimDesktop::Box::Kind::Error, std::string(text)});
}

void SimPlatform::ensureOpenable() {
  // As the real backend does: a clipboard held for a moment is waited for (blocking, as Sleep
  // blocks), one held longer than 100 ms is an error.
  const std::int64_t deadline = desktop_.now() + platform::kClipboardOpenWaitMs;
  while (desktop_.clipboardHeld()) {
    if (desktop_.now() >= deadline) throw Error(fromUtf8("クリップボードを開くことができません"));
    sleep(platform::kClipboardOpenRetryMs);
  }
}

namespace {
platform::ClipboardMarks marksOf(const std::vector<SimDesktop::ClipFormat>& formats) {
  platform::ClipboardMarks m;
  for (const SimDesktop::ClipFormat& f : formats) {
    if (f.name == platform::kExcludeFromMonitorFormat) m.excludeFromMonitor = true;
    if (f.name == platform::kViewerIgnoreFormat) m.viewerIgnore = true;
    if (f.name == platform::kHistoryPermissionFormat) {
      m.historyPermissionPresent = true;
      if (f.data.size() >= 4) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i)
          v |= static_cast<std::uint32_t>(static_cast<unsigned char>(f.data[i])) << (8 * i);
        m.historyPermission = v;
      }
    }
  }
  return m;
}
}  // namespace

std::optional<ui::Text> SimPlatform::fetchText(const std::function<void(int)>& wait) {
  if (desktop_.clipboardKind() != SimDesktop::ClipKind::Text) return ui::Text{};
  // The marks on the program's own paste text are for Windows' history, not for the program.
  if (desktop_.clipboardWriter() != this &&
      platform::isPrivateContent(marksOf(desktop_.clipboardFormats())))
    return ui::Text{};
  const SimDesktop::ClipText& c = desktop_.clipboardText();
  platform::ClipboardFormats f;
  // As the real backend asks: the Unicode text its writer put there, or the bytes when the
  // writer put those first (a Unicode text the system derived from them says nothing more).
  if (c.ansiFirst) {
    if (!desktop_.handOverText(false, wait)) return std::nullopt;
    f.ansi = c.bytes.substr(0, c.bytes.find('\0'));
  }
  if (!c.unicodeDerived) {
    if (!desktop_.handOverText(true, wait) && !f.ansi) return std::nullopt;
    f.unicode = c.unicode.substr(0, c.unicode.find('\0'));
  }
  f.ansiFirst = c.ansiFirst;
  f.ansiIsCp932 = c.ansiIsCp932;
  return platform::clipboardText(f, *this);
}

void SimPlatform::remember(std::uint64_t sequence, std::optional<ui::Text> text) {
  knownSequence_ = sequence;
  knownText_ = std::move(text);
}

ui::Text SimPlatform::readClipboardText() {
  if (knownText_ && knownSequence_ == desktop_.clipboardSequence()) return *knownText_;
  ensureOpenable();
  // On this thread a late rendering blocks, as Sleep does.
  const std::optional<ui::Text> t = fetchText([this](int ms) { sleep(ms); });
  remember(desktop_.clipboardSequence(), t.value_or(ui::Text{}));
  return *knownText_;
}

bool SimPlatform::clipboardHasText() {
  if (knownText_ && knownSequence_ == desktop_.clipboardSequence()) return !knownText_->empty();
  if (desktop_.clipboardKind() != SimDesktop::ClipKind::Text) return false;
  const platform::ClipboardMarks m = marksOf(desktop_.clipboardFormats());
  if (m.excludeFromMonitor || m.viewerIgnore) return false;
  return !m.historyPermissionPresent || desktop_.clipboardWriter() == this;
}

bool SimPlatform::clipboardReadPending() const {
  return listening_ && desktop_.clipboardSequence() != knownSequence_;
}

void SimPlatform::startRead(std::uint64_t sequence) {
  desktop_.post(this, platform::kClipboardSettleMs, [this, sequence] {
    tryRead(sequence, desktop_.now() + platform::kClipboardBusyWaitMs);
  });
}

void SimPlatform::tryRead(std::uint64_t sequence, std::int64_t deadline) {
  // Overtaken by a later change: that one is read instead.
  if (desktop_.clipboardSequence() != sequence) return;
  if (desktop_.clipboardHeld()) {
    if (desktop_.now() >= deadline) {
      deliverRead(sequence, {platform::ClipboardRead::Outcome::Held, {}});
      return;
    }
    desktop_.post(this, platform::kClipboardOpenRetryMs,
                  [this, sequence, deadline] { tryRead(sequence, deadline); });
    return;
  }
  // The reader holds the clipboard open while the writer renders; the UI thread goes on.
  int rendering = 0;
  const std::optional<ui::Text> t = fetchText([&rendering](int ms) { rendering += ms; });
  desktop_.readerHoldsClipboardUntil(desktop_.now() + rendering);
  platform::ClipboardRead read;
  if (t)
    read.text = *t;
  else
    read.outcome = platform::ClipboardRead::Outcome::Failed;
  desktop_.post(this, rendering, [this, sequence, read] { deliverRead(sequence, read); });
}

void SimPlatform::deliverRead(std::uint64_t sequence, platform::ClipboardRead read) {
  if (!listening_ || !events_ || desktop_.clipboardSequence() != sequence) return;
  using Outcome = platform::ClipboardRead::Outcome;
  if (read.outcome == Outcome::Held)
    remember(sequence, std::nullopt);
  else
    remember(sequence, read.text);
  dispatch([this, &read] { events_->clipboardRead(read); });
}

void SimPlatform::writeClipboardText(const ui::Text& text) {
  ensureOpenable();
  desktop_.setClipboard(SimDesktop::ClipKind::Text, {text.bytes(), unicodeOf(text), true, true},
                        this);
}

void SimPlatform::writePasteText(const ui::Text& text) {
  ensureOpenable();
  desktop_.setClipboard(SimDesktop::ClipKind::Text, {text.bytes(), unicodeOf(text), true, true},
                        this,
                        {SimDesktop::dwordFormat(platform::kHistoryPermissionFormat, 0),
                         SimDesktop::dwordFormat(platform::kCloudPermissionFormat, 0)});
}

void SimPlatform::clearClipboard() {
  ensureOpenable();
  desktop_.setClipboard(SimDesktop::ClipKind::Empty, {}, this);
}

void SimPlatform::startClipboardListening() {
  listening_ = true;
  if (events_) dispatch([this] { events_->drawClipboard(); });
}

void SimPlatform::renewClipboardListening() {
  listening_ = true;
  ++renewals_;
}

void SimPlatform::clipboardChanged(SimPlatform* writer) {
  if (!listening_ || !events_) return;
  if (writer == this)
    dispatch([this] { events_->drawClipboard(); });
  else
    startRead(desktop_.clipboardSequence());
}

void SimPlatform::addTrayIcon(std::string_view tip) {
  trayIcon_ = true;
  trayTip_ = tip;
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

bool SimPlatform::fileExists(std::string_view name) const {
  return fs::exists(desktop_.directory() / std::string(name));
}

bool SimPlatform::waitForFiles(std::initializer_list<std::string_view> names) {
  const std::int64_t deadline = desktop_.now() + platform::kFileBusyWaitMs;
  auto held = [&] {
    return std::any_of(names.begin(), names.end(),
                       [&](std::string_view n) { return desktop_.fileHeld(std::string(n)); });
  };
  while (held()) {
    if (desktop_.now() >= deadline || !waitForHeldFiles_) return false;
    desktop_.sleepFor(platform::kFileBusyRetryMs);
  }
  return true;
}

std::optional<std::string> SimPlatform::readFile(std::string_view name) {
  std::string n(name);
  if (desktop_.readFails(n) || !waitForFiles({n})) return std::nullopt;
  const fs::path path = desktop_.directory() / n;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<std::string> result;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
      ssize_t r = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0)
        ok = false;
      else
        done += static_cast<std::size_t>(r);
    }
    if (ok) result = std::move(bytes);
  }
  ::close(fd);
  return result;
}

std::string SimPlatform::cannot(const std::string& name) const {
  return fromUtf8("ファイル ") + name + fromUtf8(" を作成できません");
}

int SimPlatform::createTemporary(const std::string& name) {
  const fs::path temp = desktop_.directory() / temporaryName(name);
  // A temporary left by an interrupted shift may be a second name of another slot's file:
  // writing through it would change that file too, so it is created anew or not at all.
  if (!desktop_.removeFails(temporaryName(name))) ::unlink(temp.c_str());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) throw FileError(cannot(name));
  return fd;
}

void SimPlatform::writeFile(std::string_view name, std::string_view bytes) {
  std::string n(name);
  const std::string failure = cannot(n);
  if (desktop_.onWriteAttempt) desktop_.onWriteAttempt(n);
  if (!desktop_.folderWritable || desktop_.writeFails(n) || !waitForFiles({n}))
    throw FileError(failure);
  // Write beside the file and rename over it, so a crash leaves the old or the new bytes.
  const fs::path target = desktop_.directory() / n;
  const fs::path temp = desktop_.directory() / temporaryName(n);
  const bool ok = writeAllAndClose(createTemporary(n), bytes, desktop_.syncWrites);
  if (ok) desktop_.fileStep();
  if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw FileError(failure);
  }
  desktop_.countWrite(n);
  desktop_.fileStep();
}

void SimPlatform::replaceFileWithCopyOf(std::string_view targetName, std::string_view sourceName) {
  const std::string n(targetName);
  const std::string failure = cannot(n);
  if (!desktop_.folderWritable || desktop_.writeFails(n) || !waitForFiles({sourceName, n}))
    throw FileError(failure);
  const fs::path source = desktop_.directory() / std::string(sourceName);
  const fs::path target = desktop_.directory() / n;
  const fs::path temp = desktop_.directory() / temporaryName(n);
  bool linked = false;
  if (desktop_.hardLinks) {
    if (!desktop_.removeFails(temporaryName(n))) ::unlink(temp.c_str());
    std::error_code ec;
    fs::create_hard_link(source, temp, ec);
    if (ec) throw FileError(failure);
    linked = true;
  } else {
    // No links here: a copy, on the disk before it replaces the target.
    std::optional<std::string> bytes = readFile(sourceName);
    if (!bytes) throw FileError(failure);
    const bool ok = writeAllAndClose(createTemporary(n), *bytes, desktop_.syncWrites);
    if (!ok) {
      ::unlink(temp.c_str());
      throw FileError(failure);
    }
  }
  desktop_.fileStep();
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw FileError(failure);
  }
  if (linked)
    desktop_.countLink(n);
  else
    desktop_.countWrite(n);
  desktop_.fileStep();
}

void SimPlatform::moveFile(std::string_view targetName, std::string_view sourceName) {
  const std::string n(targetName), from(sourceName);
  if (!desktop_.folderWritable || desktop_.writeFails(n) || desktop_.removeFails(from) ||
      !waitForFiles({sourceName, n}))
    throw FileError(cannot(n));
  const fs::path source = desktop_.directory() / from;
  const fs::path target = desktop_.directory() / n;
  if (::rename(source.c_str(), target.c_str()) != 0) throw FileError(cannot(n));
  desktop_.countMove(n);
  desktop_.fileStep();
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

void SimPlatform::hotkey() {
  if (hotkeyRegistered_ && events_) dispatch([this] { events_->hotKey(); });
}

void SimPlatform::trayIcon(int mouseMessage) {
  if (trayIcon_ && events_) dispatch([this, mouseMessage] { events_->trayIcon(mouseMessage); });
}

bool SimPlatform::titleBarPress(int hitTest) {
  bool drag = false;
  if (events_) dispatch([&] { drag = events_->ncLButtonDown(hitTest); });
  return drag;
}

void SimPlatform::titleBarDoubleClick(int hitTest) {
  if (events_) dispatch([&] { events_->ncLButtonDblClk(hitTest); });
}

void SimPlatform::power(int event) {
  if (events_) dispatch([&] { events_->powerBroadcast(event); });
}

int SimPlatform::layoutPixels(const ui::Form&, int units) const {
  // Rounded to the nearest pixel, as the system's MulDiv does.
  return static_cast<int>(std::lround(units * desktop_.dpi / 96.0));
}

void SimPlatform::endSession() {
  if (events_) dispatch([this] { events_->endSession(); });
}

void SimPlatform::activate(ui::Form& f) {
  desktop_.setForeground(handleOf(f));
}

void SimPlatform::input(platform::InputEvent e) {
  if (hookInstalled_ && events_) dispatch([this, e] { events_->inputEvent(e); });
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

void SimPlatform::discardUnfinishedWrite(std::string_view name) {
  const fs::path temp = desktop_.directory() / temporaryName(std::string(name));
  std::error_code ignored;
  if (desktop_.removeFails(temporaryName(std::string(name)))) return;
  if (fs::is_regular_file(fs::symlink_status(temp, ignored))) fs::remove(temp, ignored);
}

bool SimPlatform::removeFile(std::string_view name) {
  const std::string n(name);
  const fs::path path = desktop_.directory() / n;
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(path, ec))) return !fs::exists(path, ec);
  // A file another program holds cannot be removed, as on Windows.
  if (!desktop_.folderWritable || desktop_.writeFails(n) || desktop_.removeFails(n)) return false;
  const bool removed = fs::remove(path, ec);
  if (removed) desktop_.fileStep();
  return removed;
}

std::vector<std::string> SimPlatform::listFiles(std::string_view prefix) const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(desktop_.directory(), ec)) {
    std::string name = e.path().filename().string();
    if (e.is_regular_file(ec) && name.starts_with(prefix)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace sim
