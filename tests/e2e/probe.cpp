// kolvex-probe: the end-to-end tests' eyes and hands inside Wine. It finds windows by class and
// title, prints their texts (UTF-8), clicks buttons, posts the tray-icon callback, and can act as
// another clipboard viewer or listener that logs every change it is told about.
//
// Usage (one command per run; exit code 0 on success, 1 when the thing looked for is missing):
//   wait-window CLASS [TIMEOUT_MS]     wait until a visible top-level window of CLASS exists
//   title CLASS                        print the window title
//   rect CLASS                         print "left top right bottom" of the window
//   topmost CLASS                      exit 0 when the window has the top-most style
//   window-at X Y                      print the class of the top-level window at a screen point
//   client-rect CLASS                  print the client area in screen coordinates
//   controls CLASS                     print "class<TAB>visible<TAB>text" for every child
//   click CLASS TEXT                   click the child button captioned TEXT
//   checkboxes CLASS                   print "visible<TAB>checked" for every check box, in order
//   click-checkbox CLASS N             click the N-th check box (1-based, creation order)
//   tray CLASS LPARAM                  post the tray-icon callback (1124) with LPARAM
//   hotkey CLASS                       post WM_HOTKEY (Ctrl+Shift) to the window
//   tray-icon CLASS                    exit 0 when the window has its notification-area icon
//   tray-rect CLASS                    print "left top right bottom ROOTCLASS" of that icon and
//                                      the class of the top-level window at its middle
//   taskbar-restarted CLASS            as a restarted taskbar: the window's icon is gone, and
//                                      "TaskbarCreated" goes to every top-level window
//   busy-taskbar READYFILE STOPFILE    stand in front of the taskbar as one that is not ready
//                                      yet and refuses every icon (READYFILE appears once it
//                                      does) until STOPFILE exists
//   stay                               keep running until ended, as a signed-in session's
//                                      programs do (under Wine the clipboard ends with the last
//                                      program)
//   slow-taskbar-click CLASS LPARAM MS as a task bar on a busy machine: take the foreground with a
//                                      window of class "Shell_TrayWnd", then post the tray-icon
//                                      callback with LPARAM MS milliseconds later; with
//                                      "via-nobody" the foreground is first nobody's until the
//                                      window's thread has let go of its activation, as Wine's
//                                      own notification area passes it on
//   hotkey-taken                       exit 0 when another program holds the hotkey Ctrl+Shift
//                                      (registered without repeats, as the program does)
//   focus CLASS                        print "class<TAB>text" of the keyboard focus of the
//                                      window's thread
//   active CLASS                       print the classes of the foreground window and of the
//                                      active window of the window's thread: "FG<TAB>ACTIVE"
//   caret CLASS                        print "class<TAB>text" of the window that holds the caret
//                                      of the window's thread; exit 1 when it has none
//   child-origin CLASS TEXT            print the screen position of the child's client origin
//   child-rect CLASS TEXT              print "left top right bottom" of the child on screen
//   shown-rects CLASS CHILDCLASS       print "left top right bottom" of every visible child of
//                                      CHILDCLASS, sending it no message (its text is not read)
//   shown-child-center CLASS TEXT      print the centre of the child captioned TEXT that is not
//                                      covered there by another window
//   syscommand CLASS maximize|restore|close  the window's maximize or restore box, or the
//                                      system's close (as Alt+F4)
//   menu-rect [TIMEOUT_MS]             wait for an open popup menu and print its rectangle
//   tooltip                            print the text of every visible tooltip
//   dialog-text TITLE [TIMEOUT_MS]     wait for a message box titled TITLE and print its text
//   dialog-ok TITLE                    click the first button of that message box
//   dialog-buttons TITLE               print the button captions of that box, in order
//   dialog-action TITLE ACTION         answer it: yes / cancel (click that button), escape (the
//                                      Esc key), close (the close box)
//   count-windows CLASS TITLE          print how many top-level windows match
//   titled-rects TITLE                 print "left top right bottom" of the visible top-level
//                                      window titled TITLE, then of each of its visible children
//   text-hex CLASS CHILDCLASS          print the text of the window's first child of CHILDCLASS
//                                      as hex bytes of UTF-8
//   threads CLASS                      print how many threads the window's process has
//   move CLASS LEFT TOP WIDTH HEIGHT   move and size the window (without activating it)
//   clip-hex                           print the clipboard's CF_TEXT as hex
//   hold-clipboard READYFILE STOPFILE  keep the clipboard open (READYFILE appears once it is
//                                      held) until STOPFILE exists
//   hold-file FILE READYFILE UNTIL MS  open FILE letting nobody else read, write or replace it
//                                      (READYFILE appears once it is held), wait until UNTIL
//                                      exists (a file, or window:CLASS for a window), then hold
//                                      it MS milliseconds more; exit 1 when UNTIL never came
//   copy-marked TEXT FORMAT [DWORD]    copy TEXT (CF_TEXT) with the registered FORMAT beside
//                                      it, holding DWORD (4 bytes) or else one zero byte, as a
//                                      password manager marks what it copies
//   viewer LOG STOPFILE                join the clipboard viewer chain and log every change
//   listener LOG STOPFILE [FORMAT]     register a clipboard format listener and log every change
//                                      (with FORMAT: "text<TAB>DWORD of FORMAT, or none")
// and the pointer, key, typing, copy and screenshot commands of probe_drive.cpp.
#include <windows.h>
// After windows.h.
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "probe_drive.h"

