// Input: the low-level input hook and the keys the program sends.

#include "platform/win32/win32_platform.h"

#include <algorithm>

namespace win32 {

namespace {

bool isExtendedKey(int vk) {
  switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_DELETE:
    case VK_INSERT:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_RCONTROL:
    case VK_RMENU:
      return true;
    default:
      return false;
  }
}

}  // namespace

// --- input hook and synthetic keys ---

void Win32Platform::installInputHook() {
  HWND m = mainHwnd();
  if (!m) return;
  inputHookWanted_ = true;
  inputHook_.install(m);
}

void Win32Platform::removeInputHook() {
  inputHookWanted_ = false;
  inputHook_.stop();
}

void Win32Platform::sendKey(int vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = static_cast<WORD>(vk);
  in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0u) | (isExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0u);
  ::SendInput(1, &in, sizeof(in));
}

void Win32Platform::sleep(int ms) {
  ::Sleep(static_cast<DWORD>(std::max(0, ms)));
}

}  // namespace win32
