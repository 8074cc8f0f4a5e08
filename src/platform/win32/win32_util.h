// Small helpers of the Win32 backend: owners for system resources and text conversion between
// the model's code page 932 bytes and the wide-character API.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "ui/widgets.h"

namespace win32 {

// Owner of a handle value released by Release; Invalid marks "none".
template <typename T, auto Release, T Invalid = T{}>
class Owned {
 public:
  Owned() = default;
  explicit Owned(T value) : value_(value) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : value_(std::exchange(other.value_, Invalid)) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) reset(std::exchange(other.value_, Invalid));
    return *this;
  }
  ~Owned() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Invalid; }
  void reset(T value = Invalid) {
    if (value_ != Invalid) Release(value_);
    value_ = value;
  }
  T release() { return std::exchange(value_, Invalid); }

 private:
  T value_ = Invalid;
};

namespace detail {
inline void closeHandle(HANDLE h) {
  ::CloseHandle(h);
}
inline void deleteObject(HGDIOBJ o) {
  ::DeleteObject(o);
}
inline void destroyWindow(HWND w) {
  ::DestroyWindow(w);
}
inline void destroyMenu(HMENU m) {
  ::DestroyMenu(m);
}
inline void destroyIcon(HICON i) {
  ::DestroyIcon(i);
}
inline void unhook(HHOOK h) {
  ::UnhookWindowsHookEx(h);
}
inline void deleteAtom(ATOM a) {
  ::GlobalDeleteAtom(a);
}
inline void findClose(HANDLE h) {
  ::FindClose(h);
}
}  // namespace detail

using UniqueHandle = Owned<HANDLE, detail::closeHandle>;
using UniqueFont = Owned<HFONT, detail::deleteObject>;
using UniqueBrush = Owned<HBRUSH, detail::deleteObject>;
using UniqueWindow = Owned<HWND, detail::destroyWindow>;
using UniqueMenu = Owned<HMENU, detail::destroyMenu>;
using UniqueIcon = Owned<HICON, detail::destroyIcon>;
using UniqueHook = Owned<HHOOK, detail::unhook>;
using UniqueAtom = Owned<ATOM, detail::deleteAtom>;
using UniqueFind = Owned<HANDLE, detail::findClose>;

// CreateFile reports failure as INVALID_HANDLE_VALUE rather than null.
inline UniqueHandle fileHandle(HANDLE h) {
  return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}
// FindFirstFile's search likewise.
inline UniqueFind findHandle(HANDLE h) {
  return UniqueFind(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

// Locked view of a global memory block.
class GlobalLock {
 public:
  explicit GlobalLock(HGLOBAL g) : memory_(g), data_(::GlobalLock(g)) {}
  GlobalLock(const GlobalLock&) = delete;
  GlobalLock& operator=(const GlobalLock&) = delete;
  ~GlobalLock() {
    if (data_) ::GlobalUnlock(memory_);
  }
  void* data() const { return data_; }

 private:
  HGLOBAL memory_;
  void* data_;
};

// The model's code page, whatever the system's ANSI code page is (1252, or UTF-8 with the beta
// option): the program's files, words and clipboard bytes are the same on every Windows.
inline constexpr UINT kModelCodePage = 932;

// Model bytes (code page 932) to UTF-16 and back. Characters without a code become the nearest
// one or "?", as the system's own conversion does.
std::wstring ansiToWide(std::string_view ansi);
std::string wideToAnsi(std::wstring_view wide);
// Bytes of another code page to UTF-16.
std::wstring codePageToWide(UINT codePage, std::string_view bytes);
std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide);
// What a model text shows: its exact form where it has one, else its bytes.
std::wstring textToWide(const text::Text& t);
// Whether every character has its own code in the model's code page.
bool encodable(std::wstring_view wide);

// A font name may be given as UTF-8 or as code page 932 bytes.
std::wstring fontNameToWide(std::string_view name);

// The whole text of a window.
std::wstring windowText(HWND w);

// Model colour (0x00BBGGRR, or 0xFF0000nn for system colour nn) to COLORREF.
COLORREF toColorRef(ui::Color c);

// A device context of a window, released on scope exit.
class WindowDc {
 public:
  explicit WindowDc(HWND w) : window_(w), dc_(::GetDC(w)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Registers a window class of this program once; later calls with the same name do nothing.
void registerWindowClass(HINSTANCE instance, const std::wstring& name, WNDPROC proc, UINT style);

// The input method of a field switched off: no composition, plain single-byte characters.
void inputMethodOff(HWND w);

// 96-DPI layout units to pixels of the given DPI and back.
inline int scaleToDpi(int v, UINT dpi) {
  return ::MulDiv(v, static_cast<int>(dpi), 96);
}
inline int scaleFromDpi(int v, UINT dpi) {
  return ::MulDiv(v, 96, static_cast<int>(dpi));
}

}  // namespace win32
