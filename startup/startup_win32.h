// Start-up of the Windows screen saver: the single-instance guard, the
// screen-saver-running flag and the mode dispatch (startup_win32.cpp). The
// windows themselves live in show/ (the show), settings_dialog/ (the dialog)
// and preview_window_win32.* (the preview).
#pragma once

#include <windows.h>

#include <string>

namespace sorvane {

// Title of the show's window and of the settings dialog; the single-instance
// guard looks for windows with exactly these titles.
extern const wchar_t* const kShowWindowTitle;      // "Sorvane_Main"
extern const wchar_t* const kSettingsWindowTitle;  // "Sorvaneの設定"

// Name of the mutex that the show and the settings dialog hold for the life of
// their process, in the session's namespace.
extern const wchar_t* const kInstanceMutexName;

// True when a window titled like the show's window or the settings dialog
// exists. Both titles are always looked for.
bool AnotherCopyIsShowing();

// Creates the instance mutex and keeps it until the process ends. False when
// another copy holds it already. Taken before the window-title guard, it
// closes the gap in which two copies started together both find no window.
bool TakeInstanceMutex();

// True for a window that cannot host a preview: the desktop window, the
// shell's window, a taskbar, or any other top-level window of the process
// that owns the shell or the desktop.
bool IsShellWindow(HWND Window);

// The system calls that bracket a show: the cursor, the screen-saver-running
// flag and the screen-saving-active flag. The show reaches them through this
// interface; SystemCalls() gives the real ones.
class ShowSystemCalls {
 public:
  virtual ~ShowSystemCalls() = default;
  virtual void ShowCursor(bool Show) = 0;
  // Allow false: a screen saver is running; true: none is.
  virtual void AllowSystemKeys(bool Allow) = 0;
  // SPI_SETSCREENSAVEACTIVE on, for the current logon only.
  virtual void SwitchScreenSavingOn() = 0;
};
ShowSystemCalls& SystemCalls();

// Before the show's window loads: with the switch 'S' the cursor is hidden and
// the system told that a screen saver runs; an empty command line ('\0')
// changes neither.
void BeginShowMode(char Switch, ShowSystemCalls& System);

// After the show's frame loop: with 'S' the system is told that no screen
// saver runs any more; then screen saving is switched on, whatever the switch.
void EndShowMode(char Switch, ShowSystemCalls& System);

// Tells the system whether a screen saver is running (Allow false) or not
// (Allow true).
void AllowSystemKeys(bool Allow);

// The command line after the program name and the blanks that follow it.
std::wstring ArgumentText();

// The start-up procedure: guard, switch, and hand-over to one window. Never
// returns: every path ends the process.
[[noreturn]] void Main();

// Ends the process at once: no further window handler runs.
[[noreturn]] void EndProgram();

}  // namespace sorvane