namespace {

std::string toUtf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

void print(const std::string& s) {
  DWORD written = 0;
  std::string line = s + "\n";
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
}

std::wstring textOf(HWND w) {
  wchar_t buf[4096] = {};
  // WM_GETTEXT works across processes, unlike GetWindowText for another program's controls.
  SendMessageTimeoutW(w, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  return buf;
}

// The title of a top-level window of another program, read without a message to it
// (GetWindowText does not wait for that program): one whose thread is busy still shows it.
std::wstring titleOf(HWND w) {
  wchar_t buf[1024] = {};
  GetWindowTextW(w, buf, 1024);
  return buf;
}

std::wstring classOf(HWND w) {
  wchar_t buf[256] = {};
  GetClassNameW(w, buf, 256);
  return buf;
}

struct Search {
  std::wstring cls;
  const std::wstring* title = nullptr;
  bool visibleOnly = false;
  std::vector<HWND> found;
};

BOOL CALLBACK collectTop(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<Search*>(p);
  if (classOf(w) != s->cls) return TRUE;
  if (s->visibleOnly && !IsWindowVisible(w)) return TRUE;
  if (s->title && titleOf(w) != *s->title) return TRUE;
  s->found.push_back(w);
  return TRUE;
}

std::vector<HWND> topWindows(const std::wstring& cls, const std::wstring* title, bool visibleOnly) {
  Search s{cls, title, visibleOnly, {}};
  EnumWindows(collectTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND waitFor(const std::wstring& cls, const std::wstring* title, int timeoutMs, bool visible) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    auto found = topWindows(cls, title, visible);
    if (!found.empty()) return found.front();
    if (GetTickCount64() >= end) return nullptr;
    Sleep(100);
  }
}

HWND mustFind(const std::wstring& cls) {
  auto found = topWindows(cls, nullptr, false);
  if (found.empty()) {
    print("no window of class " + toUtf8(cls));
    std::exit(1);
  }
  return found.front();
}

BOOL CALLBACK collectChildren(HWND w, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

std::vector<HWND> children(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(parent, collectChildren, reinterpret_cast<LPARAM>(&out));
  return out;
}

std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// CF_TEXT of the clipboard, and the DWORD of a registered FORMAT beside it ("none" when it is
// absent); false when the clipboard could not be opened.
bool readClipboard(HWND owner, std::string& text, UINT format = 0, std::string* dword = nullptr) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (OpenClipboard(owner)) {
      text.clear();
      if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (auto* p = static_cast<const char*>(GlobalLock(h))) {
          text.assign(p, strnlen(p, GlobalSize(h)));
          GlobalUnlock(h);
        }
      }
      if (dword) {
        *dword = "none";
        if (HANDLE h = format ? GetClipboardData(format) : nullptr; h && GlobalSize(h) >= 4) {
          DWORD value = 0;
          memcpy(&value, GlobalLock(h), sizeof value);
          GlobalUnlock(h);
          *dword = std::to_string(value);
        }
      }
      CloseClipboard();
      return true;
    }
    Sleep(25);
  }
  return false;
}

