// Kolvex20.exe: the program on the real Windows desktop.
#include "platform/win32/win32_platform.h"

#include <exception>

#include "app/program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // The exe is unpacked into any folder, Downloads included, where a planted DLL may lie beside
  // it: every library loaded from here on comes from the system folder only.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  ::SetDllDirectoryW(L"");
  try {
    win32::Win32Platform platform(instance);
    return app::runProgram(platform);
  } catch (const std::exception& e) {
    // Only a failure before the message loop runs can get here (no window could be created).
    ::MessageBoxW(nullptr, win32::ansiToWide(e.what()).c_str(), L"Kolvex20", MB_OK | MB_ICONERROR);
    return 1;
  }
}
