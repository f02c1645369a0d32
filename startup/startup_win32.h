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

// The two kinds of copy that are single, each with a mutex held for the life
// of its process, in the session's namespace: a show never runs beside
// another show, a settings dialog never beside another dialog. A show may
// start while a dialog is open (a dialog left open must not keep the screen
// from blanking and the session from locking); a dialog does not open over a
// running show.
enum class SingleCopy { Show, Settings };
extern const wchar_t* const kShowMutexName;      // "Local\\Sorvane.Show"
extern const wchar_t* const kSettingsMutexName;  // "Local\\Sorvane.Settings"

// True when a window titled like the show's window or the settings dialog
// exists. Both titles are always looked for.
bool AnotherCopyIsShowing();

// True when a window titled like the show's window exists.
bool AShowIsShowing();

// Creates the mutex of Which and keeps it until the process ends. False when
// another copy holds it already. Taken before the window-title guard, it
// closes the gap in which two copies started together both find no window.
bool TakeInstanceMutex(SingleCopy Which);

// True when another copy holds the mutex of Which.
bool InstanceMutexHeld(SingleCopy Which);

// May a copy started in Mode ('S', 'C', 'P' or another switch) go on? Takes
// the mutex of its kind: a show needs no other show, a dialog no other
// dialog and no show; a preview or an unknown switch needs neither window.
bool MayStart(char Mode);

// The window the settings dialog belongs to for this argument text ("/c:1234",
// "/c 1234"): that window's top-level window; when the text names no window,
// the foreground window, as the system's screen saver library does. Null
// when that is none, or the desktop, the shell or a taskbar, which must never
// be disabled.
HWND SettingsOwner(const std::string& ArgumentText);

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
// the system told that a screen saver runs; a show of any other switch (the
// benchmark's '\0') changes neither.
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