// --- clipboard observers ---

struct Observer {
  std::wstring log;
  std::wstring stopFile;
  HWND next = nullptr;
  bool viewer = true;
  UINT format = 0;  // a registered format whose DWORD is logged beside each text
};
Observer g_observer;

void logChange(HWND w) {
  std::string text, dword;
  const bool read = readClipboard(w, text, g_observer.format, g_observer.format ? &dword : nullptr);
  std::string line = read ? (text.empty() ? "EMPTY" : hex(text)) : "LOCKED";
  if (read && g_observer.format) line += "\t" + dword;
  line += "\n";
  HANDLE f = CreateFileW(g_observer.log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(f);
}

LRESULT CALLBACK observerProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_DRAWCLIPBOARD:
      logChange(w);
      // A good chain member passes the news on.
      if (g_observer.next) SendMessageW(g_observer.next, msg, wParam, lParam);
      return 0;
    case WM_CHANGECBCHAIN:
      if (reinterpret_cast<HWND>(wParam) == g_observer.next)
        g_observer.next = reinterpret_cast<HWND>(lParam);
      else if (g_observer.next)
        SendMessageW(g_observer.next, msg, wParam, lParam);
      return 0;
    case WM_CLIPBOARDUPDATE:
      logChange(w);
      return 0;
    case WM_TIMER:
      if (GetFileAttributesW(g_observer.stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (g_observer.viewer)
          ChangeClipboardChain(w, g_observer.next);
        else
          RemoveClipboardFormatListener(w);
        PostQuitMessage(0);
      }
      return 0;
    default:
      return DefWindowProcW(w, msg, wParam, lParam);
  }
}

int observe(const std::wstring& log, const std::wstring& stop, bool viewer,
            const std::wstring& format) {
  g_observer.format = format.empty() ? 0 : RegisterClipboardFormatW(format.c_str());
  g_observer.log = log;
  g_observer.stopFile = stop;
  g_observer.viewer = viewer;
  WNDCLASSW wc{};
  wc.lpfnWndProc = observerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KolvexProbeObserver";
  RegisterClassW(&wc);
  HWND w = CreateWindowW(wc.lpszClassName, L"probe observer", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                         nullptr, wc.hInstance, nullptr);
  if (viewer) {
    g_observer.next = SetClipboardViewer(w);  // delivers a first WM_DRAWCLIPBOARD
  } else {
    AddClipboardFormatListener(w);
    logChange(w);
  }
  SetTimer(w, 1, 100, nullptr);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return 0;
}

