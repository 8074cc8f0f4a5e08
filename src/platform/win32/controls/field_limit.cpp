#include "platform/win32/controls/field_limit.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace win32 {

namespace {

// The field's text with its selection replaced by what is typed or pasted.
std::wstring withSelectionReplaced(HWND edit, std::wstring_view insert) {
  std::wstring text = windowText(edit);
  DWORD start = 0, end = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  start = std::min<DWORD>(start, static_cast<DWORD>(text.size()));
  end = std::clamp<DWORD>(end, start, static_cast<DWORD>(text.size()));
  text.replace(start, end - start, insert);
  return text;
}

std::size_t ansiBytes(std::wstring_view w) {
  return wideToAnsi(w).size();
}

// Pastes as much of the clipboard's first line as fits into the byte limit, whole characters
// only, as a field with a limit does.
void pasteWithinByteLimit(HWND edit, int limit) {
  std::wstring paste;
  if (!::OpenClipboard(edit)) return;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      paste.assign(chars, ::wcsnlen(chars, ::GlobalSize(data) / sizeof(wchar_t)));
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  if (auto lineEnd = paste.find_first_of(L"\r\n"); lineEnd != std::wstring::npos)
    paste.erase(lineEnd);
  const std::size_t rest = ansiBytes(withSelectionReplaced(edit, L""));
  const auto room = static_cast<std::size_t>(limit) > rest ? limit - rest : 0;
  std::size_t keep = 0, used = 0;
  while (keep < paste.size()) {
    const std::size_t units = IS_HIGH_SURROGATE(paste[keep]) && keep + 1 < paste.size() ? 2 : 1;
    const std::size_t bytes = ansiBytes(std::wstring_view(paste).substr(keep, units));
    if (used + bytes > room) break;
    used += bytes;
    keep += units;
  }
  paste.resize(keep);
  ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(paste.c_str()));
  if (keep == 0) ::MessageBeep(MB_OK);
}

}  // namespace

std::optional<LRESULT> limitFieldBytes(HWND field, UINT msg, WPARAM wParam, int limit) {
  if (limit <= 0) return {};
  if (msg == WM_CHAR && wParam >= L' ') {
    // A double-byte character that no longer fits is refused whole.
    const wchar_t ch = static_cast<wchar_t>(wParam);
    if (ansiBytes(withSelectionReplaced(field, std::wstring_view(&ch, 1))) >
        static_cast<std::size_t>(limit)) {
      ::MessageBeep(MB_OK);
      return 0;
    }
  } else if (msg == WM_PASTE && !(::GetWindowLongW(field, GWL_STYLE) & ES_READONLY)) {
    pasteWithinByteLimit(field, limit);
    return 0;
  }
  return {};
}

}  // namespace win32
