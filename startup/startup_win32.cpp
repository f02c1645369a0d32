// Start-up of the Windows screen saver (pairs with startup_win32.h). Linux's
// counterpart is main_x11.cpp.

#include "startup_win32.h"

#include <windows.h>

#include <string>

#include "settings_file.h"
#include "text_win32.h"

namespace sorvane {

const wchar_t* const kShowWindowTitle = L"Sorvane_Main";
const wchar_t* const kSettingsWindowTitle = L"Sorvane\u306E\u8A2D\u5B9A";

bool AnotherCopyIsShowing() {
  const HWND show = FindWindowW(nullptr, kShowWindowTitle);
  const HWND settings = FindWindowW(nullptr, kSettingsWindowTitle);
  return show != nullptr || settings != nullptr;
}

void AllowSystemKeys(bool Allow) {
  // All bits set says "a screen saver is running", 0 says none is.
  const UINT running = Allow ? 0u : 0xFFFFFFFFu;
  SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running, nullptr, 0);
}

std::wstring ArgumentText() {
  const wchar_t* p = GetCommandLineW();
  if (!p) return std::wstring();
  // Skip the program name, quoted or not, then the blanks after it.
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return std::wstring(p);
}

void EndProgram() { ExitProcess(0); }

}  // namespace sorvane
