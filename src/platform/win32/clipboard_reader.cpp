#include "platform/win32/clipboard_reader.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "platform/platform.h"

namespace win32 {

namespace {

// The private-content marks on the open clipboard. Their presence is asked without reading;
// only the history permission's DWORD is read.
platform::ClipboardMarks clipboardMarks() {
  static const UINT exclude = ::RegisterClipboardFormatA(platform::kExcludeFromMonitorFormat);
  static const UINT ignore = ::RegisterClipboardFormatA(platform::kViewerIgnoreFormat);
  static const UINT permission = ::RegisterClipboardFormatA(platform::kHistoryPermissionFormat);
  platform::ClipboardMarks m;
  m.excludeFromMonitor = exclude && ::IsClipboardFormatAvailable(exclude);
  m.viewerIgnore = ignore && ::IsClipboardFormatAvailable(ignore);
  m.historyPermissionPresent = permission && ::IsClipboardFormatAvailable(permission);
  if (m.historyPermissionPresent && !m.excludeFromMonitor && !m.viewerIgnore) {
    if (HANDLE data = ::GetClipboardData(permission)) {
      GlobalLock lock(data);
      if (lock.data() && ::GlobalSize(data) >= sizeof(DWORD)) {
        DWORD value = 0;
        std::memcpy(&value, lock.data(), sizeof value);
        m.historyPermission = value;
      }
    }
  }
  return m;
}

// The characters of a text format up to the first zero; nothing when the copying program did
// not hand them over.
template <class Char>
std::optional<std::basic_string<Char>> clipboardChars(UINT format) {
  HANDLE data = ::GetClipboardData(format);
  if (!data) return std::nullopt;
  GlobalLock lock(data);
  if (!lock.data()) return std::nullopt;
  const auto* chars = static_cast<const Char*>(lock.data());
  const std::size_t room = ::GlobalSize(data) / sizeof(Char);
  return std::basic_string<Char>(chars, std::find(chars, chars + room, Char{0}));
}

// The code page of the clipboard's CF_LOCALE; 0 when there is none.
UINT clipboardCodePage() {
  if (!::IsClipboardFormatAvailable(CF_LOCALE)) return 0;
  HANDLE data = ::GetClipboardData(CF_LOCALE);
  if (!data) return 0;
  LCID locale = 0;
  {
    GlobalLock lock(data);
    if (!lock.data() || ::GlobalSize(data) < sizeof(LCID)) return 0;
    std::memcpy(&locale, lock.data(), sizeof locale);
  }
  DWORD codePage = 0;
  if (!::GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)))
    return 0;
  return codePage;
}

// The order in which the copying program set the text formats: the system lists them in that
// order, and the ones it derives (from the bytes, or the locale it adds when the clipboard is
// closed) after them. Listing them reads none.
struct TextFormatOrder {
  bool ansiFirst = false;   // CF_TEXT set before any CF_UNICODETEXT
  bool unicodeSet = false;  // CF_UNICODETEXT set by the program, not derived from the bytes
};
TextFormatOrder textFormatOrder() {
  TextFormatOrder order;
  bool ansi = false, locale = false;
  for (UINT f = ::EnumClipboardFormats(0); f; f = ::EnumClipboardFormats(f)) {
    if (f == CF_TEXT) {
      ansi = order.ansiFirst = true;
    } else if (f == CF_LOCALE) {
      locale = true;
    } else if (f == CF_UNICODETEXT) {
      order.unicodeSet = !ansi || !locale;
      return order;
    }
  }
  return order;
}

}  // namespace

ClipboardCopy copyOpenClipboard(HWND own) {
  ClipboardCopy c;
  c.sequence = ::GetClipboardSequenceNumber();
  if (::GetClipboardOwner() != own && platform::isPrivateContent(clipboardMarks())) {
    c.privateContent = true;
    return c;
  }
  const TextFormatOrder order = textFormatOrder();
  c.ansiFirst = order.ansiFirst;
  // A Unicode text the system derives from the bytes says nothing beyond them, and the bytes it
  // derives from a Unicode text nothing beyond that: neither is asked for (asking would make a
  // late source render again).
  if (order.ansiFirst) {
    c.ansi = clipboardChars<char>(CF_TEXT);
    if (c.ansi) c.localeCodePage = clipboardCodePage();
  }
  if (order.unicodeSet) c.wide = clipboardChars<wchar_t>(CF_UNICODETEXT);
  // A format the clipboard lists but its program did not hand over: a rendering that failed or
  // timed out. Nothing is known of the text.
  if ((order.ansiFirst && !c.ansi) || (order.unicodeSet && !c.wide && !c.ansi))
    c.state = ClipboardCopy::State::Failed;
  return c;
}

namespace {
constexpr UINT kListenMessage = WM_APP + 22;
}

