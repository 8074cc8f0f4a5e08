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

// Pastes as much of the clipboard's text as the rule lets in (a one-line field: of its first
// line), whole characters only, up to the first character the code page does not have.
void pasteWithin(HWND edit, const FieldRule& rule) {
  std::wstring paste;
  if (!::OpenClipboard(edit)) return;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      paste.assign(chars, ::wcsnlen(chars, ::GlobalSize(data) / sizeof(wchar_t)));
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  if (!rule.multiLine)
    if (auto lineEnd = paste.find_first_of(L"\r\n"); lineEnd != std::wstring::npos)
      paste.erase(lineEnd);
  const std::size_t rest = rule.maxBytes > 0 ? ansiBytes(withSelectionReplaced(edit, L"")) : 0;
  const auto room = rule.maxBytes <= 0                               ? SIZE_MAX
                    : static_cast<std::size_t>(rule.maxBytes) > rest ? rule.maxBytes - rest
                                                                     : 0;
  std::size_t keep = 0, used = 0;
  while (keep < paste.size()) {
    const std::size_t units = IS_HIGH_SURROGATE(paste[keep]) && keep + 1 < paste.size() ? 2 : 1;
    const std::wstring_view ch = std::wstring_view(paste).substr(keep, units);
    if (rule.codePageOnly && !encodable(ch)) break;
    const std::size_t bytes = rule.maxBytes > 0 ? ansiBytes(ch) : 0;
    if (used + bytes > room) break;
    used += bytes;
    keep += units;
  }
  const bool cut = keep < paste.size();
  paste.resize(keep);
  if (!paste.empty())
    ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(paste.c_str()));
  if (cut) ::MessageBeep(MB_OK);
}

}  // namespace

std::optional<LRESULT> limitFieldInput(HWND field, UINT msg, WPARAM wParam, const FieldRule& rule) {
  if (!rule.active()) return {};
  if (msg == WM_CHAR && wParam >= L' ') {
    const wchar_t ch = static_cast<wchar_t>(wParam);
    // A character outside the code page is refused (each half of a surrogate pair on its own
    // has no code either), as is a double-byte character that no longer fits.
    const bool refused =
        (rule.codePageOnly && !encodable(std::wstring_view(&ch, 1))) ||
        (rule.maxBytes > 0 && ansiBytes(withSelectionReplaced(field, std::wstring_view(&ch, 1))) >
                                  static_cast<std::size_t>(rule.maxBytes));
    if (refused) {
      ::MessageBeep(MB_OK);
      return 0;
    }
  } else if (msg == WM_PASTE && !(::GetWindowLongW(field, GWL_STYLE) & ES_READONLY)) {
    pasteWithin(field, rule);
    return 0;
  }
  return {};
}

}  // namespace win32
