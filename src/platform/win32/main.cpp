// Kolvex20.exe: the program on the real Windows desktop.
#include "platform/win32/win32_platform.h"

#include <exception>
#include <string>

#include "app/program.h"

namespace {

// A folder's full, long-name form without a trailing backslash; empty when it cannot be had.
std::wstring folderPath(const std::wstring& path) {
  if (path.empty()) return {};
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = ::GetLongPathNameW(path.c_str(), full.data(), static_cast<DWORD>(full.size()));
  if (n >= full.size()) {
    full.resize(n);
    n = ::GetLongPathNameW(path.c_str(), full.data(), static_cast<DWORD>(full.size()));
  }
  full.resize(n > 0 && n < full.size() ? n : 0);
  if (full.empty()) full = path;
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/'))
    full.pop_back();
  return full;
}

bool sameText(const std::wstring& a, std::size_t length, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(length), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// `folder` is `root` or lies below it.
bool within(const std::wstring& folder, const std::wstring& root) {
  // A Windows folder at the root of a drive ("C:") would take in the whole drive.
  if (root.size() <= 3) return false;
  if (folder.size() == root.size()) return sameText(folder, folder.size(), root);
  return folder.size() > root.size() && folder[root.size()] == L'\\' &&
         sameText(folder, root.size(), root);
}

std::wstring windowsFolder(UINT (*get)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH] = {};
  const UINT n = get(buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? folderPath(buffer) : std::wstring();
}

// A shortcut without a working folder, an autostart entry or a scheduled task may start the
// program in the Windows folder or System32, where its files are not and cannot be written:
// there it works in its own folder instead. Any other current folder is the user's choice.
void leaveTheWindowsFolder() {
  const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
  if (length == 0) return;
  std::wstring current(length, L'\0');
  current.resize(::GetCurrentDirectoryW(length, current.data()));
  current = folderPath(current);
  // The user's own Windows folder on a terminal server, and the shared one.
  if (!within(current, windowsFolder(::GetWindowsDirectoryW)) &&
      !within(current, windowsFolder(::GetSystemWindowsDirectoryW)))
    return;
  std::wstring program(MAX_PATH, L'\0');
  DWORD n = 0;
  while ((n = ::GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()))) ==
             program.size() &&
         program.size() < 32768)
    program.resize(program.size() * 2);
  program.resize(n);
  const std::size_t slash = program.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return;
  program.resize(slash == 2 ? 3 : slash);  // "C:\" keeps its backslash
  ::SetCurrentDirectoryW(program.c_str());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // The exe is unpacked into any folder, Downloads included, where a planted DLL may lie beside
  // it: every library loaded from here on comes from the system folder only.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  ::SetDllDirectoryW(L"");
  leaveTheWindowsFolder();
  try {
    win32::Win32Platform platform(instance);
    return app::runProgram(platform);
  } catch (const std::exception& e) {
    // Only a failure before the message loop runs can get here (no window could be created).
    ::MessageBoxW(nullptr, win32::ansiToWide(e.what()).c_str(), L"Kolvex20", MB_OK | MB_ICONERROR);
    return 1;
  }
}
