// Reading the clipboard's text: what is copied out of it, a thread that hears of the changes and
// one that reads them, so that the user-interface thread never waits for them and a change is
// read as soon after its copying while that thread is busy.
//
// A copying program may hand its text over only when a reader asks for it (delayed rendering):
// the reader then waits while the program makes it, up to 30 seconds per format on Windows.
// Other readers (Windows' clipboard history, remote-session and Office clipboards, other tools)
// hold the clipboard open for a moment right after a copy. Both are waited out here, on a thread
// of its own with its own window to open the clipboard with; the user-interface thread takes the
// results in order and converts them.
#pragma once

#include "platform/win32/win32_util.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace win32 {

// What was copied out of the clipboard for its text, before any conversion.
struct ClipboardCopy {
  enum class State { Copied, Held, Failed };
  State state = State::Copied;
  DWORD sequence = 0;
  bool privateContent = false;
  std::optional<std::string> ansi;   // CF_TEXT bytes up to the first zero, when asked for
  std::optional<std::wstring> wide;  // CF_UNICODETEXT up to the first zero, when asked for
  bool ansiFirst = false;            // the copying program put CF_TEXT there before any Unicode
  UINT localeCodePage = 0;           // of CF_LOCALE beside the bytes; 0 when there is none
};

// Copies the text out of the clipboard the caller has open. Only the formats that say the text
// best are asked for (each one asked of a late source makes it render): the Unicode text the
// copying program put there, or its bytes when it put those first, with its own Unicode text
// beside them only when it put one there too. `own` is the window the program writes with: the
// private marks on its own writes are not for it.
ClipboardCopy copyOpenClipboard(HWND own);

class ClipboardReader {
 public:
  // Posted to the target window when a result is waiting; wParam and lParam are unused.
  static constexpr UINT kResultMessage = WM_APP + 21;

  ClipboardReader() = default;
  ClipboardReader(const ClipboardReader&) = delete;
  ClipboardReader& operator=(const ClipboardReader&) = delete;
  ~ClipboardReader() { stop(); }

  // Starts the threads (once); results are announced to target. own as for copyOpenClipboard.
  void start(HWND target, HWND own);
  // Puts the listening thread's window on the system's clipboard listener list (again, when the
  // system may have dropped it), or takes it off. Each change it is told about is requested at
  // once, however long the user-interface thread is busy (a save flushing files to a loaded
  // disk): a copy replaced 100 ms later is still read. With start, the present content counts
  // as seen.
  enum class Listen : WPARAM { Off, Start, Renew };
  void listen(Listen how);
  // Reads the change with this sequence number, kClipboardSettleMs after now (the newest one
  // replaces one not yet begun). A read that a later change overtakes gives no result.
  void request(DWORD sequence);
  // Ends the threads; a read under way (a late source rendering) is waited for.
  void stop();

  // UI thread: the next result, oldest first.
  std::optional<ClipboardCopy> next();

 private:
  void threadMain(HINSTANCE instance);
  void listenerMain(HINSTANCE instance, HANDLE ready);
  // Reader thread: the copy of the change, or nothing when a later change overtook it.
  std::optional<ClipboardCopy> read(HWND window, DWORD sequence, ULONGLONG due);
  // Reader thread: waits ms; false when the reader is stopping.
  bool pause(int ms);

  std::mutex mutex_;
  std::condition_variable wake_;
  struct Request {
    DWORD sequence;
    ULONGLONG due;  // GetTickCount64 time at which the copy has settled
  };
  std::optional<Request> wanted_;
  bool stopping_ = false;
  std::deque<ClipboardCopy> results_;
  HWND target_ = nullptr;
  HWND own_ = nullptr;
  std::thread thread_;
  std::thread listener_;
  std::atomic<DWORD> listenerId_{0};
};

}  // namespace win32
