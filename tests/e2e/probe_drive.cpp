// The probe's hands and camera: pointer, keys, typed text and copies go through the system's own
// input queue (SendInput) and clipboard, and screenshots are encoded by the Windows Imaging
// Component, so that the end-to-end tests drive the desktop the same way under Wine and on
// Windows.
//
//   send-move X Y                      move the pointer to the screen point
//   send-click X Y [BUTTON] [COUNT]    move there, pause as a hand does, then click BUTTON
//                                      (1 left, 2 middle, 3 right) COUNT times
//   send-click-here [BUTTON] [COUNT]   click where the pointer rests
//   send-keys NAME...                  press and release each key or chord ("ctrl+a", "Return",
//                                      "shift", "b"; X keysym names)
//   send-keydown NAME / send-keyup NAME
//   send-hold NAME STOPFILE            press NAME and keep it down as a held key does: after the
//                                      keyboard's repeat delay a key-down again at its repeat
//                                      rate, until STOPFILE exists (at most 20 s); no key-up
//   send-type DELAY_MS                 type the UTF-8 text read from stdin, one character every
//                                      DELAY_MS, as Unicode key events
//   key-up NAME                        exit 0 when the key is up on the desktop, else say so
//   pointer                            print the pointer's position "x y"
//   screen                             print "width height dpi" of the primary screen
//   end-session CLASS                  end the session for the window's program as a sign-out
//                                      does: WM_QUERYENDSESSION to each of its top-level
//                                      windows, then WM_ENDSESSION, then the process is ended;
//                                      prints how long the answers took (exit 1 when a window
//                                      refused or took longer than Windows' 5 seconds)
//   wait-idle CLASS [TIMEOUT_MS]       wait until the program of the window waits for input
//                                      with none pending (its start-up work is done)
//   copy-text                          copy the UTF-8 text read from stdin (CF_UNICODETEXT) and
//                                      print the time of the copy in ms since 1970
//   copy-file FILE                     the same with the UTF-8 text of FILE
//   clip-text                          write the clipboard's CF_UNICODETEXT as UTF-8 to stdout
//   screenshot FILE [L T R B]          save the screen (or that part of it) as a PNG
//   colours L T R B [RRGGBB]           print "darkest bluest count" of that part of the screen:
//                                      the lowest of (r+g+b)/3, the highest of b-r, and how many
//                                      pixels have the colour RRGGBB
#include "probe_drive.h"

// After windows.h.
#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

void say(const std::string& s) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), s.data(), static_cast<DWORD>(s.size()), &written,
            nullptr);
}

int fail(const std::string& why) {
  say(why + "\n");
  return 1;
}

std::string narrow(const std::wstring& w) {
  std::string out;
  for (wchar_t c : w)
    out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

bool readAll(HANDLE h, std::string& bytes) {
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
    bytes.append(buf, got);
  return true;
}

bool utf8ToWide(const std::string& bytes, std::wstring& out) {
  out.clear();
  if (bytes.empty()) return true;
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                    static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<std::size_t>(n));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                      out.data(), n);
  return true;
}

