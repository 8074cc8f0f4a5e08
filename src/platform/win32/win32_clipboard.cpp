// The clipboard: the program's writes, its reads of other programs' copies, and the listener.

#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_internal.h"

#include <cstring>

namespace win32 {

namespace {

void freeGlobal(HGLOBAL g) {
  ::GlobalFree(g);
}
using GlobalMemory = Owned<HGLOBAL, freeGlobal>;

// Keeps the clipboard open for one operation, with our own window as the opener.
class ClipboardSession {
 public:
  ClipboardSession(HWND owner, const platform::Platform& p) {
    // Held for a moment is not held: wait (the UI thread blocks, as in Sleep) before giving up.
    const ULONGLONG deadline = ::GetTickCount64() + platform::kClipboardOpenWaitMs;
    while (!::OpenClipboard(owner)) {
      if (::GetTickCount64() >= deadline)
        throw platform::Error(p.encode("クリップボードを開くことができません"));
      ::Sleep(platform::kClipboardOpenRetryMs);
    }
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  ~ClipboardSession() { ::CloseClipboard(); }
};

}  // namespace

// --- clipboard ---

HWND Win32Platform::clipboardOwnerWindow() const {
  // A real window: the system lets two openers without a window hold the clipboard at once.
  if (HWND m = mainHwnd()) return m;
  return appWindow_.get();
}

namespace {
UINT registeredFormat(const char* name) {
  return ::RegisterClipboardFormatA(name);
}
}  // namespace

namespace {

// ja-JP: the locale whose code page (932) the CF_TEXT bytes the program writes are in.
constexpr LCID kModelLocale =
    MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT);

// Puts a copy of size bytes on the open clipboard in the format.
void setClipboardBytes(UINT format, const void* data, std::size_t size) {
  GlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) throw std::bad_alloc();
  {
    GlobalLock lock(memory.get());
    if (!lock.data()) throw std::bad_alloc();
    std::memcpy(lock.data(), data, size);
  }
  // The clipboard owns the memory once it has accepted it.
  if (::SetClipboardData(format, memory.get())) memory.release();
}

}  // namespace

text::Text Win32Platform::textOf(const ClipboardCopy& c) const {
  if (c.privateContent) return {};
  platform::ClipboardFormats f;
  f.ansi = c.ansi;
  f.ansiFirst = c.ansiFirst;
  // A program that writes bytes writes them in the system's code page; the locale the system
  // puts beside them follows the keyboard layout of the moment, so on a code page 932 system it
  // says nothing about them.
  f.ansiIsCp932 = c.localeCodePage == kModelCodePage || ::GetACP() == kModelCodePage;
  std::optional<std::wstring> wide = c.wide;
  if (!wide && f.ansi && !f.ansiIsCp932)
    wide = codePageToWide(c.localeCodePage ? c.localeCodePage : CP_ACP, *f.ansi);
  if (wide) f.unicode = wideToUtf8(*wide);
  return platform::clipboardText(f, *this);
}

void Win32Platform::remember(DWORD sequence, std::optional<text::Text> text) {
  knownSequence_ = sequence;
  knownText_ = std::move(text);
}

text::Text Win32Platform::readClipboardText() {
  if (knownText_ && knownSequence_ == ::GetClipboardSequenceNumber()) return *knownText_;
  ClipboardCopy c;
  {
    ClipboardSession session(clipboardOwnerWindow(), *this);
    c = copyOpenClipboard(clipboardOwnerWindow());
  }
  // Converted once the clipboard is closed again.
  text::Text t = c.state == ClipboardCopy::State::Copied ? textOf(c) : text::Text{};
  remember(c.sequence, t);
  return t;
}

bool Win32Platform::clipboardHasText() {
  if (knownText_ && knownSequence_ == ::GetClipboardSequenceNumber()) return !knownText_->empty();
  if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) && !::IsClipboardFormatAvailable(CF_TEXT))
    return false;
  static const UINT exclude = registeredFormat(platform::kExcludeFromMonitorFormat);
  static const UINT ignore = registeredFormat(platform::kViewerIgnoreFormat);
  static const UINT permission = registeredFormat(platform::kHistoryPermissionFormat);
  if ((exclude && ::IsClipboardFormatAvailable(exclude)) ||
      (ignore && ::IsClipboardFormatAvailable(ignore)))
    return false;
  // A history permission says yes or no only in its value: such a content counts as private
  // until it has been read.
  return !(permission && ::IsClipboardFormatAvailable(permission)) ||
         ::GetClipboardOwner() == clipboardOwnerWindow();
}

