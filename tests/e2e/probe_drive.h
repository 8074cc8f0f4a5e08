// The probe's commands that drive the desktop through the system (see probe_drive.cpp).
#pragma once
#include <windows.h>

#include <string>

// Runs CMD when it is one of these commands and returns its exit code; -1 otherwise.
int probeDrive(const std::wstring& cmd, int argc, wchar_t** argv);
// Moves the pointer to the screen point, pauses as a hand does and clicks the left button.
int sendClick(int x, int y);