// A user's click on a button of a box: once it is shown and takes input, at its centre. A
// posted BM_CLICK may fail while the box is not the active window (Microsoft's documentation of
// BM_CLICK), as a box that has just opened on a busy machine may not yet be.
int clickButton(HWND button) {
  const ULONGLONG end = GetTickCount64() + 30000;
  HWND box = GetAncestor(button, GA_ROOT);
  while (!(IsWindowVisible(button) && IsWindowEnabled(button) && IsWindowEnabled(box))) {
    if (GetTickCount64() >= end) {
      print("the button stayed hidden or disabled for 30 s");
      return 1;
    }
    Sleep(50);
  }
  RECT r{};
  GetWindowRect(button, &r);
  return sendClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

int usage() {
  print("usage: kolvex-probe COMMAND ARGS (see the source)");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return usage();
  // Pixels as the screen has them: at 150 % Windows would scale every position and size a
  // program unaware of the scaling reads or sends (Kolvex20 is aware of it).
  SetProcessDPIAware();
  const std::wstring cmd = argv[1];
  if (const int rc = probeDrive(cmd, argc, argv); rc >= 0) return rc;
  auto arg = [&](int i) { return i < argc ? std::wstring(argv[i]) : std::wstring(); };
  auto intArg = [&](int i, int fallback) { return i < argc ? _wtoi(argv[i]) : fallback; };

  if (cmd == L"stay") {
    Sleep(INFINITE);
    return 0;
  }
  if (cmd == L"wait-window") {
    HWND w = waitFor(arg(2), nullptr, intArg(3, 20000), true);
    if (!w) return 1;
    print(std::to_string(reinterpret_cast<std::uintptr_t>(w)));
    return 0;
  }
  if (cmd == L"title") {
    print(toUtf8(titleOf(mustFind(arg(2)))));
    return 0;
  }
  if (cmd == L"rect" || cmd == L"client-rect") {
    HWND w = mustFind(arg(2));
    RECT r{};
    if (cmd == L"rect") {
      GetWindowRect(w, &r);
    } else {
      GetClientRect(w, &r);
      MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
    }
    print(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
          " " + std::to_string(r.bottom));
    return 0;
  }
  if (cmd == L"topmost")
    return (GetWindowLongW(mustFind(arg(2)), GWL_EXSTYLE) & WS_EX_TOPMOST) ? 0 : 1;
  if (cmd == L"window-at") {
    HWND w = WindowFromPoint(POINT{intArg(2, 0), intArg(3, 0)});
    if (!w) return 1;
    print(toUtf8(classOf(GetAncestor(w, GA_ROOT))));
    return 0;
  }
  if (cmd == L"controls") {
    for (HWND c : children(mustFind(arg(2))))
      print(toUtf8(classOf(c)) + "\t" + (IsWindowVisible(c) ? "1" : "0") + "\t" +
            toUtf8(textOf(c)));
    return 0;
  }
  if (cmd == L"click") {
    for (HWND c : children(mustFind(arg(2)))) {
      if (classOf(c) == L"Button" && textOf(c) == arg(3)) {
        PostMessageW(c, BM_CLICK, 0, 0);
        return 0;
      }
    }
    print("no button " + toUtf8(arg(3)));
    return 1;
  }
  if (cmd == L"checkboxes" || cmd == L"click-checkbox") {
    int n = 0;
    for (HWND c : children(mustFind(arg(2)))) {
      if (classOf(c) != L"Button") continue;
      const LONG type = GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK;
      if (type != BS_CHECKBOX && type != BS_AUTOCHECKBOX) continue;
      ++n;
      if (cmd == L"checkboxes") {
        const LRESULT state = SendMessageW(c, BM_GETCHECK, 0, 0);
        print(std::string(IsWindowVisible(c) ? "1" : "0") + "\t" +
              (state == BST_CHECKED ? "1" : "0"));
      } else if (n == intArg(3, 0)) {
        PostMessageW(c, BM_CLICK, 0, 0);
        return 0;
      }
    }
    return cmd == L"checkboxes" ? 0 : 1;
  }
  if (cmd == L"tray") {
    PostMessageW(mustFind(arg(2)), WM_USER + 100, 1, static_cast<LPARAM>(intArg(3, 0)));
    return 0;
  }
  if (cmd == L"hotkey") {
    PostMessageW(mustFind(arg(2)), WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_SHIFT));
    return 0;
  }
  if (cmd == L"hotkey-taken") {
    if (!RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT | MOD_NOREPEAT, VK_SHIFT)) return 0;
    UnregisterHotKey(nullptr, 1);
    return 1;
  }
  if (cmd == L"tray-rect") {
    // Where the system shows the window's notification-area icon, and the window found there:
    // the taskbar, an opened overflow, or another one (the icon is out of sight).
    NOTIFYICONIDENTIFIER id{};
    id.cbSize = sizeof(id);
    id.hWnd = mustFind(arg(2));
    id.uID = 1;
    RECT r{};
    if (FAILED(Shell_NotifyIconGetRect(&id, &r))) return 1;
    HWND at = WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    print(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
          " " + std::to_string(r.bottom) + " " +
          toUtf8(at ? classOf(GetAncestor(at, GA_ROOT)) : L""));
    return 0;
  }
  if (cmd == L"tray-icon") {
    // Changing nothing of an icon succeeds only when the icon is there.
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = mustFind(arg(2));
    nid.uID = 1;
    return Shell_NotifyIconW(NIM_MODIFY, &nid) ? 0 : 1;
  }
  if (cmd == L"taskbar-restarted") {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = mustFind(arg(2));
    nid.uID = 1;
    if (!Shell_NotifyIconW(NIM_DELETE, &nid)) return 1;
    return SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0) ? 0
                                                                                               : 1;
  }
  if (cmd == L"busy-taskbar") {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND w, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (msg == WM_COPYDATA) return FALSE;
      return DefWindowProcW(w, msg, wParam, lParam);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, nullptr, WS_POPUP,
                             0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    if (!w || FindWindowW(L"Shell_TrayWnd", nullptr) != w) return 1;
    CloseHandle(CreateFileW(arg(2).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    while (GetFileAttributesW(arg(3).c_str()) == INVALID_FILE_ATTRIBUTES) {
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&m);
      Sleep(20);
    }
    DestroyWindow(w);
    return 0;
  }
  if (cmd == L"slow-taskbar-click") {
    HWND target = mustFind(arg(2));
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, nullptr, WS_POPUP,
                             0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    if (!w || FindWindowW(L"Shell_TrayWnd", nullptr) != w) return 1;
    if (arg(5) == L"via-nobody") {
      const DWORD thread = GetWindowThreadProcessId(target, nullptr);
      GUITHREADINFO info{};
      info.cbSize = sizeof(info);
      SetForegroundWindow(GetDesktopWindow());
      for (int i = 0; i < 3000 && GetGUIThreadInfo(thread, &info) && info.hwndActive; ++i)
        Sleep(10);
      if (info.hwndActive) {
        print("the window's thread kept its activation with the foreground nobody's");
        return 1;
      }
    }
    ShowWindow(w, SW_SHOW);
    if (!SetForegroundWindow(w)) return 1;
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(intArg(4, 1000));
    MSG m;
    while (GetTickCount64() < end) {
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&m);
      Sleep(10);
    }
    const bool held = GetForegroundWindow() == w;
    PostMessageW(target, WM_USER + 100, 1, static_cast<LPARAM>(intArg(3, 0)));
    // The task bar stays until the program has taken the foreground for its menu.
    for (int i = 0; i < 500 && GetForegroundWindow() == w; ++i) {
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&m);
      Sleep(10);
    }
    DestroyWindow(w);
    if (!held) print("the stand-in task bar lost the foreground before the click");
    return held ? 0 : 1;
  }
  if (cmd == L"focus" || cmd == L"caret" || cmd == L"active") {
    // The focus, the caret or the active window of the thread that owns the window.
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(mustFind(arg(2)), nullptr), &info)) return 1;
    if (cmd == L"active") {
      HWND fg = GetForegroundWindow();
      print(toUtf8(fg ? classOf(fg) : L"") + "\t" +
            toUtf8(info.hwndActive ? classOf(info.hwndActive) : L""));
      return 0;
    }
    HWND w = cmd == L"focus" ? info.hwndFocus : info.hwndCaret;
    if (!w) return 1;
    print(toUtf8(classOf(w)) + "\t" + toUtf8(textOf(w)));
    return 0;
  }
  if (cmd == L"child-origin") {
    for (HWND c : children(mustFind(arg(2)))) {
      if (textOf(c) != arg(3)) continue;
      POINT p{0, 0};
      ClientToScreen(c, &p);
      print(std::to_string(p.x) + " " + std::to_string(p.y));
      return 0;
    }
    return 1;
  }
  if (cmd == L"child-rect" || cmd == L"shown-child-center") {
    for (HWND c : children(mustFind(arg(2)))) {
      if (textOf(c) != arg(3)) continue;
      RECT r{};
      GetWindowRect(c, &r);
      if (cmd == L"child-rect") {
        print(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
              " " + std::to_string(r.bottom));
        return 0;
      }
      const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      if (WindowFromPoint(centre) != c) continue;
      print(std::to_string(centre.x) + " " + std::to_string(centre.y));
      return 0;
    }
    return 1;
  }
  if (cmd == L"shown-rects") {
    for (HWND c : children(mustFind(arg(2)))) {
      if (classOf(c) != arg(3) || !IsWindowVisible(c)) continue;
      RECT r{};
      GetWindowRect(c, &r);
      print(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
            " " + std::to_string(r.bottom));
    }
    return 0;
  }
  if (cmd == L"syscommand") {
    const WPARAM command = arg(3) == L"maximize" ? SC_MAXIMIZE
                           : arg(3) == L"close"  ? SC_CLOSE
                                                 : SC_RESTORE;
    PostMessageW(mustFind(arg(2)), WM_SYSCOMMAND, command, 0);
    return 0;
  }
  if (cmd == L"tooltip") {
    for (HWND t : topWindows(L"tooltips_class32", nullptr, true))
      print(toUtf8(textOf(t)));
    return 0;
  }
  if (cmd == L"menu-rect") {
    HWND menu = waitFor(L"#32768", nullptr, intArg(2, 10000), true);
    if (!menu) return 1;
    RECT r{};
    GetWindowRect(menu, &r);
    print(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
          " " + std::to_string(r.bottom));
    return 0;
  }
  if (cmd == L"dialog-text" || cmd == L"dialog-ok") {
    const std::wstring title = arg(2);
    HWND dlg = waitFor(L"#32770", &title, cmd == L"dialog-ok" ? 30000 : intArg(3, 30000), true);
    if (!dlg) return 1;
    for (HWND c : children(dlg)) {
      const std::wstring cls = classOf(c);
      if (cmd == L"dialog-text" && cls == L"Static" && !textOf(c).empty()) print(toUtf8(textOf(c)));
      if (cmd == L"dialog-ok" && cls == L"Button") return clickButton(c);
    }
    return cmd == L"dialog-text" ? 0 : 1;
  }
  if (cmd == L"dialog-buttons" || cmd == L"dialog-action") {
    const std::wstring title = arg(2);
    HWND dlg = waitFor(L"#32770", &title, 30000, true);
    if (!dlg) return 1;
    if (cmd == L"dialog-buttons") {
      for (HWND c : children(dlg))
        if (classOf(c) == L"Button" && IsWindowVisible(c)) print(toUtf8(textOf(c)));
      return 0;
    }
    const std::wstring action = arg(3);
    if (action == L"yes" || action == L"cancel") {
      const int id = action == L"yes" ? IDYES : IDCANCEL;
      for (HWND c : children(dlg)) {
        if (classOf(c) == L"Button" && GetDlgCtrlID(c) == id) return clickButton(c);
      }
      return 1;
    }
    if (action == L"escape") {
      GUITHREADINFO info{};
      info.cbSize = sizeof(info);
      GetGUIThreadInfo(GetWindowThreadProcessId(dlg, nullptr), &info);
      HWND target = info.hwndFocus ? info.hwndFocus : dlg;
      PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1);
      PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
      return 0;
    }
    if (action == L"close") {
      PostMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    }
    return 2;
  }
  if (cmd == L"text-hex") {
    for (HWND c : children(mustFind(arg(2)))) {
      if (classOf(c) != arg(3)) continue;
      // WM_GETTEXT with a buffer as large as the text, which may be longer than textOf takes.
      DWORD_PTR length = 0;
      SendMessageTimeoutW(c, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
      std::wstring text(length + 1, L'\0');
      DWORD_PTR got = 0;
      SendMessageTimeoutW(c, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                          SMTO_ABORTIFHUNG, 2000, &got);
      text.resize(got);
      static const char digits[] = "0123456789abcdef";
      std::string hex;
      for (unsigned char b : toUtf8(text)) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
      }
      print(hex);
      return 0;
    }
    return 1;
  }
  if (cmd == L"move") {
    return SetWindowPos(mustFind(arg(2)), nullptr, intArg(3, 0), intArg(4, 0), intArg(5, 100),
                        intArg(6, 100), SWP_NOZORDER | SWP_NOACTIVATE)
               ? 0
               : 1;
  }
  if (cmd == L"threads") {
    DWORD process = 0;
    GetWindowThreadProcessId(mustFind(arg(2)), &process);
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return 1;
    THREADENTRY32 t{};
    t.dwSize = sizeof(t);
    int n = 0;
    for (BOOL more = Thread32First(snap, &t); more; more = Thread32Next(snap, &t))
      if (t.th32OwnerProcessID == process) ++n;
    CloseHandle(snap);
    print(std::to_string(n));
    return 0;
  }
  if (cmd == L"count-windows") {
    const std::wstring title = arg(3);
    print(std::to_string(topWindows(arg(2), &title, false).size()));
    return 0;
  }
  if (cmd == L"titled-rects") {
    HWND top = nullptr;
    for (HWND w = GetTopWindow(nullptr); w && !top; w = GetWindow(w, GW_HWNDNEXT))
      if (IsWindowVisible(w) && textOf(w) == arg(2)) top = w;
    if (!top) return 1;
    auto printRect = [](HWND w) {
      RECT r{};
      GetWindowRect(w, &r);
      print(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
            " " + std::to_string(r.bottom));
    };
    printRect(top);
    for (HWND c : children(top))
      if (IsWindowVisible(c)) printRect(c);
    return 0;
  }
  if (cmd == L"clip-hex") {
    std::string text;
    if (!readClipboard(nullptr, text)) return 1;
    print(hex(text));
    return 0;
  }
  if (cmd == L"clip-dword") {  // the DWORD of a registered format; "none" when it is absent
    const UINT format = RegisterClipboardFormatW(arg(2).c_str());
    if (!format || !OpenClipboard(nullptr)) return 1;
    std::string out = "none";
    if (HANDLE h = GetClipboardData(format); h && GlobalSize(h) >= sizeof(DWORD)) {
      DWORD value = 0;
      memcpy(&value, GlobalLock(h), sizeof value);
      GlobalUnlock(h);
      out = std::to_string(value);
    }
    CloseClipboard();
    print(out);
    return 0;
  }
  if (cmd == L"hold-clipboard") {
    HWND w = CreateWindowW(L"STATIC", L"probe holder", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    if (!OpenClipboard(w)) return 1;
    CloseHandle(CreateFileW(arg(2).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    while (GetFileAttributesW(arg(3).c_str()) == INVALID_FILE_ATTRIBUTES)
      Sleep(50);
    CloseClipboard();
    return 0;
  }
  if (cmd == L"hold-file") {
    HANDLE held = CreateFileW(arg(2).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(CreateFileW(arg(3).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::wstring until = arg(4);
    const std::wstring windowClass = until.rfind(L"window:", 0) == 0 ? until.substr(7) : L"";
    auto came = [&] {
      return windowClass.empty() ? GetFileAttributesW(until.c_str()) != INVALID_FILE_ATTRIBUTES
                                 : !topWindows(windowClass, nullptr, false).empty();
    };
    const ULONGLONG end = GetTickCount64() + 30000;
    while (!came() && GetTickCount64() < end)
      Sleep(5);
    const bool ok = came();
    if (ok) Sleep(static_cast<DWORD>(intArg(5, 0)));
    CloseHandle(held);
    return ok ? 0 : 1;
  }
  if (cmd == L"copy-marked") {
    HWND w = CreateWindowW(L"STATIC", L"probe copier", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    const std::wstring text = arg(2);
    const int ansiSize =
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    const UINT format = RegisterClipboardFormatW(arg(3).c_str());
    const bool dword = argc > 4;
    const DWORD value = static_cast<DWORD>(wcstoul(arg(4).c_str(), nullptr, 10));
    HGLOBAL textMemory = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(ansiSize));
    HGLOBAL markMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, dword ? sizeof value : 1);
    if (!w || !format || !textMemory || !markMemory || !OpenClipboard(w)) return 1;
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, static_cast<char*>(GlobalLock(textMemory)),
                        ansiSize, nullptr, nullptr);
    GlobalUnlock(textMemory);
    if (dword) {
      memcpy(GlobalLock(markMemory), &value, sizeof value);
      GlobalUnlock(markMemory);
    }
    EmptyClipboard();
    const bool ok = SetClipboardData(format, markMemory) && SetClipboardData(CF_TEXT, textMemory);
    CloseClipboard();
    return ok ? 0 : 1;
  }
  if (cmd == L"viewer" || cmd == L"listener")
    return observe(arg(2), arg(3), cmd == L"viewer", arg(4));
  return usage();
}