bool Win32Platform::clipboardReadPending() const {
  return listening_ && ::GetClipboardSequenceNumber() != knownSequence_;
}

void Win32Platform::deliverClipboardReads() {
  while (std::optional<ClipboardCopy> c = clipboardReader_.next()) {
    // Every copy that was read is stored, in order, also when another followed it meanwhile;
    // one the program's own write followed is over: the write has been captured already.
    if (!listening_ || !events_ || static_cast<LONG>(ownSequence_ - c->sequence) > 0) continue;
    platform::ClipboardRead read;
    switch (c->state) {
      case ClipboardCopy::State::Copied:
        read.text = textOf(*c);
        remember(c->sequence, read.text);
        break;
      case ClipboardCopy::State::Held:
        // Not known: a later look may find it free.
        read.outcome = platform::ClipboardRead::Outcome::Held;
        remember(c->sequence, std::nullopt);
        break;
      case ClipboardCopy::State::Failed:
        // Not asked for again: the copying program would make the user wait once more.
        read.outcome = platform::ClipboardRead::Outcome::Failed;
        remember(c->sequence, text::Text{});
        break;
    }
    platform::runHandler(*this, [this, &read] { events_->clipboardRead(read); });
  }
}

void Win32Platform::writeClipboardText(const text::Text& text) {
  writeText(text, false);
}

void Win32Platform::writePasteText(const text::Text& text) {
  writeText(text, true);
}

void Win32Platform::writeText(const text::Text& text, bool outOfSystemHistory) {
  {
    ClipboardSession session(clipboardOwnerWindow(), *this);
    ::EmptyClipboard();
    // The bytes first: read back, they are the program's own, exactly.
    const std::string& bytes = text.bytes();
    setClipboardBytes(CF_TEXT, bytes.c_str(), bytes.size() + 1);
    const std::wstring wide = textToWide(text);
    setClipboardBytes(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    // Without it the system would take the bytes for the keyboard layout's code page when it
    // gives them to a Unicode program.
    const LCID locale = kModelLocale;
    setClipboardBytes(CF_LOCALE, &locale, sizeof locale);
    if (outOfSystemHistory) {
      static const UINT history = registeredFormat(platform::kHistoryPermissionFormat);
      static const UINT cloud = registeredFormat(platform::kCloudPermissionFormat);
      const DWORD no = 0;
      if (history) setClipboardBytes(history, &no, sizeof no);
      if (cloud) setClipboardBytes(cloud, &no, sizeof no);
    }
  }
  notifyOwnClipboardChange();
}

void Win32Platform::clearClipboard() {
  {
    ClipboardSession session(clipboardOwnerWindow(), *this);
    ::EmptyClipboard();
  }
  notifyOwnClipboardChange();
}

void Win32Platform::notifyOwnClipboardChange() {
  // Our own change reaches the capture now, nested in the write; the listening thread leaves the
  // notification the system posts for it alone (the program's window owns the clipboard).
  ownSequence_ = ::GetClipboardSequenceNumber();
  if (listening_ && events_) platform::runHandler(*this, [this] { events_->drawClipboard(); });
}

void Win32Platform::startClipboardListening() {
  HWND m = mainHwnd();
  if (!m) return;
  // Changes are taken note of on a thread of their own (see ClipboardReader::listen).
  clipboardReader_.start(m, clipboardOwnerWindow());
  clipboardReader_.listen(ClipboardReader::Listen::Start);
  listening_ = true;
  if (events_) platform::runHandler(*this, [this] { events_->drawClipboard(); });
}

void Win32Platform::renewClipboardListening() {
  if (!mainHwnd()) return;
  clipboardReader_.start(mainHwnd(), clipboardOwnerWindow());
  clipboardReader_.listen(ClipboardReader::Listen::Renew);
  listening_ = true;
}

void Win32Platform::stopClipboardListening() {
  clipboardReader_.listen(ClipboardReader::Listen::Off);
  listening_ = false;
}

}  // namespace win32