bool send(std::vector<INPUT> inputs) {
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// --- pointer ---

// Normalised to 0..65535 over the virtual desktop, rounded to the nearest step: the pixel that
// the system maps the value back to is the one asked for.
LONG normalise(int pixel, int origin, int extent) {
  if (extent < 2) return 0;
  const long long n =
      (static_cast<long long>(pixel - origin) * 65535 + (extent - 1) / 2) / (extent - 1);
  return static_cast<LONG>(std::clamp<long long>(n, 0, 65535));
}

bool underWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Under Wine there are two pointers: the system's, where input goes, and the X display's, which
// Wine moves along (a warp) unless another program holds the display's pointer (Wine's own popup
// menus do while they are open: the warp is refused). GetCursorPos reports the system's position
// for 100 ms after it changed, then the display's. Each Wine program also turns the display's
// pointer events (a window mapped or unmapped under the pointer) into moves of the system's
// pointer when it gets to them, with the position they were made at (seen: once a menu closed,
// the pointer went back to where the menu had been opened). A program busy on a loaded machine
// may get to them after a later move, and a press sent without a position would land where the
// pointer had been. So every press carries its position, as a real mouse's does.
INPUT mouseInput(int x, int y, DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx =
      normalise(x, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN));
  in.mi.dy =
      normalise(y, GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  return in;
}

std::string point(int x, int y) {
  return std::to_string(x) + "," + std::to_string(y);
}

bool reportedAt(int x, int y, POINT& seen) {
  return GetCursorPos(&seen) && seen.x == x && seen.y == y;
}

// Moves the pointer there; the move is queued (behind any low-level mouse hook) and has arrived
// once the system reports the new position. Under load a report may come more than 100 ms after
// the move, from the display's pointer, which Wine may not have been able to move: the move is
// made again until one is seen.
bool place(int x, int y, POINT& seen, bool again = false) {
  const ULONGLONG end = GetTickCount64() + 10000;
  for (;; again = true) {
    // A step beside the point first: Wine moves the display's pointer only for a move that
    // changes the system's position.
    if (again) SetCursorPos(x > 0 ? x - 1 : x + 1, y);
    // Wine's X11 driver moves the display's pointer for an injected move only when no
    // low-level mouse hook holds the move up. Under Wine the pointer is put there first (the
    // injected move then still passes every hook, as on Windows).
    if (underWine()) SetCursorPos(x, y);
    if (!send({mouseInput(x, y, 0)})) return false;
    for (int i = 0; i < 30; ++i) {
      if (reportedAt(x, y, seen)) return true;
      Sleep(10);
    }
    if (GetTickCount64() >= end) return false;
  }
}

// The pointer is reported at the point for 200 ms on end, longer than the 100 ms after which
// Wine reports the display's pointer.
bool stays(int x, int y, POINT& seen) {
  for (int waited = 0; waited < 200; waited += 10) {
    if (!reportedAt(x, y, seen)) return false;
    Sleep(10);
  }
  return reportedAt(x, y, seen);
}

// Moves the pointer there and waits until it stays (a pointer that hovers there, as for a
// tooltip, is there on both sides under Wine).
int movePointer(int x, int y) {
  const ULONGLONG end = GetTickCount64() + 10000;
  POINT seen{};
  for (int moves = 1;; ++moves) {
    if (place(x, y, seen, moves > 1) && stays(x, y, seen)) return 0;
    if (GetTickCount64() >= end)
      return fail("the pointer did not stay at " + point(x, y) + " (" + std::to_string(moves) +
                  " moves; last seen at " + point(seen.x, seen.y) + ")");
  }
}

// Clicks BUTTON (1 left, 2 middle, 3 right) COUNT times at the point; each press and release
// carries the position.
int press(int x, int y, int button, int count) {
  DWORD down = MOUSEEVENTF_LEFTDOWN, up = MOUSEEVENTF_LEFTUP;
  if (button == 2) down = MOUSEEVENTF_MIDDLEDOWN, up = MOUSEEVENTF_MIDDLEUP;
  if (button == 3) down = MOUSEEVENTF_RIGHTDOWN, up = MOUSEEVENTF_RIGHTUP;
  if (button < 1 || button > 3) return fail("no mouse button " + std::to_string(button));
  for (int i = 0; i < count; ++i) {
    if (i > 0) Sleep(80);
    if (!send({mouseInput(x, y, down), mouseInput(x, y, up)}))
      return fail("SendInput refused the click");
  }
  return 0;
}

// Clicks where the pointer rests: the position the system reports for 200 ms on end.
int clickHere(int button, int count) {
  const ULONGLONG end = GetTickCount64() + 10000;
  POINT seen{}, was{};
  GetCursorPos(&was);
  while (!stays(was.x, was.y, seen)) {
    if (GetTickCount64() >= end)
      return fail("the pointer did not rest for 10 s (last seen at " + point(seen.x, seen.y) + ")");
    was = seen;
  }
  return press(was.x, was.y, button, count);
}

// --- keys ---

struct Key {
  WORD vk = 0;
  bool extended = false;
  bool shifted = false;  // a character that needs Shift on the current layout
};

bool keyNamed(const std::wstring& name, Key& key) {
  struct Named {
    const wchar_t* name;
    WORD vk;
    bool extended;
  };
  static const Named table[] = {
      {L"ctrl", VK_CONTROL, false},
      {L"control", VK_CONTROL, false},
      {L"Control_L", VK_LCONTROL, false},
      {L"Control_R", VK_RCONTROL, true},
      {L"shift", VK_SHIFT, false},
      {L"Shift_L", VK_LSHIFT, false},
      {L"Shift_R", VK_RSHIFT, false},
      {L"alt", VK_MENU, false},
      {L"Alt_L", VK_LMENU, false},
      {L"Alt_R", VK_RMENU, true},
      {L"super", VK_LWIN, true},
      {L"Super_L", VK_LWIN, true},
      {L"Return", VK_RETURN, false},
      {L"KP_Enter", VK_RETURN, true},
      {L"BackSpace", VK_BACK, false},
      {L"Tab", VK_TAB, false},
      {L"Escape", VK_ESCAPE, false},
      {L"space", VK_SPACE, false},
      {L"Delete", VK_DELETE, true},
      {L"Insert", VK_INSERT, true},
      {L"Home", VK_HOME, true},
      {L"End", VK_END, true},
      {L"Prior", VK_PRIOR, true},
      {L"Page_Up", VK_PRIOR, true},
      {L"Next", VK_NEXT, true},
      {L"Page_Down", VK_NEXT, true},
      {L"Left", VK_LEFT, true},
      {L"Right", VK_RIGHT, true},
      {L"Up", VK_UP, true},
      {L"Down", VK_DOWN, true},
      {L"Menu", VK_APPS, true},
  };
  for (const Named& n : table) {
    if (_wcsicmp(n.name, name.c_str()) == 0) {
      key = {n.vk, n.extended, false};
      return true;
    }
  }
  if ((name[0] == L'F' || name[0] == L'f') && name.size() > 1 && name.size() <= 3) {
    const int f = _wtoi(name.c_str() + 1);
    if (f >= 1 && f <= 24) {
      key = {static_cast<WORD>(VK_F1 + f - 1), false, false};
      return true;
    }
  }
  if (name.size() == 1) {
    const SHORT scan = VkKeyScanW(name[0]);
    if (scan == -1) return false;
    key = {static_cast<WORD>(LOBYTE(scan)), false, (HIBYTE(scan) & 1) != 0};
    return true;
  }
  return false;
}

INPUT keyInput(const Key& key, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = key.vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key.vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (key.extended ? KEYEVENTF_EXTENDEDKEY : 0);
  return in;
}

int keyEdge(const std::wstring& name, bool up) {
  Key key;
  if (!keyNamed(name, key)) return fail("no key named " + narrow(name));
  return send({keyInput(key, up)}) ? 0 : fail("SendInput refused the key");
}

// The user's own repeat settings: a delay of 0..3 is 250..1000 ms, a speed of 0..31 is about
// 2.5..30 repeats a second.
int holdKey(const std::wstring& name, const std::wstring& stopFile) {
  Key key;
  if (!keyNamed(name, key)) return fail("no key named " + narrow(name));
  int delay = 1, speed = 31;
  SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
  SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
  const DWORD firstRepeatMs = static_cast<DWORD>(250 * (std::clamp(delay, 0, 3) + 1));
  const DWORD repeatMs = static_cast<DWORD>(400 - 367 * std::clamp(speed, 0, 31) / 31);
  const ULONGLONG end = GetTickCount64() + 20000;
  int downs = 0;
  for (DWORD wait = firstRepeatMs; GetTickCount64() < end; wait = repeatMs) {
    if (!send({keyInput(key, false)})) return fail("SendInput refused the key");
    ++downs;
    for (DWORD waited = 0; waited < wait; waited += 10) {
      if (GetFileAttributesW(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
        say(std::to_string(downs) + " key-downs\n");
        return 0;
      }
      Sleep(10);
    }
  }
  return fail("held for 20 s: " + narrow(stopFile) + " never came");
}

// A chord "ctrl+shift+a": the modifiers go down in order, the last key is tapped, the
// modifiers come up in reverse order; a pause between events, as fingers take.
int chord(const std::wstring& spec) {
  std::vector<Key> keys;
  std::size_t start = 0;
  for (;;) {
    std::size_t plus = spec.find(L'+', start);
    // A lone "+" or a trailing "+" is the key itself.
    if (plus == start) plus = spec.find(L'+', start + 1);
    const std::wstring part = spec.substr(start, plus == std::wstring::npos ? plus : plus - start);
    Key key;
    if (!keyNamed(part, key)) return fail("no key named " + narrow(part));
    keys.push_back(key);
    if (plus == std::wstring::npos) break;
    start = plus + 1;
  }
  const Key shift{VK_SHIFT, false, false};
  const bool addShift = keys.back().shifted;
  std::vector<INPUT> downs, ups;
  for (const Key& k : keys)
    downs.push_back(keyInput(k, false));
  if (addShift) downs.insert(downs.end() - 1, keyInput(shift, false));
  ups.push_back(keyInput(keys.back(), true));
  if (addShift) ups.push_back(keyInput(shift, true));
  for (auto k = keys.rbegin() + 1; k != keys.rend(); ++k)
    ups.push_back(keyInput(*k, true));
  for (const INPUT& in : downs) {
    if (!send({in})) return fail("SendInput refused the key");
    Sleep(15);
  }
  for (const INPUT& in : ups) {
    if (!send({in})) return fail("SendInput refused the key");
    Sleep(15);
  }
  return 0;
}

int typeText(const std::wstring& text, DWORD delay) {
  for (wchar_t c : text) {
    // A line break or a tab is the key, as a keyboard types it.
    if (c == L'\n' || c == L'\t') {
      if (int rc = chord(c == L'\n' ? L"Return" : L"Tab")) return rc;
    } else if (c != L'\r') {
      INPUT down{};
      down.type = INPUT_KEYBOARD;
      down.ki.wScan = c;
      down.ki.dwFlags = KEYEVENTF_UNICODE;
      INPUT up = down;
      up.ki.dwFlags |= KEYEVENTF_KEYUP;
      if (!send({down, up})) return fail("SendInput refused the character");
    }
    Sleep(delay);
  }
  return 0;
}

// --- clipboard ---

unsigned long long nowMs() {
  FILETIME ft{};
  GetSystemTimePreciseAsFileTime(&ft);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return ticks / 10000 - 11644473600000ULL;
}

int copyText(const std::string& utf8) {
  std::wstring text;
  if (!utf8ToWide(utf8, text)) return fail("the text to copy is not UTF-8");
  // A real window owns what it copies (a NULL owner lets another opener in under Wine).
  HWND owner = CreateWindowW(L"STATIC", L"probe copy", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!owner || !memory) return fail("no window or memory for the copy");
  auto* p = static_cast<wchar_t*>(GlobalLock(memory));
  std::copy(text.begin(), text.end(), p);
  p[text.size()] = L'\0';
  GlobalUnlock(memory);
  // Another program (the one under test) may hold the clipboard for a moment, as on any desktop.
  bool open = false;
  for (int i = 0; i < 500 && !(open = OpenClipboard(owner)); ++i)
    Sleep(20);
  if (!open) {
    GlobalFree(memory);
    return fail("the clipboard stayed open in another program for 10 s");
  }
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  if (!ok) GlobalFree(memory);
  const unsigned long long at = nowMs();
  CloseClipboard();
  if (!ok) return fail("SetClipboardData failed");
  say(std::to_string(at) + "\n");
  return 0;
}

int clipText() {
  HWND owner = CreateWindowW(L"STATIC", L"probe paste", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  bool open = false;
  for (int i = 0; i < 250 && !(open = OpenClipboard(owner)); ++i)
    Sleep(20);
  if (!open) return fail("the clipboard stayed open in another program for 5 s");
  std::wstring text;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
      text.assign(p, wcsnlen(p, GlobalSize(h) / sizeof(wchar_t)));
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  if (text.empty()) return 0;
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  say(out);
  return 0;
}

// --- screen ---

struct Shot {
  int width = 0, height = 0;
  std::vector<std::uint8_t> bgr;  // rows of 3-byte pixels, top row first, no padding
};

bool grabOnce(RECT wanted, Shot& shot) {
  // Only what lies on the screen can be read (a window may reach above its top edge).
  const RECT desk{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                  GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                  GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  RECT r{};
  if (!IntersectRect(&r, &wanted, &desk)) return false;
  shot.width = r.right - r.left;
  shot.height = r.bottom - r.top;
  if (shot.width <= 0 || shot.height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bitmap && memory;
  if (ok) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top,
                SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
    SelectObject(memory, old);
  }
  if (ok) {
    const auto* px = static_cast<const std::uint8_t*>(bits);
    shot.bgr.resize(static_cast<std::size_t>(shot.width) * shot.height * 3);
    for (std::size_t i = 0, n = static_cast<std::size_t>(shot.width) * shot.height; i < n; ++i) {
      shot.bgr[i * 3] = px[i * 4];
      shot.bgr[i * 3 + 1] = px[i * 4 + 1];
      shot.bgr[i * 3 + 2] = px[i * 4 + 2];
    }
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

// Under Wine a read of the screen was seen to fail once while windows changed on it: it is tried
// again a few times.
bool grab(RECT wanted, Shot& shot) {
  for (int tries = 1;; ++tries) {
    if (grabOnce(wanted, shot)) return true;
    if (tries == 10) return false;
    Sleep(100);
  }
}

template <typename T>
struct Com {
  T* p = nullptr;
  ~Com() {
    if (p) p->Release();
  }
  T** out() { return &p; }
  T* operator->() const { return p; }
};

int savePng(const Shot& shot, const std::wstring& file) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return fail("no COM");
  int rc = 1;
  {
    Com<IWICImagingFactory> factory;
    Com<IWICStream> stream;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(factory.out()));
    if (SUCCEEDED(hr)) hr = factory->CreateStream(stream.out());
    if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(file.c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out());
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream.p, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(frame.out(), nullptr);
    if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
      hr = frame->SetSize(static_cast<UINT>(shot.width), static_cast<UINT>(shot.height));
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    // The encoder may pick another format than the one offered; the rows are only in this one.
    if (SUCCEEDED(hr) && format != GUID_WICPixelFormat24bppBGR) hr = E_FAIL;
    if (SUCCEEDED(hr)) {
      const UINT stride = static_cast<UINT>(shot.width) * 3;
      hr = frame->WritePixels(static_cast<UINT>(shot.height), stride,
                              static_cast<UINT>(shot.bgr.size()),
                              const_cast<BYTE*>(shot.bgr.data()));
    }
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    char code[16];
    std::snprintf(code, sizeof code, "%08lx", static_cast<unsigned long>(hr));
    rc = SUCCEEDED(hr) ? 0 : fail(std::string("the PNG encoder failed: 0x") + code);
  }
  CoUninitialize();
  return rc;
}

RECT screenOr(int argc, wchar_t** argv, int first) {
  if (argc > first + 3)
    return RECT{_wtoi(argv[first]), _wtoi(argv[first + 1]), _wtoi(argv[first + 2]),
                _wtoi(argv[first + 3])};
  return RECT{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
              GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
              GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// Moves there, pauses as a hand does and clicks BUTTON COUNT times. The pointer need not stay
// there on both sides: while a menu is open Wine cannot move the display's pointer, and the
// press carries its position anyway.
int clickAt(int x, int y, int button, int count) {
  POINT seen{};
  if (!place(x, y, seen))
    return fail("the pointer went to " + point(seen.x, seen.y) + " instead of " + point(x, y));
  Sleep(150);
  return press(x, y, button, count);
}

}  // namespace

int sendClick(int x, int y) {
  return clickAt(x, y, 1, 1);
}

int probeDrive(const std::wstring& cmd, int argc, wchar_t** argv) {
  auto arg = [&](int i) { return i < argc ? std::wstring(argv[i]) : std::wstring(); };
  auto intArg = [&](int i, int fallback) { return i < argc ? _wtoi(argv[i]) : fallback; };

  if (cmd == L"send-move") return movePointer(intArg(2, 0), intArg(3, 0));
  if (cmd == L"send-click") return clickAt(intArg(2, 0), intArg(3, 0), intArg(4, 1), intArg(5, 1));
  if (cmd == L"send-click-here") return clickHere(intArg(2, 1), intArg(3, 1));
  if (cmd == L"send-keys") {
    for (int i = 2; i < argc; ++i) {
      if (int rc = chord(argv[i])) return rc;
      Sleep(30);
    }
    return 0;
  }
  if (cmd == L"send-keydown" || cmd == L"send-keyup") return keyEdge(arg(2), cmd == L"send-keyup");
  if (cmd == L"send-hold") return holdKey(arg(2), arg(3));
  if (cmd == L"key-up") {
    Key key;
    if (!keyNamed(arg(2), key)) return fail("no key named " + narrow(arg(2)));
    return (GetAsyncKeyState(key.vk) & 0x8000) ? fail(narrow(arg(2)) + " is down") : 0;
  }
  if (cmd == L"send-type" || cmd == L"copy-text") {
    std::string bytes;
    readAll(GetStdHandle(STD_INPUT_HANDLE), bytes);
    if (cmd == L"copy-text") return copyText(bytes);
    std::wstring text;
    if (!utf8ToWide(bytes, text)) return fail("the text to type is not UTF-8");
    return typeText(text, static_cast<DWORD>(intArg(2, 60)));
  }
  if (cmd == L"copy-file") {
    HANDLE f = CreateFileW(arg(2).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return fail("cannot open " + narrow(arg(2)));
    std::string bytes;
    readAll(f, bytes);
    CloseHandle(f);
    return copyText(bytes);
  }
  if (cmd == L"clip-text") return clipText();
  if (cmd == L"end-session") {
    HWND w = FindWindowW(arg(2).c_str(), nullptr);
    DWORD process = 0;
    if (!w || !GetWindowThreadProcessId(w, &process)) return fail("no window of that class");
    struct Windows {
      DWORD process;
      std::vector<HWND> found;
    } of{process, {}};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Windows*>(p);
          DWORD owner = 0;
          GetWindowThreadProcessId(h, &owner);
          if (owner == s->process) s->found.push_back(h);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&of));
    // Windows gives a program 5 seconds to answer WM_QUERYENDSESSION and another 5 to return
    // from WM_ENDSESSION; after that it offers the user to end it. The slowest answer of each is
    // printed, and one that took longer fails.
    bool agreed = true, inTime = true;
    ULONGLONG slowest[2] = {0, 0};
    auto ask = [&](int which, HWND h, UINT msg, WPARAM wParam) {
      DWORD_PTR answer = TRUE;
      const ULONGLONG start = GetTickCount64();
      const bool answered = SendMessageTimeoutW(h, msg, wParam, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                                5000, &answer) != 0;
      const ULONGLONG took = GetTickCount64() - start;
      slowest[which] = std::max(slowest[which], took);
      // A window the program closed meanwhile (it may end at WM_ENDSESSION) owes no answer.
      if (took >= 5000 || (!answered && IsWindow(h))) inTime = false;
      return !answered || answer;
    };
    for (HWND h : of.found)
      if (!ask(0, h, WM_QUERYENDSESSION, 0)) agreed = false;
    for (HWND h : of.found)
      ask(1, h, WM_ENDSESSION, agreed);
    say("WM_QUERYENDSESSION answered in " + std::to_string(slowest[0]) + " ms, WM_ENDSESSION in " +
        std::to_string(slowest[1]) + " ms\n");
    if (!agreed) return fail("a window refused to end the session");
    if (!inTime) return fail("a window did not answer within 5 seconds");
    // After WM_ENDSESSION the system may end the program at any time; it does so here.
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process);
    if (h) {
      if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) TerminateProcess(h, 0);
      CloseHandle(h);
    }
    return 0;
  }
  if (cmd == L"wait-idle") {
    HWND w = FindWindowW(arg(2).c_str(), nullptr);
    DWORD process = 0;
    if (!w || !GetWindowThreadProcessId(w, &process)) return fail("no window of that class");
    HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, process);
    if (!h) return fail("cannot open the window's process");
    const DWORD rc = WaitForInputIdle(h, static_cast<DWORD>(intArg(3, 60000)));
    CloseHandle(h);
    return rc == 0 ? 0 : fail(rc == WAIT_TIMEOUT ? "still busy" : "WaitForInputIdle failed");
  }
  if (cmd == L"screen") {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    say(std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " " +
        std::to_string(GetSystemMetrics(SM_CYSCREEN)) + " " + std::to_string(dpi) + "\n");
    return 0;
  }
  if (cmd == L"pointer") {
    POINT p{};
    if (!GetCursorPos(&p)) return 1;
    say(std::to_string(p.x) + " " + std::to_string(p.y) + "\n");
    return 0;
  }
  if (cmd == L"screenshot") {
    Shot shot;
    if (!grab(screenOr(argc, argv, 3), shot)) return fail("could not read the screen");
    return savePng(shot, arg(2));
  }
  if (cmd == L"colours") {
    Shot shot;
    if (!grab(screenOr(argc, argv, 2), shot)) return fail("could not read the screen");
    const long wanted = argc > 6 ? std::wcstol(argv[6], nullptr, 16) : -1;
    int darkest = 255, bluest = -255;
    long count = 0;
    for (std::size_t i = 0; i + 2 < shot.bgr.size(); i += 3) {
      const int b = shot.bgr[i], g = shot.bgr[i + 1], r = shot.bgr[i + 2];
      darkest = std::min(darkest, (r + g + b) / 3);
      bluest = std::max(bluest, b - r);
      if ((r << 16 | g << 8 | b) == wanted) ++count;
    }
    say(std::to_string(darkest) + " " + std::to_string(bluest) + " " + std::to_string(count) +
        "\n");
    return 0;
  }
  return -1;
}
