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
const wchar_t* const kInstanceMutexName = L"Local\\Sorvane.Instance";

bool AnotherCopyIsShowing() {
  const HWND show = FindWindowW(nullptr, kShowWindowTitle);
  const HWND settings = FindWindowW(nullptr, kSettingsWindowTitle);
  return show != nullptr || settings != nullptr;
}

bool TakeInstanceMutex() {
  // The handle stays open until the process ends; the system then removes the
  // mutex with the last handle. A name that cannot be made (taken by another
  // kind of object) leaves the window-title guard alone in charge.
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
  return !(mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS);
}

namespace {

DWORD ProcessOf(HWND Window) {
  DWORD process = 0;
  if (Window) GetWindowThreadProcessId(Window, &process);
  return process;
}

bool IsTaskbar(HWND Window) {
  wchar_t name[64] = {};
  GetClassNameW(Window, name, 64);
  return lstrcmpW(name, L"Shell_TrayWnd") == 0 || lstrcmpW(name, L"Shell_SecondaryTrayWnd") == 0;
}

}  // namespace

bool IsShellWindow(HWND Window) {
  const HWND desktop = GetDesktopWindow();
  const HWND shell = GetShellWindow();
  if (Window == desktop || (shell && Window == shell) || IsTaskbar(Window)) return true;
  // Top-level windows only: the real preview area is a child window, and the
  // shell's own children may well host one.
  if (GetAncestor(Window, GA_ROOT) != Window) return false;
  const DWORD process = ProcessOf(Window);
  return process != 0 && (process == ProcessOf(shell) || process == ProcessOf(desktop));
}

namespace {

class RealShowSystemCalls final : public ShowSystemCalls {
 public:
  void ShowCursor(bool Show) override { ::ShowCursor(Show ? TRUE : FALSE); }
  void AllowSystemKeys(bool Allow) override { sorvane::AllowSystemKeys(Allow); }
  void SwitchScreenSavingOn() override { SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, 1, nullptr, 0); }
};

}  // namespace

ShowSystemCalls& SystemCalls() {
  static RealShowSystemCalls calls;
  return calls;
}

void BeginShowMode(char Switch, ShowSystemCalls& System) {
  if (Switch != 'S') return;
  System.ShowCursor(false);
  System.AllowSystemKeys(false);
}

void EndShowMode(char Switch, ShowSystemCalls& System) {
  if (Switch == 'S') System.AllowSystemKeys(true);
  System.SwitchScreenSavingOn();
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
