#pragma once

// What the units of the Win32 platform share beyond its class.

#include <windows.h>

namespace win32 {

// On the application window: the activation went to the notification area and has not come back.
inline constexpr UINT_PTR kDeactivationTimer = 1;

// The foreground window is the task bar's own (its notification area, not the desktop the same
// process shows).
bool taskbarHoldsForeground();

}  // namespace win32
