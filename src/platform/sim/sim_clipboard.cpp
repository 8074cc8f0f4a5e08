// The simulated clipboard: what other programs put on it, and the program's reads and writes.

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_internal.h"

#include <algorithm>

namespace sim {

using platform::Error;

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

void SimPlatform::ensureOpenable() {
  // As the real backend does: a clipboard held for a moment is waited for (blocking, as Sleep
  // blocks), one held longer than 100 ms is an error.
  const std::int64_t deadline = desktop_.now() + platform::kClipboardOpenWaitMs;
  while (desktop_.clipboardHeld()) {
    if (desktop_.now() >= deadline) throw Error(encode("クリップボードを開くことができません"));
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

std::optional<text::Text> SimPlatform::fetchText(const std::function<void(int)>& wait) {
  if (desktop_.clipboardKind() != SimDesktop::ClipKind::Text) return text::Text{};
  // The marks on the program's own paste text are for Windows' history, not for the program.
  if (desktop_.clipboardWriter() != this &&
      platform::isPrivateContent(marksOf(desktop_.clipboardFormats())))
    return text::Text{};
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

void SimPlatform::remember(std::uint64_t sequence, std::optional<text::Text> text) {
  knownSequence_ = sequence;
  knownText_ = std::move(text);
}

text::Text SimPlatform::readClipboardText() {
  if (knownText_ && knownSequence_ == desktop_.clipboardSequence()) return *knownText_;
  ensureOpenable();
  // On this thread a late rendering blocks, as Sleep does.
  const std::optional<text::Text> t = fetchText([this](int ms) { sleep(ms); });
  remember(desktop_.clipboardSequence(), t.value_or(text::Text{}));
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
  const std::optional<text::Text> t = fetchText([&rendering](int ms) { rendering += ms; });
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

void SimPlatform::writeClipboardText(const text::Text& text) {
  ensureOpenable();
  desktop_.setClipboard(SimDesktop::ClipKind::Text, {text.bytes(), unicodeOf(text), true, true},
                        this);
}

void SimPlatform::writePasteText(const text::Text& text) {
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

}  // namespace sim