void ClipboardReader::start(HWND target, HWND own) {
  if (thread_.joinable()) return;
  target_ = target;
  own_ = own;
  stopping_ = false;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  thread_ = std::thread([this, instance] { threadMain(instance); });
  UniqueHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  listener_ = std::thread([this, instance, h = ready.get()] { listenerMain(instance, h); });
  // Until the thread has a message queue, a message posted to it would be lost.
  ::WaitForSingleObject(ready.get(), INFINITE);
}

void ClipboardReader::listen(Listen how) {
  if (listenerId_) ::PostThreadMessageW(listenerId_, kListenMessage, static_cast<WPARAM>(how), 0);
}

void ClipboardReader::listenerMain(HINSTANCE instance, HANDLE ready) {
  MSG msg;
  ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
  UniqueWindow window(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        instance, nullptr));
  listenerId_ = ::GetCurrentThreadId();
  ::SetEvent(ready);
  bool listening = false;
  DWORD seen = ::GetClipboardSequenceNumber();
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!msg.hwnd && msg.message == kListenMessage) {
      // Removing first keeps the registration single whatever state it was in.
      if (window) ::RemoveClipboardFormatListener(window.get());
      const auto how = static_cast<Listen>(msg.wParam);
      listening = how != Listen::Off && window && ::AddClipboardFormatListener(window.get());
      if (how == Listen::Start) seen = ::GetClipboardSequenceNumber();
    } else if (msg.message == WM_CLIPBOARDUPDATE && msg.hwnd == window.get()) {
      const DWORD sequence = ::GetClipboardSequenceNumber();
      // The program's own write has been captured as it was made; reading it again would only
      // keep the clipboard from the program it is pasted into.
      if (listening && sequence != seen && ::GetClipboardOwner() != own_) {
        seen = sequence;
        request(sequence);
      }
    } else {
      ::DispatchMessageW(&msg);
    }
  }
  if (listening) ::RemoveClipboardFormatListener(window.get());
}

void ClipboardReader::request(DWORD sequence) {
  {
    std::lock_guard lock(mutex_);
    // The wait counts from the notification, not from when the reader is free: a copy that
    // replaced one being read is read as soon after its own copying as any other.
    wanted_ = Request{sequence, ::GetTickCount64() + platform::kClipboardSettleMs};
  }
  wake_.notify_one();
}

void ClipboardReader::stop() {
  if (!thread_.joinable()) return;
  ::PostThreadMessageW(listenerId_, WM_QUIT, 0, 0);
  listener_.join();
  listenerId_ = 0;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
  std::lock_guard lock(mutex_);
  results_.clear();
  wanted_.reset();
}

std::optional<ClipboardCopy> ClipboardReader::next() {
  std::lock_guard lock(mutex_);
  if (results_.empty()) return std::nullopt;
  ClipboardCopy c = std::move(results_.front());
  results_.pop_front();
  return c;
}

bool ClipboardReader::pause(int ms) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void ClipboardReader::threadMain(HINSTANCE instance) {
  // The reader's own window opens the clipboard: the system lets two openers without a window
  // hold it at once.
  UniqueWindow window(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        instance, nullptr));
  for (;;) {
    Request request{};
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || wanted_; });
      if (stopping_) return;
      request = *wanted_;
      wanted_.reset();
    }
    std::optional<ClipboardCopy> c = read(window.get(), request.sequence, request.due);
    if (!c) continue;
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      results_.push_back(std::move(*c));
    }
    ::PostMessageW(target_, kResultMessage, 0, 0);
  }
}

std::optional<ClipboardCopy> ClipboardReader::read(HWND window, DWORD sequence, ULONGLONG due) {
  // A copy may still be settling (an X11 copy can first read as no text).
  if (const ULONGLONG now = ::GetTickCount64(); now < due && !pause(static_cast<int>(due - now)))
    return std::nullopt;
  const ULONGLONG deadline = ::GetTickCount64() + platform::kClipboardBusyWaitMs;
  const auto overtaken = [&] {
    std::lock_guard lock(mutex_);
    return stopping_ || wanted_ || ::GetClipboardSequenceNumber() != sequence;
  };
  while (!::OpenClipboard(window)) {
    if (overtaken()) return std::nullopt;
    if (::GetTickCount64() >= deadline) {
      ClipboardCopy held;
      held.state = ClipboardCopy::State::Held;
      held.sequence = sequence;
      return held;
    }
    if (!pause(platform::kClipboardOpenRetryMs)) return std::nullopt;
  }
  ClipboardCopy c;
  try {
    c = copyOpenClipboard(own_);
  } catch (const std::bad_alloc&) {
    // A text too large to hold: nothing of it is known.
    c.state = ClipboardCopy::State::Failed;
    c.sequence = sequence;
  }
  // Open only while the data is copied out: conversions come after, on the UI thread.
  ::CloseClipboard();
  if (c.sequence != sequence) return std::nullopt;
  return c;
}

}  // namespace win32
