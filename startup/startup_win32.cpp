// Start-up of the Windows screen saver (pairs with startup_win32.h). Linux's
// counterpart is main_x11.cpp.

#include "startup_win32.h"

#include <windows.h>

#include <string>

#include "command_line.h"
#include "settings_file.h"
#include "text_win32.h"

namespace sorvane {

const wchar_t* const kShowWindowTitle = L"Sorvane_Main";
const wchar_t* const kSettingsWindowTitle = L"Sorvane\u306E\u8A2D\u5B9A";
const wchar_t* const kShowMutexName = L"Local\\Sorvane.Show";
const wchar_t* const kSettingsMutexName = L"Local\\Sorvane.Settings";

namespace {

const wchar_t* MutexName(SingleCopy Which) {
  return Which == SingleCopy::Show ? kShowMutexName : kSettingsMutexName;
}

}  // namespace

bool AnotherCopyIsShowing() {
  const HWND show = FindWindowW(nullptr, kShowWindowTitle);
  const HWND settings = FindWindowW(nullptr, kSettingsWindowTitle);
  return show != nullptr || settings != nullptr;
}

bool AShowIsShowing() { return FindWindowW(nullptr, kShowWindowTitle) != nullptr; }

bool TakeInstanceMutex(SingleCopy Which) {
  // The handle stays open until the process ends; the system then removes the
  // mutex with the last handle. A name that cannot be made (taken by another
  // kind of object) leaves the window-title guard alone in charge.
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexName(Which));
  return !(mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS);
}

bool InstanceMutexHeld(SingleCopy Which) {
  const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, MutexName(Which));
  if (!mutex) return false;
  CloseHandle(mutex);
  return true;
}

bool MayStart(char Mode) {
  switch (Mode) {
    case 'S':
      // Only another show stops a show: the dialog's window does not.
      return TakeInstanceMutex(SingleCopy::Show) && !AShowIsShowing();
    case 'C':
      return TakeInstanceMutex(SingleCopy::Settings) && !InstanceMutexHeld(SingleCopy::Show) &&
             !AnotherCopyIsShowing();
    default:
      return !AnotherCopyIsShowing();
  }
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

HWND SettingsOwner(const std::string& ArgumentText) {
  int32_t number = 0;
  HWND owner = nullptr;
  if (ReadSettingsOwner(ArgumentText, number) == ParentNumber::Read && number != 0) {
    owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(number));
  }
  if (!owner || !IsWindow(owner)) owner = GetForegroundWindow();
  if (!owner || !IsWindow(owner)) return nullptr;
  // Ownership and the disabling belong to the top-level window.
  owner = GetAncestor(owner, GA_ROOT);
  if (!owner || IsShellWindow(owner)) return nullptr;
  return owner;
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
