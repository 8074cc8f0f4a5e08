// The least a clipboard history must do for each copy, as the benchmark's yardstick: wait 50 ms
// after the change, read the text, and write it to a file with the same flush and atomic
// replace as Kolvex20 (temporary file, FlushFileBuffers, MoveFileEx with REPLACE_EXISTING and
// WRITE_THROUGH). Texts go to Listener1.txt .. Listener20.txt in turn, in the current folder.
// It runs until it is killed.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

DWORD seenSequence = 0;
int copies = 0;

bool readText(HWND w, std::string& text) {
  if (!OpenClipboard(w)) return false;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
      text.assign(bytes, strnlen(bytes, GlobalSize(data)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return true;
}

void writeFileAtomically(const std::wstring& target, const std::string& bytes) {
  const std::wstring temporary = target + L".tmp";
  HANDLE f = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    if (!WriteFile(f, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote,
                   nullptr) ||
        wrote == 0)
      break;
    done += wrote;
  }
  const bool ok = done == bytes.size() && FlushFileBuffers(f);
  CloseHandle(f);
  // A reader of the old file may hold it for a moment: try again rather than lose the copy.
  for (int attempt = 0; ok && attempt < 100; ++attempt) {
    if (MoveFileExW(temporary.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return;
    Sleep(1);
  }
  DeleteFileW(temporary.c_str());
}

void capture(HWND w) {
  Sleep(50);
  std::string text;
  if (!readText(w, text)) {
    Sleep(50);
    if (!readText(w, text)) return;
  }
  // The same text announced again (Wine re-announces a copy now and then) is no new copy; the
  // program recognises it too.
  static std::string last;
  if (text.empty() || text == last) return;
  last = text;
  copies = copies % 20 + 1;
  writeFileAtomically(L"Listener" + std::to_wstring(copies) + L".txt", text);
}

LRESULT CALLBACK windowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLIPBOARDUPDATE) {
    const DWORD sequence = GetClipboardSequenceNumber();
    if (sequence != seenSequence) {
      seenSequence = sequence;
      capture(w);
    }
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

int wmain() {
  WNDCLASSW c{};
  c.lpfnWndProc = windowProc;
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = L"KolvexMinimalListener";
  RegisterClassW(&c);
  HWND w = CreateWindowW(c.lpszClassName, L"minimal listener", WS_OVERLAPPED, 0, 0, 1, 1, nullptr,
                         nullptr, c.hInstance, nullptr);
  AddClipboardFormatListener(w);
  seenSequence = GetClipboardSequenceNumber();
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return 0;
}
