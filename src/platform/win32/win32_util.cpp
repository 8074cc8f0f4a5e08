#include "platform/win32/win32_util.h"

#include <imm.h>

#include <set>

namespace win32 {

namespace {

std::wstring toWide(UINT codePage, DWORD flags, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int n = ::MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(),
                        n);
  return out;
}

std::string fromWide(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring ansiToWide(std::string_view ansi) {
  return toWide(kModelCodePage, 0, ansi);
}
std::string wideToAnsi(std::wstring_view wide) {
  return fromWide(kModelCodePage, wide);
}
std::wstring codePageToWide(UINT codePage, std::string_view bytes) {
  return toWide(codePage, 0, bytes);
}
std::wstring textToWide(const text::Text& t) {
  return t.hasExact() ? utf8ToWide(t.exact()) : ansiToWide(t.bytes());
}
bool encodable(std::wstring_view wide) {
  if (wide.empty()) return true;
  BOOL usedDefault = FALSE;
  const int n =
      ::WideCharToMultiByte(kModelCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                            static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
  return n > 0 && !usedDefault;
}
std::wstring utf8ToWide(std::string_view utf8) {
  return toWide(CP_UTF8, 0, utf8);
}
std::string wideToUtf8(std::wstring_view wide) {
  return fromWide(CP_UTF8, wide);
}

std::wstring fontNameToWide(std::string_view name) {
  // Shift-JIS bytes are almost never valid UTF-8, so a strict UTF-8 decode tells them apart.
  std::wstring wide = toWide(CP_UTF8, MB_ERR_INVALID_CHARS, name);
  if (wide.empty() && !name.empty()) wide = ansiToWide(name);
  return wide;
}

std::wstring windowText(HWND w) {
  const int n = ::GetWindowTextLengthW(w);
  if (n <= 0) return {};
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const int got = ::GetWindowTextW(w, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

void registerWindowClass(HINSTANCE instance, const std::wstring& name, WNDPROC proc, UINT style) {
  static std::set<std::wstring> registered;
  if (registered.count(name)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = name.c_str();
  if (::RegisterClassExW(&wc)) registered.insert(name);
}

void inputMethodOff(HWND w) {
  if (w) ::ImmAssociateContextEx(w, nullptr, 0);
}

COLORREF toColorRef(ui::Color c) {
  if ((c >> 24) == 0xFF) return ::GetSysColor(static_cast<int>(c & 0xFF));
  return static_cast<COLORREF>(c & 0x00FFFFFF);
}

}  // namespace win32
